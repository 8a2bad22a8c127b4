#include <LibMenuField.h>

#include <LibEntryUtils.h>
#include <LibMenuKeys.h>
#include <LibStdFolderList.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <SeparatorItem.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace {

bool IsSeparator(const BMenuItem* item)
{
    return item != nullptr && typeid(*item) == typeid(BSeparatorItem);
}

BMessage* CommandMessage(uint32 command)
{
    return command != 0 ? new BMessage(command) : nullptr;
}

} // namespace

LibMenuField::LibMenuField(BRect frame, const char* name, const int& fontSize, const bool& radioMode)
    : BMenuField(frame, name, nullptr, new BPopUpMenu("", radioMode, radioMode, B_ITEMS_IN_COLUMN),
        B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE)
{
    if (fontSize != 0) {
        BFont font;
        GetFont(&font);
        font.SetSize(float(fontSize));
        SetFont(&font, B_FONT_SIZE);
        Menu()->SetFont(&font, B_FONT_SIZE);
    }
}

LibMenuField::~LibMenuField() = default;

void LibMenuField::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes != 1 || !LibIsMenuKey(bytes[0])) {
        BMenuField::KeyDown(bytes, numBytes);
        return;
    }
    int32 index = -1;
    if (!IsEnabled() || !IndexOf(bytes[0], index))
        return;
    BMenuItem* item = ItemAt(index);
    item->SetMarked(true);
    if (item->Message() != nullptr)
        item->Invoke();
}

bool LibMenuField::IndexOf(const char& key, int32& index) const
{
    // Separators are passed over, and so are disabled items: the keys must
    // not choose what the mouse cannot (a volume the installer refuses).
    std::vector<bool> skipped;
    for (int32 i = 0; i < CountItems(); ++i) {
        const BMenuItem* item = ItemAt(i);
        skipped.push_back(IsSeparator(item) || !item->IsEnabled());
    }
    const int32 reached = LibMenuStep(skipped, CurrentSelection(), key);
    if (reached < 0)
        return false;
    index = reached;
    return true;
}

void LibMenuField::MarkSingleItem()
{
    if (CountItems() == 1 && Menu()->IsRadioMode())
        ItemAt(0)->SetMarked(true);
}

void LibMenuField::Add(const char* label, BMessage* message, const int32& index)
{
    auto* item = new BMenuItem(label, message);
    const bool added = index == -1 ? Menu()->AddItem(item) : Menu()->AddItem(item, index);
    if (!added) {
        // An index past the end appends instead of losing the item.
        Menu()->AddItem(item);
    }
    MarkSingleItem();
}

void LibMenuField::Add(const LibString& label, BMessage* message, const int32& index)
{
    Add(static_cast<const char*>(label), message, index);
}

void LibMenuField::AddSeparatorItem()
{
    Menu()->AddSeparatorItem();
}

void LibMenuField::AddStdFolder(const directory_which& which, const uint32& command)
{
    LibString name;
    LibGetStdDirName(which, name);
    Add(static_cast<const char*>(name), CommandMessage(command));
}

void LibMenuField::AddStdFolders(const bool& includeSystem, const uint32& command)
{
    for (const LibStdFolderEntry& entry : LibStdFolderList(includeSystem)) {
        if (entry.separator)
            AddSeparatorItem();
        else
            AddStdFolder(entry.code, command);
    }
}

void LibMenuField::Clear()
{
    Menu()->RemoveItems(0, Menu()->CountItems(), true);
}

int32 LibMenuField::CountItems() const
{
    return Menu() != nullptr ? Menu()->CountItems() : 0;
}

BMenuItem* LibMenuField::ItemAt(const int32& index) const
{
    return Menu() != nullptr ? Menu()->ItemAt(index) : nullptr;
}

BMenuItem* LibMenuField::RemoveItem(const int32& index)
{
    return Menu()->RemoveItem(index);
}

void LibMenuField::RemoveItem(const char* label)
{
    delete Menu()->RemoveItem(Menu()->IndexOf(Menu()->FindItem(label)));
}

void LibMenuField::SetItem(const int32& index)
{
    if (BMenuItem* item = ItemAt(index))
        item->SetMarked(true);
}

void LibMenuField::SetText(const char* label)
{
    if (BMenuItem* item = Menu()->FindItem(label))
        item->SetMarked(true);
}

const char* LibMenuField::Text() const
{
    const BMenuItem* marked = Menu()->FindMarked();
    return marked != nullptr ? marked->Label() : "";
}

int32 LibMenuField::CurrentSelection() const
{
    return Menu()->FindMarkedIndex();
}

bool LibMenuField::IsItemEnabled(const int32& index) const
{
    const BMenuItem* item = ItemAt(index);
    return item != nullptr && item->IsEnabled();
}

bool LibMenuField::IsItemEnabled(const char* label) const
{
    const BMenuItem* item = Menu()->FindItem(label);
    return item != nullptr && item->IsEnabled();
}

void LibMenuField::SetEnableItem(const int32& index, const bool& enabled)
{
    if (BMenuItem* item = ItemAt(index))
        item->SetEnabled(enabled);
}

void LibMenuField::SetEnableItem(const char* label, const bool& enabled)
{
    if (BMenuItem* item = Menu()->FindItem(label))
        item->SetEnabled(enabled);
}

bool LibMenuField::InMenu(const char* label) const
{
    return Menu()->FindItem(label) != nullptr;
}

bool LibMenuField::IsMarked(const char* label) const
{
    const BMenuItem* item = Menu()->FindItem(label);
    return item != nullptr && item->IsMarked();
}

void LibMenuField::SetMarked(const char* label, const bool& marked)
{
    if (BMenuItem* item = Menu()->FindItem(label))
        item->SetMarked(marked);
}

void LibMenuField::ToggleMarked(const char* label)
{
    if (BMenuItem* item = Menu()->FindItem(label))
        item->SetMarked(!item->IsMarked());
}

void LibMenuField::Replace(const char* oldLabel, const char* newLabel)
{
    if (BMenuItem* item = Menu()->FindItem(oldLabel))
        item->SetLabel(newLabel);
}

bool LibMenuField::SetTo(const BMessage& source, const char* field, const uint32& command)
{
    const char* text = nullptr;
    if (field == nullptr || source.FindString(field, 0, &text) != B_OK)
        return false;
    const std::string marked = Text();
    Clear();
    for (int32 i = 0; source.FindString(field, i, &text) == B_OK; ++i)
        Add(text, CommandMessage(command));
    SetText(marked.c_str());
    return true;
}
