#include <LibHelpRequest.h>

#include <gtest/gtest.h>

namespace {

BMessage KeyDown(int32 modifiers, int32 key)
{
    BMessage message(B_KEY_DOWN);
    message.AddInt32("modifiers", modifiers);
    message.AddInt32("key", key);
    return message;
}

} // namespace

TEST(LibHelpRequestTest, OnlyShiftF1IsTheHelpKey)
{
    EXPECT_TRUE(LibIsHelpKey(KeyDown(0x1, 2)));
    // Shift with other modifiers (left shift bit, caps lock) still counts.
    EXPECT_TRUE(LibIsHelpKey(KeyDown(0x1 | 0x100 | 0x8, 2)));
    EXPECT_FALSE(LibIsHelpKey(KeyDown(0, 2)));
    EXPECT_FALSE(LibIsHelpKey(KeyDown(0x1, 3)));
    EXPECT_FALSE(LibIsHelpKey(KeyDown(0x4, 2)));

    BMessage other = KeyDown(0x1, 2);
    other.what = B_MOUSE_DOWN;
    EXPECT_FALSE(LibIsHelpKey(other));

    BMessage noKey(B_KEY_DOWN);
    noKey.AddInt32("modifiers", 0x1);
    EXPECT_FALSE(LibIsHelpKey(noKey));
}

TEST(LibHelpRequestTest, RequestNamesWindowAndViewChain)
{
    const BMessage request = LibMakeHelpRequest("installer", {"install_button", "button_box", "top"}, nullptr);
    EXPECT_EQ(request.what, uint32('help'));
    std::string text;
    ASSERT_EQ(request.FindString("window", &text), B_OK);
    EXPECT_EQ(text, "installer");
    type_code type;
    int32 count = 0;
    ASSERT_EQ(request.GetInfo("view", &type, &count), B_OK);
    ASSERT_EQ(count, 3);
    const char* expected[] = {"install_button", "button_box", "top"};
    for (int32 i = 0; i < count; ++i) {
        ASSERT_EQ(request.FindString("view", i, &text), B_OK);
        EXPECT_EQ(text, expected[i]);
    }
    EXPECT_FALSE(request.HasMessage("inserts"));
}

TEST(LibHelpRequestTest, InsertsAreCarriedWhenGiven)
{
    BMessage inserts;
    inserts.AddString("item", "Typical");
    const BMessage request = LibMakeHelpRequest("installer", {"group_menu"}, &inserts);
    BMessage found;
    ASSERT_EQ(request.FindMessage("inserts", &found), B_OK);
    std::string item;
    ASSERT_EQ(found.FindString("item", &item), B_OK);
    EXPECT_EQ(item, "Typical");

    // A null window name still gives a well-formed request.
    const BMessage unnamed = LibMakeHelpRequest(nullptr, {}, nullptr);
    std::string window = "x";
    ASSERT_EQ(unnamed.FindString("window", &window), B_OK);
    EXPECT_TRUE(window.empty());
    EXPECT_FALSE(unnamed.HasString("view"));
}
