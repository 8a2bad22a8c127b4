// The help file reader on damaged and hostile files: it must end with an
// error or a partial tree, never crash, hang or grow without bound.
#include "HelpFileFixture.h"

#include <algorithm>
#include <random>

namespace {

using XmlParserMalformedTest = HelpFileTest;

// Every element below tag, tag included.
int32 CountTags(const xmlTag& tag)
{
    int32 count = 1;
    for (const ListNode<xmlTag>* node = tag.Children().OldestNode(); node != nullptr; node = node->Newer())
        count += CountTags(*node->Item());
    return count;
}

int32 Depth(const xmlTag& tag)
{
    int32 deepest = 0;
    for (const ListNode<xmlTag>* node = tag.Children().OldestNode(); node != nullptr; node = node->Newer())
        deepest = std::max(deepest, Depth(*node->Item()));
    return deepest + 1;
}

TEST_F(XmlParserMalformedTest, EmptyFileFindsNothing)
{
    Load("");
    xmlTag tag;
    tag.SetName("stale");
    EXPECT_FALSE(fParser.FindTag("PAGE", tag));
    EXPECT_EQ(Text(tag.Name()), "");
    EXPECT_FALSE(fParser.LimitReached());
}

TEST_F(XmlParserMalformedTest, UnclosedElementsEndAtTheEndOfTheFile)
{
    Load("<PAGE NAME='p'>text <B>bold\nmore <P/>tail");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Text(page.Contents()), "text");
    ASSERT_EQ(page.Children().Size(), 1);
    xmlTag* bold = Child(page, 0);
    EXPECT_EQ(Text(bold->Contents()), "boldmore tail");
    ASSERT_EQ(bold->Children().Size(), 1);
    EXPECT_EQ(Text(Child(*bold, 0)->Name()), "P");
    EXPECT_EQ(Child(*bold, 0)->ParentLocation(), 9);
}

TEST_F(XmlParserMalformedTest, TagsSplitOverLines)
{
    // A child's name split over two lines, an attribute value across a
    // line end, and a closing tag whose slash starts the next line.
    Load("<PAGE NAME='a\nb'>x<B\nR/>y<\n/PAGE>after<PAGE NAME='next'>z</PAGE>");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "ab");
    EXPECT_EQ(Text(page.Contents()), "xy");
    ASSERT_EQ(page.Children().Size(), 1);
    EXPECT_EQ(Text(Child(page, 0)->Name()), "BR");
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_EQ(Attribute(page, "NAME"), "next");
    EXPECT_EQ(Text(page.Contents()), "z");
}

TEST_F(XmlParserMalformedTest, VeryLongNamesAndValuesAreCut)
{
    const std::string longName(5000, 'N');
    const std::string longValue(5000, 'v');
    Load("<" + longName + " " + longName + "='" + longValue + "' K=ok>inside</" + longName + ">");
    char name[xmlParser::kNameBufferSize];
    bool hasAttributes = false;
    ASSERT_TRUE(fParser.NextTag(name, hasAttributes));
    EXPECT_EQ(std::string(name), longName.substr(0, xmlParser::kMaxNameLength));
    ASSERT_TRUE(hasAttributes);
    xmlTag tag;
    fParser.AddModifiers(tag.Modifiers());
    const std::string cutName = longName.substr(0, xmlParser::kMaxModifierLength);
    EXPECT_EQ(Attribute(tag, cutName.c_str()), longValue.substr(0, xmlParser::kMaxModifierLength));
    EXPECT_EQ(Attribute(tag, "K"), "ok");

    // A search for the full name cannot match the cut one, and ends cleanly.
    fParser.Rewind();
    EXPECT_FALSE(fParser.FindTag(longName.c_str(), tag));
    fParser.Rewind();
    EXPECT_TRUE(fParser.FindTag(longName.substr(0, xmlParser::kMaxNameLength).c_str(), tag));
    EXPECT_EQ(Text(tag.Contents()), "inside");
}

TEST_F(XmlParserMalformedTest, AttributesPerTagAreBounded)
{
    std::string text = "<T";
    for (int i = 0; i < 1000; i++)
        text += " V='" + std::to_string(i) + "'";
    text += ">body</T>";
    Load(text);
    xmlTag tag;
    ASSERT_TRUE(fParser.FindTag("T", tag));
    EXPECT_EQ(Attribute(tag, "V", 0), "0");
    EXPECT_EQ(Attribute(tag, "V", xmlParser::kMaxModifierValues - 1),
        std::to_string(xmlParser::kMaxModifierValues - 1));
    EXPECT_EQ(Attribute(tag, "V", xmlParser::kMaxModifierValues), "<none>");
    EXPECT_EQ(Text(tag.Contents()), "body");
}

TEST_F(XmlParserMalformedTest, DeepNestingStopsAtTheDepthBoundWithAPartialTree)
{
    std::string text = "<PAGE>";
    for (int i = 0; i < 100000; i++)
        text += "<D>";
    Load(text);
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_TRUE(fParser.LimitReached());
    EXPECT_EQ(Depth(page), xmlParser::kMaxDepth + 1);
    // A copy of the partial tree is whole.
    xmlTag copy(page);
    EXPECT_EQ(Depth(copy), xmlParser::kMaxDepth + 1);
    // Rewinding clears the bound.
    fParser.Rewind();
    EXPECT_FALSE(fParser.LimitReached());
    EXPECT_TRUE(fParser.FindTag("D", page));
}

TEST_F(XmlParserMalformedTest, ElementCountIsBounded)
{
    std::string text = "<PAGE>";
    for (int i = 0; i < xmlParser::kMaxElements + 10; i++)
        text += "<P/>";
    Load(text);
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_TRUE(fParser.LimitReached());
    EXPECT_EQ(page.Children().Size(), xmlParser::kMaxElements);
}

TEST_F(XmlParserMalformedTest, InputSizeIsBounded)
{
    // One element whose text would run past the input bound.
    std::string text = "<PAGE>";
    text += std::string(xmlParser::kMaxInputBytes + 4096, 'a');
    Load(text);
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    EXPECT_TRUE(fParser.LimitReached());
    EXPECT_LE(page.Contents().Length(), xmlParser::kMaxInputBytes);
    EXPECT_FALSE(fParser.Advance());
}

TEST_F(XmlParserMalformedTest, StrayAngleBracketsAndEmptyNames)
{
    Load("<PAGE>a < b <> c</ >d</PAGE>");
    xmlTag page;
    ASSERT_TRUE(fParser.FindTag("PAGE", page));
    // "< b <> c</ >": the blank after '<' makes an empty name, passed over up
    // to the next real tag; "</ >" is a closing tag and ends the page.
    EXPECT_EQ(Text(page.Contents()), "a");
    EXPECT_EQ(page.Children().Size(), 0);
}

TEST_F(XmlParserMalformedTest, BinaryGarbageNeverCrashes)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    const char alphabet[] = "<>/='\" \t\nPBRAGE?!\r";
    for (int round = 0; round < 40; round++) {
        std::string data;
        const int length = 1 + (round * 977) % 20000;
        for (int i = 0; i < length; i++) {
            // Half the bytes from the tag language's own characters, so that
            // the garbage reaches deep into the reader.
            data += (byte(random) & 1) ? alphabet[byte(random) % (sizeof(alphabet) - 1)]
                                       : static_cast<char>(byte(random));
        }
        Load(data);
        for (const char* name : {"PAGE", "P", "B", "BR", "A"}) {
            fParser.Rewind();
            xmlTag tag;
            while (fParser.FindTag(name, tag)) {
                EXPECT_LE(Depth(tag), xmlParser::kMaxDepth + 1);
                EXPECT_LE(CountTags(tag), xmlParser::kMaxElements + 1);
                EXPECT_LE(tag.Contents().Length(), static_cast<int32>(data.size()));
                // No NUL from the file reaches a text.
                EXPECT_EQ(tag.Contents().Length(), tag.ContentLength());
            }
        }
    }
}

} // namespace
