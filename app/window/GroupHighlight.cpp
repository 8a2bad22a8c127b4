#include "GroupHighlight.h"

#include "InstallListItem.h"

#include <ListView.h>
#include <Message.h>
#include <StringItem.h>

#include <memory>

bool GroupHighlight::Matches(BListView* items, const char* group)
{
    for (int32 i = 0; i < items->CountItems(); i++) {
        auto* item = static_cast<InstallListItem*>(items->ItemAt(i));
        if (item->InList(group) != items->IsItemSelected(i))
            return false;
    }
    return true;
}

void GroupHighlight::Follow(BListView* types, BListView* items)
{
    if (types == nullptr || items == nullptr)
        return;
    const int32 current = types->CurrentSelection();
    const auto name = [types](int32 index) { return static_cast<BStringItem*>(types->ItemAt(index))->Text(); };
    if (current >= 0 && Matches(items, name(current)))
        return;
    int32 match = -1;
    for (int32 i = 0; i < types->CountItems() && match < 0; i++) {
        if (Matches(items, name(i)))
            match = i;
    }
    if (match == current)
        return;
    std::unique_ptr<BMessage> held;
    if (types->SelectionMessage() != nullptr)
        held = std::make_unique<BMessage>(*types->SelectionMessage());
    types->SetSelectionMessage(nullptr);
    if (match >= 0)
        types->Select(match, false);
    else
        types->DeselectAll();
    types->SetSelectionMessage(held.release());
}
