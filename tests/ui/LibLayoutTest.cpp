#include <LibLayout.h>
#include <LibPlacement.h>

#include <gtest/gtest.h>

namespace {

void ExpectRect(const BRect& rect, float left, float top, float right, float bottom)
{
    EXPECT_FLOAT_EQ(rect.left, left);
    EXPECT_FLOAT_EQ(rect.top, top);
    EXPECT_FLOAT_EQ(rect.right, right);
    EXPECT_FLOAT_EQ(rect.bottom, bottom);
}

void ExpectPoint(const BPoint& point, float x, float y)
{
    EXPECT_FLOAT_EQ(point.x, x);
    EXPECT_FLOAT_EQ(point.y, y);
}

const BRect kScreen(0, 0, 1023, 767);
const BRect kWindow(0, 0, 400, 300);

} // namespace

TEST(LibLayoutTest, RectFromOriginAndSizeHasInclusiveEdges)
{
    ExpectRect(LibRect(0, 0, 31, 31), 0, 0, 31, 31);
    ExpectRect(LibRect(10, 20, 5, 0), 10, 20, 15, 20);
}

TEST(LibLayoutTest, LayoutAgainstEveryEdgePairing)
{
    const BRect reference(0, 0, 100, 50);
    ExpectRect(LibLayoutRect(reference, kEdgeRight, kEdgeLeft, 5, 20, 10), 105, 0, 125, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeRight, kEdgeRight, -4, 20, 10), 76, 0, 96, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeLeft, kEdgeLeft, 3, 20, 10), 3, 0, 23, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeLeft, kEdgeRight, -5, 20, 10), -25, 0, -5, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeTop, kEdgeTop, 2, 20, 10), 0, 2, 20, 12);
    ExpectRect(LibLayoutRect(reference, kEdgeTop, kEdgeBottom, -5, 20, 10), 0, -15, 20, -5);
    ExpectRect(LibLayoutRect(reference, kEdgeBottom, kEdgeTop, 5, 20, 10), 0, 55, 20, 65);
    ExpectRect(LibLayoutRect(reference, kEdgeBottom, kEdgeBottom, 0, 20, 10), 0, 40, 20, 50);

    // The reference's origin carries over.
    ExpectRect(LibLayoutRect(BRect(30, 40, 60, 70), kEdgeBottom, kEdgeTop, 5, 20, 10), 30, 75, 50, 85);
}

TEST(LibLayoutTest, MismatchedOrUnknownEdgesLeaveTheRectUnmoved)
{
    const BRect reference(10, 10, 100, 50);
    ExpectRect(LibLayoutRect(reference, kEdgeRight, kEdgeTop, 5, 20, 10), 0, 0, 20, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeTop, kEdgeLeft, 5, 20, 10), 0, 0, 20, 10);
    ExpectRect(LibLayoutRect(reference, Edge(4), kEdgeTop, 5, 20, 10), 0, 0, 20, 10);
    ExpectRect(LibLayoutRect(reference, kEdgeBottom, Edge(7), 5, 20, 10), 0, 0, 20, 10);
}

TEST(LibPlacementTest, NinePositionsOnTheScreen)
{
    BPoint origin;
    ASSERT_TRUE(LibPlacement::OnScreen(LibPlacement::kCenter, kWindow, kScreen, 0, origin));
    ExpectPoint(origin, 311.5f, 233.5f);

    const float a = LibPlacement::kTitleAllowance;
    const float x[3] = {10, 311.5f, 613};
    const float y[3] = {a, 233.5f, 457};
    for (int32 where = 0; where < 9; ++where) {
        SCOPED_TRACE(where);
        ASSERT_TRUE(LibPlacement::OnScreen(where, kWindow, kScreen, a, origin));
        ExpectPoint(origin, x[where % 3], y[where / 3]);
    }

    // Without a title tab the top row starts at 0.
    ASSERT_TRUE(LibPlacement::OnScreen(LibPlacement::kTopLeft, kWindow, kScreen, 0, origin));
    ExpectPoint(origin, 10, 0);
}

TEST(LibPlacementTest, NinePositionsAroundAnotherWindow)
{
    const BRect other(300, 300, 500, 400);
    const BRect small(0, 0, 100, 50);
    const float a = LibPlacement::kTitleAllowance;
    const float x[3] = {180, 350, 520};
    const float y[3] = {220, 325, 440};
    BPoint origin;
    for (int32 where = 0; where < 9; ++where) {
        SCOPED_TRACE(where);
        ASSERT_TRUE(LibPlacement::AroundFrame(where, small, other, kScreen, a, origin));
        ExpectPoint(origin, x[where % 3], y[where / 3]);
    }
}

TEST(LibPlacementTest, AroundAnotherWindowIsPulledBackOntoTheScreen)
{
    BPoint origin;
    // Right of a window at the screen's right edge: x = S.right - W - 5.
    ASSERT_TRUE(LibPlacement::AroundFrame(LibPlacement::kTopRight, kWindow, BRect(700, 400, 1000, 600),
        kScreen, 30, origin));
    ExpectPoint(origin, 1023 - 400 - 5, 400 - 300 - 30);

    // Above the top: 25, not 0; left of the left edge: 2.
    ASSERT_TRUE(LibPlacement::AroundFrame(LibPlacement::kTopLeft, kWindow, BRect(50, 50, 250, 150),
        kScreen, 30, origin));
    ExpectPoint(origin, 2, 25);

    // Below the bottom.
    ASSERT_TRUE(LibPlacement::AroundFrame(LibPlacement::kBottomCenter, kWindow, BRect(400, 600, 600, 700),
        kScreen, 0, origin));
    ExpectPoint(origin, 300, 767 - 300 - 5);
}

TEST(LibPlacementTest, UnknownPositionsLeaveTheOriginAlone)
{
    BPoint origin(7, 8);
    EXPECT_FALSE(LibPlacement::OnScreen(9, kWindow, kScreen, 0, origin));
    EXPECT_FALSE(LibPlacement::OnScreen(-1, kWindow, kScreen, 0, origin));
    EXPECT_FALSE(LibPlacement::AroundFrame(42, kWindow, kScreen, kScreen, 0, origin));
    ExpectPoint(origin, 7, 8);
}

TEST(LibPlacementTest, ScreenChangeScalesTheOrigin)
{
    BPoint origin;
    ASSERT_TRUE(LibPlacement::Rescaled(BRect(100, 50, 300, 200), BRect(0, 0, 639, 479),
        BRect(0, 0, 1279, 959), origin));
    EXPECT_NEAR(origin.x, 200.16f, 0.01f);
    EXPECT_NEAR(origin.y, 100.10f, 0.01f);

    origin.Set(-1, -1);
    EXPECT_FALSE(LibPlacement::Rescaled(BRect(100, 50, 300, 200), kScreen, kScreen, origin));
    ExpectPoint(origin, -1, -1);
}

TEST(LibPlacementTest, ScreenChangeFromOrToNoDisplayDoesNotMoveTheWindow)
{
    BPoint origin(-1, -1);
    EXPECT_FALSE(LibPlacement::Rescaled(BRect(100, 50, 300, 200), BRect(), kScreen, origin));
    EXPECT_FALSE(LibPlacement::Rescaled(BRect(100, 50, 300, 200), kScreen, BRect(), origin));
    EXPECT_FALSE(LibPlacement::Rescaled(BRect(100, 50, 300, 200), BRect(0, 0, 0, 767), kScreen, origin));
    ExpectPoint(origin, -1, -1);
}
