// Storage utilities: the recursive size of a 10,000-file tree, and zip and
// unzip of 100 MB in process against the zip and unzip programs on the same
// data. Everything is written below a fresh temporary root, which is also
// the sandbox of the run.
#include <LibFileUtils.h>

#include <Node.h>
#include <Process.h>
#include <TypeConstants.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Workspace {
public:
    static Workspace& Get()
    {
        static Workspace workspace;
        return workspace;
    }

    const fs::path& Root() const { return fRoot; }

    // 100 folders of 100 files, every tenth with an attribute.
    const fs::path& SmallTree()
    {
        if (fSmallTree.empty()) {
            fSmallTree = fRoot / "tree";
            for (int d = 0; d < 100; d++) {
                const fs::path folder = fSmallTree / ("folder" + std::to_string(d));
                fs::create_directories(folder);
                for (int f = 0; f < 100; f++) {
                    const fs::path file = folder / ("file" + std::to_string(f));
                    std::ofstream(file) << std::string(size_t(f * 10), 'x');
                    if (f % 10 == 0) {
                        BNode node(file.c_str());
                        node.WriteAttr("note", B_STRING_TYPE, 0, "bench", 5);
                    }
                }
            }
        }
        return fSmallTree;
    }

    // About 100 MB in 50 files of text-like data (compresses about 3:1).
    const fs::path& BigTree()
    {
        if (fBigTree.empty()) {
            fBigTree = fRoot / "big";
            fs::create_directories(fBigTree);
            std::mt19937 random(1);
            static const char* const kWords[] = {"install", "folder", "item", "archive", "attribute",
                "volume", "link", "replace", "deinstaller", "log", "status", "message"};
            for (int f = 0; f < 50; f++) {
                std::string data;
                data.reserve(2 << 20);
                while (data.size() < (2u << 20)) {
                    data += kWords[random() % 12];
                    data += (random() % 8 == 0) ? '\n' : ' ';
                    if (random() % 16 == 0)
                        data += std::to_string(random());
                }
                std::ofstream(fBigTree / ("part" + std::to_string(f)), std::ios::binary) << data;
            }
        }
        return fBigTree;
    }

private:
    Workspace()
    {
        std::string pattern = (fs::temp_directory_path() / "ondelle-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        fRoot = pattern;
        ::setenv("ONDELLE_SANDBOX", fRoot.c_str(), 1);
        ::setenv("HOME", (fRoot / "home").c_str(), 1);
        ::setenv("TMPDIR", (fRoot / "tmp").c_str(), 1);
        fs::create_directories(fRoot / "home");
        fs::create_directories(fRoot / "tmp");
    }
    ~Workspace()
    {
        std::error_code error;
        fs::remove_all(fRoot, error);
    }

    fs::path fRoot;
    fs::path fSmallTree;
    fs::path fBigTree;
};

int Run(const std::vector<std::string>& args, const fs::path& folder)
{
    process_options options;
    options.workingDirectory = folder.string();
    process_result result;
    if (run_process(args, options, &result) != B_OK)
        return -1;
    return result.exitCode;
}

void BM_EntrySize10000Files(benchmark::State& state)
{
    const fs::path& tree = Workspace::Get().SmallTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(LibEntrySize(tree.c_str(), state.range(0) != 0));
    state.SetItemsProcessed(state.iterations() * 10100);
}
BENCHMARK(BM_EntrySize10000Files)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Zip100MB(benchmark::State& state)
{
    const bool program = state.range(0) != 0;
    if (program && ::access("/usr/bin/zip", X_OK) != 0) {
        state.SkipWithError("the zip program is not installed");
        return;
    }
    const fs::path& tree = Workspace::Get().BigTree();
    const fs::path archive = Workspace::Get().Root() / "big.zip";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(archive);
        state.ResumeTiming();
        if (program)
            Run({"/usr/bin/zip", "-rq6", archive.string(), tree.filename().string()}, tree.parent_path());
        else
            LibZip(archive.c_str(), BPath(tree.c_str()), 6);
    }
    state.SetBytesProcessed(state.iterations() * 100 * 1024 * 1024);
    state.counters["archive_MB"] = double(fs::file_size(archive)) / (1024 * 1024);
}
BENCHMARK(BM_Zip100MB)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Unzip100MB(benchmark::State& state)
{
    const bool program = state.range(0) != 0;
    if (program && ::access("/usr/bin/unzip", X_OK) != 0) {
        state.SkipWithError("the unzip program is not installed");
        return;
    }
    const fs::path root = Workspace::Get().Root();
    const fs::path source = Workspace::Get().BigTree();
    const fs::path folder = root / "unpack";
    fs::create_directories(folder);
    const fs::path archive = folder / "big.zip";
    if (!fs::exists(archive))
        LibZip(archive.c_str(), BPath(source.c_str()), 6);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder / "big");
        state.ResumeTiming();
        if (program)
            Run({"/usr/bin/unzip", "-oq", archive.string()}, folder);
        else
            LibUnzip(archive.c_str());
    }
    state.SetBytesProcessed(state.iterations() * 100 * 1024 * 1024);
}
BENCHMARK(BM_Unzip100MB)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Starting a program and waiting for its end: the wait must return as soon
// as the child is gone, not at the next step of a polling loop.
void BM_RunProcessTrue(benchmark::State& state)
{
    Workspace::Get();
    const std::vector<std::string> args = {"/bin/true"};
    for (auto _ : state) {
        process_result result;
        if (run_process(args, process_options(), &result) != B_OK || result.exitCode != 0)
            state.SkipWithError("/bin/true did not run");
    }
}
BENCHMARK(BM_RunProcessTrue)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
