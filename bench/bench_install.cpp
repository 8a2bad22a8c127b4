// Installing a build whose payload is 200 MB in 5,000 files (50 folder
// items of 100 files), against unpacking the same archives with the unzip
// program and moving each item into place with mv. Everything lives in a
// private temporary folder that serves as the sandbox.
#include "BuildWriter.h"
#include "ProductDescription.h"

#include <Entry.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <ScriptedAlertPresenter.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 50;
constexpr int kFilesPerFolder = 100;
constexpr size_t kFileSize = 40 * 1024 + 983;  // 5,000 files, about 200 MB

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
        description.compressionLevel = 0;
        uint32 seed = 7;
        std::string bytes(kFileSize, '\0');
        for (int folder = 0; folder < kFolders; folder++) {
            fs::path path = fRoot / "payload" / ("Part" + std::to_string(folder));
            fs::create_directories(path);
            for (int file = 0; file < kFilesPerFolder; file++) {
                for (char& c : bytes) {
                    seed = seed * 1103515245 + 12345;
                    c = char(seed >> 16);
                }
                std::ofstream(path / ("file" + std::to_string(file) + ".dat"), std::ios::binary)
                    .write(bytes.data(), std::streamsize(bytes.size()));
            }
            ProductItem item;
            item.path = path.string();
            description.items.push_back(item);
            fLeaves.push_back(path.filename().string());
        }
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
        for (int folder = 0; folder < kFolders; folder++) {
            fs::path archive = fRoot / "archives" / (fLeaves[size_t(folder)] + ".zip");
            resources.ExtractEntry(2100 + folder, archive.c_str(), false);
            fArchives.push_back(archive);
        }
        set_alert_presenter(&fPresenter);
    }

    ~Workspace()
    {
        set_alert_presenter(nullptr);
        fs::remove_all(fRoot);
    }

    fs::path FreshDestination()
    {
        fs::path destination = fRoot / "dest";
        fs::remove_all(destination);
        fs::create_directories(destination);
        return destination;
    }

    const fs::path& Root() const { return fRoot; }
    const fs::path& Build() const { return fBuild; }
    const std::vector<fs::path>& Archives() const { return fArchives; }
    const std::vector<std::string>& Leaves() const { return fLeaves; }

private:
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

void BM_InstallJob(benchmark::State& state)
{
    Workspace& workspace = Shared();
    BResources resources(workspace.Build().c_str());
    size_t size = 0;
    const void* flat = resources.LoadResource('CSTR', 2002, &size);
    BMessage stored;
    if (flat == nullptr || stored.Unflatten(static_cast<const char*>(flat), ssize_t(size)) != B_OK)
        abort();
    for (auto _ : state) {
        state.PauseTiming();
        fs::path destination = workspace.FreshDestination();
        // Earlier runs' installation folders in the Trash are not measured.
        fs::remove_all(workspace.Root() / "home/.local/share/Trash");
        InstallConfig config;
        config = stored;
        for (int32 index = 0; index < config.CountInstallItems(); index++)
            config.MarkInstallItem(index, true);
        config.SetResourcePath(workspace.Build().c_str());
        entry_ref ref;
        get_ref_for_path(destination.c_str(), &ref);
        config.SetDestination(ref);
        state.ResumeTiming();
        config.Go("install", nullptr, 10, true);
        if (config.FailedItems().Size() != 0)
            state.SkipWithError("items failed");
    }
    state.SetBytesProcessed(int64(state.iterations()) * kFolders * kFilesPerFolder * int64(kFileSize));
}

void BM_UnzipProgramAndMove(benchmark::State& state)
{
    Workspace& workspace = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        fs::path destination = workspace.FreshDestination() / "Bench";
        fs::create_directories(destination);
        fs::path work = workspace.Root() / "tmp/unzip";
        fs::remove_all(work);
        fs::create_directories(work);
        state.ResumeTiming();
        for (size_t index = 0; index < workspace.Archives().size(); index++) {
            std::string command = "unzip -qq -o '" + workspace.Archives()[index].string() + "' -d '"
                + work.string() + "' && mv -f '" + (work / workspace.Leaves()[index]).string() + "' '"
                + destination.string() + "/'";
            if (std::system(command.c_str()) != 0)
                state.SkipWithError("unzip or mv failed");
        }
    }
    state.SetBytesProcessed(int64(state.iterations()) * kFolders * kFilesPerFolder * int64(kFileSize));
}

} // namespace

BENCHMARK(BM_InstallJob)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_UnzipProgramAndMove)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
