#include "InterfaceTestSupport.h"

#include <Application.h>
#include <Cursor.h>

#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

TEST(CursorTest, CursorDataBecomesABitmapCursorWithItsHotSpot)
{
    unsigned char data[68] = {16, 1, 3, 5};
    // A black square in the middle, shown by the mask.
    for (int row = 4; row < 12; row++) {
        data[4 + row * 2] = 0x0f;
        data[4 + row * 2 + 1] = 0xf0;
        data[36 + row * 2] = 0x0f;
        data[36 + row * 2 + 1] = 0xf0;
    }
    BCursor cursor(data);
    EXPECT_EQ(cursor.InitCheck(), B_OK);
    const QCursor& shape = cursor._Cursor();
    EXPECT_EQ(shape.shape(), Qt::BitmapCursor);
    EXPECT_EQ(shape.hotSpot(), QPoint(5, 3));
    const QImage bits = shape.bitmap().toImage();
    EXPECT_NE(bits.pixelIndex(4, 4), bits.pixelIndex(3, 4));

    unsigned char wrong[68] = {32, 1};
    EXPECT_EQ(BCursor(wrong).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BCursor(B_I_BEAM_CURSOR)._Cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(BCursor(B_HAND_CURSOR)._Cursor().shape(), Qt::ArrowCursor);
}

TEST(CursorTest, ApplicationCursorIsOneOverrideThatTheHandRemoves)
{
    BCursor beam(B_I_BEAM_CURSOR);
    set_application_cursor(&beam);
    set_application_cursor(&beam);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::IBeamCursor);
    BCursor hand(B_HAND_CURSOR);
    set_application_cursor(&hand);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
