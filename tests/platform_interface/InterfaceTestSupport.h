// Helpers for the tests of windows and views: they run on the test's main
// thread, which is Qt's GUI thread, so the tests let Qt's event loop turn
// while they wait for windows to handle their messages.
#pragma once

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QWidget>

#include <functional>
#include <mutex>
#include <vector>

// Lets Qt's loop run until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The picture of the shown window of that title at device resolution (twice
// the window's size at device pixel ratio 2), as 32-bit RGB; a null image
// when no shown window has that title.
inline QImage GrabShownWindow(const char* title)
{
    QCoreApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == QString::fromUtf8(title))
            return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    return QImage();
}

// A view that keeps every message it receives (apart from input).
class RecordingView : public BView {
public:
    explicit RecordingView(const char* name = "recorder")
        : BView(BRect(0, 0, 1, 1), name, B_FOLLOW_NONE, 0)
    {
    }

    void MessageReceived(BMessage* message) override
    {
        std::lock_guard lock(fMutex);
        fMessages.push_back(*message);
    }

    std::vector<BMessage> Messages()
    {
        std::lock_guard lock(fMutex);
        return fMessages;
    }

    size_t Count()
    {
        std::lock_guard lock(fMutex);
        return fMessages.size();
    }

private:
    std::mutex fMutex;
    std::vector<BMessage> fMessages;
};

// A window for one test: made, shown (which starts its loop and lets the
// creating thread's lock go) and quit at the end.
class TestWindow {
public:
    explicit TestWindow(BRect frame = BRect(100, 100, 399, 299), uint32 flags = 0)
        : fWindow(new BWindow(frame, "Test", B_TITLED_WINDOW, flags))
    {
    }
    ~TestWindow()
    {
        if (fWindow->Lock())
            fWindow->Quit();
    }
    BWindow* operator->() const { return fWindow; }
    BWindow* Get() const { return fWindow; }
    // Starts the loop: the window was locked by this thread until now.
    void Show() { fWindow->Show(); }

private:
    BWindow* fWindow;
};
