#include "xmlTag.h"

#include <cstdio>
#include <cstring>
#include <iostream>

xmlTag::xmlTag() : fContentLength(0), fParentLocation(0) {}

xmlTag::xmlTag(const xmlTag& other) : fContentLength(0), fParentLocation(0)
{
    *this = other;
}

xmlTag::~xmlTag() = default;

xmlTag& xmlTag::operator=(const xmlTag& other)
{
    if (&other == this)
        return *this;
    fName = other.fName;
    fContents = other.fContents;
    fContentLength = other.fContentLength;
    fParentLocation = other.fParentLocation;
    fChildren.Copy(other.fChildren);
    fModifiers = other.fModifiers;
    return *this;
}

bool xmlTag::operator==(const xmlTag& other) const
{
    return fName.Compare(other.fName) == 0;
}

void xmlTag::SetName(const char* name)
{
    fName = name != nullptr ? name : "";
}

void xmlTag::AddContent(const char& c)
{
    if (c == '\0')
        return;
    if (fContentLength == 0 && (c == ' ' || c == '\t'))
        return;
    if (fContentLength + 2 > fContents.Capacity()) {
        // Double the room, so that a long text costs amortised constant
        // time per character.
        const int32 room = fContentLength < 32 ? 64 : fContentLength * 2;
        LibString larger(room);
        char* target = larger;
        if (fContentLength > 0)
            memcpy(target, static_cast<const char*>(fContents), fContentLength);
        target[fContentLength] = '\0';
        fContents = larger;
    }
    char* text = fContents;
    text[fContentLength] = c;
    text[++fContentLength] = '\0';
}

void xmlTag::StripTrailingContent()
{
    fContents.StripTrailingSpaces();
    fContentLength = fContents.Length();
}

void xmlTag::AddChild(const xmlTag& child)
{
    AdoptChild(new xmlTag(child));
}

void xmlTag::AdoptChild(xmlTag* child)
{
    if (child != nullptr && !fChildren.Insert(child))
        delete child;
}

void xmlTag::SetParentLocation(const long& at)
{
    fParentLocation = static_cast<int32>(at);
}

void xmlTag::Clear()
{
    fName = "";
    fContents = "";
    fContentLength = 0;
    fParentLocation = 0;
    fChildren.Clear();
    fModifiers.MakeEmpty();
}

void xmlTag::PrintToStream() const
{
    const char* name = fName;
    const char* contents = fContents;
    fprintf(stderr, "xmlTag: <%s>\n", name != nullptr ? name : "");
    fprintf(stderr, "\tcontents <%s>\n", contents != nullptr ? contents : "");
    fprintf(stderr, "\tParent Local : %ld\n", static_cast<long>(fParentLocation));
    fflush(stderr);
    fModifiers.PrintToStream(std::cerr);
    std::cerr.flush();
    for (const ListNode<xmlTag>* node = fChildren.OldestNode(); node != nullptr; node = node->Newer()) {
        if (node->Item() != nullptr)
            node->Item()->PrintToStream();
    }
}
