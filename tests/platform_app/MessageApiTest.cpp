// Typed access to message fields: adding, finding, replacing, removing,
// field information, copies and the nested-message pointer access.

#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace {

TEST(MessageApi, TypedValuesRoundTripThroughFind)
{
    BMessage message('TEST');
    ASSERT_EQ(message.AddString("s", "text"), B_OK);
    ASSERT_EQ(message.AddString("s", std::string("second")), B_OK);
    ASSERT_EQ(message.AddBool("b", true), B_OK);
    ASSERT_EQ(message.AddInt8("i8", -8), B_OK);
    ASSERT_EQ(message.AddUInt8("u8", 200), B_OK);
    ASSERT_EQ(message.AddInt16("i16", -1600), B_OK);
    ASSERT_EQ(message.AddUInt16("u16", 60000), B_OK);
    ASSERT_EQ(message.AddInt32("i32", -320000), B_OK);
    ASSERT_EQ(message.AddUInt32("u32", 4000000000u), B_OK);
    ASSERT_EQ(message.AddInt64("i64", -(int64(1) << 40)), B_OK);
    ASSERT_EQ(message.AddUInt64("u64", ~uint64(0)), B_OK);
    ASSERT_EQ(message.AddFloat("f", 1.5f), B_OK);
    ASSERT_EQ(message.AddDouble("d", 2.25), B_OK);
    ASSERT_EQ(message.AddPoint("p", BPoint(3, 4)), B_OK);
    ASSERT_EQ(message.AddRect("r", BRect(1, 2, 3, 4)), B_OK);
    int marker = 0;
    ASSERT_EQ(message.AddPointer("ptr", &marker), B_OK);
    entry_ref ref(7, 99, "leaf");
    ASSERT_EQ(message.AddRef("ref", &ref), B_OK);
    BMessage inner('INNR');
    inner.AddInt32("x", 1);
    ASSERT_EQ(message.AddMessage("m", &inner), B_OK);

    const char* s = nullptr;
    EXPECT_EQ(message.FindString("s", &s), B_OK);
    EXPECT_STREQ(s, "text");
    std::string second;
    EXPECT_EQ(message.FindString("s", 1, &second), B_OK);
    EXPECT_EQ(second, "second");
    bool b = false;
    EXPECT_EQ(message.FindBool("b", &b), B_OK);
    EXPECT_TRUE(b);
    int8 i8 = 0;
    EXPECT_EQ(message.FindInt8("i8", &i8), B_OK);
    EXPECT_EQ(i8, -8);
    uint8 u8 = 0;
    EXPECT_EQ(message.FindUInt8("u8", &u8), B_OK);
    EXPECT_EQ(u8, 200);
    int16 i16 = 0;
    EXPECT_EQ(message.FindInt16("i16", &i16), B_OK);
    EXPECT_EQ(i16, -1600);
    uint16 u16 = 0;
    EXPECT_EQ(message.FindUInt16("u16", &u16), B_OK);
    EXPECT_EQ(u16, 60000);
    int32 i32 = 0;
    EXPECT_EQ(message.FindInt32("i32", &i32), B_OK);
    EXPECT_EQ(i32, -320000);
    uint32 u32 = 0;
    EXPECT_EQ(message.FindUInt32("u32", &u32), B_OK);
    EXPECT_EQ(u32, 4000000000u);
    int64 i64 = 0;
    EXPECT_EQ(message.FindInt64("i64", &i64), B_OK);
    EXPECT_EQ(i64, -(int64(1) << 40));
    uint64 u64 = 0;
    EXPECT_EQ(message.FindUInt64("u64", &u64), B_OK);
    EXPECT_EQ(u64, ~uint64(0));
    float f = 0;
    EXPECT_EQ(message.FindFloat("f", &f), B_OK);
    EXPECT_EQ(f, 1.5f);
    double d = 0;
    EXPECT_EQ(message.FindDouble("d", &d), B_OK);
    EXPECT_EQ(d, 2.25);
    BPoint p;
    EXPECT_EQ(message.FindPoint("p", &p), B_OK);
    EXPECT_EQ(p, BPoint(3, 4));
    BRect r;
    EXPECT_EQ(message.FindRect("r", &r), B_OK);
    EXPECT_EQ(r, BRect(1, 2, 3, 4));
    void* ptr = nullptr;
    EXPECT_EQ(message.FindPointer("ptr", &ptr), B_OK);
    EXPECT_EQ(ptr, &marker);
    entry_ref foundRef;
    EXPECT_EQ(message.FindRef("ref", &foundRef), B_OK);
    EXPECT_EQ(foundRef, ref);
    BMessage foundInner;
    EXPECT_EQ(message.FindMessage("m", &foundInner), B_OK);
    EXPECT_EQ(foundInner.what, uint32('INNR'));
    EXPECT_EQ(foundInner.GetInt32("x", 0), 1);

    // Bools are one byte, fixed size; strings carry their NUL.
    const void* data = nullptr;
    ssize_t size = 0;
    EXPECT_EQ(message.FindData("b", B_BOOL_TYPE, &data, &size), B_OK);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(message.FindData("s", B_STRING_TYPE, 1, &data, &size), B_OK);
    EXPECT_EQ(size, 7);
    EXPECT_EQ(memcmp(data, "second", 7), 0);
}

TEST(MessageApi, FindErrorsLeaveTheValueAlone)
{
    BMessage message;
    message.AddInt32("n", 5);
    message.AddString("s", "x");
    int32 value = 42;
    EXPECT_EQ(message.FindInt32("missing", &value), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindInt32("s", &value), B_BAD_TYPE);
    EXPECT_EQ(message.FindInt32("n", 1, &value), B_BAD_INDEX);
    EXPECT_EQ(message.FindInt32("n", -1, &value), B_BAD_INDEX);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(message.FindInt32(nullptr, &value), B_BAD_VALUE);
    EXPECT_EQ(message.FindInt32("n", static_cast<int32*>(nullptr)), B_BAD_VALUE);
    const char* text = "unchanged";
    EXPECT_EQ(message.FindString("n", &text), B_BAD_TYPE);
    EXPECT_STREQ(text, "unchanged");

    // B_ANY_TYPE finds data of any type; a specific type must match.
    const void* data = nullptr;
    ssize_t size = 0;
    EXPECT_EQ(message.FindData("s", B_ANY_TYPE, &data, &size), B_OK);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(message.FindData("s", B_RAW_TYPE, &data, &size), B_BAD_TYPE);
    EXPECT_TRUE(message.HasData("s", B_ANY_TYPE));
    EXPECT_FALSE(message.HasData("s", B_INT32_TYPE));
    EXPECT_TRUE(message.HasInt32("n"));
    EXPECT_FALSE(message.HasInt32("n", 1));
    EXPECT_FALSE(message.HasString("nothing"));
}

TEST(MessageApi, AddChecksTypeSizeAndArguments)
{
    BMessage message;
    ASSERT_EQ(message.AddInt32("n", 1), B_OK);
    EXPECT_EQ(message.AddString("n", "x"), B_BAD_TYPE);
    EXPECT_EQ(message.AddInt64("n", 1), B_BAD_TYPE);
    // A fixed-size field only takes values of its size.
    int64 wide = 7;
    EXPECT_EQ(message.AddData("n", B_INT32_TYPE, &wide, 8), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("n", B_INT32_TYPE, &wide, 0), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("n", B_INT32_TYPE, nullptr, 4), B_BAD_VALUE);
    EXPECT_EQ(message.AddString(nullptr, "x"), B_BAD_VALUE);
    EXPECT_EQ(message.AddString("t", static_cast<const char*>(nullptr)), B_BAD_VALUE);
    EXPECT_EQ(message.AddMessage("m", static_cast<const BMessage*>(nullptr)), B_BAD_VALUE);
    // Names are limited to what the flattened form can store.
    std::string longName(256, 'a');
    EXPECT_EQ(message.AddInt32(longName.c_str(), 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32(longName.substr(0, 255).c_str(), 1), B_OK);
    // Failed adds changed nothing.
    int32 count = 0;
    EXPECT_EQ(message.GetInfo("n", nullptr, &count), B_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 2);

    // Names are exact: case and length matter.
    message.AddInt32("N", 2);
    message.AddInt32("n2", 3);
    EXPECT_EQ(message.GetInt32("n", 0), 1);
    EXPECT_EQ(message.GetInt32("N", 0), 2);
    EXPECT_EQ(message.GetInt32("n2", 0), 3);

    // Variable-size raw data takes values of any size; fixed does not.
    char bytes[3] = {1, 2, 3};
    EXPECT_EQ(message.AddData("var", B_RAW_TYPE, bytes, 3, false), B_OK);
    EXPECT_EQ(message.AddData("var", B_RAW_TYPE, bytes, 1, false), B_OK);
    EXPECT_EQ(message.AddData("fix", B_RAW_TYPE, bytes, 3, true), B_OK);
    EXPECT_EQ(message.AddData("fix", B_RAW_TYPE, bytes, 1, true), B_BAD_VALUE);
    bool fixedSize = false;
    type_code type = 0;
    EXPECT_EQ(message.GetInfo("var", &type, &fixedSize), B_OK);
    EXPECT_FALSE(fixedSize);
    EXPECT_EQ(message.GetInfo("fix", &type, &fixedSize), B_OK);
    EXPECT_TRUE(fixedSize);
    EXPECT_EQ(type, uint32(B_RAW_TYPE));

    // A variable-size message field only takes flattened messages.
    EXPECT_EQ(message.AddData("msg", B_MESSAGE_TYPE, bytes, 3, false), B_BAD_VALUE);
    EXPECT_FALSE(message.HasMessage("msg"));
}

TEST(MessageApi, ReplaceKeepsPositionAndChecks)
{
    BMessage message;
    message.AddString("s", "one");
    message.AddString("s", "two");
    message.AddString("s", "three");
    message.AddInt32("n", 1);

    // A longer value in the middle of a variable field.
    ASSERT_EQ(message.ReplaceString("s", 1, "a much longer second value"), B_OK);
    EXPECT_STREQ(message.GetString("s", 0, nullptr), "one");
    EXPECT_STREQ(message.GetString("s", 1, nullptr), "a much longer second value");
    EXPECT_STREQ(message.GetString("s", 2, nullptr), "three");
    ASSERT_EQ(message.ReplaceString("s", "1"), B_OK);
    EXPECT_STREQ(message.GetString("s", 0, nullptr), "1");
    EXPECT_STREQ(message.GetString("s", 2, nullptr), "three");

    EXPECT_EQ(message.ReplaceString("s", 3, "x"), B_BAD_INDEX);
    EXPECT_EQ(message.ReplaceString("missing", "x"), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.ReplaceInt32("s", 5), B_BAD_TYPE);
    int16 small = 1;
    EXPECT_EQ(message.ReplaceData("n", B_INT32_TYPE, &small, 2), B_BAD_VALUE);
    ASSERT_EQ(message.ReplaceInt32("n", 9), B_OK);
    EXPECT_EQ(message.GetInt32("n", 0), 9);

    // Field order stays as first added.
    const char* name = nullptr;
    EXPECT_EQ(message.GetInfo(B_ANY_TYPE, 0, &name, nullptr), B_OK);
    EXPECT_STREQ(name, "s");

    // Set replaces index 0 or adds.
    ASSERT_EQ(message.SetInt32("n", 10), B_OK);
    ASSERT_EQ(message.SetInt32("new", 11), B_OK);
    EXPECT_EQ(message.GetInt32("n", 0), 10);
    EXPECT_EQ(message.GetInt32("new", 0), 11);
    EXPECT_EQ(message.SetBool("n", true), B_BAD_TYPE);
}

TEST(MessageApi, RemoveDataAndRemoveName)
{
    BMessage message;
    message.AddInt32("a", 1);
    message.AddInt32("a", 2);
    message.AddInt32("a", 3);
    message.AddString("b", "x");
    message.AddString("b", "y");

    ASSERT_EQ(message.RemoveData("a", 1), B_OK);
    EXPECT_EQ(message.GetInt32("a", 0, 0), 1);
    EXPECT_EQ(message.GetInt32("a", 1, 0), 3);
    EXPECT_EQ(message.RemoveData("a", 2), B_BAD_INDEX);
    EXPECT_EQ(message.RemoveData("zz"), B_NAME_NOT_FOUND);
    ASSERT_EQ(message.RemoveData("b", 0), B_OK);
    EXPECT_STREQ(message.GetString("b", nullptr), "y");

    // Removing the last value removes the field; a new field of another
    // type may then take the name.
    ASSERT_EQ(message.RemoveData("b"), B_OK);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 1);
    EXPECT_EQ(message.AddBool("b", true), B_OK);

    ASSERT_EQ(message.RemoveName("a"), B_OK);
    EXPECT_EQ(message.RemoveName("a"), B_NAME_NOT_FOUND);
    EXPECT_FALSE(message.IsEmpty());
    message.what = 5;
    ASSERT_EQ(message.MakeEmpty(), B_OK);
    EXPECT_TRUE(message.IsEmpty());
    EXPECT_EQ(message.what, 5u);
}

TEST(MessageApi, VariableValuesStayIntactThroughEdits)
{
    // Values of different lengths, edited at the front, middle and end.
    BMessage message;
    for (const char* value : {"a", "bbb", "cc", "dddddd", "e"})
        message.AddString("v", value);
    ASSERT_EQ(message.RemoveData("v", 4), B_OK);          // last
    ASSERT_EQ(message.RemoveData("v", 1), B_OK);          // middle
    ASSERT_EQ(message.ReplaceString("v", 2, "the new end"), B_OK);
    ASSERT_EQ(message.RemoveData("v", 0), B_OK);          // first
    ASSERT_EQ(message.AddString("v", "added"), B_OK);
    ASSERT_EQ(message.ReplaceString("v", 0, ""), B_OK);
    const char* expected[] = {"", "the new end", "added"};
    int32 count = 0;
    ASSERT_EQ(message.GetInfo("v", nullptr, &count), B_OK);
    ASSERT_EQ(count, 3);
    for (int32 i = 0; i < 3; i++)
        EXPECT_STREQ(message.GetString("v", i, nullptr), expected[i]) << i;

    // And the same values after a round trip through the flattened form.
    std::string flat;
    ASSERT_EQ(message.Flatten(&flat), B_OK);
    BMessage read;
    ASSERT_EQ(read.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    for (int32 i = 0; i < 3; i++)
        EXPECT_STREQ(read.GetString("v", i, nullptr), expected[i]) << i;
    ASSERT_EQ(read.RemoveData("v", 2), B_OK);
    ASSERT_EQ(read.RemoveData("v", 1), B_OK);
    EXPECT_STREQ(read.GetString("v", 0, nullptr), "");
    EXPECT_FALSE(read.HasString("v", 1));
}

TEST(MessageApi, GetInfoByIndexAndType)
{
    BMessage message;
    message.AddInt32("first", 1);
    message.AddString("second", "x");
    message.AddInt32("third", 2);
    message.AddInt32("third", 3);

    const char* name = nullptr;
    type_code type = 0;
    int32 count = 0;
    ASSERT_EQ(message.GetInfo(B_ANY_TYPE, 1, &name, &type, &count), B_OK);
    EXPECT_STREQ(name, "second");
    EXPECT_EQ(type, uint32(B_STRING_TYPE));
    EXPECT_EQ(count, 1);
    ASSERT_EQ(message.GetInfo(B_INT32_TYPE, 1, &name, &type, &count), B_OK);
    EXPECT_STREQ(name, "third");
    EXPECT_EQ(count, 2);
    char* mutableName = nullptr;
    ASSERT_EQ(message.GetInfo(B_INT32_TYPE, 0, &mutableName, &type), B_OK);
    EXPECT_STREQ(mutableName, "first");

    EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 2, &name, &type), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo(B_ANY_TYPE, 3, &name, &type), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo(B_ANY_TYPE, -1, &name, &type), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo(B_FLOAT_TYPE, 0, &name, &type), B_BAD_TYPE);
    EXPECT_EQ(message.CountNames(B_INT32_TYPE), 2);
    EXPECT_EQ(message.CountNames(B_FLOAT_TYPE), 0);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);
    EXPECT_EQ(message.GetInfo("nothing", &type, &count), B_NAME_NOT_FOUND);
}

TEST(MessageApi, CopiesAreIndependent)
{
    BMessage original('ORIG');
    original.AddString("s", "value");
    BMessage item;
    item.AddInt32("n", 1);
    original.AddMessage("items", &item);

    BMessage copy(original);
    EXPECT_TRUE(copy.HasSameData(original));
    copy.ReplaceString("s", "changed");
    copy.EditMessagePointer("items")->ReplaceInt32("n", 2);
    copy.AddInt32("extra", 3);
    EXPECT_STREQ(original.GetString("s"), "value");
    EXPECT_EQ(original.FindMessagePointer("items")->GetInt32("n", 0), 1);
    EXPECT_FALSE(original.HasInt32("extra"));

    BMessage assigned;
    assigned.AddBool("old", true);
    assigned = original;
    EXPECT_TRUE(assigned.HasSameData(original));
    EXPECT_FALSE(assigned.HasBool("old"));
    BMessage& alias = assigned;
    assigned = alias;
    EXPECT_TRUE(assigned.HasSameData(original));

    BMessage moved(std::move(assigned));
    EXPECT_TRUE(moved.HasSameData(original));
    EXPECT_TRUE(assigned.IsEmpty());

    // A message added to itself is a copy of the state before the add.
    ASSERT_EQ(original.AddMessage("self", &original), B_OK);
    EXPECT_FALSE(original.FindMessagePointer("self")->HasMessage("self"));
}

TEST(MessageApi, NestedMessagePointerAccess)
{
    BMessage config;
    BMessage instructions;
    for (int32 i = 0; i < 50; i++) {
        BMessage item;
        item.AddInt32("index", i);
        instructions.AddMessage("install_file", &item);
    }
    config.AddMessage("install_instructions", &instructions);

    const BMessage* found = config.FindMessagePointer("install_instructions");
    ASSERT_NE(found, nullptr);
    const BMessage* item = found->FindMessagePointer("install_file", 42);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetInt32("index", -1), 42);
    EXPECT_EQ(found->FindMessagePointer("install_file", 50), nullptr);
    EXPECT_EQ(found->FindMessagePointer("install_file", -1), nullptr);
    EXPECT_EQ(config.FindMessagePointer("missing"), nullptr);

    // Pointers stay valid while more values are added.
    BMessage* editable = config.EditMessagePointer("install_instructions");
    BMessage* first = editable->EditMessagePointer("install_file", 0);
    for (int32 i = 0; i < 100; i++) {
        BMessage extra;
        editable->AddMessage("install_file", std::move(extra));
    }
    first->AddBool("install_to_system", true);
    BMessage copy;
    ASSERT_EQ(config.FindMessage("install_instructions", &copy), B_OK);
    BMessage firstItem;
    ASSERT_EQ(copy.FindMessage("install_file", 0, &firstItem), B_OK);
    EXPECT_TRUE(firstItem.GetBool("install_to_system"));

    // Non-message fields give no pointer.
    config.AddInt32("n", 1);
    EXPECT_EQ(config.FindMessagePointer("n"), nullptr);

    // FindData on a message value gives its flattened bytes.
    const void* data = nullptr;
    ssize_t size = 0;
    ASSERT_EQ(editable->FindData("install_file", B_MESSAGE_TYPE, 0, &data, &size), B_OK);
    BMessage fromBytes;
    ASSERT_EQ(fromBytes.Unflatten(static_cast<const char*>(data), size), B_OK);
    EXPECT_TRUE(fromBytes.HasSameData(firstItem));

    // ReplaceMessage with a value of the same field.
    ASSERT_EQ(editable->ReplaceMessage("install_file", 1, editable->FindMessagePointer(
        "install_file", 0)), B_OK);
    EXPECT_TRUE(editable->FindMessagePointer("install_file", 1)->GetBool("install_to_system"));
}

TEST(MessageApi, FixedSizeMessageFieldKeepsBytes)
{
    // AddData defaults to fixed size; a message added so stays raw bytes
    // but FindMessage still reads it.
    BMessage inner('INNR');
    inner.AddInt32("n", 4);
    std::string flat;
    ASSERT_EQ(inner.Flatten(&flat), B_OK);
    BMessage message;
    ASSERT_EQ(message.AddData("raw", B_MESSAGE_TYPE, flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_EQ(message.FindMessagePointer("raw"), nullptr);
    BMessage found;
    ASSERT_EQ(message.FindMessage("raw", &found), B_OK);
    EXPECT_TRUE(found.HasSameData(inner));
    EXPECT_EQ(message.AddMessage("raw", &inner), B_OK);
    bool fixedSize = false;
    int32 count = 0;
    type_code type = 0;
    ASSERT_EQ(message.GetInfo("raw", &type, &count, &fixedSize), B_OK);
    EXPECT_TRUE(fixedSize);
    EXPECT_EQ(count, 2);
}

TEST(MessageApi, GettersWithDefaults)
{
    BMessage message;
    message.AddString("s", "v");
    message.AddBool("b", true);
    message.AddDouble("d", 0.5);
    EXPECT_STREQ(message.GetString("s", "def"), "v");
    EXPECT_STREQ(message.GetString("none", "def"), "def");
    EXPECT_EQ(message.GetString("b"), nullptr);
    EXPECT_TRUE(message.GetBool("b"));
    EXPECT_FALSE(message.GetBool("s"));
    EXPECT_EQ(message.GetDouble("d", 1.0), 0.5);
    EXPECT_EQ(message.GetDouble("s", 1.0), 1.0);
    EXPECT_EQ(message.GetInt64("d", -1), -1);
    EXPECT_EQ(message.GetRect("r", BRect(1, 1, 2, 2)), BRect(1, 1, 2, 2));
}

TEST(MessageApi, RenameAndAppend)
{
    BMessage message;
    message.AddInt32("a", 1);
    message.AddInt32("b", 2);
    EXPECT_EQ(message.Rename("a", "b"), B_NAME_IN_USE);
    EXPECT_EQ(message.Rename("x", "y"), B_NAME_NOT_FOUND);
    ASSERT_EQ(message.Rename("a", "c"), B_OK);
    EXPECT_EQ(message.GetInt32("c", 0), 1);

    BMessage other;
    other.AddInt32("b", 3);
    other.AddString("s", "t");
    ASSERT_EQ(message.Append(other), B_OK);
    EXPECT_EQ(message.GetInt32("b", 1, 0), 3);
    EXPECT_STREQ(message.GetString("s"), "t");

    BMessage clash;
    clash.AddString("new", "n");
    clash.AddString("c", "wrong type");
    BMessage before(message);
    EXPECT_EQ(message.Append(clash), B_BAD_TYPE);
    EXPECT_TRUE(message.HasSameData(before));
}

TEST(MessageApi, HasSameDataRules)
{
    BMessage a('ABCD');
    a.AddInt32("x", 1);
    a.AddString("y", "z");
    BMessage b('ABCD');
    b.AddString("y", "z");
    b.AddInt32("x", 1);
    EXPECT_FALSE(a.HasSameData(b));
    EXPECT_TRUE(a.HasSameData(b, true));

    BMessage c(a);
    c.what = 'ABCE';
    EXPECT_FALSE(a.HasSameData(c));

    // The fixed-size flag is part of the data.
    BMessage fixed;
    int32 value = 1;
    fixed.AddData("v", B_INT32_TYPE, &value, 4, true);
    BMessage variable;
    variable.AddData("v", B_INT32_TYPE, &value, 4, false);
    EXPECT_FALSE(fixed.HasSameData(variable));

    // Nested differences are found, deep or by flattened bytes.
    BMessage innerA;
    innerA.AddInt32("n", 1);
    BMessage innerB;
    innerB.AddInt32("n", 2);
    BMessage outerA;
    outerA.AddMessage("m", &innerA);
    BMessage outerB;
    outerB.AddMessage("m", &innerB);
    EXPECT_FALSE(outerA.HasSameData(outerB, false, true));
    EXPECT_FALSE(outerA.HasSameData(outerB, false, false));
    EXPECT_TRUE(outerA.HasSameData(BMessage(outerA), false, false));
}

TEST(MessageApi, PrintShowsEveryTypeAndNesting)
{
    BMessage message('TEST');
    message.AddString("text", "line\nnext \"q\"");
    message.AddInt32("count", 5);
    message.AddInt32("count", 6);
    message.AddBool("flag", false);
    message.AddDouble("ratio", 0.25);
    message.AddRect("frame", BRect(0, 0, 9, 9));
    entry_ref ref(3, 4, "file");
    message.AddRef("ref", &ref);
    char raw[40] = {};
    message.AddData("raw", 'ZZZZ', raw, sizeof(raw));
    BMessage inner(0x00000002);
    inner.AddString("deep", "inside");
    message.AddMessage("inner", &inner);

    std::ostringstream out;
    message.PrintToStream(out);
    std::string dump = out.str();
    EXPECT_NE(dump.find("BMessage('TEST') {"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"text\" = string(\"line\\nnext \\\"q\\\"\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"count\"[1] = int32(6"), std::string::npos) << dump;
    EXPECT_NE(dump.find("bool(false)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("double(0.25)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("BRect(l:0, t:0, r:9, b:9)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("name:\"file\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("'ZZZZ' fixed(40 bytes: 00 00"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"inner\" = BMessage(0x00000002) {\n        \"deep\" = string(\"inside\""),
        std::string::npos) << dump;
}

} // namespace
