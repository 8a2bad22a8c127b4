// The small value types that messages carry: entry_ref, BPoint, BRect,
// and the byte-order helpers used for opposite-endian data.

#include <ByteOrder.h>
#include <EntryRef.h>
#include <Rect.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(MessageSupportTypes, EntryRefCopiesOrdersAndCompares)
{
    entry_ref none;
    EXPECT_EQ(none.device, -1);
    EXPECT_EQ(none.directory, -1);
    EXPECT_EQ(none.name, nullptr);

    entry_ref a(1, 2, "name");
    entry_ref copy(a);
    ASSERT_NE(copy.name, a.name);
    EXPECT_EQ(copy, a);
    ASSERT_EQ(copy.set_name("other"), B_OK);
    EXPECT_STREQ(a.name, "name");
    EXPECT_NE(copy, a);
    ASSERT_EQ(copy.set_name(nullptr), B_OK);
    EXPECT_EQ(copy.name, nullptr);
    EXPECT_NE(copy, a);
    EXPECT_EQ(copy, entry_ref(1, 2, nullptr));

    entry_ref assigned;
    assigned = a;
    EXPECT_EQ(assigned, a);
    entry_ref& alias = assigned;
    assigned = alias;
    EXPECT_STREQ(assigned.name, "name");
    entry_ref moved(std::move(assigned));
    EXPECT_STREQ(moved.name, "name");

    // Device, then directory, then name; no name sorts first.
    EXPECT_TRUE(entry_ref(1, 9, "z") < entry_ref(2, 0, "a"));
    EXPECT_TRUE(entry_ref(1, 1, "z") < entry_ref(1, 2, "a"));
    EXPECT_TRUE(entry_ref(1, 1, "a") < entry_ref(1, 1, "b"));
    EXPECT_TRUE(entry_ref(1, 1, nullptr) < entry_ref(1, 1, "a"));
    EXPECT_FALSE(entry_ref(1, 1, "a") < entry_ref(1, 1, "a"));
}

TEST(MessageSupportTypes, EntryRefFlattenedFormChecks)
{
    entry_ref ref(-5, 1234567890123, "x");
    ASSERT_EQ(BPrivate::entry_ref_flattened_size(ref), 14u);
    char buffer[14];
    EXPECT_EQ(BPrivate::entry_ref_flatten(ref, buffer, 13), B_BAD_VALUE);
    ASSERT_EQ(BPrivate::entry_ref_flatten(ref, buffer, 14), B_OK);
    entry_ref read;
    ASSERT_EQ(BPrivate::entry_ref_unflatten(&read, buffer, 14), B_OK);
    EXPECT_EQ(read, ref);

    // The name must end exactly at the end of the value.
    EXPECT_EQ(BPrivate::entry_ref_unflatten(&read, buffer, 13), B_BAD_DATA);
    std::string longer(buffer, 14);
    longer += "junk";
    EXPECT_EQ(BPrivate::entry_ref_unflatten(&read, longer.data(), longer.size()), B_BAD_DATA);
    EXPECT_EQ(BPrivate::entry_ref_unflatten(&read, buffer, 12), B_BAD_VALUE);

    // Big-endian numbers.
    unsigned char big[13] = {0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 1, 0, 0};
    ASSERT_EQ(BPrivate::entry_ref_unflatten(&read, reinterpret_cast<char*>(big), 13, true), B_OK);
    EXPECT_EQ(read.device, 7);
    EXPECT_EQ(read.directory, 256);
    EXPECT_EQ(read.name, nullptr);
}

TEST(MessageSupportTypes, RectGeometry)
{
    BRect none;
    EXPECT_FALSE(none.IsValid());
    BRect r(10, 20, 29, 59);
    EXPECT_TRUE(r.IsValid());
    EXPECT_EQ(r.Width(), 19);
    EXPECT_EQ(r.Height(), 39);
    EXPECT_EQ(r.IntegerWidth(), 19);
    EXPECT_TRUE(r.Contains(BPoint(10, 20)));
    EXPECT_TRUE(r.Contains(BPoint(29, 59)));
    EXPECT_FALSE(r.Contains(BPoint(29.5f, 59)));
    EXPECT_TRUE(r.Contains(BRect(11, 21, 28, 58)));
    EXPECT_FALSE(r.Contains(BRect(0, 21, 28, 58)));

    EXPECT_EQ(r.OffsetByCopy(5, -5), BRect(15, 15, 34, 54));
    EXPECT_EQ(r.OffsetToCopy(0, 0), BRect(0, 0, 19, 39));
    EXPECT_EQ(r.InsetByCopy(2, 3), BRect(12, 23, 27, 56));
    EXPECT_EQ(r.InsetByCopy(-1, -1), BRect(9, 19, 30, 60));

    BRect other(20, 0, 40, 30);
    EXPECT_TRUE(r.Intersects(other));
    EXPECT_EQ(r & other, BRect(20, 20, 29, 30));
    EXPECT_EQ(r | other, BRect(10, 0, 40, 59));
    EXPECT_FALSE(r.Intersects(BRect(30, 60, 40, 70)));
    EXPECT_FALSE((r & BRect(30, 60, 40, 70)).IsValid());
    EXPECT_FALSE(r.Intersects(none));

    BPoint p(100, -5);
    p.ConstrainTo(r);
    EXPECT_EQ(p, BPoint(29, 20));
    EXPECT_EQ(BPoint(1, 2) + BPoint(3, 4), BPoint(4, 6));
    EXPECT_EQ(BPoint(1, 2) - BPoint(3, 4), BPoint(-2, -2));
}

TEST(MessageSupportTypes, SwappingByType)
{
    EXPECT_EQ(B_SWAP_INT16(0x1234), 0x3412);
    EXPECT_EQ(B_SWAP_INT32(0x12345678), 0x78563412u);
    EXPECT_EQ(B_SWAP_INT64(0x0102030405060708ull), 0x0807060504030201ull);
    EXPECT_EQ(B_SWAP_FLOAT(B_SWAP_FLOAT(1.25f)), 1.25f);
    EXPECT_EQ(B_BENDIAN_TO_HOST_INT32(B_HOST_TO_BENDIAN_INT32(77u)), 77u);
    EXPECT_EQ(B_HOST_TO_LENDIAN_INT32(5u), 5u);

    unsigned char data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(swap_data(B_INT16_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 8), std::string("\x02\x01\x04\x03\x06\x05\x08\x07", 8));
    ASSERT_EQ(swap_data(B_INT16_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    ASSERT_EQ(swap_data(B_RECT_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 8), std::string("\x04\x03\x02\x01\x08\x07\x06\x05", 8));
    ASSERT_EQ(swap_data(B_RECT_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    ASSERT_EQ(swap_data(B_DOUBLE_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 8), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
    // Strings, raw data and unknown codes are not numbers.
    ASSERT_EQ(swap_data(B_STRING_TYPE, data, 8, B_SWAP_ALWAYS), B_OK);
    ASSERT_EQ(swap_data('ZZZZ', data, 8, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(data[0], 8);
    EXPECT_FALSE(is_type_swapped(B_RAW_TYPE));
    EXPECT_TRUE(is_type_swapped(B_POINT_TYPE));
    // On this little-endian host, host <-> little-endian changes nothing.
    ASSERT_EQ(swap_data(B_INT32_TYPE, data, 8, B_SWAP_HOST_TO_LENDIAN), B_OK);
    EXPECT_EQ(data[0], 8);

    // A messenger: only its three int32 numbers.
    unsigned char messenger[24];
    for (int i = 0; i < 24; i++)
        messenger[i] = static_cast<unsigned char>(i);
    ASSERT_EQ(swap_data(B_MESSENGER_TYPE, messenger, 24, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(messenger[0], 3);
    EXPECT_EQ(messenger[11], 8);
    EXPECT_EQ(messenger[12], 12);
    EXPECT_EQ(messenger[23], 23);
    EXPECT_EQ(swap_data(B_INT32_TYPE, nullptr, 4, B_SWAP_ALWAYS), B_BAD_VALUE);
}

} // namespace
