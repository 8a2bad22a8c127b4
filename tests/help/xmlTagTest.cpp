// Tags copy their whole subtree and keep text the way help pages need it.
#include <xmlTag.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const LibString& text)
{
    const char* data = text;
    return data != nullptr ? data : "";
}

TEST(XmlTagTest, ContentDropsLeadingWhiteSpaceAndStripsTrailingBlanks)
{
    xmlTag tag;
    for (char c : std::string(" \t a b \t "))
        tag.AddContent(c);
    EXPECT_EQ(Text(tag.Contents()), "a b \t ");
    tag.StripTrailingContent();
    EXPECT_EQ(Text(tag.Contents()), "a b");
    EXPECT_EQ(tag.ContentLength(), 3);
    // Long texts grow in place without losing characters.
    std::string expected = "a b";
    for (int i = 0; i < 5000; i++) {
        tag.AddContent(static_cast<char>('a' + i % 26));
        expected += static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(Text(tag.Contents()), expected);
}

TEST(XmlTagTest, CopiesAreDeepAndIndependent)
{
    xmlTag grandchild;
    grandchild.SetName("B");
    grandchild.AddContent('x');
    xmlTag child;
    child.SetName("P");
    child.SetParentLocation(4);
    child.AddChild(grandchild);
    xmlTag page;
    page.SetName("PAGE");
    page.Modifiers().AddString("NAME", "intro");
    page.AddChild(child);

    xmlTag copy(page);
    page.Children().First()->SetName("changed");
    page.Children().First()->Children().First()->AddContent('y');
    page.Modifiers().MakeEmpty();

    ASSERT_EQ(copy.Children().Size(), 1);
    xmlTag* copiedChild = copy.Children().First();
    EXPECT_EQ(Text(copiedChild->Name()), "P");
    EXPECT_EQ(copiedChild->ParentLocation(), 4);
    EXPECT_EQ(Text(copiedChild->Children().First()->Contents()), "x");
    const char* name = nullptr;
    EXPECT_EQ(copy.Modifiers().FindString("NAME", &name), B_OK);

    xmlTag assigned;
    assigned = copy;
    EXPECT_EQ(assigned.Children().Size(), 1);
    EXPECT_TRUE(assigned == copy);

    assigned.Clear();
    EXPECT_EQ(Text(assigned.Name()), "");
    EXPECT_EQ(Text(assigned.Contents()), "");
    EXPECT_EQ(assigned.Children().Size(), 0);
    EXPECT_EQ(assigned.ParentLocation(), 0);
    EXPECT_TRUE(assigned.Modifiers().IsEmpty());
    EXPECT_FALSE(assigned == copy);
    // Clearing a copy leaves the original alone.
    EXPECT_EQ(copy.Children().Size(), 1);
}

} // namespace
