// BMenuItem: one entry of a menu: a label, an optional message (owned by
// the item, through BInvoker), enabled and marked states and a keyboard
// shortcut. The menu that holds an item owns it.
#pragma once

#include <Invoker.h>

#include <string>

class BMenu;

class BMenuItem : public BInvoker {
public:
    // message may be null; the item takes it over.
    BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
    virtual ~BMenuItem();

    BMenuItem(const BMenuItem&) = delete;
    BMenuItem& operator=(const BMenuItem&) = delete;

    virtual void SetLabel(const char* label);
    virtual void SetEnabled(bool enabled);
    // In a radio-mode menu, marking an item unmarks every other one.
    virtual void SetMarked(bool marked);
    virtual void SetShortcut(char shortcut, uint32 modifiers);

    const char* Label() const { return fLabel.c_str(); }
    // A disabled menu disables all its items.
    bool IsEnabled() const;
    bool IsMarked() const { return fMarked; }
    char Shortcut(uint32* modifiers = nullptr) const;
    BMenu* Menu() const { return fMenu; }

    // Sends a copy of the message (or of message when given) with "when",
    // "source" (this item) and "index" (its place in the menu) added, to the
    // target; without a target, to the window of the view that shows the
    // menu. B_ERROR for a disabled item, B_BAD_VALUE without a message.
    status_t Invoke(BMessage* message = nullptr) override;

private:
    friend class BMenu;

    std::string fLabel;
    bool fEnabled;
    bool fMarked;
    char fShortcut;
    uint32 fModifiers;
    BMenu* fMenu;
};
