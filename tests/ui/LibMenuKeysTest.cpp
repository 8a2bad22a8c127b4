#include <LibMenuKeys.h>

#include <gtest/gtest.h>

TEST(LibMenuKeysTest, ArrowsStepAndWrapAround)
{
    const std::vector<bool> items(4, false);
    EXPECT_EQ(LibMenuStep(items, 1, kLibMenuKeyDown), 2);
    EXPECT_EQ(LibMenuStep(items, 1, kLibMenuKeyUp), 0);
    EXPECT_EQ(LibMenuStep(items, 3, kLibMenuKeyDown), 0);
    EXPECT_EQ(LibMenuStep(items, 0, kLibMenuKeyUp), 3);
    EXPECT_EQ(LibMenuStep(items, 2, kLibMenuKeyHome), 0);
    EXPECT_EQ(LibMenuStep(items, 1, kLibMenuKeyEnd), 3);
    // A single item stays where it is.
    EXPECT_EQ(LibMenuStep({false}, 0, kLibMenuKeyDown), 0);
}

TEST(LibMenuKeysTest, SeparatorsAreSkipped)
{
    // A, separator, B
    const std::vector<bool> items{false, true, false};
    EXPECT_EQ(LibMenuStep(items, 0, kLibMenuKeyDown), 2);
    EXPECT_EQ(LibMenuStep(items, 2, kLibMenuKeyUp), 0);

    // Separators at both ends: Home and End find the first and last item.
    const std::vector<bool> framed{true, true, false, false, true};
    EXPECT_EQ(LibMenuStep(framed, 3, kLibMenuKeyHome), 2);
    EXPECT_EQ(LibMenuStep(framed, 2, kLibMenuKeyEnd), 3);
    EXPECT_EQ(LibMenuStep(framed, 3, kLibMenuKeyDown), 2);
    EXPECT_EQ(LibMenuStep(framed, 2, kLibMenuKeyUp), 3);
}

TEST(LibMenuKeysTest, NothingMovesWithoutAMarkOrAnItem)
{
    const std::vector<bool> items(3, false);
    EXPECT_EQ(LibMenuStep(items, -1, kLibMenuKeyDown), -1);
    EXPECT_EQ(LibMenuStep(items, 3, kLibMenuKeyDown), -1);
    EXPECT_EQ(LibMenuStep({}, 0, kLibMenuKeyDown), -1);
    EXPECT_EQ(LibMenuStep(items, 1, 'a'), -1);
    EXPECT_FALSE(LibIsMenuKey('\n'));
    // A marked separator among separators only: no item to go to.
    EXPECT_EQ(LibMenuStep({true, true}, 0, kLibMenuKeyDown), -1);
    EXPECT_EQ(LibMenuStep({true, true}, 1, kLibMenuKeyHome), -1);
}
