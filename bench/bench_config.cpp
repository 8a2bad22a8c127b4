// Loading and querying a large configuration: 10,000 install items, each
// with an icon, dates, sizes, groups and placement rules. Every benchmark
// also runs with 1,000 items, so that the two figures show how the cost
// grows with the item count (it should grow tenfold, not a hundredfold).
#include <benchmark/benchmark.h>

#include <InstallConfig.h>
#include <Message.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {


BMessage
MakeItem(int32 index)
{
    char path[128];
    snprintf(path, sizeof(path), "/boot/home/build/product/part%03d/item_%05d.dat",
        (int)(index % 100), (int)index);

    BMessage item;
    item.AddString("file_name", path);
    item.AddInt8("file_type", 1);
    item.AddInt32("file_size", 1000 + index);
    item.AddInt32("file_size", 1000 + index);
    item.AddInt64("file_creation", 946684800 + index);
    item.AddInt64("file_modified", 946684800 + index);
    item.AddInt64("file_accessed", 946684800 + index);

    BMessage icon;
    icon.AddString("class", "LibBitmap");
    icon.AddRect("_frame", BRect(0, 0, 15, 15));
    icon.AddInt32("_cspace", 0x0004);
    icon.AddInt32("_bmflags", 0);
    icon.AddInt32("_rowbytes", 16);
    std::vector<char> pixels(256, char(index & 0x7f));
    icon.AddData("_data", B_RAW_TYPE, pixels.data(), (ssize_t)pixels.size(), false);
    item.AddMessage("file_icon", &icon);

    item.AddString("groups", index % 3 == 0 ? "Minimum;Typical;" : "Typical;");
    BMessage meta;
    meta.AddString("destination", index % 2 == 0 ? "User Selected" : "Deskbar App");
    meta.AddString("destination_exists", "Prompt");
    meta.AddString("link", "None");
    meta.AddString("link_exists", "Replace");
    meta.AddString("deinstallable", "True");
    item.AddMessage("install_meta", &meta);
    return item;
}


std::string
MakeFlatConfiguration(int32 count)
{
    BMessage config;
    config.AddString("app_name", "Large Product");
    config.AddString("opt_created_folder", "Large Product");
    BMessage groups;
    groups.AddString("group_name", "Typical");
    groups.AddString("group_description", "Everything");
    groups.AddString("group_name", "Minimum");
    groups.AddString("group_description", "A third");
    config.AddMessage("groups", &groups);
    BMessage instructions;
    for (int32 index = 0; index < count; index++)
        instructions.AddMessage("install_file", MakeItem(index));
    config.AddMessage("install_instructions", std::move(instructions));
    std::string bytes;
    config.Flatten(&bytes);
    return bytes;
}


const std::string&
FlatConfiguration(int32 count)
{
    static std::map<int32, std::string> cache;
    auto found = cache.find(count);
    if (found == cache.end())
        found = cache.emplace(count, MakeFlatConfiguration(count)).first;
    return found->second;
}


std::vector<std::string>
Leaves(int32 count)
{
    std::vector<std::string> names;
    for (int32 index = 0; index < count; index++) {
        char leaf[32];
        snprintf(leaf, sizeof(leaf), "item_%05d.dat", (int)index);
        names.push_back(leaf);
    }
    return names;
}


void
LoadConfiguration(InstallConfig& config, int32 count)
{
    const std::string& flat = FlatConfiguration(count);
    if (config.Unflatten(flat.data(), (ssize_t)flat.size()) != B_OK)
        fprintf(stderr, "bench_config: the configuration did not load\n");
}

}  // namespace


static void
BM_Unflatten(benchmark::State& state)
{
    const std::string& flat = FlatConfiguration(state.range(0));
    for (auto _ : state) {
        InstallConfig config;
        status_t status = config.Unflatten(flat.data(), (ssize_t)flat.size());
        benchmark::DoNotOptimize(status);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(flat.size()));
}
BENCHMARK(BM_Unflatten)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);


static void
BM_Flatten(benchmark::State& state)
{
    InstallConfig config;
    LoadConfiguration(config, state.range(0));
    std::string out;
    for (auto _ : state) {
        config.Flatten(&out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}
BENCHMARK(BM_Flatten)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);


// GetFileSize of every item, as the disk-space check does; the index is
// already built.
static void
BM_GetFileSizeAllItems(benchmark::State& state)
{
    InstallConfig config;
    LoadConfiguration(config, state.range(0));
    const std::vector<std::string> leaves = Leaves(state.range(0));
    for (auto _ : state) {
        int64 total = 0;
        for (const std::string& leaf : leaves)
            total += config.GetFileSize(leaf.c_str());
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_GetFileSizeAllItems)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);


// Leaf-name look-up of every item right after loading: includes building
// the index once.
static void
BM_LeafLookupAllItemsFreshIndex(benchmark::State& state)
{
    InstallConfig config;
    LoadConfiguration(config, state.range(0));
    const std::vector<std::string> leaves = Leaves(state.range(0));
    for (auto _ : state) {
        config.InstallItemsChanged();
        int64 found = 0;
        for (const std::string& leaf : leaves)
            found += config.IndexOfInstallItem(leaf.c_str());
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_LeafLookupAllItemsFreshIndex)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);


// Group membership and selection marks by leaf name for every item, as the
// window does before an install.
static void
BM_MatchTypeAndMarkAllItems(benchmark::State& state)
{
    InstallConfig config;
    LoadConfiguration(config, state.range(0));
    const std::vector<std::string> leaves = Leaves(state.range(0));
    for (auto _ : state) {
        for (const std::string& leaf : leaves) {
            bool selected = config.FindInstallItem(leaf.c_str()).IsInGroup("Minimum");
            config.MarkInstallFile(leaf.c_str(), selected);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MatchTypeAndMarkAllItems)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);


// Unflatten followed by one GetFileSize per item: the whole cost of
// loading a build and summing its selection.
static void
BM_LoadAndSumAllItems(benchmark::State& state)
{
    const std::vector<std::string> leaves = Leaves(state.range(0));
    for (auto _ : state) {
        InstallConfig config;
        LoadConfiguration(config, state.range(0));
        int64 total = 0;
        for (const std::string& leaf : leaves)
            total += config.GetFileSize(leaf.c_str());
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_LoadAndSumAllItems)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
