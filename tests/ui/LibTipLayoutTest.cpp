// Tool-tip geometry: wrapping and size for a fixed width, and placement that
// keeps the tip on the pointer's screen and off the pointer.
#include <LibTipLayout.h>

#include <Font.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Every character 6 pixels wide: a 150-pixel line holds 25 characters.
const LibTipLayout::Measure kSixPixels = [](const char*, int32 length) { return 6.0f * length; };

TEST(LibTipLayoutTest, WrapsAtWordsLineFeedsAndInsideOverlongWords)
{
    EXPECT_EQ(LibTipLayout::CountLines("", 150, kSixPixels), 1);
    EXPECT_EQ(LibTipLayout::CountLines("short", 150, kSixPixels), 1);
    // Exactly 25 characters still fit.
    EXPECT_EQ(LibTipLayout::CountLines(std::string(25, 'x').c_str(), 150, kSixPixels), 1);
    // Three 20-character words: no two fit on one line.
    const std::string three = std::string(20, 'a') + " " + std::string(20, 'b') + " " + std::string(20, 'c');
    EXPECT_EQ(LibTipLayout::CountLines(three.c_str(), 150, kSixPixels), 3);
    // Blanks at a break do not make lines of their own.
    EXPECT_EQ(LibTipLayout::CountLines("aaaaaaaaaa bbbbbbbbbb        cccccccccc", 150, kSixPixels), 2);
    EXPECT_EQ(LibTipLayout::CountLines("a\nb", 150, kSixPixels), 2);
    EXPECT_EQ(LibTipLayout::CountLines("a\n", 150, kSixPixels), 2);
    // A 60-character word is cut into 25 + 25 + 10.
    EXPECT_EQ(LibTipLayout::CountLines(std::string(60, 'w').c_str(), 150, kSixPixels), 3);
    // A width narrower than one character still makes progress.
    EXPECT_EQ(LibTipLayout::CountLines("abc", 2, kSixPixels), 3);
    EXPECT_EQ(LibTipLayout::CountLines(nullptr, 150, kSixPixels), 1);
}

TEST(LibTipLayoutTest, WindowSizeForFixedWidthAndSingleLine)
{
    const std::string three = std::string(20, 'a') + " " + std::string(20, 'b') + " " + std::string(20, 'c');
    EXPECT_EQ(LibTipLayout::WindowSize(three.c_str(), 150, 12, kSixPixels), BPoint(153, 3 * 12 + 2));
    EXPECT_EQ(LibTipLayout::WindowSize("Change destination folder", 0, 12, kSixPixels), BPoint(25 * 6 + 3, 13));
    EXPECT_EQ(LibTipLayout::WindowSize("x", -5, 12, kSixPixels), BPoint(9, 13));

    // With a real font: one line is 13 high whatever the font's height.
    BFont font(be_plain_font);
    font.SetSize(10);
    const BPoint single = LibTipLayout::WindowSize("Change destination folder", 0, font);
    EXPECT_EQ(single.y, 13);
    EXPECT_GT(single.x, 3 + font.StringWidth("Change"));
    const BPoint wrapped = LibTipLayout::WindowSize(three.c_str(), 150, font);
    EXPECT_EQ(wrapped.x, 153);
    EXPECT_GT(wrapped.y, 2);
}

TEST(LibTipLayoutTest, PlacementKeepsOffThePointer)
{
    const BRect screen(0, 0, 1023, 767);
    const BPoint size(100, 13);
    // Clear of the pointer: placed as asked.
    EXPECT_EQ(LibTipLayout::Place(BPoint(520, 301), size, screen, BPoint(500, 300)), BPoint(520, 301));
    // Over the pointer: moved below the pointer's image.
    EXPECT_EQ(LibTipLayout::Place(BPoint(495, 295), size, screen, BPoint(500, 300)), BPoint(495, 320));
    // Over the pointer at the bottom of the screen: above it instead.
    EXPECT_EQ(LibTipLayout::Place(BPoint(490, 755), size, screen, BPoint(500, 760)), BPoint(490, 743));
    // A tall tip that covers the pointer above and below goes beside it.
    const BPoint tall(100, 760);
    const BPoint beside = LibTipLayout::Place(BPoint(450, 0), tall, screen, BPoint(500, 300));
    EXPECT_EQ(beside, BPoint(520, 0));
}

TEST(LibTipLayoutTest, PlacementStaysOnThePointersScreen)
{
    const BPoint size(100, 13);
    const BRect left(0, 0, 1023, 767);
    // Past the right and bottom edges: pulled back in.
    EXPECT_EQ(LibTipLayout::Place(BPoint(1000, 760), size, left, BPoint(10, 10)), BPoint(923, 754));
    // Past the top-left corner.
    EXPECT_EQ(LibTipLayout::Place(BPoint(-50, -20), size, left, BPoint(600, 600)), BPoint(0, 0));
    // A second screen to the right: the tip goes onto the pointer's screen.
    const BRect right(1024, 0, 2047, 767);
    EXPECT_EQ(LibTipLayout::Place(BPoint(900, 10), size, right, BPoint(1500, 400)), BPoint(1024, 10));
    // Larger than the screen: its corner stays on the screen.
    const BPoint huge(3000, 13);
    EXPECT_EQ(LibTipLayout::Place(BPoint(1200, 10), huge, right, BPoint(1500, 400)).x, 1024);
}

} // namespace
