// Packing an installer build: a 200 MB payload of 5,000 files in 50
// folders, packed by ondelle-build's writer, against zipping the same tree
// with the zip program at the same compression level.
#include "BuildWriter.h"
#include "ProductDescription.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 50;
constexpr int kFilesPerFolder = 100;
constexpr size_t kFileSize = 40 * 1024;
constexpr int kLevel = 6;

// A sandbox with the payload, made once for every benchmark of this run.
class Payload {
public:
    Payload()
    {
        char pattern[] = "/tmp/ondelle-bench-build-XXXXXX";
        fRoot = ::mkdtemp(pattern);
        ::setenv("ONDELLE_SANDBOX", fRoot.c_str(), 1);
        ::setenv("TMPDIR", (fRoot / "tmp").c_str(), 1);
        fs::create_directories(fRoot / "tmp");
        // Text-like data that compresses about as well as programs and
        // documents do: words from a small vocabulary with random noise.
        std::mt19937 random(42);
        static const char* kWords[] = {"install", "folder", "resource", "message", "archive", "volume",
            "attribute", "library", "window", "package", "0x1f3a", "\n", "  ", "{", "}", ";"};
        for (int folder = 0; folder < kFolders; folder++) {
            const fs::path dir = Tree() / ("folder" + std::to_string(folder));
            fs::create_directories(dir);
            for (int file = 0; file < kFilesPerFolder; file++) {
                std::string data;
                data.reserve(kFileSize);
                while (data.size() < kFileSize) {
                    data += kWords[random() % 16];
                    if (random() % 8 == 0)
                        data += char('a' + random() % 26);
                }
                data.resize(kFileSize);
                std::ofstream(dir / ("file" + std::to_string(file) + ".dat"), std::ios::binary) << data;
            }
        }
    }
    ~Payload()
    {
        std::error_code error;
        fs::remove_all(fRoot, error);
    }
    fs::path Root() const { return fRoot; }
    fs::path Tree() const { return fRoot / "Payload"; }

private:
    fs::path fRoot;
};

Payload& Shared()
{
    static Payload payload;
    return payload;
}

void BM_PackBuild(benchmark::State& state)
{
    Payload& payload = Shared();
    const fs::path installer = fs::read_symlink("/proc/self/exe");
    const fs::path program = payload.Root() / "installer";
    fs::copy_file(installer, program, fs::copy_options::overwrite_existing);
    ProductDescription description;
    description.appName = "Bench";
    description.optCreatedFolder = "Bench";
    description.compressionLevel = kLevel;
    ProductItem item;
    item.path = payload.Tree().string();
    description.items.push_back(item);
    for (auto _ : state) {
        const std::string error = MakeInstallerBuild(description, program.string(), "",
            (payload.Root() / "build").string());
        if (!error.empty())
            state.SkipWithError(error.c_str());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFolders * kFilesPerFolder * int64_t(kFileSize));
}
BENCHMARK(BM_PackBuild)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ZipProgram(benchmark::State& state)
{
    Payload& payload = Shared();
    const std::string command = "cd '" + payload.Root().string() + "' && rm -f tree.zip && zip -rq -"
        + std::to_string(kLevel) + " tree.zip Payload";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("zip failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFolders * kFilesPerFolder * int64_t(kFileSize));
}
BENCHMARK(BM_ZipProgram)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
