// What the installer window's tests share: a real build of a small
// product loaded into the window, and helpers to reach the window's views.
#pragma once

#include "../install/InstallTestSupport.h"
#include "../platform_interface/InterfaceTestSupport.h"

#include <Entry.h>
#include <FindDirectory.h>
#include <InstallerWin.h>
#include <ReplaceAlert.h>
#include <ReplaceQuestion.h>
#include <Alert.h>
#include <Application.h>
#include <MessageQueue.h>
#include <Window.h>

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <fstream>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

namespace windowtest {

using namespace installtest;

// A product of three items in two groups: "Minimum" holds one, "Full" all.
class WindowFixture : public InstallFixture {
public:
    // prompt: the items go to a folder where entries of their names exist,
    // and the user is asked about each.
    // hugeDisk: the product requires more disk space than any volume has,
    // so every install stops at the requirement check.
    explicit WindowFixture(bool prompt = false, bool hugeDisk = false)
    {
        if (hugeDisk) {
            Description().requirements.diskSpaceNeeded = true;
            Description().requirements.diskSpaceRequired = true;
            Description().requirements.diskSpaceAmount = 1e15;
        }
        if (prompt) {
            AddCustomFolder("Target", B_USER_SETTINGS_DIRECTORY, "prompt/items", false);
            fs::create_directories(PromptFolder());
        }
        Description().groups = {{"Minimum", "Only the program"}, {"Full", "Everything"}};
        Add("app.bin", std::string(3000, 'a')).groups = {"Minimum", "Full"};
        Add("manual.txt", std::string(500, 'm')).groups = {"Full"};
        Add("extra.dat", std::string(200, 'e')).groups = {"Full"};
        std::ofstream(Root() / "license.txt") << "Use it well.";
        Description().licenseFile = (Root() / "license.txt").string();
        if (prompt) {
            for (auto& item : Description().items) {
                item.destination = "Target";
                item.destinationExists = "Prompt";
            }
            for (const char* leaf : {"app.bin", "manual.txt", "extra.dat"})
                std::ofstream(PromptFolder() / leaf) << "old";
        }
        Load();
    }

    // The window loaded from the build, owned by the test.
    InstallerWin* Open()
    {
        fWindow = new InstallerWin();
        EXPECT_TRUE(fWindow->LoadResources(Build().c_str()));
        fWindow->Configuration().SetDestination(DestinationRef());
        fWindow->SetDestinationPath();
        fWindow->Show();
        return fWindow;
    }

    ~WindowFixture()
    {
        if (fWindow != nullptr && fWindow->Lock())
            fWindow->Quit();
    }

    static fs::path PromptFolder() { return StandardFolder(B_USER_SETTINGS_DIRECTORY) / "prompt/items"; }

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

template <class View>
View* Find(BWindow* window, const char* name)
{
    return dynamic_cast<View*>(window->FindView(name));
}

inline void Press(InstallerWin* window)
{
    window->PostMessage(InstallerWin::kMainButton);
}

// Whether the window asked the application to quit (the test's application
// does not run its loop, so the request stays queued).
inline bool QuitRequestQueued()
{
    BMessageQueue* queue = be_app->MessageQueue();
    queue->Lock();
    const bool queued = queue->FindMessage(uint32(B_QUIT_REQUESTED)) != nullptr;
    queue->Unlock();
    return queued;
}

// Removes the quit requests earlier tests left in the application's queue.
inline void DropQuitRequests()
{
    BMessageQueue* queue = be_app->MessageQueue();
    queue->Lock();
    while (BMessage* request = queue->FindMessage(uint32(B_QUIT_REQUESTED))) {
        queue->RemoveMessage(request);
        delete request;
    }
    queue->Unlock();
}

// Holds the job at its questions of one kind ("replace" unless told)
// until released, then answers them with held; answers every other
// question at once with its first button and records its text.
class HoldingPresenter : public BAlertPresenter {
public:
    explicit HoldingPresenter(std::string kind = "replace", BAlertAnswer held = BAlertAnswer{1, true})
        : fKind(std::move(kind)),
          fHeldAnswer(held)
    {
    }
    // The job's thread answered its last question under the lock; taking
    // it here orders that before the presenter's end.
    ~HoldingPresenter() override { std::lock_guard lock(fMutex); }

    BAlertAnswer Ask(const BAlertRequest& request) override
    {
        std::unique_lock lock(fMutex);
        if (request.kind == fKind) {
            fHeld = true;
            fChanged.notify_all();
            fChanged.wait(lock, [this] { return fReleased; });
            return fHeldAnswer;
        }
        fTexts.push_back(request.text);
        return BAlertAnswer{0, false};
    }
    status_t Notify(const BAlertRequest& request) override
    {
        std::lock_guard lock(fMutex);
        fTexts.push_back(request.text);
        return B_OK;
    }
    bool Held()
    {
        std::lock_guard lock(fMutex);
        return fHeld;
    }
    void Release()
    {
        std::lock_guard lock(fMutex);
        fReleased = true;
        fChanged.notify_all();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard lock(fMutex);
        return fTexts;
    }
    // Whether a recorded text holds part.
    bool Said(const std::string& part)
    {
        std::lock_guard lock(fMutex);
        for (const std::string& text : fTexts) {
            if (text.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

private:
    std::string fKind;
    BAlertAnswer fHeldAnswer;
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fHeld = false;
    bool fReleased = false;
    std::vector<std::string> fTexts;
};

// The job's question for an existing and an incoming entry of one name,
// answered in the dialog run on a worker, as the install job runs it.
struct ReplaceRun {
    ondelle::test::TempDir root;
    BAlertRequest request;
    std::atomic<ReplaceAlert*> alert{nullptr};
    std::future<BAlertAnswer> answer;

    ReplaceRun()
    {
        fs::create_directories(root / "dest");
        fs::create_directories(root / "new");
        ondelle::test::WriteFileBytes(root / "dest/readme.txt", "old");
        ondelle::test::WriteFileBytes(root / "new/readme.txt", "new");
        BAlert question("", "", "OK");
        BuildReplaceQuestion((root / "new/readme.txt").c_str(), (root / "dest/readme.txt").c_str(), question);
        request = question.Request();
        answer = std::async(std::launch::async, [this] {
            auto* dialog = new ReplaceAlert(request, true);
            alert = dialog;
            return dialog->Go();
        });
        EXPECT_TRUE(WaitFor([&] { return alert.load() != nullptr && !alert.load()->IsHidden(); }));
    }
    bool Answered() { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }
};

// The shown top-level widget of the window of that title, waited for a
// while; null when none is shown.
inline QWidget* ShownTopWidget(const char* title)
{
    QWidget* found = nullptr;
    WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowTitle() == QString::fromUtf8(title))
                found = widget;
        return found != nullptr;
    });
    return found;
}

// What the application does when it quits during an install held in a
// question: stop the job (the question is answered a moment later, and the
// job stops at that answer).
inline void QuitRunningWhileHeld(InstallerWin* window, HoldingPresenter& presenter, const char* cause = "stop")
{
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        presenter.Release();
    });
    {
        Locked lock(window);
        window->QuitRunning(cause);
    }
    release.join();
}

} // namespace windowtest
