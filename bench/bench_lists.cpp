// The program's own lists with many entries: making file entries (icon and
// name), filling a list view with them and laying it out (truncating every
// name to the list's width), hover reporting across every entry and moving
// entries by dragging should each take time in proportion to the entries.
#include <FileListItem.h>
#include <LibListView.h>

#include <Window.h>

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

void EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench_lists";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }
}

// Entries for paths that do not exist: the generic icon, no disk work
// beyond the failed look-up, so the figures are the lists' own.
std::vector<std::unique_ptr<FileListItem>> MakeItems(int64 count)
{
    std::vector<std::unique_ptr<FileListItem>> items;
    items.reserve(size_t(count));
    for (int64 i = 0; i < count; i++) {
        const std::string path = "/nonexistent/Applications/Some Product/part " + std::to_string(i) + ".data";
        items.push_back(std::make_unique<FileListItem>(path.c_str(), true, false));
    }
    return items;
}

// A list that moves the entry it is told about, as the installer's does.
class MovingList : public LibListView {
public:
    MovingList() : LibListView(BRect(0, 0, 199, 299), "items") {}
    void ItemReordered(const int32& from, const int32& to) override { MoveItem(from, to); }
};

void BM_FileItemsMake(benchmark::State& state)
{
    EnsureApplication();
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeItems(state.range(0)).size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FileItemsMake)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_FileListFillTruncated(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    for (auto& item : items)
        item->SetTruncateMode(B_TRUNCATE_MIDDLE);
    for (auto _ : state) {
        MovingList list;
        std::vector<BListItem*> all;
        for (auto& item : items)
            all.push_back(item.get());
        list.AddList(all);
        // Laying the list out measures and truncates every entry.
        benchmark::DoNotOptimize(list.ItemFrame(list.CountItems() - 1));
        list.MakeEmpty();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FileListFillTruncated)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_HoverOverEveryItem(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    MovingList list;
    for (auto& item : items)
        list.AddItem(item.get());
    std::vector<BPoint> middles;
    for (int32 i = 0; i < list.CountItems(); i++) {
        const BRect frame = list.ItemFrame(i);
        middles.emplace_back(50, (frame.top + frame.bottom) / 2);
    }
    for (auto _ : state) {
        int64 found = 0;
        for (const BPoint& where : middles)
            found += list.IndexOf(where);
        benchmark::DoNotOptimize(found);
    }
    list.MakeEmpty();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_HoverOverEveryItem)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

void BM_ReorderFirstToLast(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    MovingList list;
    for (auto& item : items)
        list.AddItem(item.get());
    const int32 last = list.CountItems() - 1;
    for (auto _ : state) {
        list.ItemReordered(0, last);
        benchmark::DoNotOptimize(list.ItemFrame(last));
    }
    list.MakeEmpty();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReorderFirstToLast)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
