#include <gtest/gtest.h>

#include <GroupContextList.h>
#include <Message.h>

#include <string>

namespace {

BMessage
GroupsMessage(std::initializer_list<const char*> names,
    std::initializer_list<const char*> descriptions)
{
    BMessage groups;
    for (const char* name : names)
        groups.AddString("group_name", name);
    for (const char* description : descriptions)
        groups.AddString("group_description", description);
    return groups;
}

}  // namespace


TEST(GroupContextList, ReadPairsNamesAndDescriptionsByIndex)
{
    GroupContextList list;
    list.Add("stale");
    list.Read(GroupsMessage({"Typical", "Minimum", "Full"}, {"Most users", "Smallest"}));

    ASSERT_EQ(list.Size(), 3);
    GroupContext* group = list.Get(0);
    EXPECT_STREQ(group->Name(), "Typical");
    EXPECT_STREQ(group->Description(), "Most users");
    EXPECT_EQ(group->Uid(), 0);
    group = list.Get(1);
    EXPECT_STREQ(group->Name(), "Minimum");
    EXPECT_STREQ(group->Description(), "Smallest");
    EXPECT_EQ(group->Uid(), 1);
    // Fewer descriptions than names: the rest read as empty.
    group = list.Get(2);
    EXPECT_STREQ(group->Name(), "Full");
    EXPECT_STREQ(group->Description(), "");
    EXPECT_EQ(group->Uid(), 2);
    EXPECT_EQ(list.NextUid(), 3);
}


TEST(GroupContextList, ReadOfMissingOrMistypedNamesGivesNoGroups)
{
    GroupContextList list;
    list.Add("Typical");
    BMessage empty;
    list.Read(empty);
    EXPECT_EQ(list.Size(), 0);

    BMessage mistyped;
    mistyped.AddInt32("group_name", 5);
    list.Read(mistyped);
    EXPECT_EQ(list.Size(), 0);
}


TEST(GroupContextList, WriteKeepsNamesAndDescriptionsPaired)
{
    GroupContextList list;
    list.Add("Typical");
    list.Add("Minimum");
    list.FindContext(1)->SetDescription("Only the program");

    BMessage groups;
    ASSERT_EQ(list.Write(groups), B_OK);
    EXPECT_STREQ(groups.GetString("group_name", 0, nullptr), "Typical");
    EXPECT_STREQ(groups.GetString("group_description", 0, nullptr), "");
    EXPECT_STREQ(groups.GetString("group_name", 1, nullptr), "Minimum");
    EXPECT_STREQ(groups.GetString("group_description", 1, nullptr), "Only the program");

    GroupContextList again;
    again.Read(groups);
    ASSERT_EQ(again.Size(), 2);
    EXPECT_STREQ(again.Get(1)->Description(), "Only the program");

    // A field of another type makes writing fail visibly.
    BMessage clash;
    clash.AddInt32("group_name", 1);
    EXPECT_NE(list.Write(clash), B_OK);
}


TEST(GroupContextList, NextUidFillsTheLastGap)
{
    GroupContextList list;
    EXPECT_EQ(list.NextUid(), 0);

    list.Add("a");
    list.Add("b");
    list.Add("c");
    EXPECT_EQ(list.NextUid(), 3);

    // Removing the group at position 1 leaves uid 2 at position 1.
    list.RemoveContext(1);
    ASSERT_EQ(list.Size(), 2);
    EXPECT_EQ(list.NextUid(), 1);
    EXPECT_TRUE(list.Add("d"));
    EXPECT_STREQ(list.FindContext(1)->Name(), "d");
    EXPECT_STREQ(list.FindContext(2)->Name(), "c");

    // Uids 5, 9 at positions 0, 1: the last mismatching position wins.
    GroupContextList odd;
    odd.Insert(&(new GroupContext("x"))->SetUid(5));
    odd.Insert(&(new GroupContext("y"))->SetUid(9));
    EXPECT_EQ(odd.NextUid(), 1);
}


TEST(GroupContextList, NamesCompareCaseSensitively)
{
    GroupContextList list;
    EXPECT_TRUE(list.Add("Typical"));
    EXPECT_TRUE(list.Add("Typical"));
    EXPECT_EQ(list.Size(), 1);
    EXPECT_TRUE(list.HasGroup("Typical"));
    EXPECT_FALSE(list.HasGroup("typical"));
    EXPECT_TRUE(list.Add("typical"));
    EXPECT_EQ(list.Size(), 2);
    EXPECT_FALSE(list.HasGroup(nullptr));

    EXPECT_TRUE(GroupContext("A") == GroupContext("A"));
    EXPECT_FALSE(GroupContext("A") == GroupContext("a"));
}


TEST(GroupContextList, FindAndRemoveByUid)
{
    GroupContextList list;
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.FindContext(7), nullptr);
    list.RemoveContext(7);
    EXPECT_EQ(list.Size(), 2);
    list.RemoveContext(0);
    ASSERT_EQ(list.Size(), 1);
    EXPECT_STREQ(list.Get(0)->Name(), "b");
    // Position look-up clamps into range.
    EXPECT_STREQ(list.Get(-3)->Name(), "b");
    EXPECT_STREQ(list.Get(40)->Name(), "b");
}


TEST(GroupContext, CopyAssignAndPrint)
{
    GroupContext group("Typical");
    group.SetUid(4).SetDescription("Most users");
    GroupContext copy(group);
    EXPECT_EQ(copy.Uid(), 4);
    EXPECT_STREQ(copy.Description(), "Most users");

    GroupContext assigned;
    assigned = group;
    // Assigning an object to itself keeps its values (through a reference,
    // as it happens in real code).
    const GroupContext& same = assigned;
    assigned = same;
    EXPECT_STREQ(assigned.Name(), "Typical");
    EXPECT_EQ(assigned.Uid(), 4);

    testing::internal::CaptureStderr();
    group.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "GroupContext: 4) name Typical, desc (Most users)\n");
}
