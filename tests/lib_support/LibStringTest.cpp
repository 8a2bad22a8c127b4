// LibString: storage rules, comparison, search, wildcards, words, numbers.
#include <LibString.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstring>
#include <string>

namespace {

std::string Text(const LibString& s)
{
    const char* text = s;
    return text != nullptr ? text : "<null>";
}

} // namespace

TEST(LibStringStorage, ConstructionAndCapacity)
{
    LibString empty;
    EXPECT_EQ(Text(empty), "");
    EXPECT_EQ(empty.Capacity(), 1);

    LibString sized(int32(10));
    EXPECT_EQ(Text(sized), "");
    EXPECT_EQ(sized.Capacity(), 11);

    LibString text("abc");
    EXPECT_EQ(text.Capacity(), 4);

    LibString null(static_cast<const char*>(nullptr));
    EXPECT_EQ(static_cast<const char*>(null), nullptr);
    EXPECT_EQ(null.Capacity(), 0);
    EXPECT_EQ(null.Length(), 0);

    // A copy keeps the source's capacity and never shares its buffer.
    sized = "xy";
    LibString big(int32(50));
    big.Concat("hello");
    LibString copy(big);
    EXPECT_EQ(copy.Capacity(), 51);
    EXPECT_NE(static_cast<const char*>(copy), static_cast<const char*>(big));
    LibString assigned;
    assigned = big;
    EXPECT_EQ(assigned.Capacity(), 51);
    EXPECT_EQ(Text(assigned), "hello");
    const LibString& same = assigned;
    assigned = same;  // self-assignment
    EXPECT_EQ(Text(assigned), "hello");

    // Assigning a text reallocates exactly; a null text changes nothing.
    assigned = "ab";
    EXPECT_EQ(assigned.Capacity(), 3);
    assigned = static_cast<const char*>(nullptr);
    EXPECT_EQ(Text(assigned), "ab");

    // Assigning from inside the own buffer.
    LibString self("prefix/leaf");
    self = static_cast<const char*>(self) + 7;
    EXPECT_EQ(Text(self), "leaf");

    EXPECT_EQ(LibString("abc").PackSize(), 7);
}

TEST(LibStringStorage, ConcatGrowsExactlyWhenFull)
{
    LibString s(int32(5));  // capacity 6
    s.Concat("abc");
    EXPECT_EQ(s.Capacity(), 6);
    s.Concat("de");  // length 5 still fits capacity 6
    EXPECT_EQ(Text(s), "abcde");
    EXPECT_EQ(s.Capacity(), 6);
    s.Concat('f');  // length 6 reaches the capacity: exactly 7 bytes
    EXPECT_EQ(s.Capacity(), 7);
    s.Concat("");
    EXPECT_EQ(s.Capacity(), 7);  // 6 + 0 >= 7 is false: no reallocation
    s.Concat(static_cast<const char*>(s));  // appending itself
    EXPECT_EQ(Text(s), "abcdefabcdef");
    EXPECT_EQ(s.Capacity(), 13);

    // A cleared string takes text again.
    s.Clear();
    EXPECT_EQ(static_cast<const char*>(s), nullptr);
    EXPECT_EQ(s.Capacity(), 0);
    s.Concat("x");
    EXPECT_EQ(Text(s), "x");
    EXPECT_EQ(s.Capacity(), 2);

    LibString numbers("n=");
    numbers += int32(-42);
    numbers += " ";
    numbers += 1.5;
    EXPECT_EQ(Text(numbers), "n=-42 1.500000");

    s.SetBuffer(int32(-3));
    EXPECT_EQ(s.Capacity(), 1);
}

TEST(LibStringStorage, NumberAssignmentIgnoresLocale)
{
    LibString s;
    s = int32(-2147483647 - 1);
    EXPECT_EQ(Text(s), "-2147483648");
    s = 2.5f;
    EXPECT_EQ(Text(s), "2.500000");
    s = DBL_MAX;  // "%f" of the largest double is 316 characters
    EXPECT_EQ(s.Length(), 316);
    EXPECT_TRUE(s.EndsWith(".000000"));

    // A decimal comma locale must not leak into the texts.
    const char* previous = setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        s = 0.25;
        EXPECT_EQ(Text(s), "0.250000");
        double value = 0;
        EXPECT_TRUE(LibString("12.75").GetFloat64(value));
        EXPECT_DOUBLE_EQ(value, 12.75);
        setlocale(LC_NUMERIC, saved.c_str());
    }
}

TEST(LibStringStorage, FormattedIsLimitedTo511Characters)
{
    LibString s;
    s.Formatted("%s-%d", "item", 7);
    EXPECT_EQ(Text(s), "item-7");
    EXPECT_EQ(s.Capacity(), 7);

    const std::string longText(2000, 'x');
    s.Formatted("%s%s", longText.c_str(), "tail");
    EXPECT_EQ(s.Length(), 511);
    EXPECT_EQ(Text(s), std::string(511, 'x'));
}

TEST(LibStringStorage, ReadAppendsTheFileInPieces)
{
    ondelle::test::TempDir dir;
    const std::string path = (dir / "notes.txt").string();
    ondelle::test::WriteFileBytes(path, "first line\nsecond, longer line\nlast");

    LibString s("old:");
    EXPECT_TRUE(s.Read(path.c_str(), int32(4)));  // pieces of 3 bytes
    EXPECT_EQ(Text(s), "old:first line\nsecond, longer line\nlast");

    // Degenerate working sizes still read everything and end.
    LibString tiny;
    EXPECT_TRUE(tiny.Read(path.c_str(), int32(0)));
    EXPECT_EQ(Text(tiny), "first line\nsecond, longer line\nlast");

    LibString missing("kept");
    EXPECT_FALSE(missing.Read((dir / "absent").c_str(), int32(256)));
    EXPECT_EQ(Text(missing), "kept");
}

TEST(LibStringStorage, PrintToStream)
{
    LibString s(int32(9));
    s = "Disk";
    testing::internal::CaptureStderr();
    s.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LibString:: <Disk>, buffer 5\n");
}

TEST(LibStringInsert, PositionsAndAllocation)
{
    LibString s("abc");
    s.Insert(0, "X");
    EXPECT_EQ(Text(s), "aXbc");
    s = "abc";
    s.Insert(-1, "X");
    EXPECT_EQ(Text(s), "Xabc");
    s = "abc";
    s.Insert(5, "X");
    EXPECT_EQ(Text(s), "abcX");
    s = "abc";
    s.Insert(2, "X");
    EXPECT_EQ(Text(s), "abcX");
    s = "abc";
    s.Insert(-7, "X");
    EXPECT_EQ(Text(s), "Xabc");

    // On an empty string it is an assignment (exact capacity).
    LibString empty(int32(40));
    empty.Insert(3, "new");
    EXPECT_EQ(Text(empty), "new");
    EXPECT_EQ(empty.Capacity(), 4);

    LibString path(int32(40));
    path = "/boot/apps";
    path.PrePend("mnt");
    EXPECT_EQ(Text(path), "mnt/boot/apps");
    path.PrePend(static_cast<const char*>(path));
    EXPECT_EQ(Text(path), "mnt/boot/appsmnt/boot/apps");
}

TEST(LibStringCompare, OrderingAndCase)
{
    EXPECT_EQ(LibString("").Compare(""), 0);
    EXPECT_EQ(LibString("abc").Compare(""), 1);
    EXPECT_EQ(LibString("").Compare("a"), -1);
    EXPECT_EQ(LibString("ABC").Compare("abc", true), 0);
    EXPECT_NE(LibString("ABC").Compare("abc"), 0);
    EXPECT_EQ(LibString("ab").Compare("abc"), -1);
    EXPECT_EQ(LibString("abc").Compare("ab"), 1);
    EXPECT_EQ(LibString("b").Compare("a"), 1);
    EXPECT_EQ(LibString("abc").Compare(static_cast<const char*>(nullptr)), 1);
    // Signed bytes: a high byte orders before ASCII, but a prefix still first.
    EXPECT_EQ(LibString("\xC3").Compare("a"), -1);
    EXPECT_EQ(LibString("ab").Compare("ab\xC3"), -1);

    LibString null(static_cast<const char*>(nullptr));
    EXPECT_EQ(null.Compare(""), 0);
    EXPECT_TRUE(LibString("x") == "x");
    EXPECT_TRUE(LibString("x") == LibString("x"));
    EXPECT_FALSE(LibString("x") == LibString("X"));
}

TEST(LibStringCompare, CompareSub)
{
    LibString s("abcdef");
    EXPECT_EQ(s.CompareSub("abc", false, 3, 0), 0);
    EXPECT_NE(s.CompareSub("abc", false, -1, 0), 0);
    EXPECT_EQ(s.CompareSub("def", false, -1, 3), 0);
    EXPECT_EQ(s.CompareSub("DEF", true, -1, 3), 0);
    EXPECT_EQ(s.CompareSub("ABCx", true, 3, 0), 0);
    EXPECT_EQ(s.CompareSub("ABCx", true, 4, 0), -1);
    EXPECT_EQ(s.CompareSub("ABC", true, -1, 0), 1);
    EXPECT_GT(s.CompareSub("abb", false, -1, 0), 0);
    // Offsets outside the text do not read outside it.
    EXPECT_EQ(s.CompareSub("", false, -1, 99), 0);
    EXPECT_EQ(s.CompareSub("abcdef", false, -1, -4), 0);
}

TEST(LibStringSearch, PrefixSuffixContainIndex)
{
    LibString s("/boot/home/Desktop");
    EXPECT_TRUE(s.BeginsWith("/boot"));
    EXPECT_TRUE(s.BeginsWith("/BOOT", true));
    EXPECT_FALSE(s.BeginsWith("/BOOT"));
    EXPECT_FALSE(LibString("/b").BeginsWith("/boot"));
    EXPECT_TRUE(s.EndsWith("Desktop"));
    EXPECT_TRUE(s.EndsWith("desktop", true));
    EXPECT_FALSE(LibString("top").EndsWith("Desktop"));
    EXPECT_TRUE(s.Contain("home"));
    EXPECT_TRUE(s.Contain("HOME/d", true));
    EXPECT_TRUE(LibString("aab").Contain("AB", true));  // resumes after a partial match
    EXPECT_FALSE(s.Contain("house"));
    EXPECT_TRUE(s.Contain(""));
    EXPECT_TRUE(LibString("").Contain(""));
    EXPECT_TRUE(s.Contain('D'));
    EXPECT_FALSE(s.Contain('\0'));

    EXPECT_EQ(s.Index("home"), 6);
    EXPECT_EQ(s.Index("nothing"), -1);
    EXPECT_EQ(s.Index('/'), 0);
    EXPECT_EQ(s.Index('x'), -1);
    EXPECT_EQ(LibString("").Index('a'), -1);
    EXPECT_EQ(s.IndexOfAny("eo"), 2);
    EXPECT_EQ(s.IndexOfAny("xyz"), -1);
    EXPECT_EQ(s.IndexOfAny(""), -1);
    EXPECT_EQ(s.Count('o'), 4);

    EXPECT_TRUE(LibString("").IsBlank());
    EXPECT_TRUE(LibString(" \t\n").IsBlank());
    EXPECT_FALSE(LibString(" x ").IsBlank());
}

TEST(LibStringWildCard, Patterns)
{
    EXPECT_TRUE(LibString("file.zip").IsWildCard("*.zip"));
    EXPECT_FALSE(LibString("file.zipx").IsWildCard("*.zip"));
    EXPECT_TRUE(LibString("abc").IsWildCard("a?c"));
    EXPECT_FALSE(LibString("ac").IsWildCard("a?c"));
    EXPECT_TRUE(LibString("").IsWildCard("*"));
    EXPECT_TRUE(LibString("a").IsWildCard("**a"));
    EXPECT_TRUE(LibString("").IsWildCard(""));
    EXPECT_FALSE(LibString("a").IsWildCard(""));
    EXPECT_FALSE(LibString("").IsWildCard("?"));
    EXPECT_FALSE(LibString("").IsWildCard("*?"));
    EXPECT_TRUE(LibString("abc").IsWildCard("*?"));
    EXPECT_TRUE(LibString("abc").IsWildCard("abc*"));
    EXPECT_FALSE(LibString("Abc").IsWildCard("abc"));
    // Backtracking: the first "b" is not the one that matches.
    EXPECT_TRUE(LibString("abbbc").IsWildCard("a*bc"));
    EXPECT_TRUE(LibString("lib/libfoo.so.2").IsWildCard("*/lib*.so*"));
    EXPECT_FALSE(LibString("libfoo.so").IsWildCard("*/lib*.so*"));
    // A "?" between stars matches any character, not a literal "*".
    EXPECT_TRUE(LibString("abc").IsWildCard("*?*"));
    EXPECT_TRUE(LibString("report.txt").IsWildCard("*?*.txt"));
    EXPECT_FALSE(LibString(".txt").IsWildCard("*?*.txt"));
    EXPECT_TRUE(LibString("abc").IsWildCard(LibString("a*")));
    EXPECT_TRUE(LibString::CompareWildCard("x.zip", "?.zip"));

    // Many stars on a long text finish quickly.
    const std::string text(5000, 'a');
    EXPECT_FALSE(LibString(text.c_str()).IsWildCard("*a*a*a*a*a*a*a*a*a*b"));
}

TEST(LibStringWords, CountAndPick)
{
    LibString s("  two   words ");
    EXPECT_EQ(s.Words(), 2);
    LibString out("stale");
    EXPECT_TRUE(s.Word(2, out));
    EXPECT_EQ(Text(out), "words");
    EXPECT_TRUE(s.Word(1, out));
    EXPECT_EQ(Text(out), "two");
    EXPECT_FALSE(s.Word(3, out));
    EXPECT_EQ(Text(out), "");
    out = "stale";
    EXPECT_FALSE(s.Word(0, out));
    EXPECT_EQ(Text(out), "");
    LibString self("alpha beta");
    EXPECT_TRUE(self.Word(2, self));
    EXPECT_EQ(Text(self), "beta");
    EXPECT_EQ(LibString("").Words(), 0);
    EXPECT_EQ(LibString("a\tb\nc").Words(), 3);
}

TEST(LibStringNumbers, Validation)
{
    int32 value = 99;
    EXPECT_TRUE(LibString("-12").GetInt32(value));
    EXPECT_EQ(value, -12);
    value = 99;
    EXPECT_FALSE(LibString("1-2").GetInt32(value));
    EXPECT_EQ(value, 0);
    value = 99;
    EXPECT_FALSE(LibString(" 12").GetInt32(value));
    EXPECT_EQ(value, 0);
    value = 99;
    EXPECT_TRUE(LibString("").GetInt32(value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(LibString("+7").GetInt32(value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(LibString("12.5").GetInt32(value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(LibString("1.2.3").GetInt32(value));
    EXPECT_FALSE(LibString("12 ").GetInt32(value));
    EXPECT_FALSE(LibString("0x10").GetInt32(value));
    EXPECT_FALSE(LibString("1e5").GetInt32(value));
    EXPECT_TRUE(LibString("99999999999").GetInt32(value));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(LibString("-99999999999").GetInt32(value));
    EXPECT_EQ(value, -2147483647 - 1);

    EXPECT_TRUE(LibString("").IsNumeric());
    EXPECT_TRUE(LibString(static_cast<const char*>(nullptr)).IsNumeric());
    EXPECT_TRUE(LibString("-.5").IsNumeric());
    EXPECT_FALSE(LibString("5-").IsNumeric());
    EXPECT_FALSE(LibString("abc").IsNumeric());
}

TEST(LibStringNumbers, NarrowingAndFloats)
{
    int8 i8 = 1;
    EXPECT_TRUE(LibString("300").GetInt8(i8));
    EXPECT_EQ(i8, int8(44));
    uint8 u8 = 1;
    EXPECT_TRUE(LibString("255").GetUint8(u8));
    EXPECT_EQ(u8, 255);
    int16 i16 = 1;
    EXPECT_TRUE(LibString("-300").GetInt16(i16));
    EXPECT_EQ(i16, -300);
    uint16 u16 = 1;
    EXPECT_FALSE(LibString("x").GetUint16(u16));
    EXPECT_EQ(u16, 0);
    uint32 u32 = 1;
    EXPECT_TRUE(LibString("-1").GetUint32(u32));
    EXPECT_EQ(u32, 0xffffffffu);
    EXPECT_TRUE(LibString("4000000000").GetUint32(u32));
    EXPECT_EQ(u32, 2147483647u);  // saturated at the signed limit

    double d = 1;
    EXPECT_TRUE(LibString("-3.25").GetFloat64(d));
    EXPECT_DOUBLE_EQ(d, -3.25);
    d = 1;
    EXPECT_FALSE(LibString("3,25").GetFloat64(d));
    EXPECT_EQ(d, 0);
    float f = 1;
    EXPECT_TRUE(LibString("0.5").GetFloat32(f));
    EXPECT_FLOAT_EQ(f, 0.5f);
    f = 1;
    EXPECT_FALSE(LibString("nan").GetFloat32(f));
    EXPECT_EQ(f, 0);

    LibString s;
    s.SetFloat64(3.14159, 2);
    EXPECT_EQ(Text(s), "3.14");
    s.SetFloat32(2.5f, 0);
    EXPECT_EQ(Text(s), "2");
    s.SetFloat64(1.0, -1);  // negative precision: printf's default
    EXPECT_EQ(Text(s), "1.000000");
    s.SetFloat64(1e300, 20);
    EXPECT_EQ(s.Length(), 301 + 1 + 20);
}

TEST(LibStringNumbers, Hexadecimal)
{
    EXPECT_EQ(LibString("fF").GetHex(), 255);
    EXPECT_EQ(LibString("F").GetHex(), 0);
    EXPECT_EQ(LibString("0A").GetHex(), 10);
    EXPECT_EQ(LibString("G1").GetHex(), 1);  // a non-digit counts as 0
    EXPECT_EQ(LibString("abc").GetHex(), 0);
    LibString s;
    s.SetHex(10);
    EXPECT_EQ(Text(s), "0A");
    s.SetHex(255);
    EXPECT_EQ(Text(s), "FF");
    s.SetHex(0);
    EXPECT_EQ(Text(s), "00");
    EXPECT_EQ(LibString::HexValue('b'), 11);
    EXPECT_EQ(LibString::HexValue('9'), 9);
    EXPECT_EQ(LibString::HexValue('g'), 0);
    EXPECT_EQ(LibString::HexValue('\0'), 0);
}
