// LibStringList: text operations and the transfer to and from a string
// field of a message.
#include <LibStringList.h>

#include <Message.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings Texts(LibStringList& list)
{
    Strings texts;
    for (LibString* item = list.First(); item != nullptr; item = list.Next())
        texts.push_back(static_cast<const char*>(*item));
    return texts;
}

Strings FieldStrings(const BMessage& message, const char* name)
{
    Strings texts;
    const char* text = nullptr;
    for (int32 i = 0; message.FindString(name, i, &text) == B_OK; i++)
        texts.push_back(text);
    return texts;
}

} // namespace

TEST(LibStringList, AddFindRemove)
{
    LibStringList list;
    list.Add("abcdef");
    list.Add("xyz");
    list.Add(nullptr);
    list.Add("abc");
    EXPECT_EQ(Texts(list), (Strings{"abcdef", "xyz", "", "abc"}));

    EXPECT_TRUE(list.InList("xyz"));
    EXPECT_EQ(list.CursorIndex(), 1);
    EXPECT_FALSE(list.InList("XYZ"));
    EXPECT_TRUE(list.InList(""));

    LibString* found = list.Find("abc", false, 3);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(static_cast<const char*>(*found), "abcdef");
    found = list.Find("abc", false, -1);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(list.CursorIndex(), 3);
    EXPECT_EQ(list.Find("ABC", false, -1), nullptr);
    found = list.Find("ABC", true, -1);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(static_cast<const char*>(*found), "abc");
    EXPECT_EQ(list.Find("q", false, -1), nullptr);

    EXPECT_TRUE(list.Remove("xyz"));
    EXPECT_FALSE(list.Remove("xyz"));
    EXPECT_EQ(Texts(list), (Strings{"abcdef", "", "abc"}));

    LibStringList copy(list);
    LibStringList assigned;
    assigned.Add("old");
    assigned = list;
    list.Clear();
    EXPECT_EQ(Texts(copy), (Strings{"abcdef", "", "abc"}));
    EXPECT_EQ(Texts(assigned), (Strings{"abcdef", "", "abc"}));
}

TEST(LibStringList, MessageRoundTrip)
{
    LibStringList list;
    list.Add("/boot/home/config/lib");
    list.Add("");
    list.Add("libz.so");

    BMessage message('test');
    message.AddString("libraries", "already there");
    EXPECT_TRUE(list.GetFrom(message, "libraries"));
    EXPECT_EQ(FieldStrings(message, "libraries"),
        (Strings{"already there", "/boot/home/config/lib", "", "libz.so"}));

    // Through the flattened form and back.
    std::string flat;
    ASSERT_EQ(message.Flatten(&flat), B_OK);
    BMessage restored;
    ASSERT_EQ(restored.Unflatten(flat.data(), static_cast<ssize_t>(flat.size())), B_OK);

    LibStringList read;
    read.Add("kept");
    EXPECT_TRUE(read.Append(restored, "libraries"));
    EXPECT_EQ(Texts(read), (Strings{"kept", "already there", "/boot/home/config/lib", "", "libz.so"}));

    EXPECT_TRUE(read.SetTo(restored, "libraries"));
    EXPECT_EQ(Texts(read), (Strings{"already there", "/boot/home/config/lib", "", "libz.so"}));
}

TEST(LibStringList, MissingOrForeignFieldsChangeNothing)
{
    BMessage message;
    message.AddInt32("count", 3);

    LibStringList list;
    list.Add("a");
    EXPECT_FALSE(list.SetTo(message, "absent"));
    EXPECT_FALSE(list.SetTo(message, "count"));  // not a string field
    EXPECT_FALSE(list.Append(message, "absent"));
    EXPECT_FALSE(list.SetTo(message, nullptr));
    EXPECT_EQ(Texts(list), (Strings{"a"}));

    // An empty list adds nothing.
    LibStringList empty;
    EXPECT_TRUE(empty.GetFrom(message, "names"));
    type_code type = 0;
    EXPECT_NE(message.GetInfo("names", &type), B_OK);
}

TEST(LibStringList, PrintToStream)
{
    LibStringList list;
    list.Add("one");
    list.Add("two");
    testing::internal::CaptureStderr();
    list.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "LibString:: <one>, buffer 4\nLibString:: <two>, buffer 4\n");
}
