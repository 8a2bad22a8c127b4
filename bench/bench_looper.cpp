// Message throughput of a looper: messages sent from other threads through
// a messenger and dispatched by the looper's thread; and the cost of a stop
// point, which the storage kit pays before every file change.
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <OS.h>
#include <StopPoint.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class CountingLooper : public BLooper {
public:
    CountingLooper() : BLooper("bench looper") {}
    void MessageReceived(BMessage*) override { received.fetch_add(1, std::memory_order_relaxed); }
    std::atomic<int64> received{0};
};

void BM_SendAndDispatch(benchmark::State& state)
{
    auto* looper = new CountingLooper();
    looper->Run();
    BMessenger messenger(nullptr, looper);
    const int senders = int(state.range(0));
    const int perSender = 2000;
    for (auto _ : state) {
        int64 start = looper->received;
        std::vector<std::thread> threads;
        for (int s = 0; s < senders; s++) {
            threads.emplace_back([&] {
                BMessage message('tick');
                message.AddInt32("seq", 0);
                for (int i = 0; i < perSender; i++)
                    messenger.SendMessage(&message);
            });
        }
        for (auto& thread : threads)
            thread.join();
        while (looper->received - start < int64(senders) * perSender)
            std::this_thread::yield();
    }
    state.SetItemsProcessed(state.iterations() * senders * perSender);
    looper->Lock();
    looper->Quit();
}
BENCHMARK(BM_SendAndDispatch)->Arg(1)->Arg(4)->UseRealTime();

int32 StopPoints(void* data)
{
    auto* count = static_cast<int64*>(data);
    for (int64 i = 0; i < *count; i++)
        stop_point();
    return 0;
}

void BM_StopPoint(benchmark::State& state)
{
    int64 count = 100000;
    for (auto _ : state) {
        thread_id thread = spawn_thread(StopPoints, "stop points", B_NORMAL_PRIORITY, &count);
        status_t result;
        wait_for_thread(thread, &result);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_StopPoint)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
