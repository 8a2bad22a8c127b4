#include "../platform_interface/InterfaceTestSupport.h"

#include <TestSupport.h>

#include <Alert.h>
#include <CheckBox.h>
#include <ReplaceAlert.h>
#include <ReplaceQuestion.h>
#include <StringView.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <atomic>
#include <future>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using ondelle::test::TempDir;

// The job's question for an existing and an incoming entry of one name.
struct Collision {
    TempDir root;
    fs::path existing;
    fs::path incoming;
    BAlertRequest question;

    explicit Collision(bool existingIsFolder = false, const std::string& leaf = "readme.txt")
    {
        fs::create_directories(root / "dest");
        fs::create_directories(root / "unpacked");
        existing = root / "dest" / leaf;
        incoming = root / "unpacked" / leaf;
        if (existingIsFolder)
            fs::create_directories(existing);
        else
            std::ofstream(existing) << "old";
        std::ofstream(incoming) << "the new text";
        BAlert alert("", "", "OK");
        BuildReplaceQuestion(incoming.c_str(), existing.c_str(), alert);
        question = alert.Request();
    }
};

BRect FrameOf(BWindow* window, const char* name)
{
    BView* view = window->FindView(name);
    return view != nullptr ? view->Frame() : BRect(-1, -1, -1, -1);
}

// Builds and runs the dialog on a worker, as the install job does (a window
// belongs to the thread that creates it until it is shown), and lets the GUI
// thread turn until the dialog is shown.
struct DialogRun {
    std::atomic<ReplaceAlert*> alert{nullptr};
    std::future<BAlertAnswer> answer;

    DialogRun(const BAlertRequest& question, bool offerApplyToAll)
    {
        answer = std::async(std::launch::async, [this, question, offerApplyToAll] {
            auto* dialog = new ReplaceAlert(question, offerApplyToAll);
            alert = dialog;
            return dialog->Go();
        });
        EXPECT_TRUE(WaitFor([&] { return alert.load() != nullptr && !alert.load()->IsHidden(); }));
    }
    ReplaceAlert* operator->() const { return alert.load(); }
    ReplaceAlert* Get() const { return alert.load(); }
};

BAlertAnswer Finish(std::future<BAlertAnswer>& answer)
{
    EXPECT_TRUE(WaitFor([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return answer.get();
}

void PressKey(BWindow* window, const char* key)
{
    BMessage down(B_KEY_DOWN);
    down.AddString("bytes", key);
    down.AddInt32("modifiers", 0);
    window->PostMessage(&down);
}

} // namespace

TEST(ReplaceAlertTest, EveryRowAtItsFrameUnderTheTextArea)
{
    Collision collision;
    ASSERT_TRUE(ReplaceAlert::CanShow(collision.question));
    auto* alert = new ReplaceAlert(collision.question, true);
    ASSERT_TRUE(alert->Lock());
    EXPECT_EQ(alert->ExistingPath(), collision.existing.string());
    EXPECT_EQ(alert->IncomingPath(), collision.incoming.string());

    BView* textArea = alert->FindView("_tv_");
    ASSERT_NE(textArea, nullptr);
    EXPECT_EQ(alert->FindView("to_creation")->Parent(), textArea);
    EXPECT_EQ(FrameOf(alert, "to_image"), BRect(0, 65, 31, 96));
    EXPECT_EQ(FrameOf(alert, "from_image"), BRect(0, 170, 31, 201));
    // The labels' column is 3 pixels wider than the classic 85, so that
    // "Modified :" is not cut.
    EXPECT_EQ(FrameOf(alert, "to_creation_label"), BRect(40, 35, 88, 50));
    EXPECT_EQ(FrameOf(alert, "to_version"), BRect(90, 110, 245, 125));
    EXPECT_EQ(FrameOf(alert, "with"), BRect(0, 125, 50, 140));
    EXPECT_EQ(FrameOf(alert, "from_modified"), BRect(90, 155, 310, 170));
    EXPECT_EQ(FrameOf(alert, "from_path"), BRect(90, 200, 245, 215));
    EXPECT_EQ(FrameOf(alert, "from_version_label"), BRect(40, 215, 88, 230));
    EXPECT_EQ(FrameOf(alert, "future_collisions"), BRect(0, 235, 200, 250));

    auto* size = dynamic_cast<BStringView*>(alert->FindView("from_size"));
    ASSERT_NE(size, nullptr);
    EXPECT_STREQ(size->Text(), "12.0 bytes");
    auto* label = dynamic_cast<BStringView*>(alert->FindView("to_kind_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->Text(), "Kind :");
    alert->Quit();
}

TEST(ReplaceAlertTest, WindowGrowsByTheRowsAndTheCheckBox)
{
    Collision collision;
    auto* plain = new ReplaceAlert(collision.question, false);
    auto* offering = new ReplaceAlert(collision.question, true);
    ASSERT_TRUE(plain->Lock());
    ASSERT_TRUE(offering->Lock());
    EXPECT_FLOAT_EQ(plain->Bounds().Height(), ReplaceAlert::kPlainHeight + 220);
    EXPECT_FLOAT_EQ(offering->Bounds().Height(), ReplaceAlert::kPlainHeight + 240);
    EXPECT_EQ(plain->FindView("future_collisions"), nullptr);
    plain->Quit();
    offering->Quit();
}

TEST(ReplaceAlertTest, KeysAnswerDontReplaceAndReplace)
{
    Collision collision;
    DialogRun first(collision.question, true);
    PressKey(first.Get(), "d");
    BAlertAnswer result = Finish(first.answer);
    EXPECT_EQ(result.button, 0);
    EXPECT_FALSE(result.checkBox);

    DialogRun second(collision.question, true);
    PressKey(second.Get(), "R");
    EXPECT_EQ(Finish(second.answer).button, 1);
}

TEST(ReplaceAlertTest, FlagIsTheCheckBoxStateWhenTheButtonIsPressed)
{
    Collision collision;
    auto toggle = [](ReplaceAlert* alert, int32 value) {
        ASSERT_TRUE(alert->Lock());
        auto* box = dynamic_cast<BCheckBox*>(alert->FindView("future_collisions"));
        ASSERT_NE(box, nullptr);
        box->SetValue(value);
        box->Invoke();
        alert->Unlock();
        EXPECT_TRUE(WaitFor([&] { return alert->ApplyToAll() == (value == B_CONTROL_ON); }));
    };

    DialogRun ticked(collision.question, true);
    toggle(ticked.Get(), B_CONTROL_ON);
    PressKey(ticked.Get(), "r");
    BAlertAnswer result = Finish(ticked.answer);
    EXPECT_EQ(result.button, 1);
    EXPECT_TRUE(result.checkBox);

    DialogRun unticked(collision.question, true);
    toggle(unticked.Get(), B_CONTROL_ON);
    toggle(unticked.Get(), B_CONTROL_OFF);
    PressKey(unticked.Get(), "r");
    EXPECT_FALSE(Finish(unticked.answer).checkBox);
}

TEST(ReplaceAlertTest, ClosingTheDialogKeepsTheExistingEntry)
{
    Collision collision;
    DialogRun run(collision.question, true);
    run->PostMessage(B_QUIT_REQUESTED);
    EXPECT_EQ(Finish(run.answer).button, 0);
}

TEST(ReplaceAlertTest, FolderAndLongNamesReadWhole)
{
    const std::string leaf(200, 'n');
    Collision collision(true, leaf);
    EXPECT_EQ(collision.question.text, "The folder '" + leaf + "' already exists. Do you wish to replace existing");
    auto* alert = new ReplaceAlert(collision.question, false);
    ASSERT_TRUE(alert->Lock());
    EXPECT_EQ(alert->ExistingPath(), collision.existing.string());
    alert->Quit();
}

TEST(ReplaceAlertTest, OnlyTheJobsReplaceQuestionIsLaidOut)
{
    BAlertRequest other;
    other.kind = "replace";
    other.text = "Something else";
    other.buttons = {"OK"};
    EXPECT_FALSE(ReplaceAlert::CanShow(other));

    // Only the job's own question has the sentence and the rows it lays out.
    Collision collision;
    EXPECT_TRUE(ReplaceAlert::CanShow(collision.question));
    BAlertRequest noRows = collision.question;
    noRows.facts.pop_back();
    EXPECT_FALSE(ReplaceAlert::CanShow(noRows));
}
