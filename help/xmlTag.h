// xmlTag: one element of a help file as the xmlParser read it: its name,
// its own text (child elements excluded), where it stands in its parent's
// text, its child elements in document order and its attributes.
//
// A tag owns its children and attributes; copying a tag copies the whole
// subtree.
#pragma once

#include "xmlTagModifiers.h"

#include <LibString.h>
#include <LinkList.h>

class xmlTag {
public:
    xmlTag();
    xmlTag(const xmlTag& other);
    virtual ~xmlTag();

    xmlTag& operator=(const xmlTag& other);
    // Tags are equal when their names are (case-sensitive).
    bool operator==(const xmlTag& other) const;

    void SetName(const char* name);
    // Appends one character to the text. Blanks and tabs are dropped while
    // the text is still empty, so leading white space is never stored.
    void AddContent(const char& c);
    // Removes trailing white space from the text.
    void StripTrailingContent();
    // Appends a deep copy of child.
    void AddChild(const xmlTag& child);
    // Appends child and takes it over (no copy); a null child is ignored.
    void AdoptChild(xmlTag* child);
    // For a child: the length of the parent's text when the child began.
    void SetParentLocation(const long& at);
    // Empty name and text, location 0, no children, no attributes.
    void Clear();

    const LibString& Name() const { return fName; }
    const LibString& Contents() const { return fContents; }
    int32 ContentLength() const { return fContentLength; }
    int32 ParentLocation() const { return fParentLocation; }
    LinkList<xmlTag>& Children() { return fChildren; }
    const LinkList<xmlTag>& Children() const { return fChildren; }
    xmlTagModifiers& Modifiers() { return fModifiers; }
    const xmlTagModifiers& Modifiers() const { return fModifiers; }

    // Name, text, location, attributes and then every child, on standard
    // error.
    virtual void PrintToStream() const;

private:
    LibString fName;
    LibString fContents;
    // Length of fContents, kept here so that appending one character costs
    // no scan of the text; the buffer grows geometrically.
    int32 fContentLength;
    int32 fParentLocation;
    LinkList<xmlTag> fChildren;
    xmlTagModifiers fModifiers;
};
