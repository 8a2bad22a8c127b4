// The help file reader on files written the way the help files are.
#include "HelpFileFixture.h"

#include <TypeConstants.h>

#include <stdio.h>

namespace {

using XmlParserTest = HelpFileTest;

TEST_F(XmlParserTest, ReadsAPageWithTextChildrenAndAttributes)
{
    Load("<?xml VERSION='1.0'>\n"
         "<! a comment about the file>\n"
         "<HELP>\n"
         "<PAGE NAME=\"intro\" KIND=plain>\n"
         "\tFirst line<BR/>second <B>bold part</B> after<P/>last   \n"
         "</PAGE>\n"
         "</HELP>\n");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Text(page.Name()), "PAGE");
    EXPECT_EQ(Attribute(page, "NAME"), "intro");
    EXPECT_EQ(Attribute(page, "KIND"), "plain");
    // Leading tab dropped, trailing blanks stripped, inner blanks kept; the
    // bold text belongs to the child only.
    EXPECT_EQ(Text(page.Contents()), "First linesecond  afterlast");
    ASSERT_EQ(page.Children().Size(), 3);
    EXPECT_EQ(Text(Child(page, 0)->Name()), "BR");
    EXPECT_EQ(Child(page, 0)->ParentLocation(), 10);
    EXPECT_EQ(Text(Child(page, 1)->Name()), "B");
    EXPECT_EQ(Text(Child(page, 1)->Contents()), "bold part");
    EXPECT_EQ(Child(page, 1)->ParentLocation(), 17);
    EXPECT_EQ(Text(Child(page, 2)->Name()), "P");
    EXPECT_EQ(Text(Child(page, 2)->Contents()), "");
    EXPECT_EQ(Child(page, 2)->ParentLocation(), 23);
    EXPECT_EQ(page.ParentLocation(), 0);
}

TEST_F(XmlParserTest, NestedEntriesAndRepeatedAttributesInOrder)
{
    Load("<CONTENTS>\n"
         " <CONTENT PAGE='a' VIEW=\"Win/one\" VIEW=\"Win/two\">Top\n"
         "   <CONTENT PAGE='b' VIEW='Win/three'>Inner</CONTENT>\n"
         " </CONTENT>\n"
         " <CONTENT PAGE='c'>Second</CONTENT>\n"
         "</CONTENTS>\n");
    xmlTag contents;
    ASSERT_TRUE(fParser.FindTag("CONTENTS", contents));
    ASSERT_EQ(contents.Children().Size(), 2);
    xmlTag* top = Child(contents, 0);
    EXPECT_EQ(Text(top->Contents()), "Top");
    EXPECT_EQ(Attribute(*top, "VIEW", 0), "Win/one");
    EXPECT_EQ(Attribute(*top, "VIEW", 1), "Win/two");
    EXPECT_EQ(Attribute(*top, "VIEW", 2), "<none>");
    ASSERT_EQ(top->Children().Size(), 1);
    EXPECT_EQ(Text(Child(*top, 0)->Contents()), "Inner");
    EXPECT_EQ(Attribute(*Child(*top, 0), "PAGE"), "b");
    EXPECT_EQ(Text(Child(contents, 1)->Contents()), "Second");
}

TEST_F(XmlParserTest, BlankBeforeSlashIsNotAnEmptyElement)
{
    Load("<PAGE NAME=x>one<BR />two</PAGE>three</X>");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    ASSERT_EQ(page.Children().Size(), 1);
    xmlTag* br = Child(page, 0);
    EXPECT_EQ(Text(br->Name()), "BR");
    // The BR element runs up to the next closing tag and takes "two".
    EXPECT_EQ(Text(br->Contents()), "two");
    EXPECT_EQ(Text(page.Contents()), "onethree");
}

TEST_F(XmlParserTest, TextOverSeveralLinesIsJoinedWithoutSeparator)
{
    Load("<PAGE>split\nword and\r\n more</PAGE>\n");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Text(page.Contents()), "splitword and more");
}

TEST_F(XmlParserTest, SearchStartsAtTheReadPositionUntilRewound)
{
    Load("<PAGE NAME='one'>1</PAGE>\n<PAGE NAME='two'>2</PAGE>\n");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "one");
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "two");
    EXPECT_FALSE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Text(page.Name()), "");
    EXPECT_EQ(page.Modifiers().CountNames(B_ANY_TYPE), 0);

    fParser.Rewind();
    EXPECT_EQ(fParser.Line(), 0);
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "one");
}

TEST_F(XmlParserTest, DeclarationAndCommentAreNeverFound)
{
    Load("<?xml VERSION='1.0'>\n<! note <here>\n<A>a</A>");
    char name[xmlParser::kNameBufferSize];
    bool hasAttributes = true;
    ASSERT_TRUE(fParser.NextTag(name, hasAttributes));
    // The comment ends at its first '>'; what follows is read as tags.
    EXPECT_STREQ(name, "here");
    EXPECT_FALSE(hasAttributes);
    ASSERT_TRUE(fParser.NextTag(name, hasAttributes));
    EXPECT_STREQ(name, "A");
    ASSERT_TRUE(fParser.NextTag(name, hasAttributes));
    EXPECT_STREQ(name, "/A");
    EXPECT_FALSE(fParser.NextTag(name, hasAttributes));
    EXPECT_STREQ(name, "");
}

TEST_F(XmlParserTest, LongLinesArriveInPiecesAndTagsAcrossPiecesAreFound)
{
    // The tag name straddles the end of the first 1023-character piece.
    std::string text(1020, 'x');
    text += "<PAGE NAME='far'>";
    text += std::string(3000, 'y');
    text += "</PAGE>\n";
    Load(text);
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "far");
    EXPECT_EQ(page.Contents().Length(), 3000);
    EXPECT_EQ(fParser.Line(), 4);
}

TEST_F(XmlParserTest, CharacterSupplyCountsLinesAndKeepsTheLookAhead)
{
    Load("ab\n\nc");
    ASSERT_TRUE(fParser.Advance());
    EXPECT_EQ(fParser.Current(), 'a');
    EXPECT_EQ(fParser.LookAhead(), 'b');
    ASSERT_TRUE(fParser.Advance());
    EXPECT_EQ(fParser.Current(), 'b');
    EXPECT_EQ(fParser.LookAhead(), '\0');
    // The empty line is passed over but counted.
    ASSERT_TRUE(fParser.Advance());
    EXPECT_EQ(fParser.Current(), 'c');
    EXPECT_EQ(fParser.Line(), 3);
    EXPECT_EQ(fParser.Position(), 0);
    EXPECT_FALSE(fParser.Advance());
    EXPECT_FALSE(fParser.Advance());
}

TEST_F(XmlParserTest, OpenCloseAndMissingFiles)
{
    xmlParser parser;
    EXPECT_FALSE(parser.IsValid());
    EXPECT_EQ(parser.Close(), 0);
    EXPECT_FALSE(parser.Open((fDir / "missing.help").c_str()));
    xmlTag tag;
    EXPECT_FALSE(parser.FindTag("PAGE", tag));
    EXPECT_FALSE(parser.Advance());
    parser.Rewind();

    ondelle::test::WriteFileBytes(fDir / "one.help", "<A>1</A>");
    ondelle::test::WriteFileBytes(fDir / "two.help", "<A>2</A>");
    xmlParser other((fDir / "one.help").c_str());
    ASSERT_TRUE(other.IsValid());
    ASSERT_TRUE(other.FindTag("A", tag));
    EXPECT_EQ(Text(tag.Contents()), "1");
    // Opening another file starts from its beginning.
    ASSERT_TRUE(other.Open((fDir / "two.help").c_str()));
    EXPECT_EQ(other.Line(), 0);
    ASSERT_TRUE(other.FindTag("A", tag));
    EXPECT_EQ(Text(tag.Contents()), "2");
    EXPECT_EQ(other.Close(), 0);
    EXPECT_FALSE(other.IsValid());
}

TEST_F(XmlParserTest, ReadsAStreamItWasGiven)
{
    static char text[] = "<A>from memory</A>";
    xmlParser parser;
    ASSERT_TRUE(parser.Open(fmemopen(text, sizeof(text) - 1, "r")));
    xmlTag tag;
    ASSERT_TRUE(parser.FindTag("A", tag));
    EXPECT_EQ(Text(tag.Contents()), "from memory");
    parser.Rewind();
    ASSERT_TRUE(parser.FindTag("A", tag));
    EXPECT_FALSE(parser.Open(static_cast<FILE*>(nullptr)));
}

TEST_F(XmlParserTest, AttributeForms)
{
    Load("<T a=\"x y\" b='q\"q' c=bare d=\"\" f=\"open>rest");
    char name[xmlParser::kNameBufferSize];
    bool hasAttributes = false;
    ASSERT_TRUE(fParser.NextTag(name, hasAttributes));
    ASSERT_TRUE(hasAttributes);
    xmlTagModifiers mods;
    fParser.AddModifiers(mods);
    xmlTag tag;
    tag.Modifiers() = mods;
    EXPECT_EQ(Attribute(tag, "a"), "x y");
    EXPECT_EQ(Attribute(tag, "b"), "q\"q");
    EXPECT_EQ(Attribute(tag, "c"), "bare");
    // An empty value stores nothing.
    EXPECT_EQ(Attribute(tag, "d"), "<none>");
    // A value still open at '>' is stored; the '>' ends the tag.
    EXPECT_EQ(Attribute(tag, "f"), "open");
    EXPECT_EQ(fParser.Current(), '>');
    EXPECT_FALSE(mods == mods);
}

} // namespace
