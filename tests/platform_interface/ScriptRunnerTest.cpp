// Scripts of user actions carried out in a window of this process: what the
// installer's test hook runs. The input goes through the window's widgets
// and queue, as a user's does.
#include "InterfaceTestSupport.h"

#include <Button.h>
#include <CheckBox.h>
#include <ListView.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <ScriptRunner.h>
#include <StringItem.h>
#include <StringView.h>

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Collects the runner's report in memory.
class Report {
public:
    Report() : fFile(open_memstream(&fBuffer, &fSize)) {}
    ~Report()
    {
        std::fclose(fFile);
        std::free(fBuffer);
    }
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    FILE* File() const { return fFile; }
    std::string Text()
    {
        std::fflush(fFile);
        return std::string(fBuffer, fSize);
    }

private:
    char* fBuffer = nullptr;
    size_t fSize = 0;
    FILE* fFile;
};

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> words;
    EXPECT_TRUE(ScriptRunner::SplitLine(line, &words)) << line;
    return words;
}

bool Finish(ScriptRunner& runner, int milliseconds = 20000)
{
    return WaitFor([&] { return runner.Finished(); }, milliseconds);
}

// A window with a button, a check box, a label and a list of three entries,
// as a script sees it.
class ScriptedWindow {
public:
    ScriptedWindow()
        : fWindow(BRect(100, 100, 399, 299))
    {
        fRecorder = new RecordingView();
        fWindow->AddChild(fRecorder);
        fButton = new BButton(BRect(10, 10, 89, 34), "go_button", "Go", new BMessage('go  '));
        fWindow->AddChild(fButton);
        fButton->SetTarget(fRecorder);
        fCheckBox = new BCheckBox(BRect(10, 40, 200, 60), "apply", "Apply to all", new BMessage('chck'));
        fWindow->AddChild(fCheckBox);
        fCheckBox->SetTarget(fRecorder);
        fLabel = new BStringView(BRect(10, 70, 200, 85), "label", "Waiting for you");
        fWindow->AddChild(fLabel);
        fList = new BListView(BRect(10, 90, 200, 180), "entries", B_MULTIPLE_SELECTION_LIST);
        for (const char* text : {"first", "second", "third"}) {
            fItems.push_back(std::make_unique<BStringItem>(text));
            fList->AddItem(fItems.back().get());
        }
        fWindow->AddChild(fList);
        fWindow->SetName("ScriptedWindow");
        fWindow.Show();
    }

    BWindow* Window() const { return fWindow.Get(); }
    RecordingView* Recorder() const { return fRecorder; }

    std::vector<bool> Selection()
    {
        std::vector<bool> selected;
        if (fWindow->Lock()) {
            for (int32 i = 0; i < fList->CountItems(); i++)
                selected.push_back(fList->IsItemSelected(i));
            fWindow->Unlock();
        }
        return selected;
    }

    bool Ticked()
    {
        bool ticked = false;
        if (fWindow->Lock()) {
            ticked = fCheckBox->Value() == B_CONTROL_ON;
            fWindow->Unlock();
        }
        return ticked;
    }

    void Enable(bool enabled)
    {
        if (fWindow->Lock()) {
            fButton->SetEnabled(enabled);
            fWindow->Unlock();
        }
    }

    void SetLabel(const char* text)
    {
        if (fWindow->Lock()) {
            fLabel->SetText(text);
            fWindow->Unlock();
        }
    }

private:
    // A list does not own its entries: they go after the window and its
    // list are gone.
    std::vector<std::unique_ptr<BStringItem>> fItems;
    TestWindow fWindow;
    RecordingView* fRecorder;
    BButton* fButton;
    BCheckBox* fCheckBox;
    BStringView* fLabel;
    BListView* fList;
};

std::string ItemText(const BListItem* item)
{
    auto* string = dynamic_cast<const BStringItem*>(item);
    return string != nullptr && string->Text() != nullptr ? string->Text() : "";
}

} // namespace

TEST(ScriptRunnerTest, LinesSplitIntoWordsWithQuotes)
{
    EXPECT_EQ(Split("press  alert \"Don't Replace\"\r"),
        (std::vector<std::string>{"press", "alert", "Don't Replace"}));
    EXPECT_EQ(Split("text w v \"say \\\"hi\\\" \\\\ there\""),
        (std::vector<std::string>{"text", "w", "v", "say \"hi\" \\ there"}));
    EXPECT_EQ(Split("shot \"\" x"), (std::vector<std::string>{"shot", "", "x"}));
    EXPECT_TRUE(Split("   \t ").empty());
    std::vector<std::string> words;
    EXPECT_FALSE(ScriptRunner::SplitLine("press alert \"OK", &words));
}

TEST(ScriptRunnerTest, AScriptWithAnUnknownCommandOrOpenQuoteDoesNothing)
{
    int calls = 0;
    for (const char* script : {"count\nclick Somewhere button\nfly away\n", "count\npress w \"OK\n"}) {
        Report report;
        ScriptRunner runner(report.File());
        runner.AddCommand("count", [&calls](const std::vector<std::string>&, std::string*) {
            calls++;
            return ScriptRunner::kDone;
        });
        EXPECT_NE(runner.StartText(script), B_OK);
        EXPECT_TRUE(runner.Failed());
        QCoreApplication::processEvents();
        EXPECT_NE(report.Text().find("driver: failed"), std::string::npos) << report.Text();
    }
    EXPECT_EQ(calls, 0);

    Report report;
    ScriptRunner runner(report.File());
    EXPECT_EQ(runner.Start("/nonexistent/script"), B_ENTRY_NOT_FOUND);
    EXPECT_TRUE(runner.Failed());
}

TEST(ScriptRunnerTest, LinesWaitUntilTheyCanBeDoneAndEachIsReported)
{
    Report report;
    ScriptRunner runner(report.File());
    int tries = 0;
    std::vector<std::string> seen;
    runner.AddCommand("slow", [&](const std::vector<std::string>& words, std::string* why) {
        if (++tries < 3) {
            *why = "not ready";
            return ScriptRunner::kNotYet;
        }
        seen = words;
        return ScriptRunner::kDone;
    });
    ASSERT_EQ(runner.StartText("# a comment\n\nslow \"two words\" three\n"), B_OK);
    ASSERT_TRUE(Finish(runner));
    EXPECT_FALSE(runner.Failed());
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"two words", "three"}));
    EXPECT_EQ(report.Text(), "driver: ok slow \"two words\" three\ndriver: done\n");
}

TEST(ScriptRunnerTest, ALineThatNeverSucceedsFailsAfterItsTimeAndStopsTheScript)
{
    Report report;
    ScriptRunner runner(report.File());
    bool hooked = false;
    bool reached = false;
    runner.SetFailureHook([&hooked] { hooked = true; });
    runner.AddCommand("after", [&reached](const std::vector<std::string>&, std::string*) {
        reached = true;
        return ScriptRunner::kDone;
    });
    ASSERT_EQ(runner.StartText("timeout 0.3\nwait NoSuchWindow\nafter\n"), B_OK);
    ASSERT_TRUE(Finish(runner));
    EXPECT_TRUE(runner.Failed());
    EXPECT_TRUE(hooked);
    EXPECT_FALSE(reached);
    EXPECT_NE(report.Text().find("driver: failed wait NoSuchWindow: timed out: no window \"NoSuchWindow\" is shown"),
        std::string::npos) << report.Text();

    // Wrong words fail at once, without waiting for the time.
    for (const char* script : {"timeout soon\n", "timeout -1\n", "click a b c d\n", "click w v alt\n",
             "shot w ../outside.png\n"}) {
        Report wrong;
        ScriptRunner bad(wrong.File());
        ASSERT_EQ(bad.StartText(script), B_OK) << script;
        ASSERT_TRUE(Finish(bad, 2000)) << script;
        EXPECT_TRUE(bad.Failed()) << script;
    }
}

TEST(ScriptRunnerTest, ClicksKeysAndListItemsReachTheWindowAsAUsersDo)
{
    ScriptedWindow window;
    TestWindow other(BRect(300, 300, 399, 399));
    other->SetName("Other");
    other.Show();
    Report report;
    ScriptRunner runner(report.File());
    runner.SetItemText(ItemText);
    const fs::path pictures = fs::path(std::getenv("TMPDIR")) / "script-pictures";
    fs::create_directories(pictures);
    runner.SetPictureFolder(pictures.string());
    ASSERT_EQ(runner.StartText("wait ScriptedWindow\n"
                               "press ScriptedWindow Go\n"
                               "press ScriptedWindow \"Apply to all\"\n"
                               "select ScriptedWindow entries second\n"
                               "toggle ScriptedWindow entries #2\n"
                               "click ScriptedWindow go_button\n"
                               "text ScriptedWindow label \"for you\"\n"
                               "shot ScriptedWindow window.png\n"),
        B_OK);
    ASSERT_TRUE(Finish(runner)) << report.Text();
    EXPECT_FALSE(runner.Failed()) << report.Text();
    EXPECT_TRUE(WaitFor([&] { return window.Recorder()->Count() >= 3; }));

    // Two presses of the button and one tick of the box, in that order.
    std::vector<uint32> what;
    for (const BMessage& message : window.Recorder()->Messages())
        what.push_back(message.what);
    EXPECT_EQ(what, (std::vector<uint32>{'go  ', 'chck', 'go  '}));
    EXPECT_TRUE(window.Ticked());
    // A plain click selects one entry; Ctrl adds another.
    EXPECT_EQ(window.Selection(), (std::vector<bool>{false, true, true}));

    const QImage picture(QString::fromStdString((pictures / "window.png").string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(300, 200));
}

TEST(ScriptRunnerTest, WhereAViewIsIsReportedAndTheFocusIsWaitedFor)
{
    ScriptedWindow window;
    Report report;
    ScriptRunner runner(report.File());
    ASSERT_EQ(runner.StartText("frame ScriptedWindow label\nfocus ScriptedWindow entries\n"), B_OK);
    // The list does not have the focus yet: the script waits for it.
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(runner.Finished());
    const std::string before = report.Text();
    const size_t frame = before.find("driver: frame ScriptedWindow label ");
    ASSERT_NE(frame, std::string::npos) << before;
    EXPECT_LT(frame, before.find("driver: ok frame ScriptedWindow label")) << before;
    // On the screen somewhere; in the window's pictures where its frame
    // says, at its size.
    std::istringstream words(before.substr(frame + std::string("driver: frame ScriptedWindow label ").size()));
    int screenX = -1, screenY = -1, x = -1, y = -1, width = -1, height = -1;
    ASSERT_TRUE(words >> screenX >> screenY >> x >> y >> width >> height) << before;
    EXPECT_EQ(std::vector<int>({x, y, width, height}), std::vector<int>({10, 70, 191, 16}));

    ASSERT_TRUE(window.Window()->Lock());
    window.Window()->FindView("entries")->MakeFocus(true);
    window.Window()->Unlock();
    ASSERT_TRUE(Finish(runner)) << report.Text();
    EXPECT_FALSE(runner.Failed()) << report.Text();
}

TEST(ScriptRunnerTest, DisabledButtonsAndMissingItemsAreWaitedForNotPressed)
{
    ScriptedWindow window;
    window.Enable(false);
    Report report;
    ScriptRunner runner(report.File());
    runner.SetItemText(ItemText);
    ASSERT_EQ(runner.StartText("press ScriptedWindow Go\ntext ScriptedWindow label Ready\n"), B_OK);
    // The button stays disabled a while: nothing is pressed.
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(runner.Finished());
    EXPECT_EQ(window.Recorder()->Count(), 0u);
    window.Enable(true);
    EXPECT_TRUE(WaitFor([&] { return window.Recorder()->Count() == 1; }));
    // The next line waits for its text.
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(runner.Finished());
    window.SetLabel("Ready now");
    ASSERT_TRUE(Finish(runner));
    EXPECT_FALSE(runner.Failed()) << report.Text();

    Report missing;
    ScriptRunner search(missing.File());
    search.SetItemText(ItemText);
    ASSERT_EQ(search.StartText("timeout 0.3\nselect ScriptedWindow entries fourth\n"), B_OK);
    ASSERT_TRUE(Finish(search));
    EXPECT_TRUE(search.Failed());
    EXPECT_NE(missing.Text().find("no such item in the list"), std::string::npos) << missing.Text();
    EXPECT_EQ(window.Selection(), (std::vector<bool>{false, false, false}));
}

TEST(ScriptRunnerTest, AModalWindowInFrontKeepsInputFromTheOthers)
{
    ScriptedWindow window;
    auto* modal = new BWindow(BRect(150, 150, 299, 249), "Question", B_MODAL_WINDOW, 0);
    auto* answer = new BButton(BRect(10, 10, 89, 34), "answer", "Answer", new BMessage('answ'));
    modal->AddChild(answer);
    answer->SetTarget(window.Recorder());
    modal->Show();

    Report report;
    ScriptRunner runner(report.File());
    ASSERT_EQ(runner.StartText("timeout 0.5\npress ScriptedWindow Go\n"), B_OK);
    ASSERT_TRUE(Finish(runner));
    EXPECT_TRUE(runner.Failed());
    EXPECT_NE(report.Text().find("a modal window (Question) is in front"), std::string::npos) << report.Text();
    // The shown windows are listed with the failure.
    EXPECT_NE(report.Text().find("named \"ScriptedWindow\""), std::string::npos) << report.Text();

    // The modal window itself takes input.
    Report second;
    ScriptRunner answering(second.File());
    ASSERT_EQ(answering.StartText("press Question Answer\n"), B_OK);
    ASSERT_TRUE(Finish(answering));
    EXPECT_FALSE(answering.Failed()) << second.Text();
    EXPECT_TRUE(WaitFor([&] { return window.Recorder()->Count() == 1; }));
    EXPECT_EQ(window.Recorder()->Messages()[0].what, uint32('answ'));
    if (modal->Lock())
        modal->Quit();
}

TEST(ScriptRunnerTest, AMenuFieldOpensOnAClickAndAnEntryIsPicked)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* menu = new BPopUpMenu("volumes", true, true);
    menu->AddItem(new BMenuItem("Boot", new BMessage('boot')));
    auto* locked = new BMenuItem("Locked", new BMessage('lock'));
    locked->SetEnabled(false);
    menu->AddItem(locked);
    menu->AddItem(new BMenuItem("Data", new BMessage('data')));
    menu->SetTargetForItems(recorder);
    window->AddChild(new BMenuField(BRect(10, 10, 209, 34), "volume_field", "Disk", menu));
    window->SetName("Menus");
    window.Show();

    // Nothing is open: the line waits, and fails when its time is up.
    Report closed;
    ScriptRunner early(closed.File());
    ASSERT_EQ(early.StartText("timeout 0.3\npick Data\n"), B_OK);
    ASSERT_TRUE(Finish(early));
    EXPECT_NE(closed.Text().find("no menu is open"), std::string::npos) << closed.Text();

    Report report;
    ScriptRunner runner(report.File());
    ASSERT_EQ(runner.StartText("click Menus volume_field\npick Data\n"), B_OK);
    ASSERT_TRUE(Finish(runner)) << report.Text();
    EXPECT_FALSE(runner.Failed()) << report.Text();
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(recorder->Messages()[0].what, uint32('data'));

    // A disabled entry is never picked.
    Report disabled;
    ScriptRunner again(disabled.File());
    // The menu stays open after the failure, running its own loop inside
    // this test's wait: a timer closes it as a user would.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&again] {
        if (QWidget* popup = QApplication::activePopupWidget(); popup != nullptr && again.Finished())
            popup->close();
    });
    closer.start(20);
    ASSERT_EQ(again.StartText("click Menus volume_field\ntimeout 0.3\npick Locked\n"), B_OK);
    ASSERT_TRUE(Finish(again));
    EXPECT_TRUE(again.Failed());
    EXPECT_NE(disabled.Text().find("is disabled"), std::string::npos) << disabled.Text();
    EXPECT_TRUE(WaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_EQ(recorder->Count(), 1u);
}
