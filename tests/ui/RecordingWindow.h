// A window for the ui tests that keeps the messages with the given what
// codes (the commands views post to their window) and handles the rest as
// usual.
#pragma once

#include <Message.h>
#include <Window.h>

#include <mutex>
#include <set>
#include <vector>

class RecordingWindow : public BWindow {
public:
    explicit RecordingWindow(std::set<uint32> kept, BRect frame = BRect(50, 50, 349, 349))
        : BWindow(frame, "Record", B_TITLED_WINDOW, 0), fKept(std::move(kept))
    {
    }

    void MessageReceived(BMessage* message) override
    {
        if (fKept.count(message->what) == 0) {
            BWindow::MessageReceived(message);
            return;
        }
        std::lock_guard lock(fMutex);
        fMessages.push_back(*message);
    }

    std::vector<BMessage> Messages()
    {
        std::lock_guard lock(fMutex);
        return fMessages;
    }

private:
    const std::set<uint32> fKept;
    std::mutex fMutex;
    std::vector<BMessage> fMessages;
};
