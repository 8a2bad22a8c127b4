// Installing a build whose payload is about 200 MB in 5,000 files of mixed
// text and binary data, folders up to five deep, packed at level 6 as 50
// folder items and 10 single files. In the same run, and on the same data,
// the same archives unpacked with the unzip program and moved into place
// with mv, and the payload tree copied with cp -a; the counters give the
// install's time as a multiple of each. Every tree is removed, and the
// removal synced to disk, right after it was measured, well before the next
// timed run. Everything lives in a private temporary folder that serves as
// the sandbox.
#include "BenchPayload.h"
#include "BuildWriter.h"
#include "ProductDescription.h"

#include <Entry.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <ScriptedAlertPresenter.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

class Workspace {
public:
    Workspace()
    {
        std::string pattern = (fs::temp_directory_path() / "ondelle-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            abort();
        fRoot = pattern;
        setenv("TMPDIR", (fRoot / "tmp").c_str(), 1);
        setenv("HOME", (fRoot / "home").c_str(), 1);
        setenv("ONDELLE_SANDBOX", fRoot.c_str(), 1);
        fs::create_directories(fRoot / "tmp");

        ProductDescription description;
        description.appName = "Bench";
        description.version = "1.0";
        description.optCreatedFolder = "Bench";
        description.optLog = true;
        description.compressionLevel = kLevel;
        const BenchPayload payload(fRoot / "payload");
        for (const fs::path& item : payload.Items())
            AddItem(description, item);
        fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "app/ondelle";
        fBuild = fRoot / "Setup";
        std::string error = MakeInstallerBuild(description, program.string(), "", fBuild.string());
        if (!error.empty()) {
            fprintf(stderr, "build failed: %s\n", error.c_str());
            abort();
        }
        // The same archives as files, for the unzip program.
        LibAppResource resources(fBuild.c_str(), B_READ_ONLY);
        fs::create_directories(fRoot / "archives");
        for (size_t index = 0; index < fLeaves.size(); index++) {
            const fs::path archive = fRoot / "archives" / (fLeaves[index] + ".zip");
            resources.ExtractEntry(int32(2100 + index), archive.c_str(), false);
            fArchives.push_back(archive);
        }
        set_alert_presenter(&fPresenter);
    }

    ~Workspace()
    {
        set_alert_presenter(nullptr);
        fs::remove_all(fRoot);
    }

    // An empty destination; what the previous run left is removed (and the
    // removal written out) before the caller starts its clock.
    fs::path FreshDestination()
    {
        const fs::path destination = fRoot / "dest";
        fs::remove_all(destination);
        fs::remove_all(fRoot / "home/.local/share/Trash");
        fs::remove_all(fRoot / "tmp/unzip");
        ::sync();
        fs::create_directories(destination);
        return destination;
    }

    double Install()
    {
        const fs::path destination = FreshDestination();
        BResources resources(fBuild.c_str());
        size_t size = 0;
        const void* flat = resources.LoadResource('CSTR', 2002, &size);
        BMessage stored;
        if (flat == nullptr || stored.Unflatten(static_cast<const char*>(flat), ssize_t(size)) != B_OK)
            abort();
        InstallConfig config;
        config = stored;
        for (int32 index = 0; index < config.CountInstallItems(); index++)
            config.MarkInstallItem(index, true);
        config.SetResourcePath(fBuild.c_str());
        entry_ref ref;
        get_ref_for_path(destination.c_str(), &ref);
        config.SetDestination(ref);
        const auto start = std::chrono::steady_clock::now();
        config.Go("install", nullptr, 10, true);
        const double seconds = Seconds(start);
        if (config.FailedItems().Size() != 0)
            abort();
        return seconds;
    }

    double UnzipAndMove()
    {
        const fs::path destination = FreshDestination() / "Bench";
        fs::create_directories(destination);
        const fs::path work = fRoot / "tmp/unzip";
        fs::create_directories(work);
        const auto start = std::chrono::steady_clock::now();
        for (size_t index = 0; index < fArchives.size(); index++) {
            std::string command = "unzip -oq '" + fArchives[index].string() + "' -d '" + work.string()
                + "' && mv -f '" + (work / fLeaves[index]).string() + "' '" + destination.string() + "/'";
            if (std::system(command.c_str()) != 0)
                abort();
        }
        return Seconds(start);
    }

    double CopyTree()
    {
        const fs::path destination = FreshDestination() / "Bench";
        fs::create_directories(destination);
        std::string command = "cp -a";
        for (const std::string& leaf : fLeaves)
            command += " '" + (fRoot / "payload" / leaf).string() + "'";
        command += " '" + destination.string() + "/'";
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            abort();
        return Seconds(start);
    }

private:
    void AddItem(ProductDescription& description, const fs::path& path)
    {
        ProductItem item;
        item.path = path.string();
        description.items.push_back(item);
        fLeaves.push_back(path.filename().string());
    }

    fs::path fRoot;
    fs::path fBuild;
    std::vector<fs::path> fArchives;
    std::vector<std::string> fLeaves;
    ScriptedAlertPresenter fPresenter;
};

Workspace& Shared()
{
    static Workspace workspace;
    return workspace;
}

// Each iteration measures the three side by side; the iteration's time is
// the install's, the counters the means of all three and the ratios.
void BM_InstallAgainstUnzipAndCopy(benchmark::State& state)
{
    Workspace& workspace = Shared();
    double install = 0;
    double unzip = 0;
    double copy = 0;
    for (auto _ : state) {
        const double seconds = workspace.Install();
        install += seconds;
        unzip += workspace.UnzipAndMove();
        copy += workspace.CopyTree();
        state.SetIterationTime(seconds);
    }
    workspace.FreshDestination();
    const double runs = double(state.iterations());
    state.counters["install_s"] = install / runs;
    state.counters["unzip_mv_s"] = unzip / runs;
    state.counters["cp_a_s"] = copy / runs;
    state.counters["x_unzip_mv"] = install / unzip;
    state.counters["x_cp_a"] = install / copy;
}

} // namespace

BENCHMARK(BM_InstallAgainstUnzipAndCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

BENCHMARK_MAIN();
