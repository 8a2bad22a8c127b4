// LibMenuField: a pop-up menu field without a label, driven like a list:
// items are added, found, removed, enabled and marked by index or label,
// filled from a message's strings or with the standard folders, and the
// arrow, Home and End keys move the mark without opening the menu.
#pragma once

#include <FindDirectory.h>
#include <LibString.h>
#include <MenuField.h>
#include <Message.h>

class BMenuItem;

class LibMenuField : public BMenuField {
public:
    // A menu field with frame and name and a pop-up menu whose radio mode
    // and label-from-marked setting are radioMode. A non-zero fontSize sets
    // the size of the field's and the menu's font.
    LibMenuField(BRect frame, const char* name, const int& fontSize, const bool& radioMode);
    virtual ~LibMenuField();

    // Up, Down, Home and End move the mark (see IndexOf) and send the
    // reached item's message (not while the field is disabled); every other
    // key goes to the menu field.
    void KeyDown(const char* bytes, int32 numBytes) override;

    // Marks the first item with that label; nothing when there is none.
    virtual void SetText(const char* label);

    // Adds an item owning message (may be null): index -1 appends, any
    // other index inserts there. In radio mode the only item is marked.
    void Add(const char* label, BMessage* message, const int32& index = -1);
    void Add(const LibString& label, BMessage* message, const int32& index = -1);
    void AddSeparatorItem();
    // An item named after the standard folder, with a message of command
    // (none when command is 0).
    void AddStdFolder(const directory_which& which, const uint32& command);
    // The standard folders in groups, the system's own only with
    // includeSystem.
    void AddStdFolders(const bool& includeSystem, const uint32& command);

    // Removes and deletes every item.
    void Clear();
    int32 CountItems() const;
    BMenuItem* ItemAt(const int32& index) const;
    // Takes the item out and hands it to the caller; null when none.
    BMenuItem* RemoveItem(const int32& index);
    // Removes and deletes the first item with that label.
    void RemoveItem(const char* label);

    // Marks the item at index; no message is sent.
    void SetItem(const int32& index);
    // Label of the marked item, or an empty text.
    const char* Text() const;
    // Index of the marked item, or -1.
    int32 CurrentSelection() const;

    bool IsItemEnabled(const int32& index) const;
    bool IsItemEnabled(const char* label) const;
    void SetEnableItem(const int32& index, const bool& enabled);
    void SetEnableItem(const char* label, const bool& enabled);
    bool InMenu(const char* label) const;
    bool IsMarked(const char* label) const;
    void SetMarked(const char* label, const bool& marked);
    void ToggleMarked(const char* label);
    void Replace(const char* oldLabel, const char* newLabel);

    // Replaces the items with one per string of field in source (each with
    // a message of command, none when command is 0) and keeps the marked
    // label when it is still there. False, and nothing changed, when source
    // has no string in field.
    bool SetTo(const BMessage& source, const char* field, const uint32& command);

    // One navigation step by key (B_UP_ARROW, B_DOWN_ARROW, B_HOME, B_END)
    // from the marked item, over separators and disabled items: index
    // receives the item reached. False when nothing is marked or no other
    // item can be reached.
    bool IndexOf(const char& key, int32& index) const;

private:
    void MarkSingleItem();
};
