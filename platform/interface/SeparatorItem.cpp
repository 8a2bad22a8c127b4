#include <SeparatorItem.h>

BSeparatorItem::BSeparatorItem()
    : BMenuItem("", nullptr)
{
    BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem() = default;

void BSeparatorItem::SetEnabled(bool)
{
}

void BSeparatorItem::SetMarked(bool)
{
}
