// The flattened form: exact bytes of the classic little-endian format,
// reading the opposite byte order and the newer native format.

#include <ByteOrder.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values)
        out += char(value);
    return out;
}

std::string flatten(const BMessage& message)
{
    std::string flat;
    EXPECT_EQ(message.Flatten(&flat), B_OK);
    EXPECT_EQ(ssize_t(flat.size()), message.FlattenedSize());
    return flat;
}

uint32 le32(const std::string& data, size_t at)
{
    uint32 value;
    memcpy(&value, data.data() + at, 4);
    return B_LENDIAN_TO_HOST_INT32(value);
}

// A big-endian message written by hand, piece by piece.
class BigEndianWriter {
public:
    void U8(uint8 v) { fData += char(v); }
    void U32(uint32 v)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            fData += char(v >> shift);
    }
    void U64(uint64 v)
    {
        U32(uint32(v >> 32));
        U32(uint32(v));
    }
    void Raw(const std::string& raw) { fData += raw; }
    void Float(float f)
    {
        uint32 bits;
        memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Double(double d)
    {
        uint64 bits;
        memcpy(&bits, &d, 8);
        U64(bits);
    }
    void Field(uint8 flags, uint32 type, int32 count, const std::string& name,
        const std::string& data)
    {
        U8(flags);
        U32(type);
        if ((flags & 0x08) == 0) {
            if (flags & 0x02)
                U8(uint8(count));
            else
                U32(uint32(count));
        }
        if (flags & 0x02)
            U8(uint8(data.size()));
        else
            U32(uint32(data.size()));
        U8(uint8(name.size()));
        Raw(name);
        Raw(data);
    }
    // Header and end marker around the fields written so far.
    std::string Message(uint32 what) const
    {
        BigEndianWriter header;
        header.Raw("FOB1");
        header.U32(0);                               // checksum, not checked
        header.U32(uint32(17 + fData.size() + 1));
        header.U32(what);
        header.U8(0x01);
        return header.fData + fData + std::string(1, '\0');
    }
    std::string Data() const { return fData; }

private:
    std::string fData;
};

TEST(MessageFlatten, WorkedExampleIsByteExact)
{
    BMessage message('TEST');
    message.AddInt32("n", 5);
    message.AddString("s", "hi");
    std::string expected = bytes({
        0x31, 0x42, 0x4f, 0x46, 0x55, 0x45, 0x53, 0x82, 0x2e, 0x00, 0x00, 0x00, 0x54, 0x53, 0x45, 0x54,
        0x01, 0x0f, 0x47, 0x4e, 0x4f, 0x4c, 0x04, 0x01, 0x6e, 0x05, 0x00, 0x00, 0x00, 0x0b, 0x52, 0x54,
        0x53, 0x43, 0x08, 0x01, 0x73, 0x03, 0x00, 0x00, 0x00, 0x68, 0x69, 0x00, 0x00, 0x00});
    EXPECT_EQ(flatten(message), expected);

    // The fixed buffer form writes the same and refuses a short buffer.
    std::vector<char> buffer(46);
    ASSERT_EQ(message.Flatten(buffer.data(), 46), B_OK);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected);
    EXPECT_EQ(message.Flatten(buffer.data(), 45), B_BAD_VALUE);

    // A reader of the same bytes gets the same message back.
    BMessage read;
    ASSERT_EQ(read.Unflatten(expected.data(), ssize_t(expected.size())), B_OK);
    EXPECT_TRUE(read.HasSameData(message));
    BMessage unsized;
    ASSERT_EQ(unsized.Unflatten(expected.data()), B_OK);
    EXPECT_TRUE(unsized.HasSameData(message));
}

TEST(MessageFlatten, EmptyMessageAndChecksum)
{
    BMessage empty;
    std::string flat = flatten(empty);
    EXPECT_EQ(flat, bytes({0x31, 0x42, 0x4f, 0x46, 0x01, 0x00, 0x00, 0x12, 0x12, 0x00, 0x00, 0x00,
        0, 0, 0, 0, 0x01, 0x00}));

    // The checksum adds the header words read big-endian and the flag byte.
    BMessage other(0x01020304);
    flat = flatten(other);
    uint32 expected = 0x12000000u + 0x04030201u + 0x01u;
    EXPECT_EQ(le32(flat, 4), expected);
}

TEST(MessageFlatten, MiniFormOnlyWhileCountAndSizeFitInAByte)
{
    // 63 int32 values: 252 bytes, mini form with a one-byte count.
    BMessage small;
    for (int32 i = 0; i < 63; i++)
        small.AddInt32("v", i);
    std::string flat = flatten(small);
    EXPECT_EQ(uint8(flat[17]), 0x07);                    // valid, mini, fixed
    EXPECT_EQ(uint8(flat[22]), 63);
    EXPECT_EQ(uint8(flat[23]), 252);

    // 255 bytes exactly still fits; 256 does not.
    BMessage edge;
    std::string raw(255, 'x');
    edge.AddData("r", B_RAW_TYPE, raw.data(), 255);
    flat = flatten(edge);
    EXPECT_EQ(uint8(flat[17]), 0x0f);
    EXPECT_EQ(uint8(flat[22]), 255);

    BMessage large;
    raw.push_back('y');
    large.AddData("r", B_RAW_TYPE, raw.data(), 256);
    flat = flatten(large);
    EXPECT_EQ(uint8(flat[17]), 0x0d);                    // valid, fixed, single
    EXPECT_EQ(le32(flat, 22), 256u);
    EXPECT_EQ(uint8(flat[26]), 1);                       // name length
    EXPECT_EQ(flat.size(), size_t(17 + 1 + 4 + 4 + 1 + 1 + 256 + 1));

    // 256 one-byte values: data fits in... no, the count does not.
    BMessage many;
    for (int i = 0; i < 256; i++)
        many.AddInt8("b", int8(i));
    flat = flatten(many);
    EXPECT_EQ(uint8(flat[17]), 0x05);                    // valid, fixed
    EXPECT_EQ(le32(flat, 22), 256u);                     // count
    EXPECT_EQ(le32(flat, 26), 256u);                     // data size

    for (const BMessage* message : {&small, &edge, &large, &many}) {
        BMessage read;
        std::string data = flatten(*message);
        ASSERT_EQ(read.Unflatten(data.data(), ssize_t(data.size())), B_OK);
        EXPECT_TRUE(read.HasSameData(*message));
    }
}

TEST(MessageFlatten, VariableValuesArePaddedAndNestedMessagesAreComplete)
{
    BMessage inner('INNR');
    BMessage outer(0);
    outer.AddMessage("m", &inner);
    outer.AddString("s", "");
    outer.AddString("s", "1234567");
    std::string flat = flatten(outer);

    // "m": flags 0x0b, type, size 24 (4 + 18 padded to 24), name.
    EXPECT_EQ(uint8(flat[17]), 0x0b);
    EXPECT_EQ(le32(flat, 18), uint32(B_MESSAGE_TYPE));
    EXPECT_EQ(uint8(flat[22]), 24);
    EXPECT_EQ(le32(flat, 25), 18u);                      // nested size
    EXPECT_EQ(flat.substr(29, 4), "1BOF");
    EXPECT_EQ(le32(flat, 29 + 12), uint32('INNR'));
    EXPECT_EQ(flat.substr(29 + 18, 2), std::string(2, '\0'));  // padding
    // "s": two values, "" takes 8 bytes, "1234567" 4 + 8 = 12 -> 16.
    size_t s = 25 + 24;
    EXPECT_EQ(uint8(flat[s]), 0x03);
    EXPECT_EQ(uint8(flat[s + 5]), 2);
    EXPECT_EQ(uint8(flat[s + 6]), 24);
    EXPECT_EQ(le32(flat, s + 9), 1u);
    EXPECT_EQ(le32(flat, s + 17), 8u);
    EXPECT_EQ(flat.substr(s + 21, 8), std::string("1234567\0", 8));
    EXPECT_EQ(flat.substr(s + 29, 4), std::string(4, '\0'));
    EXPECT_EQ(uint8(flat.back()), 0);
    EXPECT_EQ(flat.size(), s + 33 + 1);
}

TEST(MessageFlatten, EveryKindOfFieldRoundTrips)
{
    BMessage message('ALL ');
    message.AddInt8("i8", -1);
    message.AddUInt64("u64", 1);
    message.AddPoint("p", BPoint(1.5f, -2));
    message.AddPoint("p", BPoint(3, 4));
    entry_ref ref(12, 345678901234, "name with spaces");
    message.AddRef("ref", &ref);
    entry_ref noName(1, 2, nullptr);
    message.AddRef("ref", &noName);
    message.AddData("unknown", 0x00000004, "\x01\x02\x03", 3, false);
    message.AddData("unknown fixed", 'ABCD', "\x01\x02", 2, true);
    message.AddData("unknown fixed", 'ABCD', "\x03\x04", 2, true);
    message.AddData("any", B_ANY_TYPE, "\x09", 1, true);
    int32 value = 7;
    message.AddData("variable int", B_INT32_TYPE, &value, 4, false);
    message.AddString("", "empty name");
    BMessage level2('LVL2');
    level2.AddDouble("d", 1e300);
    BMessage level1('LVL1');
    level1.AddMessage("deeper", &level2);
    level1.AddMessage("deeper", &level2);
    message.AddMessage("nested", &level1);

    std::string flat = flatten(message);
    BMessage read;
    ASSERT_EQ(read.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_TRUE(read.HasSameData(message));
    EXPECT_EQ(flatten(read), flat);

    bool fixedSize = true;
    type_code type = 0;
    ASSERT_EQ(read.GetInfo("variable int", &type, &fixedSize), B_OK);
    EXPECT_FALSE(fixedSize);
    ASSERT_EQ(read.GetInfo("any", &type, &fixedSize), B_OK);
    EXPECT_EQ(type, uint32(B_ANY_TYPE));
    entry_ref found;
    ASSERT_EQ(read.FindRef("ref", &found), B_OK);
    EXPECT_EQ(found, ref);
    ASSERT_EQ(read.FindRef("ref", 1, &found), B_OK);
    EXPECT_EQ(found.name, nullptr);

    // The ref is stored in the x86 layout: int32 device, int64 directory,
    // name with NUL.
    const void* data = nullptr;
    ssize_t size = 0;
    ASSERT_EQ(read.FindData("ref", B_REF_TYPE, &data, &size), B_OK);
    ASSERT_EQ(size, 12 + 17);
    const char* refBytes = static_cast<const char*>(data);
    EXPECT_EQ(std::string(refBytes, 4), bytes({12, 0, 0, 0}));
    int64 directory;
    memcpy(&directory, refBytes + 4, 8);
    EXPECT_EQ(directory, 345678901234);
    EXPECT_STREQ(refBytes + 12, "name with spaces");

    // A device beyond the stored int32 is refused rather than cut.
    entry_ref wide(int64(1) << 40, 1, "x");
    EXPECT_EQ(message.AddRef("wide", &wide), B_BAD_VALUE);
}

TEST(MessageFlatten, BigEndianMessagesAreConvertedOnRead)
{
    BigEndianWriter fields;
    // int16 x2 (fixed, mini)
    BigEndianWriter v16;
    v16.U8(0x12); v16.U8(0x34); v16.U8(0xff); v16.U8(0xfe);
    fields.Field(0x07, B_INT16_TYPE, 2, "i16", v16.Data());
    BigEndianWriter v32;
    v32.U32(0xdeadbeef);
    fields.Field(0x0f, B_INT32_TYPE, 1, "i32", v32.Data());
    BigEndianWriter v64;
    v64.U64(0x0102030405060708ull);
    fields.Field(0x0d, B_INT64_TYPE, 1, "i64", v64.Data());   // 4-byte sizes
    BigEndianWriter vd;
    vd.Double(-0.125);
    fields.Field(0x0f, B_DOUBLE_TYPE, 1, "d", vd.Data());
    BigEndianWriter vr;
    vr.Float(1); vr.Float(2); vr.Float(3); vr.Float(4);
    fields.Field(0x0f, B_RECT_TYPE, 1, "r", vr.Data());
    BigEndianWriter vp;
    vp.Float(5); vp.Float(6);
    fields.Field(0x0f, B_POINT_TYPE, 1, "p", vp.Data());
    // A string (not converted), variable, with its length big-endian.
    BigEndianWriter vs;
    vs.U32(3); vs.Raw(std::string("ab\0", 3)); vs.Raw(std::string(1, '\0'));
    fields.Field(0x0b, B_STRING_TYPE, 1, "s", vs.Data());
    // A ref: device and directory big-endian.
    BigEndianWriter ref;
    ref.U32(14); ref.U32(7); ref.U64(9); ref.Raw(std::string("f\0", 2));
    // 4 + 14 = 18 -> 24: pad 6.
    ref.Raw(std::string(6, '\0'));
    fields.Field(0x0b, B_REF_TYPE, 1, "ref", ref.Data());
    // Unknown types are left as they are.
    fields.Field(0x0f, 'UNKN', 1, "u", bytes({1, 2, 3, 4}));
    // A nested message in our own byte order inside a big-endian one.
    BMessage inner('INNR');
    inner.AddInt32("n", 77);
    std::string innerFlat = flatten(inner);
    BigEndianWriter nested;
    nested.U32(uint32(innerFlat.size()));
    nested.Raw(innerFlat);
    nested.Raw(std::string(size_t(((4 + innerFlat.size() + 7) & ~size_t(7)) - 4 - innerFlat.size()),
        '\0'));
    fields.Field(0x0b, B_MESSAGE_TYPE, 1, "m", nested.Data());
    std::string message = fields.Message('BEND');

    BMessage read;
    ASSERT_EQ(read.Unflatten(message.data(), ssize_t(message.size())), B_OK);
    EXPECT_EQ(read.what, uint32('BEND'));
    EXPECT_EQ(read.GetInt16("i16", 0, 0), 0x1234);
    EXPECT_EQ(read.GetInt16("i16", 1, 0), -2);
    EXPECT_EQ(read.GetInt32("i32", 0), int32(0xdeadbeef));
    EXPECT_EQ(read.GetInt64("i64", 0), 0x0102030405060708ll);
    EXPECT_EQ(read.GetDouble("d", 0), -0.125);
    EXPECT_EQ(read.GetRect("r", BRect()), BRect(1, 2, 3, 4));
    EXPECT_EQ(read.GetPoint("p", BPoint()), BPoint(5, 6));
    EXPECT_STREQ(read.GetString("s"), "ab");
    entry_ref found;
    ASSERT_EQ(read.FindRef("ref", &found), B_OK);
    EXPECT_EQ(found, entry_ref(7, 9, "f"));
    const void* data = nullptr;
    ssize_t size = 0;
    ASSERT_EQ(read.FindData("u", 'UNKN', &data, &size), B_OK);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size_t(size)), bytes({1, 2, 3, 4}));
    const BMessage* nestedRead = read.FindMessagePointer("m");
    ASSERT_NE(nestedRead, nullptr);
    EXPECT_EQ(nestedRead->GetInt32("n", 0), 77);

    // Written back, it is an ordinary little-endian message.
    std::string flat = flatten(read);
    EXPECT_EQ(flat.substr(0, 4), "1BOF");
    BMessage again;
    ASSERT_EQ(again.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_TRUE(again.HasSameData(read));
}

// The newer native format, written by hand: 68-byte header, 24-byte field
// headers, then names and values.
class HaikuWriter {
public:
    void Field(uint16 flags, const std::string& name, type_code type,
        const std::vector<std::string>& items)
    {
        uint32 offset = uint32(fData.size());
        fData += name;
        fData += '\0';
        uint32 size = 0;
        for (const std::string& item : items) {
            if ((flags & 0x2) == 0) {
                uint32 length = uint32(item.size());
                fData.append(reinterpret_cast<const char*>(&length), 4);
                size += 4;
            }
            fData += item;
            size += uint32(item.size());
        }
        Put16(fHeaders, flags);
        Put16(fHeaders, uint16(name.size() + 1));
        Put32(fHeaders, type);
        Put32(fHeaders, uint32(items.size()));
        Put32(fHeaders, size);
        Put32(fHeaders, offset);
        Put32(fHeaders, 0xffffffff);
        fCount++;
    }
    std::string Message(uint32 what) const
    {
        std::string header;
        Put32(header, '1FMH');
        Put32(header, what);
        Put32(header, 1);
        for (int i = 0; i < 6; i++)
            Put32(header, 0xffffffff);
        Put32(header, uint32(fData.size()));
        Put32(header, fCount);
        Put32(header, 5);
        for (int i = 0; i < 5; i++)
            Put32(header, 0xffffffff);
        return header + fHeaders + fData;
    }

private:
    static void Put16(std::string& out, uint16 v) { out.append(reinterpret_cast<char*>(&v), 2); }
    static void Put32(std::string& out, uint32 v) { out.append(reinterpret_cast<char*>(&v), 4); }

    std::string fHeaders;
    std::string fData;
    uint32 fCount = 0;
};

std::string le_int32(int32 v)
{
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(MessageFlatten, NewerNativeFormatIsRead)
{
    HaikuWriter inner;
    inner.Field(0x3, "n", B_INT32_TYPE, {le_int32(9)});
    HaikuWriter writer;
    writer.Field(0x3, "ints", B_INT32_TYPE, {le_int32(1), le_int32(2), le_int32(3)});
    writer.Field(0x1, "strings", B_STRING_TYPE, {std::string("a\0", 2), std::string("bcd\0", 4)});
    writer.Field(0x1, "nested", B_MESSAGE_TYPE, {inner.Message('INNR')});
    std::string flat = writer.Message('HAIK');

    BMessage read;
    ASSERT_EQ(read.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_EQ(read.what, uint32('HAIK'));
    EXPECT_EQ(read.GetInt32("ints", 2, 0), 3);
    EXPECT_STREQ(read.GetString("strings", 1, nullptr), "bcd");
    ASSERT_NE(read.FindMessagePointer("nested"), nullptr);
    EXPECT_EQ(read.FindMessagePointer("nested")->what, uint32('INNR'));
    EXPECT_EQ(read.FindMessagePointer("nested")->GetInt32("n", 0), 9);
    bool fixedSize = false;
    type_code type;
    ASSERT_EQ(read.GetInfo("ints", &type, &fixedSize), B_OK);
    EXPECT_TRUE(fixedSize);
    ASSERT_EQ(read.GetInfo("strings", &type, &fixedSize), B_OK);
    EXPECT_FALSE(fixedSize);

    BMessage unsized;
    ASSERT_EQ(unsized.Unflatten(flat.data()), B_OK);
    EXPECT_TRUE(unsized.HasSameData(read));

    // What we write from it is the classic format.
    std::string written = flatten(read);
    EXPECT_EQ(written.substr(0, 4), "1BOF");

    // Lying sizes in the native format are refused.
    std::string damaged = flat;
    uint32 huge = 0x7ffffff0;
    memcpy(&damaged[36], &huge, 4);                       // data size
    EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
    EXPECT_TRUE(read.IsEmpty());
    damaged = flat;
    memcpy(&damaged[68 + 12], &huge, 4);                  // first field's data size
    EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
    damaged = flat;
    memcpy(&damaged[68 + 16], &huge, 4);                  // first field's name offset
    EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
}

// The "Dano" format, written by hand in either byte order: a 16-byte
// header, then sections of code, size and contents padded to 8.
class DanoWriter {
public:
    explicit DanoWriter(bool bigEndian) : fBig(bigEndian) {}

    std::string U32(uint32 v) const
    {
        if (fBig)
            v = B_HOST_TO_BENDIAN_INT32(v);
        else
            v = B_HOST_TO_LENDIAN_INT32(v);
        return std::string(reinterpret_cast<const char*>(&v), 4);
    }
    std::string U16(uint16 v) const
    {
        v = fBig ? B_HOST_TO_BENDIAN_INT16(v) : B_HOST_TO_LENDIAN_INT16(v);
        return std::string(reinterpret_cast<const char*>(&v), 2);
    }
    static std::string Pad(std::string s)
    {
        s.resize((s.size() + 7) & ~size_t(7), '\0');
        return s;
    }
    std::string Named(uint32 type, uint32 sizeWord, const std::string& name) const
    {
        return Pad(U32(type) + U32(sizeWord) + std::string(1, char(name.size())) + name
            + std::string(1, '\0'));
    }
    void Section(uint32 code, const std::string& contents)
    {
        std::string section = U32(code) + U32(uint32(8 + contents.size())) + contents;
        fBody += Pad(section);
    }
    void Single(const std::string& name, uint32 type, const std::string& value)
    {
        Section('SGDa', Named(type, uint32(value.size()), name) + value);
    }
    void Fixed(const std::string& name, uint32 type, uint32 itemSize, uint32 count,
        const std::string& values)
    {
        Section('FADa', Named(type, itemSize, name) + U32(count) + U32(0) + values);
    }
    void Variable(const std::string& name, uint32 type, const std::vector<std::string>& items)
    {
        std::string area;
        std::string ends;
        for (const std::string& item : items) {
            area = Pad(area) + item;
            ends += U32(uint32(area.size()));
        }
        Section('VADa', Named(type, 0, name) + U32(uint32(items.size())) + U32(uint32(area.size()))
            + area + ends);
    }
    std::string Message(uint32 what) const
    {
        std::string magic = fBig ? "FOB2" : "2BOF";
        return magic + U32(uint32(16 + fBody.size())) + U32(what) + U32(0) + fBody;
    }

private:
    bool fBig;
    std::string fBody;
};

TEST(MessageFlatten, DanoFormatIsReadInBothByteOrders)
{
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        DanoWriter inner(bigEndian);
        inner.Single("deep", B_INT32_TYPE, inner.U32(99));
        DanoWriter writer(bigEndian);
        writer.Section('STof', std::string(16, '\0'));          // skipped
        writer.Single("n", B_INT32_TYPE, writer.U32(0x01020304));
        writer.Single("s", B_STRING_TYPE, std::string("text\0", 5));
        writer.Fixed("shorts", B_INT16_TYPE, 2, 3,
            writer.U16(1) + writer.U16(2) + writer.U16(0xfffe));
        writer.Variable("names", B_STRING_TYPE,
            {std::string("a\0", 2), std::string("longer name\0", 12), std::string("z\0", 2)});
        writer.Variable("nested", B_MESSAGE_TYPE, {inner.Message('INNR')});
        writer.Section('DDEn', "");
        std::string flat = writer.Message('DANO');

        BMessage read;
        ASSERT_EQ(read.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
        EXPECT_EQ(read.what, uint32('DANO'));
        EXPECT_EQ(read.GetInt32("n", 0), 0x01020304);
        EXPECT_STREQ(read.GetString("s"), "text");
        EXPECT_EQ(read.GetInt16("shorts", 2, 0), -2);
        EXPECT_STREQ(read.GetString("names", 1, nullptr), "longer name");
        EXPECT_STREQ(read.GetString("names", 2, nullptr), "z");
        const BMessage* nested = read.FindMessagePointer("nested");
        ASSERT_NE(nested, nullptr);
        EXPECT_EQ(nested->what, uint32('INNR'));
        EXPECT_EQ(nested->GetInt32("deep", 0), 99);
        bool fixedSize = false;
        type_code type;
        ASSERT_EQ(read.GetInfo("n", &type, &fixedSize), B_OK);
        EXPECT_TRUE(fixedSize);
        ASSERT_EQ(read.GetInfo("s", &type, &fixedSize), B_OK);
        EXPECT_FALSE(fixedSize);
        EXPECT_EQ(read.CountNames(B_ANY_TYPE), 5);

        BMessage unsized;
        ASSERT_EQ(unsized.Unflatten(flat.data()), B_OK);
        EXPECT_TRUE(unsized.HasSameData(read));

        // Lying section sizes and end tables are refused.
        std::string damaged = flat;
        damaged.replace(16 + 4, 4, writer.U32(4));               // section smaller than its header
        EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
        EXPECT_TRUE(read.IsEmpty());
        damaged = flat;
        damaged.replace(16 + 4, 4, writer.U32(0x10000));          // section past the end
        EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
        damaged = flat;
        damaged.replace(4, 4, writer.U32(uint32(flat.size() + 1)));  // total past the input
        EXPECT_EQ(read.Unflatten(damaged.data(), ssize_t(damaged.size())), B_BAD_DATA);
    }
}

TEST(MessageFlatten, OtherBytesAreNotMessages)
{
    BMessage read;
    read.AddInt32("stale", 1);
    std::string text = "not a message at all";
    EXPECT_EQ(read.Unflatten(text.data(), ssize_t(text.size())), B_NOT_A_MESSAGE);
    EXPECT_EQ(read.Unflatten(text.data()), B_NOT_A_MESSAGE);
    EXPECT_EQ(read.Unflatten(text.data(), 2), B_NOT_A_MESSAGE);
    EXPECT_EQ(read.Unflatten(nullptr, 10), B_BAD_VALUE);
    EXPECT_EQ(read.Unflatten(static_cast<const char*>(nullptr)), B_BAD_VALUE);
}

} // namespace
