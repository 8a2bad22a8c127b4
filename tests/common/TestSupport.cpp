#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ondelle::test {

fs::path SamplesDir()
{
    const char* dir = std::getenv("ONDELLE_SAMPLES");
    fs::path base = dir != nullptr ? fs::path(dir) : fs::path(ONDELLE_SAMPLES_DEFAULT);
    return base / "beos-artifacts";
}

std::vector<fs::path> SampleFiles()
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SamplesDir(), error)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path BuildDir()
{
    const char* dir = std::getenv("ONDELLE_BUILD_DIR");
    return dir != nullptr ? fs::path(dir) : fs::path(ONDELLE_BUILD_DIR_DEFAULT);
}

fs::path SandboxRoot()
{
    const char* root = std::getenv("ONDELLE_SANDBOX");
    return root != nullptr ? fs::path(root) : fs::path();
}

std::string PatternBytes(size_t size, unsigned seed)
{
    std::string out(size, '\0');
    for (size_t i = 0; i < size; i++) {
        seed = seed * 1103515245u + 12345u;
        out[i] = char(seed >> 16);
    }
    return out;
}

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    fs::path base = SandboxRoot().empty() ? fs::temp_directory_path() : SandboxRoot() / "testtmp";
    fs::create_directories(base);
    for (;;) {
        fPath = base / ("t" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(fPath, error))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code error;
    fs::remove_all(fPath, error);
}

} // namespace ondelle::test
