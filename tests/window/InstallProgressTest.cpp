// The installer window's progress bar: it follows the job's byte report,
// shows only while a job runs, and ends a completed install at 100%.
#include "../install/InstallTestSupport.h"
#include "../platform_interface/InterfaceTestSupport.h"

#include <Entry.h>
#include <InstallConfig.h>
#include <InstallProgressView.h>
#include <InstallerWin.h>
#include <ProgressLine.h>
#include <Window.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>

using namespace installtest;

namespace {

// A window with nothing but a progress bar, quit at the end of the test.
struct BarWindow {
    BWindow* window;
    InstallProgressView* bar;

    BarWindow()
        : window(new BWindow(BRect(100, 100, 219, 139), "progress bar", B_TITLED_WINDOW, 0)),
          bar(new InstallProgressView(BRect(10, 10, 109, 21)))
    {
        window->AddChild(bar);
        window->Show();
    }
    ~BarWindow()
    {
        if (window->Lock())
            window->Quit();
    }
};

} // namespace

TEST(InstallProgressTest, PercentFollowsTheByteReportAndStaysInRange)
{
    // 102 pixels wide: 100 inside the frame line.
    InstallProgressView bar(BRect(0, 0, 101, 10));
    EXPECT_EQ(bar.Percent(), 0);
    EXPECT_EQ(bar.Label(), "0%");
    EXPECT_EQ(bar.FilledWidth(), 0);

    bar.SetProgress(50, 200);
    EXPECT_EQ(bar.Percent(), 25);
    EXPECT_EQ(bar.Label(), "25%");
    EXPECT_FLOAT_EQ(bar.FilledWidth(), 25);

    // Rounded down: 100% only when every byte is done.
    bar.SetProgress(199, 200);
    EXPECT_EQ(bar.Percent(), 99);
    bar.SetProgress(200, 200);
    EXPECT_EQ(bar.Percent(), 100);
    EXPECT_FLOAT_EQ(bar.FilledWidth(), 100);

    // Reports out of range never draw outside the bar.
    bar.SetProgress(500, 200);
    EXPECT_EQ(bar.Percent(), 100);
    EXPECT_FLOAT_EQ(bar.FilledWidth(), 100);
    bar.SetProgress(-5, 200);
    EXPECT_EQ(bar.Percent(), 0);
    bar.SetProgress(10, 0);
    EXPECT_EQ(bar.Percent(), 0);
    EXPECT_EQ(bar.FilledWidth(), 0);
    // Sizes beyond 32 bits do not overflow.
    bar.SetProgress(int64(3) << 40, int64(4) << 40);
    EXPECT_EQ(bar.Percent(), 75);

    // The terminal's progress line counts the same way.
    EXPECT_EQ(ProgressLine::Percent(199, 200), 99);
    EXPECT_EQ(ProgressLine::Percent(0, 0), 100);
    EXPECT_EQ(ProgressLine::Describe(50, 200, 0), "25%");
}

TEST(InstallProgressTest, BarIsFilledFromTheLeftInProportion)
{
    BarWindow w;
    ASSERT_TRUE(w.window->Lock());
    w.bar->SetProgress(1, 4);
    w.window->Unlock();
    QImage image;
    ASSERT_TRUE(WaitFor([&] {
        image = GrabShownWindow("progress bar");
        return !image.isNull();
    }));
    image = image.scaled(120, 40);
    // The bar spans x 10 .. 109 at y 10 .. 21; a quarter of its inside is
    // filled. Sampled on a row below the percentage text.
    const int y = 20;
    const QRgb filled = image.pixel(15, y);
    const QRgb empty = image.pixel(100, y);
    EXPECT_NE(filled, empty);
    EXPECT_EQ(empty, qRgb(255, 255, 255));
    EXPECT_LT(qBlue(filled), 255);
    EXPECT_GT(qBlue(filled), qRed(filled)) << "the filled part is blue";
    EXPECT_EQ(image.pixel(33, y), filled) << "filled up to a quarter";
    EXPECT_EQ(image.pixel(38, y), empty) << "empty beyond it";
}

TEST(InstallProgressTest, WindowShowsTheBarWhileInstallingAndEndsAtAHundredPercent)
{
    InstallFixture fixture;
    // One group holding both items, so that both start selected.
    fixture.Description().groups = {{"Full", "Everything"}};
    fixture.Add("app.bin", std::string(3000, 'a')).groups = {"Full"};
    fixture.Add("manual.txt", std::string(500, 'm')).groups = {"Full"};
    std::ofstream(fixture.Root() / "license.txt") << "Use it well.";
    fixture.Description().licenseFile = (fixture.Root() / "license.txt").string();
    fixture.Load();

    auto* window = new InstallerWin();
    ASSERT_TRUE(window->LoadResources(fixture.Build().c_str()));
    fs::create_directories(fixture.Destination());
    entry_ref destination;
    BEntry(fixture.Destination().c_str()).GetRef(&destination);
    window->Configuration().SetDestination(destination);
    window->Show();

    auto bar = [&] { return dynamic_cast<InstallProgressView*>(window->FindView("install_progress")); };
    {
        ASSERT_TRUE(window->Lock());
        ASSERT_NE(bar(), nullptr);
        // In the instruction box, right of the instruction line and inside
        // the box's frame.
        const BRect frame = bar()->Frame();
        const BRect instruction = window->FindView("instruction")->Frame();
        const BRect box = window->FindView("inst_box")->Bounds();
        EXPECT_GT(frame.left, instruction.right);
        EXPECT_TRUE(box.InsetByCopy(2, 2).Contains(frame));
        EXPECT_TRUE(bar()->IsHidden()) << "not while the license is shown";
        window->Unlock();
    }

    window->PostMessage(InstallerWin::kMainButton);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    {
        ASSERT_TRUE(window->Lock());
        EXPECT_TRUE(bar()->IsHidden()) << "not while choosing";
        window->Unlock();
    }

    // A report that arrives in the choosing state (left over from an earlier
    // run) is taken, and the next install starts again from nothing.
    BMessage stale(INSTALL_PROGRESS_UPDATE);
    stale.AddInt64("done", 7);
    stale.AddInt64("total", 10);
    window->PostMessage(&stale);
    ASSERT_TRUE(WaitFor([&] {
        window->Lock();
        const int32 percent = bar()->Percent();
        window->Unlock();
        return percent == 70;
    }));

    window->PostMessage(InstallerWin::kMainButton);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    int32 percent = -1;
    WaitFor([&] {
        window->Lock();
        percent = bar()->Percent();
        window->Unlock();
        return percent == 100;
    });
    EXPECT_EQ(percent, 100);
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "manual.txt"));
    ASSERT_TRUE(window->Lock());
    EXPECT_FALSE(bar()->IsHidden());
    window->Quit();
}
