// Flattening, reading and item look-up of a configuration-sized message:
// 10,000 install items, each a nested message of about fifteen fields
// (strings, sizes, dates, a small archived icon, placement rules).

#include <Message.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

const int32 kItemCount = 10000;

BMessage MakeItem(int32 index)
{
    BMessage item;
    std::string path = "/boot/home/build/product/files/item_" + std::to_string(index);
    item.AddString("file_name", path.c_str());
    item.AddInt8("file_type", int8(index % 3));
    item.AddInt32("file_size", 100000 + index);
    item.AddInt32("file_size", 100000 + index);
    item.AddInt64("file_creation", 946684800 + index);
    item.AddInt64("file_modified", 946684900 + index);
    item.AddInt64("file_accessed", 946685000 + index);

    BMessage icon;
    icon.AddString("class", "LibBitmap");
    icon.AddRect("_frame", BRect(0, 0, 15, 15));
    icon.AddInt32("_cspace", 4);
    char pixels[256];
    for (int i = 0; i < 256; i++)
        pixels[i] = char((i + index) & 0xff);
    icon.AddData("_data", B_RAW_TYPE, pixels, sizeof(pixels));
    item.AddMessage("file_icon", &icon);

    item.AddString("groups", "Minimum;Typical;Full;");

    BMessage meta;
    meta.AddString("destination", "User Selected");
    meta.AddString("destination_exists", "Prompt");
    meta.AddString("link", "None");
    meta.AddString("link_exists", "Replace");
    meta.AddString("deinstallable", "True");
    meta.AddString("auto_launch", "False");
    meta.AddString("auto_launch_reason", "");
    item.AddMessage("install_meta", &meta);
    return item;
}

const BMessage& Configuration()
{
    static const BMessage config = [] {
        BMessage message;
        message.AddString("app_name", "Product");
        message.AddString("version", "1.0");
        message.AddString("company", "Company");
        message.AddBool("opt_log", true);
        message.AddInt32("VDC:deinstaller_size", 123456);
        BMessage instructions;
        for (int32 i = 0; i < kItemCount; i++)
            instructions.AddMessage("install_file", MakeItem(i));
        message.AddMessage("install_instructions", std::move(instructions));
        return message;
    }();
    return config;
}

void BM_MessageFlatten(benchmark::State& state)
{
    const BMessage& config = Configuration();
    std::string flat;
    for (auto _ : state) {
        config.Flatten(&flat);
        benchmark::DoNotOptimize(flat.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(flat.size()));
    state.counters["bytes"] = double(flat.size());
}
BENCHMARK(BM_MessageFlatten)->Unit(benchmark::kMillisecond);

void BM_MessageUnflatten(benchmark::State& state)
{
    std::string flat;
    Configuration().Flatten(&flat);
    for (auto _ : state) {
        BMessage message;
        if (message.Unflatten(flat.data(), ssize_t(flat.size())) != B_OK)
            state.SkipWithError("unflatten failed");
        benchmark::DoNotOptimize(message.what);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(flat.size()));
}
BENCHMARK(BM_MessageUnflatten)->Unit(benchmark::kMillisecond);

void BM_MessageCopy(benchmark::State& state)
{
    const BMessage& config = Configuration();
    for (auto _ : state) {
        BMessage copy(config);
        benchmark::DoNotOptimize(copy.what);
    }
}
BENCHMARK(BM_MessageCopy)->Unit(benchmark::kMillisecond);

// Visits every item by index, reading two fields of each, without copying
// any item.
void BM_MessageItemLookupByPointer(benchmark::State& state)
{
    const BMessage& config = Configuration();
    int64 total = 0;
    for (auto _ : state) {
        const BMessage* instructions = config.FindMessagePointer("install_instructions");
        for (int32 i = 0; i < kItemCount; i++) {
            const BMessage* item = instructions->FindMessagePointer("install_file", i);
            total += item->GetInt32("file_size", 0, 0);
            const BMessage* meta = item->FindMessagePointer("install_meta");
            total += meta->GetString("destination", "")[0];
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kItemCount);
}
BENCHMARK(BM_MessageItemLookupByPointer)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
