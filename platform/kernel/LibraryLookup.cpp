#include "LibraryLookup.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

// Layout of the loader cache (glibc's "new" format, optionally preceded by
// the old one): a 20-byte magic, then counts, then fixed-size entries
// whose name and path are offsets of NUL-terminated strings.
const char kOldMagic[] = "ld.so-1.7.0";
const char kNewMagic[] = "glibc-ld.so.cache";
const char kNewVersion[] = "1.1";
constexpr size_t kOldHeaderSize = 16;  // magic (12 with padding) + count
constexpr size_t kOldEntrySize = 12;   // flags, key, value
constexpr size_t kNewHeaderSize = 48;  // magic, version, count, string length, flags, extension, unused
constexpr size_t kNewEntrySize = 24;   // flags, key, value, os version, hardware capabilities

// Entry flags: the library type in the low byte, the architecture above.
constexpr int32_t kTypeMask = 0x00ff;
constexpr int32_t kTypeElfLibc6 = 0x0003;
constexpr int32_t kArchMask = 0xff00;
#if defined(__x86_64__)
constexpr int32_t kOwnArch = 0x0300;
#elif defined(__aarch64__)
constexpr int32_t kOwnArch = 0x0a00;
#else
constexpr int32_t kOwnArch = -1;  // accept any architecture
#endif

uint32_t ReadU32(const std::string& data, size_t at)
{
    uint32_t value;
    memcpy(&value, data.data() + at, sizeof(value));
    return value;
}

// The NUL-terminated string at offset, or false when it runs past the end.
bool StringAt(const std::string& data, size_t offset, std::string& text)
{
    if (offset >= data.size())
        return false;
    const char* start = data.data() + offset;
    const void* end = memchr(start, '\0', data.size() - offset);
    if (end == nullptr)
        return false;
    text.assign(start, static_cast<const char*>(end));
    return true;
}

bool IsOwnArchitecture(int32_t flags)
{
    if ((flags & kTypeMask) != kTypeElfLibc6)
        return false;
    return kOwnArch < 0 || (flags & kArchMask) == kOwnArch;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace


bool
read_loader_cache(const char* file, std::vector<std::pair<std::string, std::string>>& entries)
{
    entries.clear();
    if (file == nullptr || *file == '\0')
        return false;
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return false;
    // The cache is small (tens of kilobytes); refuse anything absurd.
    std::string data;
    data.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    if (data.size() > (64u << 20))
        return false;

    size_t newStart = 0;
    if (data.size() >= kOldHeaderSize && memcmp(data.data(), kOldMagic, sizeof(kOldMagic) - 1) == 0) {
        // Old format first: skip its entries; the new format follows,
        // aligned to 8 bytes. A cache in the old format alone is not read.
        uint64_t count = ReadU32(data, 12);
        uint64_t end = kOldHeaderSize + count * kOldEntrySize;
        end = (end + 7) & ~uint64_t(7);
        if (end > data.size())
            return false;
        newStart = size_t(end);
    }
    if (data.size() - newStart < kNewHeaderSize
        || memcmp(data.data() + newStart, kNewMagic, sizeof(kNewMagic) - 1) != 0
        || memcmp(data.data() + newStart + sizeof(kNewMagic) - 1, kNewVersion,
            sizeof(kNewVersion) - 1) != 0)
        return false;

    uint64_t count = ReadU32(data, newStart + 20);
    uint64_t tableEnd = newStart + kNewHeaderSize + count * kNewEntrySize;
    if (tableEnd > data.size())
        return false;
    for (uint64_t index = 0; index < count; index++) {
        size_t at = size_t(newStart + kNewHeaderSize + index * kNewEntrySize);
        int32_t flags = int32_t(ReadU32(data, at));
        // String offsets count from the start of the new format's header.
        size_t key = newStart + ReadU32(data, at + 4);
        size_t value = newStart + ReadU32(data, at + 8);
        std::string name;
        std::string path;
        if (!IsOwnArchitecture(flags) || !StringAt(data, key, name) || !StringAt(data, value, path))
            continue;
        entries.emplace_back(std::move(name), std::move(path));
    }
    return true;
}


LibrarySearchPlaces
LibrarySearchPlaces::System()
{
    LibrarySearchPlaces places;
    if (const char* value = getenv("LD_LIBRARY_PATH"))
        places.libraryPath = value;
    places.cacheFile = "/etc/ld.so.cache";
#if defined(__x86_64__)
    places.defaultFolders = {"/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib64",
        "/usr/lib64", "/lib", "/usr/lib"};
#elif defined(__aarch64__)
    places.defaultFolders = {"/lib/aarch64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/lib64",
        "/usr/lib64", "/lib", "/usr/lib"};
#else
    places.defaultFolders = {"/lib", "/usr/lib"};
#endif
    return places;
}


bool
find_shared_library(const char* name, const LibrarySearchPlaces& places, std::string* path)
{
    if (name == nullptr || *name == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    auto found = [path](const std::string& candidate) {
        if (path != nullptr)
            *path = candidate;
        return true;
    };
    if (strchr(name, '/') != nullptr)
        return IsRegularFile(name) && found(name);

    size_t start = 0;
    const std::string& list = places.libraryPath;
    while (start <= list.size() && !list.empty()) {
        size_t end = list.find_first_of(":;", start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            if (IsRegularFile(candidate))
                return found(candidate);
        }
        start = end + 1;
    }

    std::vector<std::pair<std::string, std::string>> entries;
    if (read_loader_cache(places.cacheFile.c_str(), entries)) {
        for (const auto& entry : entries) {
            if (entry.first == name && IsRegularFile(entry.second))
                return found(entry.second);
        }
    }

    for (const std::string& folder : places.defaultFolders) {
        std::string candidate = folder + "/" + name;
        if (IsRegularFile(candidate))
            return found(candidate);
    }
    return false;
}


bool
find_shared_library(const char* name, std::string* path)
{
    return find_shared_library(name, LibrarySearchPlaces::System(), path);
}
