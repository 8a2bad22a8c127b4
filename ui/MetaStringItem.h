// MetaStringItem: a text list entry that carries a message of data for its
// user (the help window keeps each entry's page there).
#pragma once

#include <Message.h>
#include <StringItem.h>

class MetaStringItem : public BStringItem {
public:
    explicit MetaStringItem(const char* text);
    virtual ~MetaStringItem();

    BMessage meta;
};
