// The install groups of a configuration, in the order the configuration
// lists them. The list owns its groups.
#pragma once

#include <GroupContext.h>
#include <LinkList.h>

class BMessage;

class GroupContextList : public LinkList<GroupContext> {
public:
                        GroupContextList();
    virtual             ~GroupContextList();

    // Replaces the list with the groups of a "groups" message: one group per
    // "group_name" value, paired by index with "group_description" (empty
    // when that index has none). The uid of each group is its position.
    void                Read(const BMessage& groups);
    // Adds "group_name" and "group_description" for every group, in order,
    // so that the two fields stay paired by index.
    // Returns the first failure of the message, B_OK otherwise.
    status_t            Write(BMessage& groups) const;

    // The uid for a new group: the last position whose group does not carry
    // that position as its uid, or the group count when every group does
    // (which is always so for a list built by Read and Add).
    int32               NextUid() const;

    bool                HasGroup(const char* name);
    // Appends a group of that name unless one exists; true in both cases.
    bool                Add(const char* name);
    GroupContext*       FindContext(const int32& uid);
    void                RemoveContext(const int32& uid);

    void                PrintToStream();
};
