// A window at rest costs nothing: once painted it is not painted again
// until something changes, whatever its views' Draw() sets, and nothing in
// it wakes on a timer. Paints are counted with an event filter on Qt's
// application object.
#include "InterfaceTestSupport.h"

#include <Box.h>
#include <Font.h>
#include <StringView.h>

#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Counts the paint events of every widget.
class PaintCounter : public QObject {
public:
    PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int Count() const { return fCount; }
    void Reset() { fCount = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            fCount++;
        return QObject::eventFilter(watched, event);
    }

private:
    int fCount = 0;
};

// Turns Qt's loop a number of times, each a short wait for events; the
// turns last longer than any retry or pulse period a busy window had.
void TurnLoop(int turns = 10)
{
    for (int i = 0; i < turns; i++) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// Lets the window handle what it was sent and Qt paint what waits.
void Settle(BWindow* window)
{
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(window->Lock());
        window->Unlock();
        TurnLoop(2);
    }
}

// Draws a caption with a font of its own, as a window's background does:
// the font is set in each Draw(), the same each time.
class CaptionView : public BView {
public:
    CaptionView(BRect frame) : BView(frame, "caption", B_FOLLOW_ALL, B_WILL_DRAW) {}
    void Draw(BRect) override
    {
        fDraws++;
        BFont font;
        GetFont(&font);
        font.SetRotation(90);
        font.SetSize(10);
        SetFont(&font);
        SetHighColor(0, 0, 0);
        DrawString("Caption", BPoint(Bounds().right - 1, Bounds().bottom - 10));
    }
    std::atomic<int> fDraws{0};
};

// Draws with the state it was given.
class PlainView : public BView {
public:
    PlainView(BRect frame) : BView(frame, "plain", B_FOLLOW_NONE, B_WILL_DRAW) {}
    void Draw(BRect) override
    {
        fDraws++;
        DrawString("Plain", BPoint(2, 12));
    }
    std::atomic<int> fDraws{0};
};

// Changes its state in every Draw() to something it was not: another font
// size, another font, another view colour.
class RestlessView : public BView {
public:
    RestlessView(BRect frame) : BView(frame, "restless", B_FOLLOW_NONE, B_WILL_DRAW) {}
    void Draw(BRect) override
    {
        const int draw = ++fDraws;
        SetFontSize(draw % 2 == 0 ? 12 : 13);
        BFont font(be_bold_font);
        font.SetSize(draw % 2 == 0 ? 9 : 11);
        SetFont(&font, B_FONT_SIZE | B_FONT_FAMILY_AND_STYLE);
        SetViewColor(draw % 2 == 0 ? make_color(250, 250, 250) : make_color(240, 240, 240));
        SetHighColor(0, 0, 0);
        DrawString("Restless", BPoint(2, 12));
    }
    std::atomic<int> fDraws{0};
};

class PulseCountingWindow : public BWindow {
public:
    PulseCountingWindow()
        : BWindow(BRect(100, 100, 299, 199), "Pulse", B_TITLED_WINDOW, 0)
    {
    }
    void DispatchMessage(BMessage* message, BHandler* handler) override
    {
        if (message->what == B_PULSE)
            fPulses++;
        BWindow::DispatchMessage(message, handler);
    }
    std::atomic<int> fPulses{0};
};

class PulseView : public BView {
public:
    PulseView() : BView(BRect(0, 0, 9, 9), "pulse", B_FOLLOW_NONE, B_PULSE_NEEDED) {}
    void Pulse() override { fPulses++; }
    std::atomic<int> fPulses{0};
};

} // namespace

TEST(IdlePaintTest, AWindowAtRestIsNotPaintedAgain)
{
    PaintCounter paints;
    TestWindow window(BRect(100, 100, 399, 299));
    auto* background = new CaptionView(window->Bounds());
    auto* box = new BBox(BRect(10, 10, 200, 150), "box");
    box->SetLabel("Choices");
    // Text larger than its view: BStringView draws it smaller, setting
    // its font size inside Draw().
    auto* text = new BStringView(BRect(10, 30, 60, 40), "text", "A text much wider than its view");
    box->AddChild(text);
    background->AddChild(box);
    window->AddChild(background);
    window.Show();

    ASSERT_TRUE(WaitFor([&] { return background->fDraws > 0; }));
    Settle(window.Get());
    paints.Reset();
    const int draws = background->fDraws;
    TurnLoop();
    EXPECT_EQ(paints.Count(), 0);
    EXPECT_EQ(background->fDraws, draws);
}

TEST(IdlePaintTest, StateChangedInsideDrawAsksForNoUpdate)
{
    PaintCounter paints;
    TestWindow window;
    auto* view = new RestlessView(BRect(10, 10, 109, 39));
    window->AddChild(view);
    window.Show();

    ASSERT_TRUE(WaitFor([&] { return view->fDraws > 0; }));
    Settle(window.Get());
    const int draws = view->fDraws;
    paints.Reset();
    TurnLoop();
    EXPECT_EQ(paints.Count(), 0);
    EXPECT_EQ(view->fDraws, draws);

    // The colour set inside Draw() is the view's colour afterwards.
    ASSERT_TRUE(window->Lock());
    const rgb_color colour = view->ViewColor();
    window->Unlock();
    EXPECT_EQ(colour, draws % 2 == 0 ? make_color(250, 250, 250) : make_color(240, 240, 240));
}

TEST(IdlePaintTest, TheSameFontOrColourAgainAsksForNoUpdateAndAnotherDoes)
{
    PaintCounter paints;
    TestWindow window;
    auto* view = new PlainView(BRect(10, 10, 109, 39));
    window->AddChild(view);
    window.Show();
    ASSERT_TRUE(WaitFor([&] { return view->fDraws > 0; }));

    ASSERT_TRUE(window->Lock());
    view->SetViewColor(make_color(200, 210, 220));
    BFont plain(be_plain_font);
    plain.SetSize(12);
    view->SetFont(&plain);
    window->Unlock();
    Settle(window.Get());
    int draws = view->fDraws;
    paints.Reset();

    ASSERT_TRUE(window->Lock());
    view->SetViewColor(make_color(200, 210, 220));
    view->SetFont(&plain);
    view->SetFont(&plain, B_FONT_SIZE);
    view->SetFontSize(12);
    window->Unlock();
    Settle(window.Get());
    EXPECT_EQ(paints.Count(), 0);
    EXPECT_EQ(view->fDraws, draws);

    ASSERT_TRUE(window->Lock());
    view->SetFontSize(14);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return view->fDraws > draws; }));
    draws = view->fDraws;
    ASSERT_TRUE(window->Lock());
    view->SetViewColor(make_color(20, 30, 40));
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return view->fDraws > draws; }));
}

TEST(IdlePaintTest, PaintingAWindowHeldElsewhereWaitsForItsReleaseWithoutPolling)
{
    PaintCounter paints;
    TestWindow window;
    auto* view = new CaptionView(BRect(10, 10, 109, 39));
    window->AddChild(view);
    window.Show();
    ASSERT_TRUE(WaitFor([&] { return view->fDraws > 0; }));
    Settle(window.Get());

    // Another thread holds the window until told to let it go.
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool release = false;
    std::thread holder([&] {
        window->Lock();
        {
            std::unique_lock lock(mutex);
            held = true;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        }
        window->Unlock();
    });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return held; });
    }

    const int draws = view->fDraws;
    paints.Reset();
    view->Invalidate();
    ASSERT_TRUE(WaitFor([&] { return paints.Count() > 0; }));
    // The first paint finds the window held and shows the background; no
    // paint follows while it stays held.
    TurnLoop();
    EXPECT_EQ(view->fDraws, draws);
    EXPECT_EQ(paints.Count(), 1);

    {
        std::lock_guard lock(mutex);
        release = true;
        changed.notify_all();
    }
    holder.join();
    // Letting the window go brings the drawing that was left out.
    EXPECT_TRUE(WaitFor([&] { return view->fDraws > draws; }));
}

TEST(IdlePaintTest, OnlyAWindowWithAPulseViewGetsPulses)
{
    auto* window = new PulseCountingWindow;
    window->SetPulseRate(5000);
    window->Show();
    Settle(window);
    TurnLoop();
    EXPECT_EQ(window->fPulses, 0);

    auto* view = new PulseView;
    ASSERT_TRUE(window->Lock());
    window->AddChild(view);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return view->fPulses > 2; }));

    ASSERT_TRUE(window->Lock());
    view->RemoveSelf();
    window->Unlock();
    Settle(window);
    const int pulses = window->fPulses;
    TurnLoop();
    EXPECT_EQ(window->fPulses, pulses);
    delete view;

    ASSERT_TRUE(window->Lock());
    window->Quit();
}
