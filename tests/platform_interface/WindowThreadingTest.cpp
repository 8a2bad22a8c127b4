#include "InterfaceTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Records the order of the numbers it receives and whether each arrived on
// the GUI thread.
class OrderView : public BView {
public:
    OrderView() : BView(BRect(0, 0, 9, 9), "order", B_FOLLOW_NONE, 0) {}

    void MessageReceived(BMessage* message) override
    {
        if (message->what != 'numb') {
            BView::MessageReceived(message);
            return;
        }
        int32 value = -1;
        message->FindInt32("value", &value);
        onGuiThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
        std::lock_guard lock(mutex);
        values.push_back(value);
    }

    std::mutex mutex;
    std::vector<int32> values;
    bool onGuiThread = true;
};

} // namespace

TEST(WindowThreadingTest, HandlersRunOnTheGuiThreadInPostingOrder)
{
    TestWindow window;
    auto* view = new OrderView();
    window->AddChild(view);
    window.Show();
    std::thread poster([&] {
        for (int32 i = 0; i < 200; i++) {
            BMessage message('numb');
            message.AddInt32("value", i);
            window->PostMessage(&message, view);
        }
    });
    poster.join();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(view->mutex);
        return view->values.size() == 200;
    }));
    EXPECT_TRUE(view->onGuiThread);
    for (int32 i = 0; i < 200; i++)
        EXPECT_EQ(view->values[size_t(i)], i);
}

TEST(WindowThreadingTest, WorkerHoldingTheLockDelaysMessagesButNotTheGuiThread)
{
    TestWindow window;
    auto* view = new OrderView();
    window->AddChild(view);
    window.Show();

    std::atomic<bool> locked{false};
    std::atomic<bool> release{false};
    std::thread worker([&] {
        ASSERT_TRUE(window->Lock());
        // Recursive.
        ASSERT_TRUE(window->Lock());
        window->Unlock();
        locked = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        window->Unlock();
    });
    ASSERT_TRUE(WaitFor([&] { return locked.load(); }));
    BMessage message('numb');
    message.AddInt32("value", 7);
    window->PostMessage(&message, view);
    // The GUI thread goes on (this loop runs on it) while the message waits.
    for (int i = 0; i < 20; i++)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    {
        std::lock_guard lock(view->mutex);
        EXPECT_TRUE(view->values.empty());
    }
    release = true;
    worker.join();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(view->mutex);
        return view->values.size() == 1;
    }));
}

// A window's frame is its content area: moving it places the content where
// asked, and showing and hiding it again leaves it there.
TEST(WindowThreadingTest, MovedWindowKeepsItsContentWhereItWasPut)
{
    TestWindow window;
    window->MoveTo(100, 50);
    window->Show();
    ASSERT_TRUE(WaitFor([&] { return !window->IsHidden(); }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    window->Hide();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    window->MoveTo(120, 70);
    window->Show();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(window->Lock());
    const BPoint where = window->Frame().LeftTop();
    window->Unlock();
    EXPECT_EQ(where, BPoint(120, 70));
}
