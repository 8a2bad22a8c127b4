// A list view with many string items: filling it, selecting every item and
// deselecting them again should each take time in proportion to the number
// of items. Also the painting of a window with the standard controls.
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <ListView.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>
#include <Window.h>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

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
        static char name[] = "bench_interface";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }
}

std::vector<std::unique_ptr<BStringItem>> MakeItems(int64 count)
{
    std::vector<std::unique_ptr<BStringItem>> items;
    items.reserve(size_t(count));
    for (int64 i = 0; i < count; i++)
        items.push_back(std::make_unique<BStringItem>(("Item number " + std::to_string(i)).c_str()));
    return items;
}

void BM_ListViewFill(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    for (auto _ : state) {
        BListView list(BRect(0, 0, 199, 299), "list", B_MULTIPLE_SELECTION_LIST);
        for (auto& item : items)
            list.AddItem(item.get());
        benchmark::DoNotOptimize(list.CountItems());
        list.MakeEmpty();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListViewFill)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ListViewSelectAll(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    BListView list(BRect(0, 0, 199, 299), "list", B_MULTIPLE_SELECTION_LIST);
    for (auto& item : items)
        list.AddItem(item.get());
    for (auto _ : state) {
        list.Select(0, list.CountItems() - 1);
        state.PauseTiming();
        list.DeselectAll();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
    list.MakeEmpty();
}
BENCHMARK(BM_ListViewSelectAll)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ListViewDeselectAll(benchmark::State& state)
{
    EnsureApplication();
    auto items = MakeItems(state.range(0));
    BListView list(BRect(0, 0, 199, 299), "list", B_MULTIPLE_SELECTION_LIST);
    for (auto& item : items)
        list.AddItem(item.get());
    for (auto _ : state) {
        state.PauseTiming();
        list.Select(0, list.CountItems() - 1);
        state.ResumeTiming();
        list.DeselectAll();
    }
    state.SetComplexityN(state.range(0));
    list.MakeEmpty();
}
BENCHMARK(BM_ListViewDeselectAll)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_PaintWindowWithControls(benchmark::State& state)
{
    EnsureApplication();
    auto* window = new BWindow(BRect(0, 0, 459, 319), "Bench", B_TITLED_WINDOW, 0);
    auto* box = new BBox(BRect(10, 10, 449, 139), "box");
    box->SetLabel("Options");
    window->AddChild(box);
    box->AddChild(new BCheckBox(BRect(12, 22, 220, 40), "check", "Apply to all", new BMessage(1)));
    auto* list = new BListView(BRect(12, 152, 170, 266), "list");
    auto items = MakeItems(50);
    for (auto& item : items)
        list->AddItem(item.get());
    window->AddChild(new BScrollView("scroll", list, B_FOLLOW_NONE, 0, false, true));
    auto* text = new BTextView(BRect(200, 152, 430, 266), "text", BRect(3, 3, 226, 110), B_FOLLOW_NONE, 0);
    text->SetText("Some text to draw, long enough to wrap over a few lines of the view.");
    window->AddChild(text);
    window->AddChild(new BButton(BRect(360, 284, 439, 307), "button", "Install", new BMessage(2)));
    window->Show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QPixmap picture = window->_Widget()->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    window->Lock();
    list->MakeEmpty();
    window->Quit();
}
BENCHMARK(BM_PaintWindowWithControls)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
