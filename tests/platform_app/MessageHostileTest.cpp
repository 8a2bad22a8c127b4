// Hostile flattened input: every lie in a header, count, size or name ends
// in an error with an empty message, never in a crash or a huge allocation.

#include <ByteOrder.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string le32(uint32 v)
{
    v = B_HOST_TO_LENDIAN_INT32(v);
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

// A classic message with the given field bytes; size is the real length
// unless declaredSize says otherwise.
std::string classic(const std::string& fields, int64 declaredSize = -1)
{
    size_t size = 17 + fields.size() + 1;
    return "1BOF" + le32(0) + le32(uint32(declaredSize >= 0 ? declaredSize : int64(size)))
        + le32(0) + std::string(1, '\x01') + fields + std::string(1, '\0');
}

std::string field(uint8 flags, uint32 type, const std::string& countAndSize,
    const std::string& name, const std::string& data)
{
    return std::string(1, char(flags)) + le32(type) + countAndSize
        + std::string(1, char(name.size())) + name + data;
}

status_t read_into_used_message(const std::string& bytes, BMessage& message)
{
    message = BMessage('OLD!');
    message.AddInt32("old", 1);
    return message.Unflatten(bytes.data(), ssize_t(bytes.size()));
}

void expect_refused(const std::string& bytes, const char* what)
{
    BMessage message;
    status_t status = read_into_used_message(bytes, message);
    EXPECT_NE(status, B_OK) << what;
    EXPECT_TRUE(message.IsEmpty()) << what;
    EXPECT_EQ(message.what, 0u) << what;
}

TEST(MessageHostile, LyingHeadersAreRefused)
{
    std::string good = classic(field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), "n", le32(5)));
    BMessage message;
    ASSERT_EQ(read_into_used_message(good, message), B_OK);
    EXPECT_EQ(message.GetInt32("n", 0), 5);
    EXPECT_FALSE(message.HasInt32("old"));

    std::string wrongMagic = good;
    wrongMagic[0] = 'X';
    expect_refused(wrongMagic, "wrong magic");
    expect_refused(classic("", 0x7fffffff), "size larger than the data");
    expect_refused(classic("", 5), "size smaller than a header");
    expect_refused(good.substr(0, 16), "header cut short");
    expect_refused(good.substr(0, good.size() - 1), "end marker missing");
    // A declared size that cuts a field in half.
    expect_refused(classic(field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), "n", le32(5)), 25),
        "size ends inside a field");
    // Target and reply sections that are not there.
    std::string withReply = classic("");
    withReply[16] = 0x07;
    expect_refused(withReply, "reply section missing");
    // Trailing bytes after the declared size are not part of the message.
    BMessage trailing;
    std::string padded = good + "garbage";
    EXPECT_EQ(trailing.Unflatten(padded.data(), ssize_t(padded.size())), B_OK);
    // The unsized form reads no further than the declared size.
    EXPECT_EQ(trailing.Unflatten(padded.data()), B_OK);
    EXPECT_EQ(trailing.GetInt32("n", 0), 5);
}

TEST(MessageHostile, LyingFieldsAreRefused)
{
    // Data size 0, or beyond the message.
    expect_refused(classic(field(0x0f, B_INT32_TYPE, std::string(1, '\0'), "n", "")),
        "data size 0");
    expect_refused(classic(field(0x0d, B_INT32_TYPE, le32(0xfffffff0), "n", le32(5))),
        "negative data size");
    expect_refused(classic(field(0x0d, B_INT32_TYPE, le32(0x10000000), "n", le32(5))),
        "data size beyond the message");
    // Count 0, and a fixed size that is not a multiple of the count.
    expect_refused(classic(field(0x07, B_INT32_TYPE, std::string("\x00\x04", 2), "n", le32(5))),
        "count 0");
    expect_refused(classic(field(0x07, B_INT32_TYPE, std::string("\x03\x04", 2), "n", le32(5))),
        "size not a multiple of count");
    // A huge count with 4-byte form: fixed size cannot divide, variable
    // runs out of data long before.
    expect_refused(classic(field(0x05, B_INT32_TYPE, le32(0x7fffffff) + le32(4), "n", le32(5))),
        "huge fixed count");
    expect_refused(classic(field(0x01, B_STRING_TYPE, le32(0x7fffffff) + le32(8), "s",
        le32(1) + std::string("\0\0\0\0", 4))), "huge variable count");
    // Name longer than the remaining bytes.
    std::string longName = classic("");
    longName.insert(17, std::string("\x0f") + le32(B_INT32_TYPE) + "\x04\xff" + "abc");
    expect_refused(longName, "name runs past the end");
    // A variable value whose length runs past its field.
    expect_refused(classic(field(0x0b, B_STRING_TYPE, std::string(1, '\x08'), "s",
        le32(100) + std::string("abc\0", 4))), "value length past the field");
    // Values that leave bytes over: the count is wrong.
    expect_refused(classic(field(0x03, B_STRING_TYPE, std::string("\x01\x10", 2), "s",
        le32(1) + std::string(4, '\0') + le32(1) + std::string(4, '\0'))), "count too small");
    // The same name twice with different types.
    expect_refused(classic(field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), "n", le32(5))
        + field(0x0f, B_FLOAT_TYPE, std::string(1, '\x04'), "n", le32(5))), "type clash");
    // A message value that is not a message.
    expect_refused(classic(field(0x0b, B_MESSAGE_TYPE, std::string(1, '\x08'), "m",
        le32(4) + "junk")), "garbage nested message");
}

TEST(MessageHostile, RepeatedNamesOfOneKindAreMerged)
{
    std::string twice = classic(field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), "n", le32(5))
        + field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), "n", le32(6)));
    BMessage message;
    ASSERT_EQ(message.Unflatten(twice.data(), ssize_t(twice.size())), B_OK);
    EXPECT_EQ(message.GetInt32("n", 1, 0), 6);
    // Merging must agree on the value size too.
    std::string mixed = classic(field(0x0f, B_RAW_TYPE, std::string(1, '\x04'), "n", le32(5))
        + field(0x0f, B_RAW_TYPE, std::string(1, '\x01'), "n", "x"));
    expect_refused(mixed, "fixed sizes differ");
}

std::string nest(int depth)
{
    BMessage message('LEAF');
    for (int i = 0; i < depth; i++) {
        BMessage outer('NEST');
        outer.AddMessage("m", std::move(message));
        message = std::move(outer);
    }
    std::string flat;
    EXPECT_EQ(message.Flatten(&flat), B_OK);
    return flat;
}

TEST(MessageHostile, NestingDepthIsLimited)
{
    std::string allowed = nest(B_MESSAGE_MAX_NESTING_DEPTH);
    BMessage message;
    ASSERT_EQ(message.Unflatten(allowed.data(), ssize_t(allowed.size())), B_OK);
    std::string tooDeep = nest(B_MESSAGE_MAX_NESTING_DEPTH + 1);
    expect_refused(tooDeep, "too deep");
}

TEST(MessageHostile, ManyFieldsReadInLinearTime)
{
    // 20,000 distinct fields: the duplicate check must not be quadratic.
    std::string fields;
    for (int i = 0; i < 20000; i++) {
        std::string name = "f" + std::to_string(i);
        fields += field(0x0f, B_INT8_TYPE, std::string(1, '\x01'), name, "x");
    }
    std::string flat = classic(fields);
    BMessage message;
    ASSERT_EQ(message.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 20000);
    EXPECT_EQ(message.GetInt8("f19999", 0), 'x');

    // Repeated names are still found among many fields, early or late.
    for (const char* repeated : {"f0", "f15", "f16", "f17", "f19999"}) {
        std::string clash = classic(fields
            + field(0x0f, B_INT32_TYPE, std::string(1, '\x04'), repeated, le32(5)));
        expect_refused(clash, repeated);
        std::string merged = classic(fields
            + field(0x0f, B_INT8_TYPE, std::string(1, '\x01'), repeated, "y"));
        ASSERT_EQ(message.Unflatten(merged.data(), ssize_t(merged.size())), B_OK) << repeated;
        EXPECT_EQ(message.GetInt8(repeated, 1, 0), 'y') << repeated;
        EXPECT_EQ(message.CountNames(B_ANY_TYPE), 20000);
    }
}

TEST(MessageHostile, UnterminatedStringsAreKeptButNotHandedOut)
{
    std::string flat = classic(field(0x0b, B_STRING_TYPE, std::string(1, '\x08'), "s",
        le32(3) + std::string("abc\0", 4)));
    BMessage message;
    ASSERT_EQ(message.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    const char* text = nullptr;
    EXPECT_EQ(message.FindString("s", &text), B_BAD_DATA);
    EXPECT_EQ(text, nullptr);
    std::string again;
    ASSERT_EQ(message.Flatten(&again), B_OK);
    EXPECT_EQ(again.substr(17), flat.substr(17));
}

} // namespace
