// LibStringList: a LinkList of LibStrings with text-based operations and
// transfer of its strings to and from a string field of a BMessage.
#pragma once

#include <LibString.h>
#include <LinkList.h>

class BMessage;

class LibStringList : public LinkList<LibString> {
public:
    LibStringList();
    LibStringList(const LibStringList& other);
    ~LibStringList() override;

    // Deep copy.
    LibStringList& operator=(const LibStringList& other);

    using LinkList<LibString>::InList;
    using LinkList<LibString>::Remove;

    // Appends a new LibString holding text (a null text as an empty one).
    bool Add(const char* text);
    // True if an element equals text (case-sensitive); the cursor stays on it.
    bool InList(const char* text);
    // The first element for which CompareSub(text, ignoreCase, count, 0)
    // is 0 (count -1: whole texts; n: the first n characters), or null.
    // The cursor stays on the element found.
    LibString* Find(const char* text, const bool& ignoreCase = false, const int& count = -1);
    // Removes the first element equal to text (case-sensitive).
    bool Remove(const char* text);

    // Appends every string of the named string field of message, index 0
    // upwards; existing elements stay. True if the field had any string.
    bool Append(const BMessage& message, const char* field);
    // Clears the list and fills it as Append, but only when the field has a
    // string at index 0; otherwise the list is left as it was (false).
    bool SetTo(const BMessage& message, const char* field);
    // Adds every element's text to message under field, in list order
    // (existing values of the field stay). True if all were added.
    bool GetFrom(BMessage& message, const char* field) const;

    // PrintToStream of every element, in order.
    void PrintToStream() const;
};
