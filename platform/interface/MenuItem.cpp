#include <MenuItem.h>

#include <Menu.h>
#include <Messenger.h>
#include <OS.h>
#include <Window.h>

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
    : BInvoker(message, nullptr),
      fLabel(label != nullptr ? label : ""),
      fEnabled(true),
      fMarked(false),
      fShortcut(shortcut),
      fModifiers(modifiers),
      fMenu(nullptr)
{
}

BMenuItem::~BMenuItem()
{
    // An item deleted while still in its menu leaves it first.
    if (fMenu != nullptr)
        fMenu->RemoveItem(this);
}

void BMenuItem::SetLabel(const char* label)
{
    fLabel = label != nullptr ? label : "";
    if (fMenu != nullptr)
        fMenu->ItemChanged();
}

void BMenuItem::SetEnabled(bool enabled)
{
    if (fEnabled == enabled)
        return;
    fEnabled = enabled;
    if (fMenu != nullptr)
        fMenu->ItemChanged();
}

bool BMenuItem::IsEnabled() const
{
    return fEnabled && (fMenu == nullptr || fMenu->IsEnabled());
}

void BMenuItem::SetMarked(bool marked)
{
    if (marked && fMenu != nullptr && fMenu->IsRadioMode()) {
        for (int32 i = 0; BMenuItem* other = fMenu->ItemAt(i); ++i) {
            if (other != this)
                other->fMarked = false;
        }
    }
    if (fMarked == marked)
        return;
    fMarked = marked;
    if (fMenu != nullptr)
        fMenu->ItemChanged();
}

void BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
    fShortcut = shortcut;
    fModifiers = modifiers;
}

char BMenuItem::Shortcut(uint32* modifiers) const
{
    if (modifiers != nullptr)
        *modifiers = fModifiers;
    return fShortcut;
}

status_t BMenuItem::Invoke(BMessage* message)
{
    if (!IsEnabled())
        return B_ERROR;
    const BMessage* source = message != nullptr ? message : Message();
    if (source == nullptr)
        return B_BAD_VALUE;
    BMessage copy(*source);
    copy.AddInt64("when", system_time());
    copy.AddPointer("source", this);
    copy.AddInt32("index", fMenu != nullptr ? fMenu->IndexOf(this) : -1);

    if (Messenger().IsValid())
        return BInvoker::Invoke(&copy);
    BWindow* window = fMenu != nullptr ? fMenu->OwnerWindow() : nullptr;
    if (window == nullptr)
        return B_BAD_PORT_ID;
    return BMessenger(window).SendMessage(&copy);
}
