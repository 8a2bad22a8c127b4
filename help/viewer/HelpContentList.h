// HelpContentList: the help window's table of contents, an outline list.
// It owns every entry in document order and shows those whose parents are
// all open. Clicking an entry's triangle, or Right and Left on the
// selected entry, opens and closes it.
#pragma once

#include <ListView.h>

#include <memory>
#include <vector>

class HelpContentItem;

class HelpContentList : public BListView {
public:
    explicit HelpContentList(BRect frame);
    virtual ~HelpContentList();

    // Appends entry (its parent, if any, was added before) and closes the
    // parent. Call Relist afterwards to show the changes.
    void AddEntry(std::unique_ptr<HelpContentItem> entry);
    // Every entry, closed ones included, in document order.
    int32 CountEntries() const { return int32(fEntries.size()); }
    HelpContentItem* EntryAt(int32 index) const;

    // Opens or closes entry and shows the result; the selection stays on
    // its entry while that is visible.
    void SetEntryExpanded(HelpContentItem* entry, bool expanded);
    // Puts every visible entry into the list, keeping the selection.
    void Relist();

    void MouseDown(BPoint where) override;
    void KeyDown(const char* bytes, int32 numBytes) override;

private:
    std::vector<std::unique_ptr<HelpContentItem>> fEntries;
};
