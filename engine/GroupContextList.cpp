#include "GroupContextList.h"

#include <Message.h>

GroupContextList::GroupContextList()
{
}


GroupContextList::~GroupContextList()
{
}


void
GroupContextList::Read(const BMessage& groups)
{
    Clear();

    const char* name = nullptr;
    for (int32 index = 0; groups.FindString("group_name", index, &name) == B_OK; index++) {
        const char* description = nullptr;
        if (groups.FindString("group_description", index, &description) != B_OK)
            description = "";

        GroupContext* group = new GroupContext(name);
        group->SetDescription(description);
        // The list was cleared and every group so far carries its position,
        // so NextUid() would give the count; taking it directly keeps reading
        // linear for long lists.
        group->SetUid(Size());
        Insert(group);
    }
}


status_t
GroupContextList::Write(BMessage& groups) const
{
    status_t result = B_OK;
    for (const ListNode<GroupContext>* node = OldestNode(); node != nullptr;
            node = node->Newer()) {
        const GroupContext* group = node->Item();
        if (group == nullptr)
            continue;
        const char* name = group->Name();
        const char* description = group->Description();
        status_t status = groups.AddString("group_name", name != nullptr ? name : "");
        if (status == B_OK) {
            status = groups.AddString("group_description",
                description != nullptr ? description : "");
        }
        if (status != B_OK && result == B_OK)
            result = status;
    }
    return result;
}


int32
GroupContextList::NextUid() const
{
    int32 result = Size();
    int32 position = 0;
    for (const ListNode<GroupContext>* node = OldestNode(); node != nullptr;
            node = node->Newer(), position++) {
        if (node->Item() != nullptr && node->Item()->Uid() != position)
            result = position;
    }
    return result;
}


bool
GroupContextList::HasGroup(const char* name)
{
    if (name == nullptr)
        return false;
    GroupContext probe(name);
    for (GroupContext* group = First(); group != nullptr; group = Next()) {
        if (*group == probe)
            return true;
    }
    return false;
}


bool
GroupContextList::Add(const char* name)
{
    if (name == nullptr)
        return false;
    if (!HasGroup(name)) {
        GroupContext* group = new GroupContext(name);
        group->SetUid(NextUid());
        Insert(group);
    }
    return true;
}


GroupContext*
GroupContextList::FindContext(const int32& uid)
{
    for (GroupContext* group = First(); group != nullptr; group = Next()) {
        if (group->Uid() == uid)
            return group;
    }
    return nullptr;
}


void
GroupContextList::RemoveContext(const int32& uid)
{
    if (FindContext(uid) != nullptr)
        Remove();
}


void
GroupContextList::PrintToStream()
{
    for (GroupContext* group = First(); group != nullptr; group = Next())
        group->PrintToStream();
}
