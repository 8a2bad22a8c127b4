// The payload the install and build benchmarks share: mixed text and binary
// files in folders up to five deep, as folder items and single-file items,
// written once under a root folder with a fixed random seed, so that every
// run and every benchmark measures the same bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

class BenchPayload {
public:
    // 50 folder items of 99 files and 10 single files; files average
    // meanFileSize bytes (about 200 MB in all with the default 40 KiB).
    static constexpr int kFolderItems = 50;
    static constexpr int kFilesPerFolder = 99;
    static constexpr int kSingleFiles = 10;
    static constexpr size_t kDefaultMeanFileSize = 40 * 1024;

    // Writes the payload into folder (made when missing).
    explicit BenchPayload(const std::filesystem::path& folder, size_t meanFileSize = kDefaultMeanFileSize);

    // The large-file payload instead: files single-file items of
    // totalBytes / files bytes each, text and incompressible in turn.
    struct LargeFiles {
        int files = 20;
        size_t totalBytes = size_t(1) << 30;
    };
    BenchPayload(const std::filesystem::path& folder, const LargeFiles& large);

    // Every item, in the order a product description lists them.
    const std::vector<std::filesystem::path>& Items() const { return fItems; }
    // Their leaf names, in the same order.
    std::vector<std::string> Leaves() const;
    // Bytes of file data in all items.
    size_t Bytes() const { return fBytes; }
    size_t Files() const { return fFiles; }

private:
    std::vector<std::filesystem::path> fItems;
    size_t fBytes = 0;
    size_t fFiles = 0;
};
