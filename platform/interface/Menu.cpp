#include <Menu.h>

#include <SeparatorItem.h>
#include <Window.h>

#include "MenuTracker.h"

#include <algorithm>
#include <cstring>

BMenu::BMenu(const char* name, menu_layout layout)
    : BView(BRect(0, 0, 0, 0), name, 0, B_WILL_DRAW),
      fLayout(layout),
      fEnabled(true),
      fRadioMode(false),
      fLabelFromMarked(false),
      fOwner(nullptr)
{
}

BMenu::~BMenu()
{
    RemoveItems(0, CountItems(), true);
}

bool BMenu::AddItem(BMenuItem* item)
{
    return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index)
{
    if (item == nullptr || item->fMenu != nullptr || index < 0 || index > CountItems())
        return false;
    fItems.insert(fItems.begin() + index, item);
    item->fMenu = this;
    ItemChanged();
    return true;
}

bool BMenu::AddSeparatorItem()
{
    return AddItem(new BSeparatorItem());
}

BMenuItem* BMenu::RemoveItem(int32 index)
{
    if (index < 0 || index >= CountItems())
        return nullptr;
    BMenuItem* item = fItems[size_t(index)];
    fItems.erase(fItems.begin() + index);
    item->fMenu = nullptr;
    ItemChanged();
    return item;
}

bool BMenu::RemoveItem(BMenuItem* item)
{
    const int32 index = IndexOf(item);
    return index >= 0 && RemoveItem(index) != nullptr;
}

bool BMenu::RemoveItems(int32 index, int32 count, bool deleteItems)
{
    if (index < 0 || count < 0 || index + count > CountItems())
        return false;
    for (int32 i = 0; i < count; ++i) {
        BMenuItem* item = RemoveItem(index);
        if (deleteItems)
            delete item;
    }
    return true;
}

BMenuItem* BMenu::ItemAt(int32 index) const
{
    if (index < 0 || index >= CountItems())
        return nullptr;
    return fItems[size_t(index)];
}

int32 BMenu::IndexOf(const BMenuItem* item) const
{
    auto found = std::find(fItems.begin(), fItems.end(), item);
    return found == fItems.end() ? -1 : int32(found - fItems.begin());
}

int32 BMenu::CountItems() const
{
    return int32(fItems.size());
}

BMenuItem* BMenu::FindItem(const char* label) const
{
    if (label == nullptr)
        return nullptr;
    for (BMenuItem* item : fItems) {
        if (std::strcmp(item->Label(), label) == 0)
            return item;
    }
    return nullptr;
}

BMenuItem* BMenu::FindItem(uint32 command) const
{
    for (BMenuItem* item : fItems) {
        if (item->Message() != nullptr && item->Message()->what == command)
            return item;
    }
    return nullptr;
}

BMenuItem* BMenu::FindMarked() const
{
    return ItemAt(FindMarkedIndex());
}

int32 BMenu::FindMarkedIndex() const
{
    for (size_t i = 0; i < fItems.size(); ++i) {
        if (fItems[i]->IsMarked())
            return int32(i);
    }
    return -1;
}

void BMenu::SetEnabled(bool enabled)
{
    if (fEnabled == enabled)
        return;
    fEnabled = enabled;
    ItemChanged();
}

void BMenu::SetRadioMode(bool on)
{
    fRadioMode = on;
}

void BMenu::SetLabelFromMarked(bool on)
{
    fLabelFromMarked = on;
    ItemChanged();
}

status_t BMenu::SetTargetForItems(BHandler* target)
{
    return SetTargetForItems(BMessenger(target));
}

status_t BMenu::SetTargetForItems(BMessenger messenger)
{
    status_t result = B_OK;
    for (BMenuItem* item : fItems) {
        const status_t status = item->SetTarget(messenger);
        if (status != B_OK)
            result = status;
    }
    return result;
}

BWindow* BMenu::OwnerWindow() const
{
    return fOwner != nullptr ? fOwner->Window() : nullptr;
}

BMenuItem* BMenu::Track(BPoint where)
{
    return BPrivate::track_menu(*this, where);
}

void BMenu::ItemChanged()
{
    if (fOwner != nullptr)
        fOwner->Invalidate();
}
