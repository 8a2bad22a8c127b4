#include "HelpContentList.h"

#include "HelpContentItem.h"

#include <InterfaceDefs.h>

HelpContentList::HelpContentList(BRect frame)
    :
    BListView(frame, "content_list", B_SINGLE_SELECTION_LIST, B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM)
{
}

HelpContentList::~HelpContentList()
{
    // The entries belong to this list, not to the list view.
    MakeEmpty();
}

void HelpContentList::AddEntry(std::unique_ptr<HelpContentItem> entry)
{
    if (!entry)
        return;
    if (HelpContentItem* super = entry->SuperItem()) {
        super->SetHasSubItems(true);
        super->SetExpanded(false);
    }
    fEntries.push_back(std::move(entry));
}

HelpContentItem* HelpContentList::EntryAt(int32 index) const
{
    if (index < 0 || index >= CountEntries())
        return nullptr;
    return fEntries[size_t(index)].get();
}

void HelpContentList::SetEntryExpanded(HelpContentItem* entry, bool expanded)
{
    if (entry == nullptr || !entry->HasSubItems() || entry->IsExpanded() == expanded)
        return;
    entry->SetExpanded(expanded);
    Relist();
}

void HelpContentList::Relist()
{
    const int32 selected = CurrentSelection();
    BListItem* keep = selected >= 0 ? ItemAt(selected) : nullptr;
    MakeEmpty();
    std::vector<BListItem*> visible;
    for (const auto& entry : fEntries) {
        if (entry->IsVisible())
            visible.push_back(entry.get());
    }
    AddList(visible);
    if (keep != nullptr && HasItem(keep))
        Select(IndexOf(keep));
}

void HelpContentList::MouseDown(BPoint where)
{
    const int32 index = IndexOf(where);
    auto* entry = dynamic_cast<HelpContentItem*>(ItemAt(index));
    if (entry != nullptr && entry->HasSubItems()) {
        const BRect frame = ItemFrame(index);
        if (where.x < frame.left + HelpContentItem::LatchRight(*entry)) {
            SetEntryExpanded(entry, !entry->IsExpanded());
            return;
        }
    }
    BListView::MouseDown(where);
}

void HelpContentList::KeyDown(const char* bytes, int32 numBytes)
{
    auto* entry = dynamic_cast<HelpContentItem*>(ItemAt(CurrentSelection()));
    if (entry != nullptr && numBytes == 1 && (bytes[0] == B_RIGHT_ARROW || bytes[0] == B_LEFT_ARROW)) {
        if (bytes[0] == B_RIGHT_ARROW) {
            SetEntryExpanded(entry, true);
        } else if (entry->HasSubItems() && entry->IsExpanded()) {
            SetEntryExpanded(entry, false);
        } else if (entry->SuperItem() != nullptr) {
            // Left on an entry that is closed or has nothing below it goes
            // up to its parent.
            Select(IndexOf(entry->SuperItem()));
            ScrollToSelection();
        }
        return;
    }
    BListView::KeyDown(bytes, numBytes);
}
