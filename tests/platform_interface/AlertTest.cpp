#include <Alert.h>
#include <ConsoleAlertPresenter.h>
#include <ScriptedAlertPresenter.h>

#include <gtest/gtest.h>

#include <OS.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Installs a presenter for the scope of one test.
class PresenterScope {
public:
    explicit PresenterScope(BAlertPresenter* presenter) { set_alert_presenter(presenter); }
    ~PresenterScope() { set_alert_presenter(nullptr); }
};

std::string Captured(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[512];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    return text;
}

} // namespace

TEST(AlertTest, ScriptedPresenterAnswersInOrderAndRecords)
{
    ScriptedAlertPresenter script;
    PresenterScope scope(&script);
    script.Script(0);
    script.Script(2, true);

    BAlert first("", "Install now?", "Cancel", "Install");
    EXPECT_EQ(first.Go(), 0);

    BAlert second("", "Replace it?", "Skip", "Rename", "Replace", B_WIDTH_AS_USUAL, B_WARNING_ALERT);
    second.SetKind("replace");
    second.AddFact("Size", "10 bytes");
    second.SetCheckBox("Apply to all", false);
    const BAlertAnswer answer = second.Ask();
    EXPECT_EQ(answer.button, 2);
    EXPECT_TRUE(answer.checkBox);

    // An unforeseen question takes the default (last) button and is counted.
    BAlert third("", "Restart?", "Later", "Restart Now");
    EXPECT_EQ(third.Go(), 1);
    EXPECT_EQ(script.UnexpectedCount(), 1);

    const auto questions = script.Questions();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[1].kind, "replace");
    EXPECT_EQ(questions[1].type, B_WARNING_ALERT);
    ASSERT_EQ(questions[1].facts.size(), 1u);
    EXPECT_EQ(questions[1].facts[0].second, "10 bytes");

    BAlert notice("", "Done.", "OK");
    EXPECT_EQ(notice.GoNoWait(), B_OK);
    EXPECT_EQ(script.Notices().size(), 1u);
}

TEST(AlertTest, OutOfRangeAnswersFallBackToTheDefaultButton)
{
    ScriptedAlertPresenter script;
    PresenterScope scope(&script);
    script.Script(7);
    BAlert alert("", "Continue?", "No", "Yes");
    alert.SetDefaultButton(0);
    EXPECT_EQ(alert.Go(), 0);
}

TEST(AlertTest, ConsolePresenterPrintsQuestionsAndTakesRules)
{
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ConsoleAlertPresenter console(out, nullptr);
    console.SetRule("replace", [](const BAlertRequest&) { return BAlertAnswer{1, true}; });
    PresenterScope scope(&console);

    BAlert replace("", "An item named \"x\" exists.", "Skip", "Rename", "Replace");
    replace.SetKind("replace");
    replace.SetCheckBox("Apply to all", false);
    const BAlertAnswer answer = replace.Ask();
    EXPECT_EQ(answer.button, 1);
    EXPECT_TRUE(answer.checkBox);

    // Without a rule and without a terminal, the default button is taken.
    BAlert question("", "Launch it?", "No", "Launch");
    EXPECT_EQ(question.Go(), 1);

    const std::string text = Captured(out);
    std::fclose(out);
    EXPECT_NE(text.find("An item named \"x\" exists."), std::string::npos);
    EXPECT_NE(text.find("-> Rename (Apply to all)"), std::string::npos);
    EXPECT_NE(text.find("-> Launch"), std::string::npos);
}

TEST(AlertTest, DefaultPresenterNeverBlocks)
{
    set_alert_presenter(nullptr);
    std::thread worker([] {
        BAlert alert("", "Nothing installed.", "Stop", "Continue");
        EXPECT_EQ(alert.Go(), 1);
    });
    worker.join();
}

namespace {

// Holds every question until released.
class HeldQuestions : public BAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest&) override
    {
        std::unique_lock lock(fMutex);
        fAsked = true;
        fChanged.notify_all();
        fChanged.wait(lock, [this] { return fReleased; });
        return BAlertAnswer{0, false};
    }
    status_t Notify(const BAlertRequest&) override { return B_OK; }
    void WaitAsked()
    {
        std::unique_lock lock(fMutex);
        fChanged.wait(lock, [this] { return fAsked; });
    }
    void Release()
    {
        std::lock_guard lock(fMutex);
        fReleased = true;
        fChanged.notify_all();
    }
    ~HeldQuestions() override { std::lock_guard lock(fMutex); }

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fAsked = false;
    bool fReleased = false;
};

struct AskingThread {
    std::atomic<bool> wentOn{false};
};

int32 AskThenGoOn(void* data)
{
    BAlert("", "Go on?", "No", "Yes").Go();
    static_cast<AskingThread*>(data)->wentOn = true;
    return 0;
}

} // namespace

TEST(AlertTest, AThreadKilledWhileItWaitsForAnAnswerNeverGoesOnAfterIt)
{
    HeldQuestions presenter;
    BAlertPresenterScope scope(&presenter);
    AskingThread asking;
    const thread_id thread = spawn_thread(AskThenGoOn, "asking", B_NORMAL_PRIORITY, &asking);
    ASSERT_EQ(resume_thread(thread), B_OK);
    presenter.WaitAsked();
    ASSERT_EQ(kill_thread(thread), B_OK);
    presenter.Release();
    // The thread parks as soon as the answer comes back to it.
    thread_info info;
    for (int i = 0; i < 20000 && get_thread_info(thread, &info) == B_OK; i++)
        snooze(1000);
    snooze(100000);
    EXPECT_FALSE(asking.wentOn.load());
}
