#include "MetaStringItem.h"

MetaStringItem::MetaStringItem(const char* text)
    :
    BStringItem(text, 0, true)
{
}

MetaStringItem::~MetaStringItem()
{
}
