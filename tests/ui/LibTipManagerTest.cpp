// Tool-tip timing: requests against a host whose pulses run on a fake
// clock, so whole-second delays and the order of events are exact.
#include <LibTipManager.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// Stands in for the application and the tip window. Pulses fire on the
// fake clock: the application's pulse calls PostPending, the tip window's
// pulse hides the window, as its text view does.
class FakeTipHost : public LibTipHost {
public:
    void CreateTipWindow() override { created++; }
    void SetTipText(const char* tip, const int32& tipWidth) override
    {
        text = tip;
        width = tipWidth;
        Log("text " + text);
    }
    void MoveTipWindow(const BPoint& to) override { where = to; }
    void PopTipWindow() override
    {
        pops++;
        if (!shown)
            Log("shown");
        shown = true;
    }
    void HideTipWindow() override
    {
        if (!shown)
            return;
        shown = false;
        Log("hidden");
        SetTipPulseRate(0);
    }
    void SetTipPulseRate(const bigtime_t& rate) override
    {
        tipRate = rate;
        tipNext = now + rate;
    }
    void SetAppPulseRate(const bigtime_t& rate) override
    {
        appRate = rate;
        appNext = now + rate;
    }

    // Runs the clock forward by seconds, firing every pulse that falls due.
    void RunFor(double seconds)
    {
        const bigtime_t until = now + static_cast<bigtime_t>(seconds * LibTipManager::kSecond);
        while (true) {
            bigtime_t next = until + 1;
            if (appRate > 0)
                next = std::min(next, appNext);
            if (tipRate > 0)
                next = std::min(next, tipNext);
            if (next > until)
                break;
            now = next;
            if (tipRate > 0 && tipNext == now) {
                tipNext += tipRate;
                HideTipWindow();
            }
            if (appRate > 0 && appNext == now) {
                appNext += appRate;
                manager->PostPending();
            }
        }
        now = until;
    }

    void Log(const std::string& what)
    {
        events.push_back(std::to_string(now / 1000) + "ms " + what);
    }

    LibTipManager* manager = nullptr;
    bigtime_t now = 0;
    bigtime_t appRate = 0;
    bigtime_t appNext = 0;
    bigtime_t tipRate = 0;
    bigtime_t tipNext = 0;
    bool shown = false;
    int created = 0;
    int pops = 0;
    std::string text;
    int32 width = 0;
    BPoint where;
    std::vector<std::string> events;
};

class LibTipManagerTest : public ::testing::Test {
protected:
    LibTipManagerTest() : fManager(fHost) { fHost.manager = &fManager; }

    void Show(const char* text, int sdelay = -1, int edelay = -1, int32 width = -1)
    {
        BMessage request(kLibTipRequest);
        request.AddBool("show", true);
        if (sdelay >= 0)
            request.AddInt16("sdelay", static_cast<int16>(sdelay));
        if (edelay >= 0)
            request.AddInt16("edelay", static_cast<int16>(edelay));
        request.AddPoint("loc", BPoint(40, 60));
        if (width >= 0)
            request.AddInt32("width", width);
        request.AddString("tip", text);
        fManager.MessageReceived(&request);
    }

    void Hide()
    {
        BMessage request(kLibTipRequest);
        request.AddBool("show", false);
        fManager.MessageReceived(&request);
    }

    using Events = std::vector<std::string>;

    FakeTipHost fHost;
    LibTipManager fManager;
};

TEST_F(LibTipManagerTest, ZeroStartDelayShowsAtOnceAndHidesAfterTheEndDelay)
{
    Show("Change destination folder", 0, 2, 160);
    EXPECT_TRUE(fHost.shown);
    EXPECT_FALSE(fManager.Pending());
    EXPECT_EQ(fHost.width, 160);
    EXPECT_EQ(fHost.where, BPoint(40, 60));
    fHost.RunFor(1.9);
    EXPECT_TRUE(fHost.shown);
    fHost.RunFor(0.2);
    EXPECT_EQ(fHost.events, (Events{"0ms text Change destination folder", "0ms shown", "2000ms hidden"}));
    // With start delay 0 the application's pulse is not needed.
    EXPECT_EQ(fHost.appRate, 0);
}

TEST_F(LibTipManagerTest, DefaultDelaysShowAfterOneSecondForFourSeconds)
{
    Show("tip");
    EXPECT_FALSE(fHost.shown);
    EXPECT_TRUE(fManager.Pending());
    EXPECT_EQ(fHost.appRate, LibTipManager::kSecond);
    fHost.RunFor(10);
    EXPECT_EQ(fHost.events, (Events{"0ms text tip", "1000ms shown", "5000ms hidden"}));
    // The application keeps pulsing, but later pulses find nothing pending.
    EXPECT_EQ(fHost.pops, 1);
    EXPECT_EQ(fHost.appRate, LibTipManager::kSecond);
}

TEST_F(LibTipManagerTest, LeavingBeforeTheStartDelayCancelsTheTip)
{
    Show("tip", 2, 4);
    fHost.RunFor(1.5);
    Hide();
    EXPECT_FALSE(fManager.Pending());
    EXPECT_EQ(fHost.appRate, 0);
    fHost.RunFor(10);
    EXPECT_EQ(fHost.pops, 0);
    EXPECT_EQ(fHost.events, (Events{"0ms text tip"}));
}

TEST_F(LibTipManagerTest, HideRequestRemovesAShownTipAndStopsBothPulses)
{
    Show("tip", 0, 4);
    fHost.RunFor(1);
    Hide();
    EXPECT_FALSE(fHost.shown);
    EXPECT_EQ(fHost.tipRate, 0);
    EXPECT_EQ(fHost.appRate, 0);
    fHost.RunFor(10);
    EXPECT_EQ(fHost.events, (Events{"0ms text tip", "0ms shown", "1000ms hidden"}));
}

TEST_F(LibTipManagerTest, EndDelayZeroKeepsTheTipUpUntilHidden)
{
    Show("sticky", 1, 0);
    fHost.RunFor(60);
    EXPECT_TRUE(fHost.shown);
    Hide();
    EXPECT_FALSE(fHost.shown);
}

TEST_F(LibTipManagerTest, NewRequestWhileShownReplacesTheTipAtOnceAndStaysUp)
{
    Show("first", 1, 3);
    fHost.RunFor(1.5);
    ASSERT_TRUE(fHost.shown);
    Show("second", 1, 3);
    // Text and place change at once; the tip stays visible meanwhile.
    EXPECT_EQ(fHost.text, "second");
    EXPECT_TRUE(fHost.shown);
    EXPECT_TRUE(fManager.Pending());
    fHost.RunFor(1);
    // The next application pulse pops it again and restarts the end delay.
    EXPECT_EQ(fHost.pops, 2);
    fHost.RunFor(2.9);
    EXPECT_TRUE(fHost.shown);
    fHost.RunFor(0.2);
    EXPECT_EQ(fHost.events,
        (Events{"0ms text first", "1000ms shown", "1500ms text second", "5500ms hidden"}));
}

TEST_F(LibTipManagerTest, TipsSwitchedOffIgnoreEveryRequestIncludingHide)
{
    Show("up", 0, 3);
    BMessage toggle(kLibTipToggle);
    fManager.MessageReceived(&toggle);
    EXPECT_FALSE(fManager.ShowTips());
    Hide();
    EXPECT_TRUE(fHost.shown);
    Show("ignored", 0, 3);
    EXPECT_EQ(fHost.text, "up");
    // The tip already up goes by its own end delay.
    fHost.RunFor(3.1);
    EXPECT_FALSE(fHost.shown);
    fManager.MessageReceived(&toggle);
    EXPECT_TRUE(fManager.ShowTips());
    fManager.SetShowTips(false);
    EXPECT_FALSE(fManager.ShowTips());
}

TEST_F(LibTipManagerTest, WindowIsMadeOnceOnTheFirstHandledRequest)
{
    fManager.SetShowTips(false);
    Show("ignored");
    EXPECT_EQ(fHost.created, 0);
    fManager.SetShowTips(true);
    // A hide request is the first handled one: it creates the window too.
    Hide();
    EXPECT_EQ(fHost.created, 1);
    Show("a");
    Show("b");
    EXPECT_EQ(fHost.created, 1);
}

TEST_F(LibTipManagerTest, RequestFieldsAndTheirDefaults)
{
    // No "show" at all counts as a hide request.
    Show("shown", 0, 0);
    BMessage empty(kLibTipRequest);
    fManager.MessageReceived(&empty);
    EXPECT_FALSE(fHost.shown);

    // No width means one line as wide as the text; delays default.
    BMessage request(kLibTipRequest);
    request.AddBool("show", true);
    request.AddString("tip", "plain");
    fManager.MessageReceived(&request);
    EXPECT_EQ(fHost.width, 0);
    EXPECT_EQ(fManager.StartDelay(), 1);
    EXPECT_EQ(fManager.EndDelay(), 4);

    // Negative delays count as "at once" and "until hidden".
    BMessage odd(kLibTipRequest);
    odd.AddBool("show", true);
    odd.AddString("tip", "odd");
    odd.AddInt16("sdelay", -5);
    odd.AddInt16("edelay", -2);
    fManager.MessageReceived(&odd);
    EXPECT_EQ(fManager.StartDelay(), 0);
    EXPECT_EQ(fManager.EndDelay(), 0);
    EXPECT_TRUE(fHost.shown);

    // Other messages are not tip requests.
    BMessage other('xxxx');
    other.AddBool("show", false);
    fManager.MessageReceived(&other);
    EXPECT_TRUE(fHost.shown);
    fManager.MessageReceived(nullptr);
}

} // namespace
