// Reading and extracting a 200 MB payload resource, against copying the same
// bytes with cp. Everything lives in a private temporary folder.
#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Path.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int64 kPayloadSize = 200ll << 20;

// The files the benchmarks read: a plain payload file, a resource file with
// it as raw resource 2100 and one with it zipped (stored) as 2101.
class Workspace {
public:
    Workspace()
    {
        std::string pattern = (fs::temp_directory_path() / "ondelle-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            abort();
        fRoot = pattern;
        // Temporary files of the library (extraction, packing) go here too.
        setenv("TMPDIR", fRoot.c_str(), 1);
        setenv("ONDELLE_SANDBOX", fRoot.c_str(), 1);

        fPayload = fRoot / "payload.bin";
        std::ofstream out(fPayload, std::ios::binary);
        std::vector<char> block(1 << 20);
        uint32 seed = 1;
        for (int64 written = 0; written < kPayloadSize; written += int64(block.size())) {
            for (char& c : block) {
                seed = seed * 1103515245 + 12345;
                c = char(seed >> 16);
            }
            out.write(block.data(), std::streamsize(block.size()));
        }
        out.close();

        fResources = fRoot / "installer.rsrc";
        std::ofstream(fResources).close();
        LibAppResource resources(fResources.c_str(), B_READ_WRITE);
        std::ifstream in(fPayload, std::ios::binary);
        resources.AddResource(B_RAW_TYPE, 2100, block.data(), 0, "payload.bin");
        for (int64 at = 0; at < kPayloadSize; at += int64(block.size())) {
            in.read(block.data(), std::streamsize(block.size()));
            resources.WriteResource(B_RAW_TYPE, 2100, block.data(), at, block.size());
        }
        if (!resources.AddEntry(fPayload.c_str(), 2101, "payload.bin", 0))
            abort();
    }

    ~Workspace()
    {
        std::error_code error;
        fs::remove_all(fRoot, error);
    }

    const fs::path& Root() const { return fRoot; }
    const fs::path& Payload() const { return fPayload; }
    const fs::path& Resources() const { return fResources; }

private:
    fs::path fRoot;
    fs::path fPayload;
    fs::path fResources;
};

Workspace& Files()
{
    static Workspace workspace;
    return workspace;
}

void BM_ReadResource(benchmark::State& state)
{
    Workspace& files = Files();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        LibAppResource resources(files.Resources().c_str(), B_READ_ONLY);
        for (int64 at = 0; at < kPayloadSize; at += int64(buffer.size()))
            resources.ReadResource(B_RAW_TYPE, 2100, buffer.data(), at, buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kPayloadSize);
}
BENCHMARK(BM_ReadResource)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ExtractEntryRaw(benchmark::State& state)
{
    Workspace& files = Files();
    fs::path target = files.Root() / "extracted.bin";
    for (auto _ : state) {
        LibAppResource resources(files.Resources().c_str(), B_READ_ONLY);
        if (!resources.ExtractEntry(2100, target.c_str(), false))
            state.SkipWithError("extraction failed");
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kPayloadSize);
}
BENCHMARK(BM_ExtractEntryRaw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ExtractEntryUnzip(benchmark::State& state)
{
    Workspace& files = Files();
    fs::path target = files.Root() / "unzipped.bin";
    for (auto _ : state) {
        LibAppResource resources(files.Resources().c_str(), B_READ_ONLY);
        if (!resources.ExtractEntry(2101, target.c_str(), true) || !fs::exists(target))
            state.SkipWithError("extraction failed");
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kPayloadSize);
}
BENCHMARK(BM_ExtractEntryUnzip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_CopyWithCp(benchmark::State& state)
{
    Workspace& files = Files();
    fs::path target = files.Root() / "copied.bin";
    std::string command = "cp '" + files.Payload().string() + "' '" + target.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kPayloadSize);
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
