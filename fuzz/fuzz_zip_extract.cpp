// Unpacks any bytes as a zip archive into a fresh folder of a private
// sandbox, and checks that nothing is written outside that folder. Also
// reads the bytes as a "Be" extra area and as an attribute block.
#include <ZipExtraFields.h>
#include <ZipExtractor.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path gRoot;

size_t CountEntries(const fs::path& folder)
{
    size_t count = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator(); it.increment(error))
        count++;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (fs::temp_directory_path() / "ondelle-fuzz-zip-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    gRoot = pattern;
    ::setenv("ONDELLE_SANDBOX", gRoot.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string block;
    ZipExtra::ParseBeField(data, size, block);
    ZipAttributeList attributes;
    ZipExtra::DecodeAttributeBlock(data, size, attributes);

    const fs::path archive = gRoot / "input.zip";
    const fs::path target = gRoot / "target";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    fs::create_directories(target);
    // Unpacking reports on standard error; keep the fuzzer's output short.
    std::fflush(stderr);
    ZipExtractor::Extract(archive.c_str(), target.c_str());
    // Only the archive and the target folder may exist beside each other.
    if (CountEntries(gRoot) != 2)
        std::abort();
    std::error_code error;
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(target, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (!it->is_symlink() && it->is_directory())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(target, error);
    return 0;
}
