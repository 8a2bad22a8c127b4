// LibMenuButton: a bold label with a colon and a pop-up menu field to its
// right (child view "menu"). Every list operation goes to the menu field.
#pragma once

#include <LibLabelControl.h>
#include <LibMenuField.h>

class LibMenuButton : public LibLabelControl {
public:
    // A control at where, labelWidth + menuWidth wide and 25 high; the menu
    // field starts 3 pixels left of labelWidth.
    LibMenuButton(BPoint where, const char* name, const char* label, const float& labelWidth,
        const float& menuWidth, uint32 resizingMode, const int& fontSize, const bool& radioMode);
    virtual ~LibMenuButton();

    void MakeFocus(bool focus = true) override;
    // The label's colour, then the menu field.
    void SetEnabled(bool enabled) override;

    LibMenuField* MenuField() const { return fMenu; }

    void AddItem(const char* label, BMessage* message, const int32& index = -1);
    void AddItem(const LibString& label, BMessage* message, const int32& index = -1);
    void AddSeparatorItem();
    void Clear();
    int32 CountItems() const;
    int32 CurrentSelection() const;
    const char* Text() const;
    BMenuItem* RemoveItem(const int32& index);
    void RemoveItem(const char* label);
    void SetItem(const int32& index);
    void SetText(const char* label);
    void SetText(const LibString& label);
    bool IsItemEnabled(const int32& index) const;
    bool IsItemEnabled(const char* label) const;
    void SetEnableItem(const int32& index, const bool& enabled);
    void SetEnableItem(const char* label, const bool& enabled);
    bool InMenu(const char* label) const;
    void ReplaceItem(const char* oldLabel, const char* newLabel);
    bool SetTo(const BMessage& source, const char* field, const uint32& command);
    void AddStdFolders(const bool& includeSystem, uint32 command);

private:
    LibMenuField* fMenu;
};
