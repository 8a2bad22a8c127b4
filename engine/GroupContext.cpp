#include "GroupContext.h"

#include <cstdio>

namespace {

const char*
Text(const LibString& string)
{
    const char* text = string;
    return text != nullptr ? text : "";
}

}  // namespace


GroupContext::GroupContext()
    :
    fName(""),
    fUid(0),
    fDescription("")
{
}


GroupContext::GroupContext(const char* name)
    :
    fName(name != nullptr ? name : ""),
    fUid(0),
    fDescription("")
{
}


GroupContext::GroupContext(const GroupContext& other)
    :
    fName(Text(other.fName)),
    fUid(other.fUid),
    fDescription(Text(other.fDescription))
{
}


GroupContext::~GroupContext()
{
}


GroupContext&
GroupContext::SetName(const char* name)
{
    fName = name != nullptr ? name : "";
    return *this;
}


GroupContext&
GroupContext::SetUid(const int32& uid)
{
    fUid = uid;
    return *this;
}


GroupContext&
GroupContext::SetDescription(const char* description)
{
    fDescription = description != nullptr ? description : "";
    return *this;
}


GroupContext&
GroupContext::operator=(const GroupContext& other)
{
    if (this != &other) {
        fName = Text(other.fName);
        fUid = other.fUid;
        fDescription = Text(other.fDescription);
    }
    return *this;
}


bool
GroupContext::operator==(const GroupContext& other) const
{
    return fName.Compare(other.fName, false) == 0;
}


void
GroupContext::PrintToStream() const
{
    fprintf(stderr, "GroupContext: %d) name %s, desc (%s)\n", (int)fUid, Text(fName),
        Text(fDescription));
}
