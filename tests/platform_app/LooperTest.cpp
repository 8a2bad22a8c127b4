#include "LooperTestSupport.h"

#include <Messenger.h>
#include <MessageQueue.h>

#include <gtest/gtest.h>

#include <map>
#include <thread>

using namespace looper_test;

namespace {

// Checks that every sender's messages arrived once each, in sending order.
void ExpectComplete(Log& log, int senders, int perSender)
{
    std::lock_guard lock(log.mutex);
    ASSERT_EQ(log.entries.size(), size_t(senders * perSender));
    std::map<int32, int32> next;
    for (auto [sender, seq] : log.entries) {
        ASSERT_GE(sender, 0);
        ASSERT_LT(sender, senders);
        EXPECT_EQ(seq, next[sender]) << "sender " << sender;
        next[sender] = seq + 1;
    }
    for (int s = 0; s < senders; s++)
        EXPECT_EQ(next[s], perSender);
}

} // namespace

TEST(Looper, ManyPostingThreadsLoseNothingAndKeepEachSendersOrder)
{
    Log log;
    std::atomic<bool> deleted{false};
    auto* looper = new RecordingLooper(log, &deleted);
    RecordingHandler* handler = new RecordingHandler("target", log);
    looper->AddHandler(handler);
    thread_id thread = looper->Run();
    ASSERT_GT(thread, 0);
    EXPECT_EQ(looper->Thread(), thread);
    EXPECT_EQ(BLooper::LooperForThread(thread), looper);

    const int kSenders = 8, kEach = 500;
    BMessenger toHandler(handler);
    BMessenger toLooper(nullptr, looper);
    ASSERT_TRUE(toHandler.IsValid());
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; s++) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kEach; i++) {
                BMessage message('test');
                message.AddInt32("sender", s);
                message.AddInt32("seq", i);
                // Three ways in, one queue: the order per sender holds.
                status_t status = i % 3 == 0 ? toHandler.SendMessage(&message)
                    : i % 3 == 1 ? toLooper.SendMessage(&message)
                                 : looper->PostMessage(&message);
                ASSERT_EQ(status, B_OK);
            }
        });
    }
    for (auto& sender : senders)
        sender.join();
    ASSERT_TRUE(log.WaitFor(kSenders * kEach));
    snooze(20000);
    ExpectComplete(log, kSenders, kEach);
    {
        std::lock_guard lock(log.mutex);
        for (thread_id t : log.threads)
            EXPECT_EQ(t, thread);
    }

    ASSERT_TRUE(looper->Lock());
    looper->Quit();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(toLooper.IsValid());
    EXPECT_EQ(toLooper.SendMessage('late'), B_BAD_PORT_ID);
    EXPECT_EQ(toHandler.SendMessage('late'), B_BAD_PORT_ID);
}

TEST(Looper, IdleLoopReceivesAndMessagesReachTheRightHandler)
{
    Log looperLog, handlerLog;
    auto* looper = new RecordingLooper(looperLog);
    auto* handler = new RecordingHandler("handler", handlerLog);
    looper->AddHandler(handler);
    EXPECT_EQ(looper->CountHandlers(), 2);
    EXPECT_EQ(looper->HandlerAt(0), looper);
    EXPECT_EQ(looper->IndexOf(handler), 1);
    thread_id thread = looper->Run();
    EXPECT_TRUE(WaitUntil([&] {
        thread_info info;
        return get_thread_info(thread, &info) == B_OK && info.state == B_THREAD_RECEIVING;
    }));
    thread_info info;
    ASSERT_EQ(get_thread_info(thread, &info), B_OK);
    EXPECT_STREQ(info.name, "recording looper");

    EXPECT_EQ(looper->PostMessage('self'), B_OK);
    EXPECT_EQ(looper->PostMessage('hand', handler), B_OK);
    // No preferred handler: the looper takes it.
    EXPECT_EQ(looper->PostMessage('pref', nullptr), B_OK);
    ASSERT_TRUE(looperLog.WaitFor(2));
    ASSERT_TRUE(handlerLog.WaitFor(1));

    ASSERT_TRUE(looper->Lock());
    looper->SetPreferredHandler(handler);
    looper->Unlock();
    EXPECT_EQ(BMessenger(nullptr, looper).SendMessage('pref'), B_OK);
    ASSERT_TRUE(handlerLog.WaitFor(2));
    {
        std::lock_guard lock(handlerLog.mutex);
        EXPECT_EQ(handlerLog.whats, (std::vector<uint32>{'hand', 'pref'}));
    }
    {
        std::lock_guard lock(looperLog.mutex);
        EXPECT_EQ(looperLog.whats, (std::vector<uint32>{'self', 'pref'}));
    }

    // A handler that left the looper is refused, and so is one of another.
    BMessenger toHandler(handler);
    ASSERT_TRUE(looper->Lock());
    EXPECT_TRUE(looper->RemoveHandler(handler));
    EXPECT_EQ(looper->PreferredHandler(), nullptr);
    EXPECT_FALSE(looper->RemoveHandler(looper));
    looper->Unlock();
    EXPECT_EQ(toHandler.SendMessage('gone'), B_BAD_HANDLER);
    EXPECT_EQ(looper->PostMessage('gone', handler), B_MISMATCHED_VALUES);
    status_t result;
    BMessenger none(handler, nullptr, &result);
    EXPECT_EQ(result, B_BAD_HANDLER);
    EXPECT_FALSE(none.IsValid());
    delete handler;

    ASSERT_TRUE(looper->Lock());
    looper->Quit();
}

TEST(Looper, QuitRequestedDecidesAndQuitFromTheLoopDeletesAfterTheMessage)
{
    Log log;
    std::atomic<bool> deleted{false};
    auto* looper = new RecordingLooper(log, &deleted);
    looper->allowQuit = false;
    looper->Run();
    BMessenger messenger(nullptr, looper);

    EXPECT_EQ(messenger.SendMessage(B_QUIT_REQUESTED), B_OK);
    EXPECT_EQ(messenger.SendMessage('live'), B_OK);
    ASSERT_TRUE(log.WaitFor(1));
    EXPECT_FALSE(deleted);
    EXPECT_TRUE(messenger.IsValid());

    // Quit() inside a handler: the message finishes, then the looper goes;
    // messages queued behind it are dropped, never delivered.
    looper->onMessage = [&](BMessage* message) {
        if (message->what == 'quit')
            looper->Quit();
    };
    ASSERT_TRUE(looper->Lock());
    looper->PostMessage('quit');
    looper->PostMessage('drop');
    looper->Unlock();
    ASSERT_TRUE(WaitUntil([&] { return deleted.load(); }));
    EXPECT_EQ(log.Size(), 2u);
    EXPECT_FALSE(messenger.IsValid());
}

TEST(Looper, LockIsRecursiveOwnedAndTimesOut)
{
    Log log;
    auto* looper = new RecordingLooper(log);
    // A new looper is locked by its creator until Run().
    EXPECT_TRUE(looper->IsLocked());
    EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));
    looper->Run();
    EXPECT_FALSE(looper->IsLocked());

    ASSERT_TRUE(looper->Lock());
    ASSERT_TRUE(looper->Lock());
    EXPECT_EQ(looper->CountLocks(), 2);
    std::atomic<status_t> other{B_OK};
    std::thread([&] { other = looper->LockWithTimeout(20000); }).join();
    EXPECT_EQ(other.load(), B_TIMED_OUT);

    // Messages wait while another thread holds the lock.
    looper->PostMessage('wait');
    snooze(30000);
    EXPECT_EQ(log.Size(), 0u);
    looper->Unlock();
    looper->Unlock();
    EXPECT_TRUE(log.WaitFor(1));

    std::thread([&] {
        EXPECT_TRUE(looper->Lock());
        looper->Quit(); // from another thread: returns once the looper is gone
    }).join();
}

TEST(Looper, LockLooperFailsOnceTheLooperIsGone)
{
    Log log;
    auto* looper = new RecordingLooper(log);
    auto* handler = new RecordingHandler("h", log);
    looper->AddHandler(handler);
    looper->Run();
    BMessenger messenger(handler);
    ASSERT_TRUE(handler->LockLooper());
    handler->UnlockLooper();
    ASSERT_TRUE(messenger.LockTarget());
    BLooper* target = nullptr;
    EXPECT_EQ(messenger.Target(&target), handler);
    EXPECT_EQ(target, looper);
    looper->Quit();

    EXPECT_FALSE(handler->LockLooper());
    EXPECT_EQ(handler->Looper(), nullptr);
    EXPECT_FALSE(messenger.LockTarget());
    EXPECT_EQ(messenger.Target(&target), nullptr);
    EXPECT_EQ(target, nullptr);
    delete handler;
}

TEST(MessageQueue, FindAndTakeInOrder)
{
    BMessageQueue queue;
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(queue.NextMessage(), nullptr);
    EXPECT_EQ(queue.NextMessage(bigtime_t(10000)), nullptr);
    auto* a = new BMessage('a');
    auto* b = new BMessage('b');
    auto* c = new BMessage('a');
    queue.AddMessage(a);
    queue.AddMessage(b);
    queue.AddMessage(c);
    queue.AddMessage(nullptr);
    EXPECT_EQ(queue.CountMessages(), 3);
    EXPECT_EQ(queue.FindMessage(1), b);
    EXPECT_EQ(queue.FindMessage(3), nullptr);
    EXPECT_EQ(queue.FindMessage(uint32('a'), 1), c);
    EXPECT_EQ(queue.FindMessage(uint32('b'), 1), nullptr);
    EXPECT_TRUE(queue.IsNextMessage(a));
    queue.RemoveMessage(b);
    delete b;
    EXPECT_EQ(queue.NextMessage(), a);
    delete a;
    EXPECT_FALSE(queue.IsLocked());
    queue.Lock();
    EXPECT_TRUE(queue.IsLocked());
    queue.Unlock();
    EXPECT_FALSE(queue.IsLocked());
    // c is deleted with the queue.
}
