#include "BenchPayload.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

// Text that compresses about as well as documents and sources do.
std::string TextBytes(std::mt19937& random, size_t size)
{
    static const char* kWords[] = {"install", "folder", "resource", "message", "archive", "volume",
        "attribute", "library", "window", "package", "0x1f3a", "\n", "  ", "{", "}", ";", "return", "the"};
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
        text += random() % 7 == 0 ? char('a' + random() % 26) : ' ';
    }
    text.resize(size);
    return text;
}

// Binary data: mostly incompressible, like images and compiled programs.
std::string BinaryBytes(std::mt19937& random, size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i += 4) {
        const uint32_t value = random();
        for (size_t j = 0; j < 4 && i + j < size; j++)
            bytes[i + j] = char(value >> (8 * j));
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

BenchPayload::BenchPayload(const fs::path& folder, size_t meanFileSize)
{
    std::mt19937 random(7);
    auto fileSize = [&] { return meanFileSize / 4 + random() % (meanFileSize * 3 / 2); };
    auto write = [&](const fs::path& path) {
        const size_t size = fileSize();
        WriteFile(path, random() % 2 == 0 ? TextBytes(random, size) : BinaryBytes(random, size));
        fBytes += size;
        fFiles++;
    };
    fs::create_directories(folder);
    for (int index = 0; index < kFolderItems; index++) {
        const fs::path item = folder / ("Part" + std::to_string(index));
        for (int file = 0; file < kFilesPerFolder; file++) {
            // Folders one to five deep below the item.
            fs::path where = item;
            const int depth = file % 5;
            for (int level = 0; level < depth; level++)
                where /= "level" + std::to_string(level) + "-" + std::to_string(file % 3);
            fs::create_directories(where);
            const char* extension = file % 3 == 0 ? ".txt" : file % 3 == 1 ? ".dat" : ".h";
            write(where / ("file" + std::to_string(file) + extension));
        }
        fItems.push_back(item);
    }
    for (int index = 0; index < kSingleFiles; index++) {
        const fs::path file = folder / ("single" + std::to_string(index) + ".bin");
        write(file);
        fItems.push_back(file);
    }
}

BenchPayload::BenchPayload(const fs::path& folder, const LargeFiles& large)
{
    std::mt19937 random(11);
    fs::create_directories(folder);
    const size_t size = large.totalBytes / size_t(std::max(large.files, 1));
    for (int index = 0; index < large.files; index++) {
        const fs::path file = folder / ("large" + std::to_string(index) + (index % 2 == 0 ? ".txt" : ".bin"));
        WriteFile(file, index % 2 == 0 ? TextBytes(random, size) : BinaryBytes(random, size));
        fBytes += size;
        fFiles++;
        fItems.push_back(file);
    }
}

std::vector<std::string> BenchPayload::Leaves() const
{
    std::vector<std::string> leaves;
    for (const fs::path& item : fItems)
        leaves.push_back(item.filename().string());
    return leaves;
}
