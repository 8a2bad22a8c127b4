// LibString operations on typical install paths: building paths, comparing,
// wildcard matching, splitting at "/" and truncating for display.
#include <Font.h>
#include <LibString.h>
#include <LibStringIterator.h>
#include <Rect.h>

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const char* const kPaths[] = {
    "/boot/home/config/settings/Skylark Notes/preferences",
    "/boot/apps/Skylark Notes/lib/libskylark.so",
    "/boot/home/Desktop/Skylark Notes Read Me.txt",
    "/boot/beos/system/add-ons/Tracker/Skylark Notes",
    "/boot/home/config/be/Applications/Skylark Notes",
    "/boot/apps/Skylark Notes/docs/images/screenshot-large.png",
};
constexpr int kPathCount = sizeof(kPaths) / sizeof(kPaths[0]);

// Text measuring needs the GUI application object; one for the program.
void EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "bench_lib_string";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static QGuiApplication app(argc, argv);
    }
}

void BM_ConcatPath(benchmark::State& state)
{
    for (auto _ : state) {
        LibString path("/boot/apps");
        path.Concat('/');
        path.Concat("Skylark Notes");
        path.Concat("/lib/");
        path.Concat("libskylark.so");
        benchmark::DoNotOptimize(static_cast<const char*>(path));
    }
}
BENCHMARK(BM_ConcatPath);

void BM_Compare(benchmark::State& state)
{
    const bool ignoreCase = state.range(0) != 0;
    LibString a(kPaths[0]);
    LibString b(kPaths[0]);
    b.ToUpperCase();
    for (auto _ : state)
        benchmark::DoNotOptimize(a.Compare(b, ignoreCase));
}
BENCHMARK(BM_Compare)->Arg(0)->Arg(1);

void BM_WildCard(benchmark::State& state)
{
    const char* const patterns[] = {"*.so", "*/Skylark*/*", "/boot/home/*/settings/*", "*?*.png"};
    LibString paths[kPathCount];
    for (int i = 0; i < kPathCount; i++)
        paths[i] = kPaths[i];
    for (auto _ : state) {
        int matches = 0;
        for (const LibString& path : paths) {
            for (const char* pattern : patterns)
                matches += path.IsWildCard(pattern) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * kPathCount * 4);
}
BENCHMARK(BM_WildCard);

void BM_SplitAtSlash(benchmark::State& state)
{
    LibStringIterator iterator(kPaths[5]);
    LibString field;
    for (auto _ : state) {
        iterator.Reset(0);
        int fields = 0;
        while (iterator.GetNextField('/', field))
            fields++;
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(BM_SplitAtSlash);

void BM_ReplaceAll(benchmark::State& state)
{
    for (auto _ : state) {
        LibString path("/boot//home//config//settings//Skylark Notes");
        benchmark::DoNotOptimize(path.ReplaceAll("//", "/"));
    }
}
BENCHMARK(BM_ReplaceAll);

void BM_Truncate(benchmark::State& state)
{
    EnsureGuiApplication();
    const int width = static_cast<int>(state.range(0));
    BFont font(be_plain_font);
    BRect bounds;
    for (auto _ : state) {
        LibString path(kPaths[5]);
        benchmark::DoNotOptimize(path.Truncate(font, width, bounds));
    }
}
BENCHMARK(BM_Truncate)->Arg(300)->Arg(200)->Arg(80);

void BM_StringWidth(benchmark::State& state)
{
    EnsureGuiApplication();
    const BFont* font = be_plain_font;
    for (auto _ : state)
        benchmark::DoNotOptimize(font->StringWidth(kPaths[0]));
}
BENCHMARK(BM_StringWidth);

} // namespace

BENCHMARK_MAIN();
