#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace ondelle::test {

// Folder of real files made by the platform's tools (ONDELLE_SAMPLES).
std::filesystem::path SamplesDir();

// Skips the calling test, with a message naming the folder, when the
// samples folder is not there (a checkout without the shared samples).
#define ONDELLE_REQUIRE_SAMPLES()                                                                       \
    do {                                                                                                \
        if (!std::filesystem::is_directory(::ondelle::test::SamplesDir()))                             \
            GTEST_SKIP() << "samples folder " << ::ondelle::test::SamplesDir() << " not found";        \
    } while (false)

// Every regular file of the samples folder, sorted by name.
std::vector<std::filesystem::path> SampleFiles();

// The build folder of this test program (ONDELLE_BUILD_DIR overrides it):
// where the installer program and the tools are.
std::filesystem::path BuildDir();

// The sandbox root that the test program set up before any test ran
// (ONDELLE_SANDBOX). Every standard folder lives below it.
std::filesystem::path SandboxRoot();

// Whole file contents as bytes.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// size bytes that look random, the same for the same seed.
std::string PatternBytes(size_t size, unsigned seed);

// A fresh, empty folder below the sandbox root, removed with its contents
// when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return fPath; }
    std::filesystem::path operator/(const std::string& leaf) const { return fPath / leaf; }

private:
    std::filesystem::path fPath;
};

} // namespace ondelle::test
