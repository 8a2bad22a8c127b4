#include <LibConversions.h>

#include <gtest/gtest.h>

namespace {

std::string Bytes(uint64 bytes, int decimals)
{
    LibString text;
    LibBytesToString(bytes, text, decimals);
    return std::string(static_cast<const char*>(text));
}

} // namespace

TEST(LibConversions, BytesToStringUnitsAndStrictLimits)
{
    EXPECT_EQ(Bytes(1536, 1), "1.5 KB");
    EXPECT_EQ(Bytes(3145728, 0), "3 MB");
    EXPECT_EQ(Bytes(100, 0), "100 bytes");
    EXPECT_EQ(Bytes(0, 1), "0.0 bytes");
    EXPECT_EQ(Bytes(1024, 1), "1024.0 bytes");
    EXPECT_EQ(Bytes(1025, 1), "1.0 KB");
    EXPECT_EQ(Bytes(1048576, 1), "1024.0 KB");
    EXPECT_EQ(Bytes(1048577, 2), "1.00 MB");
    EXPECT_EQ(Bytes(4294967295u, 1), "4096.0 MB");
    // Counts past 32 bits (free space of large volumes) stay right.
    EXPECT_EQ(Bytes(uint64(8) << 30, 1), "8192.0 MB");
    LibString text;
    EXPECT_EQ(&LibBytesToString(uint32(2048), text, 0), &text);
    EXPECT_STREQ(text, "2 KB");
}

TEST(LibConversions, StringToBytes)
{
    EXPECT_EQ(LibStringToBytes("1.5 KB"), 1536);
    EXPECT_EQ(LibStringToBytes("2 MB"), 2097152);
    EXPECT_EQ(LibStringToBytes("1.9999 KB"), 2047);
    EXPECT_EQ(LibStringToBytes("-1 KB"), -1024);
    EXPECT_EQ(LibStringToBytes("100"), 0);
    EXPECT_EQ(LibStringToBytes("100 bytes"), 0);
    EXPECT_EQ(LibStringToBytes("1 kb"), 0);
    EXPECT_EQ(LibStringToBytes("1  KB"), 0);
    EXPECT_EQ(LibStringToBytes("1 KB "), 0);
    EXPECT_EQ(LibStringToBytes(""), 0);
    EXPECT_EQ(LibStringToBytes(nullptr), 0);
    EXPECT_EQ(LibStringToBytes("5000 MB"), INT32_MAX);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LibStringToBytes("abc KB"), 0);
    EXPECT_EQ(LibStringToBytes("1,5 MB"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "LibConvertBytes <abc> not a float\nLibConvertBytes <1,5> not a float\n");

    // Round trip of the display form.
    LibString text;
    LibBytesToString(1536, text, 1);
    EXPECT_EQ(LibStringToBytes(text), 1536);
}
