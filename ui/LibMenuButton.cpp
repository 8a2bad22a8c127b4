#include <LibMenuButton.h>

#include <LibLayout.h>

namespace {

constexpr float kHeight = 25;

} // namespace

LibMenuButton::LibMenuButton(BPoint where, const char* name, const char* label,
    const float& labelWidth, const float& menuWidth, uint32 resizingMode, const int& fontSize,
    const bool& radioMode)
    : LibLabelControl(LibRect(where.x, where.y, labelWidth + menuWidth, kHeight), labelWidth, name,
        label, 3, ":", resizingMode),
      fMenu(new LibMenuField(LibRect(labelWidth - 3, 0, menuWidth, kHeight), "menu", fontSize, radioMode))
{
    // The menu field, which takes the focus, is what a screen reader names
    // after the control's label.
    if (label != nullptr && label[0] != '\0') {
        SetAccessibleName(label);
        fMenu->SetAccessibleName(label);
    }
    AddChild(fMenu);
}

LibMenuButton::~LibMenuButton() = default;

void LibMenuButton::MakeFocus(bool focus)
{
    fMenu->MakeFocus(focus);
}

void LibMenuButton::SetEnabled(bool enabled)
{
    LibLabelControl::SetEnabled(enabled);
    fMenu->SetEnabled(enabled);
}

void LibMenuButton::AddItem(const char* label, BMessage* message, const int32& index)
{
    fMenu->Add(label, message, index);
}

void LibMenuButton::AddItem(const LibString& label, BMessage* message, const int32& index)
{
    fMenu->Add(label, message, index);
}

void LibMenuButton::AddSeparatorItem()
{
    fMenu->AddSeparatorItem();
}

void LibMenuButton::Clear()
{
    fMenu->Clear();
}

int32 LibMenuButton::CountItems() const
{
    return fMenu->CountItems();
}

int32 LibMenuButton::CurrentSelection() const
{
    return fMenu->CurrentSelection();
}

const char* LibMenuButton::Text() const
{
    return fMenu->Text();
}

BMenuItem* LibMenuButton::RemoveItem(const int32& index)
{
    return fMenu->RemoveItem(index);
}

void LibMenuButton::RemoveItem(const char* label)
{
    fMenu->RemoveItem(label);
}

void LibMenuButton::SetItem(const int32& index)
{
    fMenu->SetItem(index);
}

void LibMenuButton::SetText(const char* label)
{
    fMenu->SetText(label);
}

void LibMenuButton::SetText(const LibString& label)
{
    fMenu->SetText(static_cast<const char*>(label));
}

bool LibMenuButton::IsItemEnabled(const int32& index) const
{
    return fMenu->IsItemEnabled(index);
}

bool LibMenuButton::IsItemEnabled(const char* label) const
{
    return fMenu->IsItemEnabled(label);
}

void LibMenuButton::SetEnableItem(const int32& index, const bool& enabled)
{
    fMenu->SetEnableItem(index, enabled);
}

void LibMenuButton::SetEnableItem(const char* label, const bool& enabled)
{
    fMenu->SetEnableItem(label, enabled);
}

bool LibMenuButton::InMenu(const char* label) const
{
    return fMenu->InMenu(label);
}

void LibMenuButton::ReplaceItem(const char* oldLabel, const char* newLabel)
{
    fMenu->Replace(oldLabel, newLabel);
}

bool LibMenuButton::SetTo(const BMessage& source, const char* field, const uint32& command)
{
    return fMenu->SetTo(source, field, command);
}

void LibMenuButton::AddStdFolders(const bool& includeSystem, uint32 command)
{
    fMenu->AddStdFolders(includeSystem, command);
}
