// LibStringIterator: splitting into fields at one separator or a set.
#include <LibStringIterator.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(const LibString& s)
{
    const char* text = s;
    return text != nullptr ? text : "<null>";
}

// Every field GetNextField delivers with one separator, until it says false.
std::vector<std::string> Fields(const char* text, char separator)
{
    LibStringIterator iterator(text);
    std::vector<std::string> fields;
    LibString field;
    while (iterator.GetNextField(separator, field))
        fields.push_back(Text(field));
    EXPECT_EQ(Text(field), "");
    return fields;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(LibStringIterator, SingleSeparator)
{
    EXPECT_EQ(Fields("boot/home/config", '/'), (Strings{"boot", "home", "config"}));
    EXPECT_EQ(Fields("/boot/home/", '/'), (Strings{"", "boot", "home"}));
    EXPECT_EQ(Fields("a;;b", ';'), (Strings{"a", "", "b"}));
    EXPECT_EQ(Fields(";", ';'), (Strings{""}));
    EXPECT_EQ(Fields("", ';'), Strings{});
    EXPECT_EQ(Fields("no separator", ';'), (Strings{"no separator"}));
    EXPECT_EQ(Fields("a;b", '\0'), (Strings{"a;b"}));
    EXPECT_EQ(Fields(nullptr, ';'), Strings{});
}

TEST(LibStringIterator, PositionMovesPastSeparators)
{
    LibStringIterator it("ab;c");
    LibString field;
    EXPECT_TRUE(it.GetNextField(';', field));
    EXPECT_EQ(it.Position(), 3);
    EXPECT_TRUE(it.GetNextField(';', field));
    EXPECT_EQ(it.Position(), 4);
    EXPECT_FALSE(it.GetNextField(';', field));

    // Reset, also outside the text.
    it.Reset(3);
    EXPECT_TRUE(it.GetNextField(';', field));
    EXPECT_EQ(Text(field), "c");
    it.Reset(50);
    EXPECT_FALSE(it.GetNextField(';', field));
    it.Reset(-4);
    EXPECT_EQ(it.Position(), 0);
    EXPECT_TRUE(it.GetNextField(';', field));
    EXPECT_EQ(Text(field), "ab");

    // Copies carry the position; assigning a text starts over.
    LibStringIterator copy(it);
    EXPECT_EQ(copy.Position(), 3);
    LibStringIterator assigned;
    assigned = it;
    EXPECT_EQ(assigned.Position(), 3);
    assigned = "x;y";
    EXPECT_EQ(assigned.Position(), 0);
    it = int32(12);
    EXPECT_EQ(Text(it), "12");
    EXPECT_EQ(it.Position(), 0);
    it = LibString("p;q");
    EXPECT_EQ(it.Position(), 0);
    EXPECT_TRUE(it.GetNextField(';', field));
    EXPECT_EQ(Text(field), "p");
}

TEST(LibStringIterator, SeparatorSet)
{
    LibStringIterator it("a b,c");
    LibString field;
    EXPECT_TRUE(it.GetNextField(" ,", field));
    EXPECT_EQ(Text(field), "a");
    EXPECT_TRUE(it.GetNextField(" ,", field));
    EXPECT_EQ(Text(field), "b");
    // The last field comes with false and the position stays.
    EXPECT_FALSE(it.GetNextField(" ,", field));
    EXPECT_EQ(Text(field), "c");
    EXPECT_EQ(it.Position(), 4);
    EXPECT_FALSE(it.GetNextField(" ,", field));
    EXPECT_EQ(Text(field), "c");

    // An empty set ends no field.
    LibStringIterator whole("a b");
    EXPECT_FALSE(whole.GetNextField("", field));
    EXPECT_EQ(Text(field), "a b");
    EXPECT_EQ(whole.Position(), 0);
    EXPECT_FALSE(whole.GetNextField(static_cast<const char*>(nullptr), field));
    EXPECT_EQ(Text(field), "a b");

    LibStringIterator done("x,");
    EXPECT_TRUE(done.GetNextField(",", field));
    EXPECT_FALSE(done.GetNextField(",", field));
    EXPECT_EQ(Text(field), "");
}

TEST(LibStringIterator, IndexField)
{
    LibString field;
    LibStringIterator a("a;b;c;");
    EXPECT_TRUE(a.GetIndexField(';', 2, field));
    EXPECT_EQ(Text(field), "c");
    EXPECT_FALSE(a.GetIndexField(';', 3, field));
    LibStringIterator b("a;b;cd");
    EXPECT_TRUE(b.GetIndexField(';', 2, field));
    EXPECT_EQ(Text(field), "cd");
    LibStringIterator c("a;b;c");
    EXPECT_TRUE(c.GetIndexField(';', 2, field));
    EXPECT_EQ(Text(field), "c");
    EXPECT_TRUE(c.GetIndexField(';', 0, field));
    EXPECT_EQ(Text(field), "a");
    field = "stale";
    EXPECT_FALSE(c.GetIndexField(';', -1, field));
    EXPECT_EQ(Text(field), "");
}

TEST(LibStringIterator, PrintToStream)
{
    LibStringIterator it("x/y");
    LibString field;
    it.GetNextField('/', field);
    testing::internal::CaptureStderr();
    it.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LibString:: <x/y>, buffer 4\nposition 2\n");
}
