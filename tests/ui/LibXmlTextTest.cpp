// Help pages rendered into the text a text view shows: line breaks,
// paragraph breaks and bold runs, compared as text and runs.
#include <LibXmlText.h>

#include <TestSupport.h>

#include <xmlParser.h>
#include <xmlTag.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Runs = std::vector<LibXmlText::Run>;

xmlTag Page(const char* text)
{
    xmlTag page;
    page.SetName("PAGE");
    for (const char* c = text; *c != '\0'; c++)
        page.AddContent(*c);
    return page;
}

void AddChild(xmlTag& page, const char* name, long at, const char* text = "")
{
    xmlTag child;
    child.SetName(name);
    for (const char* c = text; *c != '\0'; c++)
        child.AddContent(*c);
    child.SetParentLocation(at);
    page.AddChild(child);
}

std::string Render(const xmlTag& page, Runs* runs = nullptr)
{
    LibString text("stale");
    LibXmlText::Render(page, text, runs);
    return static_cast<const char*>(text);
}

TEST(LibXmlTextTest, LineAndParagraphBreaksGoWhereTheTagsStood)
{
    xmlTag page = Page("ab");
    AddChild(page, "BR", 1);
    AddChild(page, "P", 2);
    EXPECT_EQ(Render(page), "a\nb\n\n");
}

TEST(LibXmlTextTest, BoldTextIsInsertedAndRecordedAsARun)
{
    xmlTag page = Page("yz");
    AddChild(page, "B", 0, "x");
    Runs runs;
    EXPECT_EQ(Render(page, &runs), "xyz");
    EXPECT_EQ(runs, (Runs{{0, 1}}));
    // The page is left as it was: a second rendering is the same.
    EXPECT_EQ(Render(page, &runs), "xyz");
    EXPECT_EQ(page.Children().First()->ParentLocation(), 0);
}

TEST(LibXmlTextTest, PagesWithoutChildrenAndUnknownChildren)
{
    EXPECT_EQ(Render(Page("plain text")), "plain text");
    EXPECT_EQ(Render(Page("")), "");
    xmlTag page = Page("ab");
    AddChild(page, "I", 1, "left out");
    AddChild(page, "br", 1);
    AddChild(page, "B", 1, "");
    Runs runs{{9, 9}};
    EXPECT_EQ(Render(page, &runs), "ab");
    EXPECT_TRUE(runs.empty());
}

TEST(LibXmlTextTest, PageReadFromAHelpFile)
{
    ondelle::test::TempDir dir;
    ondelle::test::WriteFileBytes(dir / "page.help",
        "<PAGE NAME='p'>Hello <B>big <I>x</I></B> world<BR/>\nnext<P/>end <B>last</B>   <BR/>  </PAGE>\n");
    xmlParser parser((dir / "page.help").c_str());
    xmlTag page;
    ASSERT_TRUE(parser.FindTag("PAGE", page));
    Runs runs;
    // A child's own children are not part of the page ("x"). Reading strips
    // the page's trailing blanks, so children placed after them go at the
    // end of the text, the blank before "last" included.
    EXPECT_EQ(Render(page, &runs), "Hello big world\nnext\n\nendlast\n");
    EXPECT_EQ(runs, (Runs{{6, 3}, {25, 4}}));
}

} // namespace
