#include <OS.h>
#include <StopPoint.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Counter {
    std::atomic<int> steps{0};
    std::atomic<bool> stop{false};
};

int32 ReturnSeven(void*)
{
    return 7;
}

int32 CountForever(void* data)
{
    auto* counter = static_cast<Counter*>(data);
    while (!counter->stop) {
        stop_point();
        counter->steps++;
        snooze(200);
    }
    return 0;
}

int32 BusyCount(void* data)
{
    auto* counter = static_cast<Counter*>(data);
    while (!counter->stop) {
        stop_point();
        counter->steps++;
    }
    return 0;
}

int32 SleepLong(void*)
{
    snooze(60 * 1000000LL);
    return 1;
}

bool WaitUntil(const std::function<bool()>& condition, bigtime_t timeout = 5000000)
{
    bigtime_t end = system_time() + timeout;
    while (!condition()) {
        if (system_time() > end)
            return false;
        snooze(1000);
    }
    return true;
}

thread_state StateOf(thread_id id)
{
    thread_info info;
    if (get_thread_info(id, &info) != B_OK)
        return thread_state(0);
    return info.state;
}

} // namespace

TEST(Thread, SpawnedThreadWaitsForResumeAndReportsItsExitValue)
{
    Counter counter;
    thread_id id = spawn_thread(CountForever, "counter thread", B_LOW_PRIORITY, &counter);
    ASSERT_GT(id, 0);
    snooze(20000);
    EXPECT_EQ(counter.steps.load(), 0);

    thread_info info;
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_STREQ(info.name, "counter thread");
    EXPECT_EQ(info.priority, B_LOW_PRIORITY);
    EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
    EXPECT_EQ(info.team, getpid());
    EXPECT_EQ(find_thread("counter thread"), id);

    ASSERT_EQ(resume_thread(id), B_OK);
    EXPECT_EQ(resume_thread(id), B_BAD_THREAD_STATE);
    EXPECT_TRUE(WaitUntil([&] { return counter.steps > 0; }));
    counter.stop = true;
    status_t result = -5;
    EXPECT_EQ(wait_for_thread(id, &result), B_OK);
    EXPECT_EQ(result, 0);
    // Once waited for, the id is gone.
    EXPECT_EQ(get_thread_info(id, &info), B_BAD_THREAD_ID);
    EXPECT_EQ(wait_for_thread(id, &result), B_BAD_THREAD_ID);
}

TEST(Thread, AThreadThatWasWaitedForIsNotFoundByNameWhileLinuxStillEndsIt)
{
    // Linux may list the thread for a moment after the wait returned; the
    // name must be gone at once all the same.
    for (int round = 0; round < 300; round++) {
        thread_id id = spawn_thread(ReturnSeven, "short-lived", B_NORMAL_PRIORITY, nullptr);
        ASSERT_GT(id, 0);
        status_t result = 0;
        ASSERT_EQ(wait_for_thread(id, &result), B_OK);
        ASSERT_EQ(find_thread("short-lived"), B_NAME_NOT_FOUND) << "round " << round;
    }
}

TEST(Thread, WaitStartsANewThreadAndNamesArePriorityClampedAndTruncated)
{
    thread_id id = spawn_thread(ReturnSeven, "a name that is far longer than thirty-one bytes", 500, nullptr);
    ASSERT_GT(id, 0);
    thread_info info;
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_EQ(std::strlen(info.name), size_t(B_OS_NAME_LENGTH - 1));
    EXPECT_EQ(info.priority, B_REAL_TIME_PRIORITY);
    EXPECT_EQ(set_thread_priority(id, B_NORMAL_PRIORITY), B_REAL_TIME_PRIORITY);
    ASSERT_EQ(get_thread_info(id, &info), B_OK);
    EXPECT_EQ(info.priority, B_NORMAL_PRIORITY);

    status_t result = 0;
    EXPECT_EQ(wait_for_thread(id, &result), B_OK);
    EXPECT_EQ(result, 7);
}

TEST(Thread, BadArgumentsAndThreadsNotSpawnedHere)
{
    EXPECT_EQ(spawn_thread(nullptr, "x", B_NORMAL_PRIORITY, nullptr), B_BAD_VALUE);
    EXPECT_EQ(kill_thread(-3), B_BAD_THREAD_ID);
    EXPECT_EQ(resume_thread(0x7ffffff0), B_BAD_THREAD_ID);
    EXPECT_EQ(get_thread_info(find_thread(nullptr), nullptr), B_BAD_VALUE);
    // The main thread exists but is not ours to kill or wait for.
    thread_id self = find_thread(nullptr);
    EXPECT_EQ(self, getpid());
    EXPECT_EQ(kill_thread(self), B_NOT_ALLOWED);
    status_t result;
    EXPECT_EQ(wait_for_thread(self, &result), B_NOT_ALLOWED);
    thread_info info;
    ASSERT_EQ(get_thread_info(self, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_RUNNING);
    EXPECT_EQ(find_thread("no thread has this name"), B_NAME_NOT_FOUND);
}

TEST(Thread, SuspendHoldsTheThreadAtItsStopPointUntilResumed)
{
    Counter counter;
    thread_id id = spawn_thread(BusyCount, "suspend me", B_NORMAL_PRIORITY, &counter);
    ASSERT_EQ(resume_thread(id), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return counter.steps > 100; }));

    ASSERT_EQ(suspend_thread(id), B_OK);
    EXPECT_EQ(StateOf(id), B_THREAD_SUSPENDED);
    snooze(20000);
    int held = counter.steps;
    snooze(50000);
    // At most the step that had passed its stop point already.
    EXPECT_LE(counter.steps - held, 1);

    ASSERT_EQ(resume_thread(id), B_OK);
    EXPECT_TRUE(WaitUntil([&] { return counter.steps > held + 100; }));
    counter.stop = true;
    status_t result;
    EXPECT_EQ(wait_for_thread(id, &result), B_OK);
}

TEST(Thread, KilledThreadNeverReturnsIntoItsWorkAndWaitersReturnAtOnce)
{
    Counter counter;
    thread_id id = spawn_thread(BusyCount, "kill me", B_NORMAL_PRIORITY, &counter);
    ASSERT_EQ(resume_thread(id), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return counter.steps > 100; }));

    ASSERT_EQ(kill_thread(id), B_OK);
    int atKill = counter.steps;
    snooze(50000);
    EXPECT_EQ(counter.steps.load(), atKill);
    counter.stop = true;

    bigtime_t start = system_time();
    status_t result = 99;
    EXPECT_EQ(wait_for_thread(id, &result), B_INTERRUPTED);
    EXPECT_EQ(result, 99);
    EXPECT_LT(system_time() - start, 1000000);
    thread_info info;
    EXPECT_EQ(get_thread_info(id, &info), B_BAD_THREAD_ID);
    EXPECT_EQ(kill_thread(id), B_BAD_THREAD_ID);
    EXPECT_EQ(suspend_thread(id), B_BAD_THREAD_ID);

    // Parked threads are not listed among the team's threads.
    int32 cookie = 0;
    while (get_next_thread_info(B_CURRENT_TEAM, &cookie, &info) == B_OK)
        EXPECT_NE(info.thread, id);
}

TEST(Thread, KillWakesSleepersAndWaitersOfAKilledThread)
{
    thread_id sleeper = spawn_thread(SleepLong, "sleeper", B_NORMAL_PRIORITY, nullptr);
    ASSERT_EQ(resume_thread(sleeper), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return StateOf(sleeper) == B_THREAD_ASLEEP; }));

    std::atomic<status_t> waited{1};
    std::thread waiter([&] {
        status_t value;
        waited = wait_for_thread(sleeper, &value);
    });
    snooze(20000);
    bigtime_t start = system_time();
    ASSERT_EQ(kill_thread(sleeper), B_OK);
    waiter.join();
    EXPECT_EQ(waited.load(), B_INTERRUPTED);
    EXPECT_LT(system_time() - start, 1000000);
}

TEST(Thread, KillingANewThreadEndsItWithoutRunningIt)
{
    Counter counter;
    thread_id id = spawn_thread(BusyCount, "never runs", B_NORMAL_PRIORITY, &counter);
    ASSERT_EQ(kill_thread(id), B_OK);
    EXPECT_EQ(resume_thread(id), B_BAD_THREAD_ID);
    snooze(20000);
    EXPECT_EQ(counter.steps.load(), 0);
}

TEST(Thread, TeamWalkListsTheMainThreadAndSpawnedOnes)
{
    Counter counter;
    thread_id id = spawn_thread(CountForever, "listed", B_DISPLAY_PRIORITY, &counter);
    ASSERT_EQ(resume_thread(id), B_OK);

    bool sawMain = false, sawSpawned = false;
    int32 cookie = 0;
    thread_info info;
    while (get_next_thread_info(0, &cookie, &info) == B_OK) {
        sawMain |= info.thread == getpid();
        if (info.thread == id) {
            sawSpawned = true;
            EXPECT_STREQ(info.name, "listed");
            EXPECT_EQ(info.priority, B_DISPLAY_PRIORITY);
        }
    }
    EXPECT_TRUE(sawMain);
    EXPECT_TRUE(sawSpawned);

    team_info team;
    ASSERT_EQ(get_team_info(B_CURRENT_TEAM, &team), B_OK);
    EXPECT_EQ(team.team, getpid());
    EXPECT_GE(team.thread_count, 2);
    EXPECT_GE(team.argc, 1);
    EXPECT_EQ(team.uid, getuid());
    EXPECT_GT(team.image_count, 0);
    EXPECT_EQ(get_team_info(-5, &team), B_BAD_TEAM_ID);

    counter.stop = true;
    status_t result;
    EXPECT_EQ(wait_for_thread(id, &result), B_OK);
}

TEST(Thread, SuspendingAThreadOfAnotherProcessStopsThatProcess)
{
    pid_t child = fork();
    if (child == 0) {
        for (;;)
            pause();
    }
    ASSERT_GT(child, 0);
    ASSERT_TRUE(WaitUntil([&] { return StateOf(child) != thread_state(0); }));
    EXPECT_EQ(resume_thread(child), B_BAD_THREAD_STATE);

    ASSERT_EQ(suspend_thread(child), B_OK);
    EXPECT_TRUE(WaitUntil([&] { return StateOf(child) == B_THREAD_SUSPENDED; }));
    thread_info info;
    ASSERT_EQ(get_thread_info(child, &info), B_OK);
    EXPECT_EQ(info.team, child);

    ASSERT_EQ(resume_thread(child), B_OK);
    EXPECT_TRUE(WaitUntil([&] { return StateOf(child) == B_THREAD_WAITING; }));
    EXPECT_EQ(kill_thread(child), B_BAD_THREAD_ID);

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

TEST(Thread, TheEndOfAProgramWaitsForWorkingThreadsButNotForParkedOrUnstartedOnes)
{
    Counter working;
    Counter killed;
    const thread_id worker = spawn_thread(CountForever, "working", B_NORMAL_PRIORITY, &working);
    const thread_id parked = spawn_thread(BusyCount, "parked", B_NORMAL_PRIORITY, &killed);
    const thread_id idle = spawn_thread(ReturnSeven, "never started", B_NORMAL_PRIORITY, nullptr);
    ASSERT_GT(idle, 0);
    ASSERT_EQ(resume_thread(worker), B_OK);
    ASSERT_EQ(resume_thread(parked), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return killed.steps > 10; }));
    ASSERT_EQ(kill_thread(parked), B_OK);

    // The working thread is told to end only once the wait has begun.
    std::thread stopper([&] {
        const int at = working.steps;
        WaitUntil([&] { return working.steps > at + 20; });
        working.stop = true;
    });
    const bigtime_t start = system_time();
    // The parked thread and the one never started are left; the working one
    // was waited for.
    EXPECT_EQ(wait_for_spawned_threads(60 * 1000000LL), 2);
    EXPECT_LT(system_time() - start, 30 * 1000000LL);
    stopper.join();
    EXPECT_TRUE(working.stop.load());
    thread_info info;
    EXPECT_EQ(get_thread_info(worker, &info), B_BAD_THREAD_ID);
}
