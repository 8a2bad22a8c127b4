// LinkList: order, cursor rules during removal, positioning, searches,
// deep copies and ownership of the elements.
#include <LibString.h>
#include <LinkList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An element that counts how many of its kind are alive.
class Tracked {
public:
    static int sAlive;

    Tracked() : fValue(0) { sAlive++; }
    explicit Tracked(int value) : fValue(value) { sAlive++; }
    Tracked(const Tracked& other) : fValue(other.fValue) { sAlive++; }
    Tracked& operator=(const Tracked& other) = default;
    virtual ~Tracked() { sAlive--; }

    bool operator==(const Tracked& other) const { return fValue == other.fValue; }
    int Value() const { return fValue; }

private:
    int fValue;
};

int Tracked::sAlive = 0;

class LinkListTest : public testing::Test {
protected:
    void SetUp() override { Tracked::sAlive = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::sAlive, 0) << "elements leaked or freed twice"; }

    static void Fill(LinkList<Tracked>& list, std::initializer_list<int> values)
    {
        for (int value : values)
            ASSERT_TRUE(list.Insert(new Tracked(value)));
    }

    static std::vector<int> Values(LinkList<Tracked>& list)
    {
        std::vector<int> values;
        for (Tracked* item = list.First(); item != nullptr; item = list.Next())
            values.push_back(item->Value());
        return values;
    }
};

using Ints = std::vector<int>;

} // namespace

TEST_F(LinkListTest, EmptyList)
{
    LinkList<Tracked> list;
    EXPECT_EQ(list.CursorIndex(), -1);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Size(), 0);
    EXPECT_FALSE(list.Remove());
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Position(int32(0)), nullptr);
    EXPECT_EQ(list.Get(int32(3)), nullptr);
    Tracked probe(1);
    EXPECT_FALSE(list.InList(&probe));
    EXPECT_EQ(list.CursorIndex(), -1);
}

TEST_F(LinkListTest, InsertionOrderAndRemovalDuringIteration)
{
    LinkList<Tracked> list;
    Fill(list, {1, 2, 3});
    EXPECT_EQ(Values(list), (Ints{1, 2, 3}));

    // Removing the middle element while iterating: Next continues with the
    // element after it.
    std::vector<int> seen;
    for (Tracked* item = list.First(); item != nullptr; item = list.Next()) {
        seen.push_back(item->Value());
        if (item->Value() == 2) {
            EXPECT_TRUE(list.Remove());
            EXPECT_EQ(list.CursorIndex(), 0);
            EXPECT_EQ(list.Current()->Value(), 1);
        }
    }
    EXPECT_EQ(seen, (Ints{1, 2, 3}));
    EXPECT_EQ(Values(list), (Ints{1, 3}));
    EXPECT_EQ(Tracked::sAlive, 2);

    // Removing the first: the cursor stands on the new first element.
    ASSERT_NE(list.First(), nullptr);
    EXPECT_TRUE(list.Remove());
    EXPECT_EQ(list.CursorIndex(), 0);
    ASSERT_NE(list.Current(), nullptr);
    EXPECT_EQ(list.Current()->Value(), 3);
    EXPECT_EQ(list.Size(), 1);

    // Removing the last and only one.
    EXPECT_TRUE(list.Remove());
    EXPECT_EQ(list.Size(), 0);
    EXPECT_FALSE(list.Remove());
    EXPECT_EQ(list.First(), nullptr);

    // The list is usable again and its ends are right.
    Fill(list, {7, 8});
    EXPECT_EQ(Values(list), (Ints{7, 8}));
    EXPECT_EQ(list.NewestNode()->Item()->Value(), 8);
    EXPECT_EQ(list.NewestNode()->Older()->Item()->Value(), 7);
}

TEST_F(LinkListTest, RemovingTheLastWhileIterating)
{
    LinkList<Tracked> list;
    Fill(list, {1, 2, 3});
    list.Position(int32(2));
    EXPECT_TRUE(list.Remove());
    EXPECT_EQ(list.Current()->Value(), 2);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_FALSE(list.Remove());  // past the end
    EXPECT_TRUE(list.Insert(new Tracked(4)));
    EXPECT_EQ(Values(list), (Ints{1, 2, 4}));

    // Removing every element in a loop.
    for (Tracked* item = list.First(); item != nullptr;) {
        list.Remove();
        item = list.Current();
    }
    EXPECT_EQ(list.Size(), 0);
    EXPECT_EQ(Tracked::sAlive, 0);
}

TEST_F(LinkListTest, ClearDeletesEverything)
{
    LinkList<Tracked> list;
    Fill(list, {1, 2, 3, 4});
    EXPECT_EQ(Tracked::sAlive, 4);
    list.Clear();
    EXPECT_EQ(list.Size(), 0);
    EXPECT_EQ(Tracked::sAlive, 0);
    EXPECT_EQ(list.First(), nullptr);

    // Null elements are allowed and skipped when deleting.
    EXPECT_TRUE(list.Insert(nullptr));
    Fill(list, {5});
    EXPECT_EQ(list.Size(), 2);
    EXPECT_EQ(list.Get(int32(0)), nullptr);
}

TEST_F(LinkListTest, PositionClampsAndWalks)
{
    LinkList<Tracked> list;
    Fill(list, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(list.Position(int32(-5))->Item()->Value(), 0);
    EXPECT_EQ(list.CursorIndex(), 0);
    EXPECT_EQ(list.Position(int32(99))->Item()->Value(), 9);
    EXPECT_EQ(list.CursorIndex(), 9);
    // Every target from every start (near the cursor, from either end).
    for (int32 from = 0; from < 10; from++) {
        for (int32 to = 0; to < 10; to++) {
            list.Position(from);
            ListNode<Tracked>* node = list.Position(to);
            ASSERT_NE(node, nullptr);
            EXPECT_EQ(node->Item()->Value(), to) << from << " -> " << to;
            EXPECT_EQ(list.CursorIndex(), to);
        }
    }
    // From a cursor that fell off the end.
    list.Position(int32(9));
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Get(int32(7))->Value(), 7);
    EXPECT_EQ(list.Next()->Value(), 8);
}

TEST_F(LinkListTest, SearchesMoveTheCursor)
{
    LinkList<Tracked> list;
    Fill(list, {4, 5, 6, 5});
    Tracked five(5);
    Tracked seven(7);

    EXPECT_TRUE(list.InList(&five));
    EXPECT_EQ(list.CursorIndex(), 1);
    Tracked* found = list.Get(&five);
    ASSERT_NE(found, nullptr);
    EXPECT_NE(found, &five);  // the list's own element
    EXPECT_EQ(list.Position(&five), 1);

    // FindNext goes on from the cursor (the element under it included).
    list.Next();
    ListNode<Tracked>* node = list.FindNext(&five);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(list.CursorIndex(), 3);
    EXPECT_EQ(list.FindNext(&five), node);

    EXPECT_FALSE(list.InList(&seven));
    EXPECT_EQ(list.CursorIndex(), -1);
    EXPECT_EQ(list.Get(&seven), nullptr);
    EXPECT_EQ(list.Position(&seven), -1);
    list.Position(int32(2));
    EXPECT_EQ(list.Position(static_cast<Tracked*>(nullptr)), 2);
}

TEST_F(LinkListTest, RemoveEqualElements)
{
    LinkList<Tracked> list;
    Fill(list, {5, 5, 1, 5, 2, 5, 5});
    Tracked five(5);
    EXPECT_TRUE(list.Remove(&five, false));
    EXPECT_EQ(Values(list), (Ints{5, 1, 5, 2, 5, 5}));
    EXPECT_TRUE(list.Remove(&five, true));
    EXPECT_EQ(Values(list), (Ints{1, 2}));
    EXPECT_FALSE(list.Remove(&five, true));
    EXPECT_EQ(Tracked::sAlive, 3);
}

TEST_F(LinkListTest, DeepCopies)
{
    LinkList<Tracked> source;
    Fill(source, {1, 2, 3});
    source.Position(int32(1));

    LinkList<Tracked> target;
    Fill(target, {9});
    EXPECT_EQ(target.Copy(source), 3);
    EXPECT_EQ(Values(target), (Ints{1, 2, 3}));
    EXPECT_EQ(Tracked::sAlive, 6);
    EXPECT_EQ(source.CursorIndex(), 1);  // copying does not move the source
    EXPECT_NE(target.Get(int32(0)), source.Get(int32(0)));

    EXPECT_EQ(target.Insert(source), 3);
    EXPECT_EQ(Values(target), (Ints{1, 2, 3, 1, 2, 3}));

    // Appending a list to itself copies its elements once.
    EXPECT_EQ(source.Insert(source), 3);
    EXPECT_EQ(Values(source), (Ints{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(source.Copy(source), 6);

    LinkList<Tracked> assigned;
    assigned = source;
    const LinkList<Tracked>& same = assigned;
    assigned = same;  // self-assignment
    EXPECT_EQ(assigned.Size(), 6);
    LinkList<Tracked> constructed(assigned);
    EXPECT_EQ(Values(constructed), (Ints{1, 2, 3, 1, 2, 3}));
}

TEST(LinkListStrings, CompareTexts)
{
    LinkList<LibString> list;
    list.Insert(new LibString("alpha"));
    list.Insert(new LibString("Beta"));
    list.Insert(new LibString("beta"));
    list.Insert(new LibString("beta"));
    LibString beta("beta");
    EXPECT_TRUE(list.InList(&beta));
    EXPECT_EQ(list.CursorIndex(), 2);
    EXPECT_TRUE(list.Remove(&beta, true));
    EXPECT_EQ(list.Size(), 2);
    LibString upper("Beta");
    EXPECT_TRUE(list.InList(&upper));

    LinkList<LibString> copy;
    copy = list;
    EXPECT_EQ(copy.Size(), 2);
    EXPECT_STREQ(static_cast<const char*>(*copy.Get(int32(1))), "Beta");
}
