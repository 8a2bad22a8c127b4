// BFont: description, standard fonts and measuring through the system's
// fonts.
#include <Font.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

TEST(Font, StandardFonts)
{
    EXPECT_EQ(be_plain_font->Size(), 10.0f);
    EXPECT_EQ(be_bold_font->Size(), 12.0f);
    EXPECT_EQ(be_fixed_font->Size(), 12.0f);
    EXPECT_EQ(be_bold_font->Face(), B_BOLD_FACE);
    EXPECT_EQ(be_plain_font->Face(), B_REGULAR_FACE);
    EXPECT_EQ(static_cast<const BFont*>(be_plain_font), static_cast<const BFont*>(be_plain_font));

    font_family family;
    font_style style;
    be_bold_font->GetFamilyAndStyle(&family, &style);
    EXPECT_GT(strlen(family), 0u);
    EXPECT_STREQ(style, "Bold");

    // A default font is a copy of the plain font.
    BFont font;
    EXPECT_TRUE(font == *be_plain_font);
    BFont bold(be_bold_font);
    EXPECT_TRUE(bold == *be_bold_font);
    EXPECT_FALSE(bold == font);

    // The fixed font gives every character the same advance.
    EXPECT_FLOAT_EQ(be_fixed_font->StringWidth("iiii"), be_fixed_font->StringWidth("WWWW"));
    EXPECT_GT(be_plain_font->StringWidth("WWWW"), be_plain_font->StringWidth("iiii"));
}

TEST(Font, Measuring)
{
    BFont font;
    font.SetSize(12);
    const float width = font.StringWidth("Installation folder");
    EXPECT_GT(width, 40.0f);
    EXPECT_LT(width, 400.0f);
    EXPECT_EQ(font.StringWidth(""), 0.0f);
    EXPECT_EQ(font.StringWidth(nullptr), 0.0f);
    EXPECT_EQ(font.StringWidth("abc", 0), 0.0f);
    EXPECT_FLOAT_EQ(font.StringWidth("Installation folder", 12), font.StringWidth("Installation"));
    // The length form stops at a NUL.
    EXPECT_FLOAT_EQ(font.StringWidth("ab\0cd", 5), font.StringWidth("ab"));

    BFont larger(font);
    larger.SetSize(24);
    EXPECT_GT(larger.StringWidth("Installation folder"), width * 1.5f);
    EXPECT_FLOAT_EQ(font.StringWidth("Installation folder"), width);  // the copy was changed, not font

    font_height height;
    font.GetHeight(&height);
    EXPECT_GT(height.ascent, 0.0f);
    EXPECT_GT(height.descent, 0.0f);
    EXPECT_GE(height.leading, 0.0f);
    EXPECT_LT(height.ascent + height.descent, 30.0f);

    const char* strings[] = {"a", "bb"};
    const int32 lengths[] = {1, 2};
    float widths[2] = {-1, -1};
    font.GetStringWidths(strings, lengths, 2, widths);
    EXPECT_FLOAT_EQ(widths[0], font.StringWidth("a"));
    EXPECT_FLOAT_EQ(widths[1], font.StringWidth("bb"));

    // UTF-8 text is measured as characters, not bytes.
    EXPECT_GT(font.StringWidth("\xC3\xA9"), 0.0f);
    EXPECT_LT(font.StringWidth("\xE2\x80\xA6"), font.StringWidth("....."));
}

TEST(Font, FamilyStyleAndFace)
{
    BFont font;
    EXPECT_EQ(font.SetFamilyAndStyle("No Such Family 123", "Bold"), B_NAME_NOT_FOUND);
    EXPECT_TRUE(font == *be_plain_font);

    EXPECT_EQ(font.SetFamilyAndStyle("Swis721 BT", "Bold Italic"), B_OK);
    EXPECT_EQ(font.Face(), B_BOLD_FACE | B_ITALIC_FACE);
    font_family family;
    font_style style;
    font.GetFamilyAndStyle(&family, &style);
    EXPECT_STREQ(family, "Swis721 BT");
    EXPECT_STREQ(style, "Bold Italic");
    EXPECT_GT(font.StringWidth("text"), 0.0f);

    EXPECT_EQ(font.SetFamilyAndStyle(nullptr, "Roman"), B_OK);
    EXPECT_EQ(font.Face(), B_REGULAR_FACE);
    font.GetFamilyAndStyle(&family, &style);
    EXPECT_STREQ(family, "Swis721 BT");

    font.SetFace(B_ITALIC_FACE);
    font.GetFamilyAndStyle(nullptr, &style);
    EXPECT_STREQ(style, "Italic");
    font.SetFace(0);
    EXPECT_EQ(font.Face(), B_REGULAR_FACE);

    EXPECT_EQ(font.SetFamilyAndFace("Courier10 BT", B_BOLD_FACE), B_OK);
    EXPECT_FLOAT_EQ(font.StringWidth("iii"), font.StringWidth("MMM"));

    font.SetSize(-5);
    EXPECT_EQ(font.Size(), 1.0f);
    font.SetSize(1e9f);
    EXPECT_EQ(font.Size(), 10000.0f);
}

TEST(Font, SharedFontFromSeveralThreads)
{
    const float expected = be_plain_font->StringWidth("/boot/home/Desktop");
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t, expected, &mismatches] {
            for (int i = 0; i < 200; i++) {
                if (be_plain_font->StringWidth("/boot/home/Desktop") != expected)
                    mismatches[t]++;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(count, 0);
}

TEST(Font, TruncationKeepsTheEndTheModeAsks)
{
    BFont font(be_plain_font);
    const std::string path = "/boot/home/config/settings/VeryLongApplicationName/preferences";
    const float full = font.StringWidth(path.c_str());
    ASSERT_GT(full, 0.0f);
    const float width = full / 2;
    const std::string ellipsis = "\xE2\x80\xA6";

    std::string text = path;
    font.TruncateString(&text, B_TRUNCATE_BEGINNING, width);
    EXPECT_LE(font.StringWidth(text.c_str()), width);
    EXPECT_EQ(text.rfind(ellipsis, 0), 0u) << text;
    EXPECT_EQ(path.substr(path.size() - 6), text.substr(text.size() - 6)) << text;

    text = path;
    font.TruncateString(&text, B_TRUNCATE_END, width);
    EXPECT_LE(font.StringWidth(text.c_str()), width);
    EXPECT_EQ(text.substr(0, 6), path.substr(0, 6)) << text;
    EXPECT_EQ(text.substr(text.size() - 3), ellipsis) << text;

    for (uint32 mode : {uint32(B_TRUNCATE_MIDDLE), uint32(B_TRUNCATE_SMART)}) {
        text = path;
        font.TruncateString(&text, mode, width);
        EXPECT_LE(font.StringWidth(text.c_str()), width);
        EXPECT_EQ(text.substr(0, 4), path.substr(0, 4)) << text;
        EXPECT_EQ(text.substr(text.size() - 4), path.substr(path.size() - 4)) << text;
        EXPECT_NE(text.find(ellipsis), std::string::npos) << text;
    }

    // A text that fits is left alone, whatever the mode.
    text = path;
    font.TruncateString(&text, B_TRUNCATE_MIDDLE, full + 1);
    EXPECT_EQ(text, path);
}

TEST(Font, TruncatedStringsStayInsideTheCallersBuffers)
{
    BFont font(be_plain_font);
    // Dropping one character for the three-byte ellipsis makes the result
    // longer than the text: the buffers have room for that and no more.
    const char* texts[] = {"WWWWWW", "iiiiiiiiiiiiiiiiii", ""};
    std::vector<std::vector<char>> buffers;
    char* results[3];
    for (int i = 0; i < 3; ++i) {
        buffers.emplace_back(strlen(texts[i]) + 3 + 8, '#');
        results[i] = buffers.back().data();
    }
    const float width = font.StringWidth("WWWWW");
    font.GetTruncatedStrings(texts, 3, B_TRUNCATE_END, width, results);
    for (int i = 0; i < 3; ++i) {
        const size_t room = strlen(texts[i]) + 3;
        EXPECT_LT(strlen(results[i]), room) << i;
        EXPECT_LE(font.StringWidth(results[i]), width) << results[i];
        for (size_t j = room; j < buffers[i].size(); ++j)
            EXPECT_EQ(buffers[i][j], '#') << "byte " << j << " of result " << i;
    }
    EXPECT_STREQ(results[2], "");
}
