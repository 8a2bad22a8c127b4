// xmlTagModifiers: the attributes of one element of a help file, kept in a
// message. Each attribute is a string field named after the attribute; an
// attribute written several times in one tag has several values, in the
// order they were written.
#pragma once

#include <Message.h>

class xmlTagModifiers : public BMessage {
public:
    xmlTagModifiers();
    xmlTagModifiers(const xmlTagModifiers& other);
    ~xmlTagModifiers() override;

    xmlTagModifiers& operator=(const xmlTagModifiers& other);

    // Attribute sets are never compared by content: always false.
    bool operator==(const xmlTagModifiers& other) const;
};
