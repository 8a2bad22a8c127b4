// The tool-tip window and its text, the picture button's tip requests, and
// the tip manager driving a real tip window through whole-second delays.
#include "../platform_interface/InterfaceTestSupport.h"

#include <LibAppTipHost.h>
#include <LibPictureButton.h>
#include <LibTipManager.h>
#include <LibTipString.h>
#include <LibTipWin.h>

#include <MouseState.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Quits a tip window (or any window) at the end of a test.
class Quitter {
public:
    explicit Quitter(BWindow* window) : fWindow(window) {}
    ~Quitter()
    {
        if (fWindow->Lock())
            fWindow->Quit();
    }

private:
    BWindow* fWindow;
};

bool Hidden(BWindow* window)
{
    if (!window->Lock())
        return true;
    const bool hidden = window->IsHidden();
    window->Unlock();
    return hidden;
}

class RecordingButton : public LibPictureButton {
public:
    RecordingButton(const void* off, const void* on, const void* disabled)
        : LibPictureButton(BPoint(10, 20), 8, 6, "info_button", off, on, 'push', disabled)
    {
    }
    std::vector<BMessage> requests;
    bool active = true;

protected:
    void PostTipRequest(BMessage& request) override { requests.push_back(request); }
    bool WindowIsActive() const override { return active; }
};

} // namespace

TEST(LibTipWinTest, TheTextViewLooksLikeATip)
{
    auto* window = new LibTipWin();
    Quitter quit(window);
    LibTipString* text = window->TextView();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->Name(), "text_view");
    EXPECT_EQ(text->ViewColor(), make_color(255, 255, 203));
    BFont font;
    text->GetFont(&font);
    EXPECT_FLOAT_EQ(font.Size(), 10);
    EXPECT_FALSE(text->IsEditable());
    EXPECT_FALSE(text->IsSelectable());
    EXPECT_EQ(text->TextRect(), BRect(1, 1, 98, 12));
    EXPECT_TRUE(text->Flags() & B_PULSE_NEEDED);
    text->FrameResized(50, 20);
    EXPECT_EQ(text->TextRect(), BRect(1, 1, 51, 21));
}

TEST(LibTipWinTest, SizedByItsText)
{
    auto* window = new LibTipWin();
    Quitter quit(window);
    window->Run();
    window->SetText("one\ntwo\nthree", 150);
    ASSERT_TRUE(window->Lock());
    const float lineHeight = window->TextView()->LineHeight(0);
    BRect frame = window->Frame();
    window->Unlock();
    EXPECT_FLOAT_EQ(frame.Width(), 153);
    EXPECT_NEAR(frame.Height(), 3 * lineHeight + 2, 1);

    window->SetText("A one-line tip", 0);
    ASSERT_TRUE(window->Lock());
    frame = window->Frame();
    BFont font;
    window->TextView()->GetFont(&font);
    window->Unlock();
    EXPECT_FLOAT_EQ(frame.Height(), 13);
    EXPECT_NEAR(frame.Width(), font.StringWidth("A one-line tip") + 3, 1);
}

TEST(LibTipWinTest, StaysOnTheScreenOffThePointer)
{
    auto* window = new LibTipWin();
    Quitter quit(window);
    window->Run();
    window->SetText("somewhere far away", 0);
    BPoint pointer;
    BRect screen;
    get_mouse_screen(&pointer, &screen);
    ASSERT_TRUE(window->Lock());
    window->PopTo(BPoint(screen.right + 500, screen.bottom + 500));
    const BRect frame = window->Frame();
    window->Unlock();
    EXPECT_TRUE(screen.Contains(frame)) << frame.left << "," << frame.top;
    EXPECT_FALSE(frame.Contains(pointer));
}

TEST(LibTipWinTest, PulseAndLostActivationHideIt)
{
    auto* window = new LibTipWin();
    Quitter quit(window);
    window->Run();
    window->SetText("tip", 0);
    ASSERT_TRUE(window->Lock());
    window->Pop();
    EXPECT_FALSE(window->IsHidden());
    window->SetPulseRate(100000);
    window->Unlock();
    ASSERT_TRUE(WaitFor([&] { return Hidden(window); }, 3000));
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(window->PulseRate(), 0);

    window->Pop();
    window->WindowActivated(false);
    EXPECT_TRUE(window->IsHidden());
    window->Unlock();
}

TEST(LibTipWinTest, TheManagerShowsAtOnceAndHidesAfterTheEndDelay)
{
    LibAppTipHost host(nullptr);
    LibTipManager manager(host);
    BMessage request(kLibTipRequest);
    request.AddBool("show", true);
    request.AddString("tip", "Install everything");
    request.AddPoint("loc", BPoint(40, 40));
    request.AddInt16("sdelay", 0);
    request.AddInt16("edelay", 1);
    manager.MessageReceived(&request);
    LibTipWin* window = host.TipWindow();
    ASSERT_NE(window, nullptr);
    Quitter quit(window);
    EXPECT_FALSE(Hidden(window));
    ASSERT_TRUE(window->Lock());
    EXPECT_STREQ(window->TextView()->Text(), "Install everything");
    window->Unlock();
    ASSERT_TRUE(WaitFor([&] { return Hidden(window); }, 3000));

    // A hide request takes a shown tip down at once.
    request.ReplaceInt16("edelay", 0);
    manager.MessageReceived(&request);
    EXPECT_FALSE(Hidden(window));
    BMessage hide(kLibTipRequest);
    manager.MessageReceived(&hide);
    EXPECT_TRUE(Hidden(window));
    EXPECT_EQ(host.TipWindow(), window);
}

TEST(LibPictureButtonTest, FrameLabelAndPictures)
{
    const std::vector<uint8> off(8 * 6, 0x3f);
    const std::vector<uint8> on(8 * 6, 0x00);
    RecordingButton button(off.data(), on.data(), off.data());
    EXPECT_EQ(button.Frame(), BRect(10, 20, 17, 25));
    EXPECT_STREQ(button.Label(), "info_button");
    EXPECT_NE(button.EnabledOff(), nullptr);
    EXPECT_NE(button.EnabledOn(), nullptr);
    EXPECT_NE(button.DisabledOff(), nullptr);
    EXPECT_EQ(button.Message()->what, uint32('push'));
}

TEST(LibPictureButtonTest, AsksForTipsWhileThePointerRests)
{
    const std::vector<uint8> bits(8 * 6, 0x10);
    TestWindow window;
    auto* button = new RecordingButton(bits.data(), bits.data(), nullptr);
    window->AddChild(button);

    // No tip text: no requests.
    button->MouseMoved(BPoint(2, 2), B_ENTERED_VIEW, nullptr);
    EXPECT_TRUE(button->requests.empty());

    button->AddTip(kLibTipRequest, "More about this");
    button->active = false;
    button->MouseMoved(BPoint(2, 2), B_ENTERED_VIEW, nullptr);
    EXPECT_TRUE(button->requests.empty());
    button->active = true;

    button->MouseMoved(BPoint(2, 2), B_ENTERED_VIEW, nullptr);
    button->MouseMoved(BPoint(3, 2), B_INSIDE_VIEW, nullptr);
    button->MouseMoved(BPoint(9, 2), B_EXITED_VIEW, nullptr);
    ASSERT_EQ(button->requests.size(), 2u);
    const BMessage& show = button->requests[0];
    EXPECT_EQ(show.what, uint32(kLibTipRequest));
    EXPECT_TRUE(show.GetBool("show", false));
    EXPECT_STREQ(show.GetString("tip", ""), "More about this");
    BPoint loc;
    ASSERT_EQ(show.FindPoint("loc", &loc), B_OK);
    EXPECT_EQ(loc, button->ConvertToScreen(BPoint(7 + 5, 0 + 1)));
    EXPECT_FALSE(button->requests[1].GetBool("show", true));
    EXPECT_TRUE(button->requests[1].HasBool("show"));

    // A click takes the tip away first.
    button->requests.clear();
    button->MouseDown(BPoint(2, 2));
    button->MouseUp(BPoint(2, 2));
    ASSERT_GE(button->requests.size(), 1u);
    EXPECT_FALSE(button->requests[0].GetBool("show", true));
}
