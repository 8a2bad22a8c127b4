// The loader-cache reader on arbitrary bytes: it must refuse or skip what is
// damaged and never read past the end of the file.
#include <LibraryLookup.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string name = std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/fuzz-loader-cache-XXXXXX";
        char* pattern = name.data();
        int fd = mkstemp(pattern);
        if (fd < 0)
            abort();
        close(fd);
        return std::string(pattern);
    }();
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    std::vector<std::pair<std::string, std::string>> entries;
    read_loader_cache(path.c_str(), entries);
    for (const auto& entry : entries) {
        if (entry.first.size() > size || entry.second.size() > size)
            abort();
    }
    return 0;
}
