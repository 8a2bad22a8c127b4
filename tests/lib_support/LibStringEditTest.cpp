// LibString: cutting at indices and characters, replacing, word removal,
// stripping, case changes and truncation to a pixel width.
#include <LibString.h>

#include <Font.h>
#include <Rect.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string Text(const LibString& s)
{
    const char* text = s;
    return text != nullptr ? text : "<null>";
}

template<typename Edit>
std::string Edited(const char* text, Edit edit)
{
    LibString s(text);
    edit(s);
    return Text(s);
}

} // namespace

TEST(LibStringCut, Indices)
{
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.FromIndex(2); }), "cdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.FromIndex(-1); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.FromIndex(6); }), "");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ToIndex(2); }), "abc");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ToIndex(-1); }), "");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ToIndex(-2); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ToIndex(6); }), "abcdef");

    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(1, 2); }), "adef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(3, 99); }), "abc");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(-1, 2); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(7, 9); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(2, -1); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.Remove(4, 1); }), "abcdef");  // reversed range
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.RemoveChar(0); }), "bcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.RemoveChar(6); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ShiftFrom(1, 4); }), "aef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ShiftFrom(4, 1); }), "abcdef");
    EXPECT_EQ(Edited("abcdef", [](LibString& s) { s.ShiftFrom(0, 60); }), "abcdef");

    LibString s("abcdef");
    EXPECT_EQ(Text(s.Extract(1, 3)), "bcd");
    EXPECT_EQ(s.Extract(1, 3).Capacity(), 4);
    EXPECT_EQ(Text(s.Extract(4, 40)), "ef");
    EXPECT_EQ(Text(s.Extract(-3, 0)), "a");
    EXPECT_EQ(Text(s.Extract(3, 2)), "");
    EXPECT_EQ(Text(s), "abcdef");

    // Cutting never grows or frees the buffer.
    LibString sized(int32(20));
    sized.Concat("abcdef");
    sized.ToIndex(1);
    EXPECT_EQ(sized.Capacity(), 21);
}

TEST(LibStringCut, ExtractBetweenDelimiters)
{
    LibString s("name (1.2) [x]");
    EXPECT_EQ(Text(s.Extract('(', ')', true)), "1.2");
    EXPECT_EQ(Text(s.Extract('(', ')', false)), "(1.2)");
    EXPECT_EQ(Text(s.Extract('{', '}', false)), "");
    EXPECT_EQ(Text(LibString("a(bc").Extract('(', ')', false)), "(bc");
    EXPECT_EQ(Text(LibString("a(bc").Extract('(', ')', true)), "bc");
    EXPECT_EQ(Text(LibString("\"quoted\" rest\"").Extract('"', '"', true)), "quoted");
    EXPECT_EQ(Text(LibString("()").Extract('(', ')', true)), "");
}

TEST(LibStringCut, AtCharacters)
{
    LibString s("a/b/c/d");
    EXPECT_TRUE(s.FromChar('/', 1, 0));
    EXPECT_EQ(Text(s), "/c/d");
    s = "a/b/c/d";
    EXPECT_FALSE(s.FromChar('/', 3, 0));
    EXPECT_EQ(Text(s), "a/b/c/d");
    EXPECT_FALSE(s.FromChar('/', -1, 0));

    EXPECT_TRUE(s.ToChar('/', 1, 0));
    EXPECT_EQ(Text(s), "a/b");
    s = "a/b/c/d";
    EXPECT_TRUE(s.ToChar('/', 1, 1));
    EXPECT_EQ(Text(s), "a/b/");
    s = "a/b/c/d";
    EXPECT_FALSE(s.ToChar('x', 0, 0));
    // A cut outside the text changes nothing.
    EXPECT_FALSE(s.ToChar('/', 0, -5));
    EXPECT_FALSE(s.ToChar('/', 2, 10));
    EXPECT_EQ(Text(s), "a/b/c/d");
    EXPECT_TRUE(s.ToChar('/', 2, 2));  // cut exactly at the end
    EXPECT_EQ(Text(s), "a/b/c/d");

    // The last-character search skips index 0.
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.FromLast('/', 1); }), "c");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.FromLast('/', 0); }), "/c");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.ToLast('/', 0); }), "a/b/");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.ToLast('/', -1); }), "a/b");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.FromLast('/', 9); }), "");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.FromLast('/', -9); }), "");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.ToLast('/', 1); }), "a/b/c");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.ToLast('/', -4); }), "");
    EXPECT_EQ(Edited("a/b/c", [](LibString& t) { t.ToLast('/', -5); }), "a/b/c");
    EXPECT_EQ(Edited("/abc", [](LibString& t) { t.FromLast('/', 1); }), "abc");  // k = 0
    EXPECT_EQ(Edited("/", [](LibString& t) { t.FromLast('/', 0); }), "/");
    EXPECT_EQ(Edited("", [](LibString& t) { t.FromLast('/', 0); }), "");
    EXPECT_EQ(Edited("", [](LibString& t) { t.ToLast('/', 0); }), "");
}

TEST(LibStringReplace, FirstAndAll)
{
    LibString s("abcb");
    EXPECT_EQ(s.Replace("b", "XY"), 1);
    EXPECT_EQ(Text(s), "aXYcb");
    EXPECT_EQ(s.ReplaceAll("b", "XY"), 1);
    EXPECT_EQ(Text(s), "aXYcXY");
    EXPECT_EQ(s.Replace("zz", "q"), -1);
    EXPECT_EQ(Text(s), "aXYcXY");
    EXPECT_EQ(s.Replace("", "q"), -1);
    EXPECT_EQ(s.ReplaceAll("", "q"), 0);

    // Occurrences that replacing creates are replaced, as searching again
    // from the start would.
    LibString merged("aab");
    EXPECT_EQ(merged.ReplaceAll("ab", "b"), 2);
    EXPECT_EQ(Text(merged), "b");

    // A replacement that holds the searched text ends.
    LibString growing("a-a");
    EXPECT_EQ(growing.ReplaceAll("a", "aa"), 2);
    EXPECT_EQ(Text(growing), "aa-aa");

    LibString path("/boot/home//config//settings");
    EXPECT_EQ(path.ReplaceAll("//", "/"), 2);
    EXPECT_EQ(Text(path), "/boot/home/config/settings");

    LibString chars("a b c");
    chars.ReplaceAll(' ', '_');
    EXPECT_EQ(Text(chars), "a_b_c");
    chars.SwapChar('_', '/');
    EXPECT_EQ(Text(chars), "a/b/c");

    EXPECT_EQ(Edited("a//b///c/", [](LibString& t) { t.RemoveRepeatingChar('/'); }), "a/b/c/");
}

TEST(LibStringReplace, RemoveWords)
{
    EXPECT_EQ(Edited("one two three", [](LibString& s) { s.RemoveWord("two"); }), "one three");
    EXPECT_EQ(Edited("one two three", [](LibString& s) { s.RemoveWord("three"); }), "one two");
    EXPECT_EQ(Edited("one two", [](LibString& s) { s.RemoveWord("one"); }), "two");
    EXPECT_EQ(Edited("one", [](LibString& s) { s.RemoveWord("one"); }), "");
    EXPECT_EQ(Edited("a  b", [](LibString& s) { s.RemoveWord("b"); }), "a ");
    EXPECT_EQ(Edited("twofold two", [](LibString& s) { s.RemoveWord("two"); }), "twofold");

    LibString s("x y x z x");
    EXPECT_FALSE(s.RemoveWord("X"));
    EXPECT_FALSE(s.RemoveWord(""));
    EXPECT_EQ(s.RemoveAllWords("x"), 3);
    EXPECT_EQ(Text(s), "y z");
}

TEST(LibStringEdit, StripAndCase)
{
    EXPECT_EQ(Edited("//a//", [](LibString& s) { s.StripLeadingChar('/'); }), "/a//");
    EXPECT_EQ(Edited("//a//", [](LibString& s) { s.StripTrailingChar('/'); }), "//a/");
    EXPECT_EQ(Edited("a", [](LibString& s) { s.StripTrailingChar('/'); }), "a");
    EXPECT_EQ(Edited(" \t a b \n", [](LibString& s) { s.StripLeadingSpaces(); }), "a b \n");
    EXPECT_EQ(Edited(" \t a b \n", [](LibString& s) { s.StripTrailingSpaces(); }), " \t a b");
    EXPECT_EQ(Edited("   ", [](LibString& s) { s.StripTrailingSpaces(); }), "");
    EXPECT_EQ(Edited("   ", [](LibString& s) { s.StripLeadingSpaces(); }), "");
    EXPECT_EQ(Edited(" a b\tc ", [](LibString& s) { s.StripAllSpaces(); }), "abc");
    EXPECT_EQ(Edited("my_file-v1.2 (new)!", [](LibString& s) { s.StripPunct(); }), "my_filev12 new");
    EXPECT_EQ(Edited("MiXeD 1", [](LibString& s) { s.ToLowerCase(); }), "mixed 1");
    EXPECT_EQ(Edited("MiXeD 1", [](LibString& s) { s.ToUpperCase(); }), "MIXED 1");
}

TEST(LibStringEdit, ProperCase)
{
    auto proper = [](const char* text) { return Edited(text, [](LibString& s) { s.ToProperCase(); }); };
    EXPECT_EQ(proper("the 'quoted' DOG's bone"), "The 'Quoted' Dog's Bone");
    EXPECT_EQ(proper("o'neil"), "O'neil");
    EXPECT_EQ(proper("j.r.r. tolkien"), "J.R.R. Tolkien");
    EXPECT_EQ(proper("tom&jerry"), "Tom&Jerry");
    EXPECT_EQ(proper("'tis"), "'Tis");
    EXPECT_EQ(proper("it is 's'"), "It Is 's'");
    EXPECT_EQ(proper(""), "");
}

TEST(LibStringTruncate, FitsMeasuredWidth)
{
    BFont font;
    font.SetSize(12);
    const char* longText = "/boot/home/Applications/Some Very Long Product Name/readme.txt";
    const float fullWidth = font.StringWidth(longText);
    ASSERT_GT(fullWidth, 100.0f) << "font measurement is not working";

    // A text that fits is left alone and its length returned.
    LibString fits("short");
    BRect bounds(5, 6, 7, 8);
    EXPECT_EQ(fits.Truncate(font, static_cast<int>(fullWidth) + 10, bounds), 5);
    EXPECT_EQ(Text(fits), "short");
    EXPECT_EQ(bounds, BRect(5, 6, 7, 8));

    // A text exactly as wide as the limit does not fit.
    LibString exact(longText);
    const int exactWidth = static_cast<int>(std::floor(fullWidth));
    EXPECT_GT(exact.Truncate(font, exactWidth, bounds), 0);
    EXPECT_TRUE(exact.EndsWith("..."));

    for (double share : {0.15, 0.5, 0.8, 0.97}) {
        const int width = static_cast<int>(fullWidth * share);
        LibString s(longText);
        BRect b(1, 2, 3, 4);
        const int32 removed = s.Truncate(font, width, b);
        const std::string result = Text(s);
        const int32 kept = static_cast<int32>(strlen(longText)) - removed;
        SCOPED_TRACE(width);
        ASSERT_TRUE(s.EndsWith("..."));
        EXPECT_EQ(result, std::string(longText, kept) + "...");
        EXPECT_LT(std::floor(font.StringWidth(result.c_str())), width);
        // One more character would not have fitted.
        if (kept + 1 < static_cast<int32>(strlen(longText))) {
            const std::string longer = std::string(longText, kept + 1) + "...";
            EXPECT_GE(std::floor(font.StringWidth(longer.c_str())), width);
        }
        EXPECT_EQ(b.left, 0);
        EXPECT_FLOAT_EQ(b.right, font.StringWidth(longText, kept));
        EXPECT_EQ(b.top, 2);
        EXPECT_EQ(b.bottom, 4);
    }
}

TEST(LibStringTruncate, ShortTextsAndTinyWidths)
{
    BFont font;
    BRect bounds;
    // Nothing fits: the prefix shrinks to one character.
    LibString s("abcdef");
    EXPECT_EQ(s.Truncate(font, 1, bounds), 5);
    EXPECT_EQ(Text(s), "a...");
    // A single character becomes "...".
    LibString one("W");
    EXPECT_EQ(one.Truncate(font, 1, bounds), 1);
    EXPECT_EQ(Text(one), "...");
    EXPECT_EQ(bounds.right, 0);
    LibString empty("");
    EXPECT_EQ(empty.Truncate(font, 0, bounds), 0);
    EXPECT_EQ(Text(empty), "");

    // A multi-byte character is kept whole.
    LibString accented("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");  // five "é"
    const int32 removed = accented.Truncate(font, 1, bounds);
    EXPECT_EQ(removed, 8);
    EXPECT_EQ(Text(accented), "\xC3\xA9...");
}

TEST(LibStringTruncate, AgreesWithOneCharacterAtATime)
{
    // The rule applied literally: drop one character at a time until the
    // prefix with "..." fits or one character is left.
    BFont font;
    auto reference = [&font](const std::string& text, int width) {
        auto fits = [&](const std::string& s) { return std::floor(font.StringWidth(s.c_str())) < width; };
        if (text.empty() || fits(text))
            return text;
        size_t kept = text.size() - 1;
        while (kept > 1 && !fits(text.substr(0, kept) + "..."))
            kept--;
        return text.size() == 1 ? std::string("...") : text.substr(0, kept) + "...";
    };
    for (const char* text : {"/boot/home/config/settings/Skylark Notes/preferences", "WiWiWiWi.....VAVAVA",
             "ab"}) {
        const int full = static_cast<int>(font.StringWidth(text)) + 2;
        for (int width = 0; width <= full; width += 3) {
            LibString s(text);
            BRect bounds;
            const int32 removed = s.Truncate(font, width, bounds);
            const std::string expected = reference(text, width);
            EXPECT_EQ(Text(s), expected) << "width " << width;
            if (expected != text) {
                EXPECT_EQ(removed, static_cast<int32>(strlen(text) - (expected.size() - 3)));
            }
        }
    }
}
