#include "xmlTagModifiers.h"

xmlTagModifiers::xmlTagModifiers() : BMessage() {}

xmlTagModifiers::xmlTagModifiers(const xmlTagModifiers& other) : BMessage(other) {}

xmlTagModifiers::~xmlTagModifiers() = default;

xmlTagModifiers& xmlTagModifiers::operator=(const xmlTagModifiers& other)
{
    BMessage::operator=(other);
    return *this;
}

bool xmlTagModifiers::operator==(const xmlTagModifiers&) const
{
    return false;
}
