#include "LibStringList.h"

#include <Message.h>

LibStringList::LibStringList()
{
}

LibStringList::LibStringList(const LibStringList& other) : LinkList<LibString>(other)
{
}

LibStringList::~LibStringList()
{
}

LibStringList& LibStringList::operator=(const LibStringList& other)
{
    LinkList<LibString>::operator=(other);
    return *this;
}

bool LibStringList::Add(const char* text)
{
    LibString* item = new LibString(text != nullptr ? text : "");
    if (!Insert(item)) {
        delete item;
        return false;
    }
    return true;
}

bool LibStringList::InList(const char* text)
{
    const LibString item(text != nullptr ? text : "");
    return LinkList<LibString>::InList(&item);
}

LibString* LibStringList::Find(const char* text, const bool& ignoreCase, const int& count)
{
    for (LibString* item = First(); item != nullptr; item = Next()) {
        if (item->CompareSub(text, ignoreCase, count, 0) == 0)
            return item;
    }
    return nullptr;
}

bool LibStringList::Remove(const char* text)
{
    const LibString item(text != nullptr ? text : "");
    return LinkList<LibString>::Remove(&item, false);
}

bool LibStringList::Append(const BMessage& message, const char* field)
{
    if (field == nullptr)
        return false;
    bool found = false;
    const char* text = nullptr;
    for (int32 index = 0; message.FindString(field, index, &text) == B_OK; index++) {
        Add(text);
        found = true;
    }
    return found;
}

bool LibStringList::SetTo(const BMessage& message, const char* field)
{
    const char* text = nullptr;
    if (field == nullptr || message.FindString(field, 0, &text) != B_OK)
        return false;
    Clear();
    return Append(message, field);
}

bool LibStringList::GetFrom(BMessage& message, const char* field) const
{
    if (field == nullptr)
        return false;
    bool all = true;
    for (const ListNode<LibString>* node = OldestNode(); node != nullptr; node = node->Newer()) {
        const LibString* item = node->Item();
        const char* text = item != nullptr && static_cast<const char*>(*item) != nullptr
            ? static_cast<const char*>(*item) : "";
        if (message.AddString(field, text) != B_OK)
            all = false;
    }
    return all;
}

void LibStringList::PrintToStream() const
{
    for (const ListNode<LibString>* node = OldestNode(); node != nullptr; node = node->Newer()) {
        if (node->Item() != nullptr)
            node->Item()->PrintToStream();
    }
}
