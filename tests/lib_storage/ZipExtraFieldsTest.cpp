// The "Be" attribute field and the time field of zip entries, byte for byte.
#include "ZipExtraFields.h"

#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(char(v));
    return out;
}

ZipAttributeList TypeAttribute()
{
    return {{"BEOS:TYPE", B_MIME_STRING_TYPE, std::string("text/plain", 11)}};
}

} // namespace

TEST(ZipExtraFields, SmallBlockIsStoredUncompressedInThePlatformLayout)
{
    std::string local;
    std::string central;
    ASSERT_TRUE(ZipExtra::BuildBeFields(ZipExtra::EncodeAttributeBlock(TypeAttribute()), 0xffff, local, central));
    EXPECT_EQ(local, Bytes({0x42, 0x65, 0x26, 0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x42, 0x45, 0x4f, 0x53, 0x3a,
                         0x54, 0x59, 0x50, 0x45, 0x00, 0x4d, 0x49, 0x4d, 0x53, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x00, 0x0b, 0x74, 0x65, 0x78, 0x74, 0x2f, 0x70, 0x6c, 0x61, 0x69, 0x6e, 0x00}));
    EXPECT_EQ(central, Bytes({0x42, 0x65, 0x05, 0x00, 0x21, 0x00, 0x00, 0x00, 0x01}));

    std::string block;
    ASSERT_EQ(ZipExtra::ParseBeField(local.data(), local.size(), block), B_OK);
    ZipAttributeList back;
    ASSERT_EQ(ZipExtra::DecodeAttributeBlock(block.data(), block.size(), back), B_OK);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "BEOS:TYPE");
    EXPECT_EQ(back[0].type, uint32(B_MIME_STRING_TYPE));
    EXPECT_EQ(back[0].data, std::string("text/plain", 11));
}

TEST(ZipExtraFields, NumericTypesAreBigEndianInTheBlockAndHostOrderOutside)
{
    const int32 value = 0x01020304;
    ZipAttributeList attributes = {{"count", B_INT32_TYPE, std::string(reinterpret_cast<const char*>(&value), 4)},
        {"raw", B_RAW_TYPE, Bytes({1, 2, 3, 4})}};
    const std::string block = ZipExtra::EncodeAttributeBlock(attributes);
    // name, type 'LONG' big-endian, length 4 big-endian, data big-endian.
    EXPECT_EQ(block.substr(0, 22), std::string("count\0", 6) + "LONG" + Bytes({0, 0, 0, 0, 0, 0, 0, 4, 1, 2, 3, 4}));
    // Raw data is copied unchanged.
    EXPECT_EQ(block.substr(block.size() - 4), Bytes({1, 2, 3, 4}));

    ZipAttributeList back;
    ASSERT_EQ(ZipExtra::DecodeAttributeBlock(block.data(), block.size(), back), B_OK);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].data, attributes[0].data);
    EXPECT_EQ(back[1].data, attributes[1].data);
}

TEST(ZipExtraFields, LargeBlockIsDeflatedWithCrcAndReadBack)
{
    ZipAttributeList attributes = {{"notes", B_STRING_TYPE, std::string(5000, 'n')}};
    const std::string block = ZipExtra::EncodeAttributeBlock(attributes);
    std::string local;
    std::string central;
    ASSERT_TRUE(ZipExtra::BuildBeFields(block, 0xffff, local, central));
    EXPECT_LT(local.size(), block.size());
    EXPECT_EQ(local[8], 0);  // compressed
    EXPECT_EQ(local[9], 8);  // method deflate
    std::string back;
    ASSERT_EQ(ZipExtra::ParseBeField(local.data(), local.size(), back), B_OK);
    EXPECT_EQ(back, block);

    // A wrong CRC, or a damaged stream, is caught.
    std::string damaged = local;
    damaged[11] ^= 0x55;
    EXPECT_EQ(ZipExtra::ParseBeField(damaged.data(), damaged.size(), back), B_BAD_DATA);
    damaged = local;
    damaged[15] ^= 0xff;
    EXPECT_EQ(ZipExtra::ParseBeField(damaged.data(), damaged.size(), back), B_BAD_DATA);
}

TEST(ZipExtraFields, DamagedAndForeignFieldsAreRejectedWithoutReadingPastThem)
{
    std::string local;
    std::string central;
    ASSERT_TRUE(ZipExtra::BuildBeFields(ZipExtra::EncodeAttributeBlock(TypeAttribute()), 0xffff, local, central));
    std::string block;
    // Cut inside the field: its size no longer fits the area.
    EXPECT_EQ(ZipExtra::ParseBeField(local.data(), local.size() - 1, block), B_NAME_NOT_FOUND);
    // Unknown flag bits.
    std::string flags = local;
    flags[8] = 0x03;
    EXPECT_EQ(ZipExtra::ParseBeField(flags.data(), flags.size(), block), B_UNSUPPORTED);
    // A block size larger than the stored payload.
    std::string size = local;
    size[4] = 0x7f;
    EXPECT_EQ(ZipExtra::ParseBeField(size.data(), size.size(), block), B_BAD_DATA);
    // Records cut short or without a terminated name.
    const std::string good = ZipExtra::EncodeAttributeBlock(TypeAttribute());
    ZipAttributeList list;
    for (size_t cut = 1; cut < good.size(); cut++) {
        list.clear();
        EXPECT_EQ(ZipExtra::DecodeAttributeBlock(good.data(), cut, list), B_BAD_DATA) << cut;
    }
    // Another field before the "Be" one is skipped.
    const std::string both = ZipExtra::BuildTimeField(true, 1, 2) + local;
    EXPECT_EQ(ZipExtra::ParseBeField(both.data(), both.size(), block), B_OK);
}

TEST(ZipExtraFields, AttributesThatCannotFitAreRefused)
{
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 70000; i++)
        noise.push_back(char(random()));
    std::string local;
    std::string central;
    EXPECT_FALSE(ZipExtra::BuildBeFields(
        ZipExtra::EncodeAttributeBlock({{"big", B_RAW_TYPE, noise}}), 0xffff, local, central));
}

TEST(ZipExtraFields, TimeFieldsCarryModificationAndAccessTimes)
{
    const std::string local = ZipExtra::BuildTimeField(true, 1000000000, 1000000100);
    EXPECT_EQ(local.substr(0, 5), Bytes({0x55, 0x54, 9, 0, 3}));
    EXPECT_EQ(ZipExtra::BuildTimeField(false, 1000000000, 0).size(), 9u);
    int64 modified = 0;
    ASSERT_TRUE(ZipExtra::FindModificationTime(local.data(), local.size(), modified));
    EXPECT_EQ(modified, 1000000000);
    EXPECT_EQ(ZipExtra::BuildUnix2Field(true, 1000, 1000), Bytes({0x55, 0x78, 4, 0, 0xe8, 3, 0xe8, 3}));
    EXPECT_EQ(ZipExtra::BuildUnix2Field(false, 1000, 1000), Bytes({0x55, 0x78, 0, 0}));
}
