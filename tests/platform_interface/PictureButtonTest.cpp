// Picture buttons: the picture for each state, clicks of one-state and
// two-state buttons, the keyboard, and disabled buttons.
#include <Bitmap.h>
#include <PictureButton.h>

#include "InterfaceTestSupport.h"

#include <QImage>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A picture filled with one colour, width x height pixels.
std::unique_ptr<BPicture> Solid(const rgb_color& color, int32 width = 20, int32 height = 10)
{
    BBitmap bitmap(BRect(0, 0, float(width - 1), float(height - 1)), B_RGBA32);
    for (int32 y = 0; y < height; y++)
        for (int32 x = 0; x < width; x++)
            bitmap.SetColorAt(x, y, color);
    return std::unique_ptr<BPicture>(picture_from_bitmap(&bitmap));
}

const rgb_color kRed = make_color(255, 0, 0);
const rgb_color kGreen = make_color(0, 255, 0);
const rgb_color kGrey = make_color(128, 128, 128);

// What the button's widget shows at its centre.
QRgb ShownColour(BPictureButton* button)
{
    const QImage shot = button->_Widget()->grab().toImage();
    return shot.pixel(shot.width() / 2, shot.height() / 2) & 0xffffff;
}

QRgb Rgb(const rgb_color& c)
{
    return QRgb(c.red << 16 | c.green << 8 | c.blue);
}

struct ButtonWindow {
    explicit ButtonWindow(uint32 behavior)
    {
        recorder = new RecordingView();
        window->AddChild(recorder);
        auto off = Solid(kRed);
        auto on = Solid(kGreen);
        button = new BPictureButton(BRect(10, 10, 29, 19), "face", off.get(), on.get(), new BMessage('face'), behavior);
        window->AddChild(button);
        button->SetTarget(recorder);
        window.Show();
    }

    void Click(Qt::Key key = Qt::Key_unknown)
    {
        if (key == Qt::Key_unknown)
            QTest::mouseClick(button->_Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        else
            QTest::keyClick(button->_Widget(), key);
    }

    TestWindow window;
    RecordingView* recorder = nullptr;
    BPictureButton* button = nullptr;
};

} // namespace

TEST(PictureButtonTest, OneStateButtonInvokesAndSpringsBack)
{
    ButtonWindow w(B_ONE_STATE_BUTTON);
    EXPECT_EQ(ShownColour(w.button), Rgb(kRed));
    w.Click();
    ASSERT_TRUE(WaitFor([&] { return w.recorder->Count() == 1; }));
    const BMessage message = w.recorder->Messages().front();
    EXPECT_EQ(message.what, uint32('face'));
    EXPECT_EQ(message.GetInt32("be:value", -1), B_CONTROL_OFF);
    ASSERT_TRUE(w.window->Lock());
    EXPECT_EQ(w.button->Value(), B_CONTROL_OFF);
    w.window->Unlock();
    EXPECT_EQ(ShownColour(w.button), Rgb(kRed));
}

TEST(PictureButtonTest, PressedOneStateButtonShowsItsOnPicture)
{
    ButtonWindow w(B_ONE_STATE_BUTTON);
    ASSERT_TRUE(w.window->Lock());
    w.button->MouseDown(BPoint(3, 3));
    EXPECT_EQ(w.button->CurrentPicture(), w.button->EnabledOn());
    // Dragged off the button, it shows the off picture; let go outside,
    // nothing is sent.
    w.button->MouseMoved(BPoint(50, 3), B_EXITED_VIEW, nullptr);
    EXPECT_EQ(w.button->CurrentPicture(), w.button->EnabledOff());
    w.button->MouseUp(BPoint(50, 3));
    w.window->Unlock();
    QTest::qWait(50);
    EXPECT_EQ(w.recorder->Count(), 0u);
}

TEST(PictureButtonTest, TwoStateButtonFlipsItsValueOnEachClick)
{
    ButtonWindow w(B_TWO_STATE_BUTTON);
    w.Click();
    ASSERT_TRUE(WaitFor([&] { return w.recorder->Count() == 1; }));
    EXPECT_EQ(w.recorder->Messages()[0].GetInt32("be:value", -1), B_CONTROL_ON);
    EXPECT_EQ(ShownColour(w.button), Rgb(kGreen));
    w.Click();
    ASSERT_TRUE(WaitFor([&] { return w.recorder->Count() == 2; }));
    EXPECT_EQ(w.recorder->Messages()[1].GetInt32("be:value", -1), B_CONTROL_OFF);
    EXPECT_EQ(ShownColour(w.button), Rgb(kRed));
}

TEST(PictureButtonTest, SpaceAndEnterPressTheFocusedButton)
{
    ButtonWindow w(B_TWO_STATE_BUTTON);
    ASSERT_TRUE(w.window->Lock());
    w.button->MakeFocus(true);
    w.window->Unlock();
    w.Click(Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return w.recorder->Count() == 1; }));
    w.Click(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return w.recorder->Count() == 2; }));
    EXPECT_EQ(w.recorder->Messages()[1].GetInt32("be:value", -1), B_CONTROL_OFF);
}

TEST(PictureButtonTest, DisabledButtonDrawsItsDisabledPictureAndIgnoresInput)
{
    ButtonWindow w(B_ONE_STATE_BUTTON);
    auto grey = Solid(kGrey);
    ASSERT_TRUE(w.window->Lock());
    w.button->SetDisabledOff(grey.get());
    w.button->SetEnabled(false);
    EXPECT_NE(w.button->DisabledOff(), grey.get()) << "pictures are copied";
    w.window->Unlock();
    EXPECT_EQ(ShownColour(w.button), Rgb(kGrey));
    w.Click();
    w.Click(Qt::Key_Space);
    QTest::qWait(50);
    EXPECT_EQ(w.recorder->Count(), 0u);

    // Without a disabled picture the enabled one is drawn.
    ASSERT_TRUE(w.window->Lock());
    w.button->SetDisabledOff(nullptr);
    w.window->Unlock();
    EXPECT_EQ(ShownColour(w.button), Rgb(kRed));
}
