// Making an installer build of a realistic payload (about 200 MB in 5,000
// mixed text and binary files up to five deep, 50 folder items and 10 single
// files) with a deinstaller, at level 6, against zipping the same items and
// the deinstaller with `zip -rq -6` in the same run. Rounds alternate which
// of the two goes first; the counters are the medians and their ratio.
//
// The memory benchmark makes builds of two payload sizes with
// `ondelle-build make`, then runs `ondelle-build inspect` and an unattended
// install on each, every one in a child process, and reports each child's
// peak resident memory (measured by the time program): the figures must not
// grow with the payload.
//
// Everything lives in a private temporary folder that serves as sandbox,
// home and temporary folder.
#include "BenchPayload.h"
#include "BenchSandbox.h"
#include "BuildWriter.h"
#include "ProductDescription.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kLevel = 6;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

fs::path BuildFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

class Workspace {
public:
    Workspace()
        : fSandbox("ondelle-bench-build-")
    {
        if (fSandbox.Path().empty())
            std::abort();
        // This process and every program it starts stay inside.
        for (const auto& [name, value] : fSandbox.Variables())
            ::setenv(name.c_str(), value.c_str(), 1);
    }

    const fs::path& Root() const { return fSandbox.Path(); }

    // The payload of a mean file size, written once.
    const BenchPayload& Payload(size_t meanFileSize)
    {
        for (const auto& [size, payload] : fPayloads) {
            if (size == meanFileSize)
                return *payload;
        }
        const fs::path folder = Root() / ("payload-" + std::to_string(meanFileSize));
        fPayloads.emplace_back(meanFileSize, std::make_unique<BenchPayload>(folder, meanFileSize));
        return *fPayloads.back().second;
    }

    ProductDescription Description(const BenchPayload& payload) const
    {
        ProductDescription description;
        description.appName = "Bench";
        description.version = "1.0";
        description.optCreatedFolder = "Bench";
        description.compressionLevel = kLevel;
        for (const fs::path& path : payload.Items()) {
            ProductItem item;
            item.path = path.string();
            description.items.push_back(item);
        }
        return description;
    }

    std::string Installer() const { return (BuildFolder() / "app/ondelle").string(); }
    std::string Deinstaller() const { return (BuildFolder() / "app/ondelle-deinstall").string(); }

    // Makes the build; its time in seconds.
    double Build(const BenchPayload& payload, const fs::path& output)
    {
        const ProductDescription description = Description(payload);
        const auto start = std::chrono::steady_clock::now();
        const std::string error = MakeInstallerBuild(description, Installer(), Deinstaller(), output.string());
        const double seconds = Seconds(start);
        if (!error.empty()) {
            std::fprintf(stderr, "build failed: %s\n", error.c_str());
            std::abort();
        }
        return seconds;
    }

    // Zips the same items and the deinstaller into one archive; its time.
    double Zip(const BenchPayload& payload)
    {
        const fs::path archive = Root() / "items.zip";
        fs::remove(archive);
        std::string command = "cd '" + payload.Items().front().parent_path().string() + "' && zip -rq -"
            + std::to_string(kLevel) + " '" + archive.string() + "'";
        for (const std::string& leaf : payload.Leaves())
            command += " '" + leaf + "'";
        command += " '" + Deinstaller() + "'";
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            std::abort();
        return Seconds(start);
    }

private:
    BenchSandbox fSandbox;
    std::vector<std::pair<size_t, std::unique_ptr<BenchPayload>>> fPayloads;
};

// Runs a program with its output discarded under the time program, which
// starts it from its own small process, so that the peak it reports is the
// program's own and not the large benchmark process's it was copied from.
// The peak resident memory in KiB, or -1 when the program failed.
long RunMeasured(const Workspace& workspace, const std::vector<std::string>& arguments)
{
    const fs::path report = workspace.Root() / "peak.txt";
    std::string command = "/usr/bin/time -f %M -o '" + report.string() + "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    command += " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return -1;
    std::ifstream in(report);
    long kib = -1;
    in >> kib;
    return kib;
}

Workspace& Shared()
{
    static Workspace workspace;
    return workspace;
}

// Each iteration is one round of both, the first going first in odd rounds
// and second in even ones; the iteration's time is the build's.
void BM_BuildAgainstZip(benchmark::State& state)
{
    Workspace& workspace = Shared();
    const BenchPayload& payload = workspace.Payload(BenchPayload::kDefaultMeanFileSize);
    const fs::path output = workspace.Root() / "Setup";
    std::vector<double> builds;
    std::vector<double> zips;
    for (auto _ : state) {
        const bool buildFirst = builds.size() % 2 == 0;
        if (!buildFirst)
            zips.push_back(workspace.Zip(payload));
        builds.push_back(workspace.Build(payload, output));
        if (buildFirst)
            zips.push_back(workspace.Zip(payload));
        state.SetIterationTime(builds.back());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(payload.Bytes()));
    state.counters["build_s"] = Median(builds);
    state.counters["zip_s"] = Median(zips);
    state.counters["x_zip"] = Median(builds) / Median(zips);
    state.counters["build_MB"] = double(fs::file_size(output)) / 1e6;
    state.counters["zip_MB"] = double(fs::file_size(workspace.Root() / "items.zip")) / 1e6;
}
BENCHMARK(BM_BuildAgainstZip)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Peak resident memory (KiB) of making a build with the tool, of inspecting
// it and of an unattended install from it, for about 50 MB of payload and
// about 200 MB.
void BM_PeakMemory(benchmark::State& state)
{
    Workspace& workspace = Shared();
    const fs::path tool = BuildFolder() / "tools/ondelle-build";
    if (!fs::exists("/usr/bin/time")) {
        state.SkipWithError("/usr/bin/time (Debian package time) is needed to measure peak memory");
        return;
    }
    for (auto _ : state) {
        const size_t large = BenchPayload::kDefaultMeanFileSize;
        for (const size_t meanFileSize : {large / 4, large}) {
            const BenchPayload& payload = workspace.Payload(meanFileSize);
            const std::string label = std::to_string(payload.Bytes() / 1000000) + "MB";
            const fs::path description = workspace.Root() / ("product-" + label + ".json");
            std::string items;
            for (const fs::path& item : payload.Items())
                items += std::string(items.empty() ? "" : ",") + "{\"path\": \"" + item.string() + "\"}";
            std::ofstream(description) << "{\"product\": {\"name\": \"Bench\"}, \"options\": {\"created_folder\": "
                                          "\"Bench\", \"compression_level\": "
                                       << kLevel << "}, \"items\": [" << items << "]}";
            const fs::path build = workspace.Root() / ("Setup-" + label);
            const long make = RunMeasured(workspace, {tool.string(), "make", description.string(), "-o",
                build.string(), "--installer", workspace.Installer(), "--deinstaller", workspace.Deinstaller(),
                "--quiet"});
            const long inspect = RunMeasured(workspace, {tool.string(), "inspect", build.string()});
            const fs::path destination = workspace.Root() / ("installed-" + label);
            fs::create_directories(destination);
            const long install = RunMeasured(workspace,
                {build.string(), "--unattended", "--all", "--quiet", "--folder", destination.string()});
            fs::remove_all(destination);
            fs::remove(build);
            if (make < 0 || inspect < 0 || install < 0) {
                state.SkipWithError("make, inspect or install failed");
                return;
            }
            state.counters["make_KiB_" + label] = double(make);
            state.counters["inspect_KiB_" + label] = double(inspect);
            state.counters["install_KiB_" + label] = double(install);
        }
    }
}
BENCHMARK(BM_PeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
