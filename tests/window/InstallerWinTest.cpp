#include "../install/InstallTestSupport.h"
#include "../platform_interface/InterfaceTestSupport.h"

#include <Application.h>
#include <Entry.h>
#include <LibConversions.h>
#include <MessageQueue.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <InstallListItem.h>
#include <InstallerWin.h>
#include <ListView.h>
#include <ReplaceAlert.h>
#include <StringView.h>
#include <WindowAlertPresenter.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace installtest;

namespace {

// A product of three items in two groups: "Minimum" holds one, "Full" all.
class WindowFixture : public InstallFixture {
public:
    WindowFixture()
    {
        Description().groups = {{"Minimum", "Only the program"}, {"Full", "Everything"}};
        Add("app.bin", std::string(3000, 'a')).groups = {"Minimum", "Full"};
        Add("manual.txt", std::string(500, 'm')).groups = {"Full"};
        Add("extra.dat", std::string(200, 'e')).groups = {"Full"};
        std::ofstream(Root() / "license.txt") << "Use it well.";
        Description().licenseFile = (Root() / "license.txt").string();
        Load();
    }

    // The window loaded from the build, owned by the test.
    InstallerWin* Open()
    {
        fWindow = new InstallerWin();
        EXPECT_TRUE(fWindow->LoadResources(Build().c_str()));
        fWindow->Configuration().SetDestination(DestinationRef());
        fWindow->Show();
        return fWindow;
    }

    ~WindowFixture()
    {
        if (fWindow != nullptr && fWindow->Lock())
            fWindow->Quit();
    }

    entry_ref DestinationRef()
    {
        fs::create_directories(Destination());
        entry_ref ref;
        BEntry(Destination().c_str()).GetRef(&ref);
        return ref;
    }

private:
    InstallerWin* fWindow = nullptr;
};

// Holds a looper's lock for one scope.
class Locked {
public:
    explicit Locked(BLooper* looper) : fLooper(looper) { fLooper->Lock(); }
    ~Locked() { fLooper->Unlock(); }

private:
    BLooper* fLooper;
};

// The application the window posts to; its loop does not run, so what is
// posted to it stays in its queue for the tests to read.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { fApplication = std::make_unique<BApplication>("application/x-vnd.Ondelle-WindowTest"); }
    void TearDown() override { fApplication.reset(); }

private:
    std::unique_ptr<BApplication> fApplication;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

bool QuitRequestQueued()
{
    BMessageQueue* queue = be_app->MessageQueue();
    queue->Lock();
    const bool queued = queue->FindMessage(uint32(B_QUIT_REQUESTED)) != nullptr;
    queue->Unlock();
    return queued;
}

template <class View>
View* Find(BWindow* window, const char* name)
{
    return dynamic_cast<View*>(window->FindView(name));
}

void Press(InstallerWin* window)
{
    window->PostMessage(InstallerWin::kMainButton);
}

} // namespace

TEST(InstallerWinTest, EveryNamedViewAtItsFrame)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 455, 257));
    EXPECT_STREQ(window->Name(), "InstallerWin");
    EXPECT_EQ(window->FindView("bgview")->Frame(), window->Bounds());
    EXPECT_EQ(window->FindView("InstallImage")->Frame(), BRect(10, 16, 160, 216));
    EXPECT_EQ(window->FindView("license_box")->Frame(), BRect(165, 10, 445, 216));
    EXPECT_EQ(window->FindView("install_box")->Frame(), BRect(165, 10, 445, 216));
    EXPECT_EQ(window->FindView("install_type_label")->Frame(), BRect(10, 15, 70, 30));
    // Lists sit in their scroll views, at the frames given in the box.
    auto inBox = [&](const char* name) {
        BView* view = window->FindView(name);
        BRect frame = view->Frame();
        frame.OffsetBy(view->Parent()->Frame().LeftTop());
        return frame;
    };
    EXPECT_EQ(inBox("install_type"), BRect(10, 33, 80, 140));
    EXPECT_EQ(window->FindView("file_label")->Frame(), BRect(110, 15, 160, 30));
    EXPECT_EQ(inBox("custom_list"), BRect(110, 33, 263, 140));
    EXPECT_EQ(window->FindView("inst_box")->Frame(), BRect(10, 225, 350, 250));
    EXPECT_EQ(window->FindView("instruction")->Frame(), BRect(10, 6, 240, 21));
    // The default button grows by 3 on every side, as the platform's does.
    const BRect button = window->FindView("button")->Frame();
    EXPECT_EQ(button.LeftTop(), BPoint(357, 220));
    EXPECT_FLOAT_EQ(button.Width(), 86);
    for (const char* name : {"license_text", "license_view", "install_type_scroll", "custom_scroll_view",
             "install_size", "volume", "folder", "volume_size", "destination"})
        EXPECT_NE(window->FindView(name), nullptr) << name;
    EXPECT_EQ(window->DefaultButton(), Find<BButton>(window, "button"));
    EXPECT_STREQ(Find<BStringView>(window, "instruction")->Text(), "Read license and select Agree button");
    window->Unlock();
}

TEST(InstallerWinTest, GroupsSelectTheirItemsAndTheTotalFollows)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    ASSERT_TRUE(window->Lock());
    auto* types = Find<BListView>(window, "install_type");
    auto* items = Find<BListView>(window, "custom_list");
    auto* size = Find<BStringView>(window, "install_size");
    ASSERT_EQ(types->CountItems(), 2);
    ASSERT_EQ(items->CountItems(), 3);
    // "Minimum" first: only app.bin, plus the deinstaller's size.
    EXPECT_TRUE(items->IsItemSelected(0));
    EXPECT_FALSE(items->IsItemSelected(1));
    const int32 deinstaller = window->Configuration().DeinstallerSize();
    const int32 appSize = static_cast<InstallListItem*>(items->ItemAt(0))->Size();
    LibString expected;
    LibBytesToString(uint64(appSize + deinstaller), expected, 1);
    EXPECT_STREQ(size->Text(), static_cast<const char*>(expected));

    types->Select(1);
    window->Unlock();
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return items->IsItemSelected(2);
    }));
    ASSERT_TRUE(window->Lock());
    EXPECT_TRUE(items->IsItemSelected(1));
    int32 total = deinstaller;
    for (int32 i = 0; i < 3; i++)
        total += static_cast<InstallListItem*>(items->ItemAt(i))->Size();
    LibBytesToString(uint64(total), expected, 1);
    EXPECT_STREQ(size->Text(), static_cast<const char*>(expected));

    // Nothing selected: the main button cannot be pressed.
    items->DeselectAll();
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return !Find<BButton>(window, "button")->IsEnabled();
    }));
    ASSERT_TRUE(window->Lock());
    items->Select(1);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return Find<BButton>(window, "button")->IsEnabled();
    }));
}

TEST(InstallerWinTest, AgreeInstallStatusLinesAndTheEnd)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    EXPECT_EQ(window->CurrentState(), InstallerWin::kLicense);
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    {
        Locked lock(window);
        EXPECT_TRUE(window->FindView("license_box")->IsHidden());
        EXPECT_FALSE(window->FindView("install_box")->IsHidden());
        EXPECT_STREQ(Find<BButton>(window, "button")->Label(), "Install");
        EXPECT_STREQ(Find<BStringView>(window, "instruction")->Text(),
            "Select destination folder and press Install");
    }

    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    // The end of a completed job asks the application to quit; the test's
    // application does not run its loop, so the request stays queued.
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(WaitFor(QuitRequestQueued));
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "app.bin"));
    EXPECT_FALSE(fs::exists(fixture.InstallFolder() / "manual.txt"));
    Locked lock(window);
    EXPECT_STRNE(Find<BStringView>(window, "instruction")->Text(), "Select destination folder and press Install");
}
