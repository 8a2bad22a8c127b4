// Filling the installer window from a build's configuration: reading the
// configuration of 100, 1,000 and 10,000 items from the build's resources
// and loading it into a new InstallerWin (about image, license, groups,
// one list entry per item with its icon, destination, volume menu, size
// totals). "held_MB" is the memory the filled window holds (heap in use
// after filling less before), "peak_rss_MB" the process's peak resident
// size after the last run, "close_ms" the time to close the filled window
// (untimed otherwise). Everything lives in a private temporary folder
// that serves as home, data folders and sandbox.
#include "BenchSandbox.h"
#include "ConfigurationWriter.h"
#include "ProductDescription.h"

#include <Application.h>
#include <ConfigFields.h>
#include <InstallerWin.h>
#include <LibAppResource.h>
#include <Message.h>

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The private root, made before anything reads the standard folders and
// removed at exit; the process's own folders are moved into it.
class BenchRoot {
public:
    BenchRoot()
        : fSandbox("ondelle-bench-fill-")
    {
        if (fSandbox.Path().empty())
            return;
        for (const auto& [name, value] : fSandbox.Variables())
            ::setenv(name.c_str(), value.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        fs::create_directories(fSandbox.Path() / "payload");
    }
    const fs::path& Path() const { return fSandbox.Path(); }

private:
    BenchSandbox fSandbox;
};

BenchRoot& Root()
{
    static BenchRoot root;
    return root;
}

// The application the windows belong to; its loop does not run. Ended in
// main before the program's static objects (Qt's application among them).
std::unique_ptr<BApplication> gApplication;

void EnsureApplication()
{
    Root();
    if (gApplication == nullptr)
        gApplication = std::make_unique<BApplication>("application/x-vnd.Ondelle-FillBench");
}

// A file holding only the configuration resource of a product of count
// items in three groups; made once per count. Empty on failure.
std::string ConfigurationFile(int64 count)
{
    static std::map<int64, std::string> made;
    auto found = made.find(count);
    if (found != made.end())
        return found->second;

    const fs::path root = Root().Path();
    ProductDescription description;
    description.appName = "Fill Test";
    description.version = "1.0";
    description.optCreatedFolder = "Fill Test";
    description.groups = {{"Typical", "Most of it"}, {"Minimum", "The least"}, {"Full", "Everything"}};
    for (int64 i = 0; i < count; i++) {
        const char* extension = i % 3 == 0 ? ".txt" : i % 3 == 1 ? ".html" : "";
        const fs::path file = root / "payload" / ("item-" + std::to_string(i) + extension);
        if (!fs::exists(file))
            std::ofstream(file) << "contents of item " << i << "\n";
        ProductItem item;
        item.path = file.string();
        item.groups = i % 2 == 0 ? std::vector<std::string>{"Typical", "Full"} : std::vector<std::string>{"Full"};
        if (i % 10 == 0)
            item.groups.push_back("Minimum");
        description.items.push_back(item);
    }
    BMessage configuration;
    if (!WriteConfiguration(description, 4096, configuration).empty())
        return "";
    const ssize_t size = configuration.FlattenedSize();
    std::string flat(size_t(size > 0 ? size : 0), '\0');
    if (size <= 0 || configuration.Flatten(flat.data(), size) != B_OK)
        return "";

    const fs::path path = root / ("config-" + std::to_string(count));
    std::ofstream(path) << "";
    {
        LibAppResource resources(path.c_str(), B_READ_WRITE);
        if (resources.InitCheck() != B_OK
            || resources.AddResource(kConfigResourceType, kConfigResourceId, flat.data(), flat.size(),
                   kConfigResourceName) != B_OK)
            return "";
    }
    made[count] = path.string();
    return path.string();
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void CloseWindow(InstallerWin* window)
{
    if (window->Lock())
        window->Quit();
}

void BM_InstallerWinFill(benchmark::State& state)
{
    EnsureApplication();
    const std::string path = ConfigurationFile(state.range(0));
    if (path.empty()) {
        state.SkipWithError("the configuration could not be made");
        return;
    }
    double held = 0;
    double closing = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const size_t before = HeapInUse();
        state.ResumeTiming();
        auto* window = new InstallerWin();
        const bool loaded = window->LoadResources(path.c_str());
        state.PauseTiming();
        held += double(HeapInUse()) - double(before);
        if (!loaded) {
            CloseWindow(window);
            state.SkipWithError("the configuration was not loaded");
            return;
        }
        const auto closeStart = std::chrono::steady_clock::now();
        CloseWindow(window);
        closing += std::chrono::duration<double>(std::chrono::steady_clock::now() - closeStart).count();
        state.ResumeTiming();
    }
    struct rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["close_ms"] = closing * 1000 / double(state.iterations());
    state.counters["held_MB"] = held / double(state.iterations()) / (1024.0 * 1024.0);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_InstallerWinFill)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv)
{
    // Qt's application lives in main, as in the tests: made after the
    // sandbox is set up and ended before the program's static objects.
    Root();
    QApplication qtApplication(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gApplication.reset();
    return 0;
}
