// BenchSandbox: a private temporary folder that stands in for the home,
// data, configuration, cache, runtime and temporary folders of a benchmark
// and of the programs it starts, removed with everything in it when the
// object goes.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class BenchSandbox {
public:
    // prefix: the start of the folder's name in the temporary folder.
    explicit BenchSandbox(const char* prefix);
    ~BenchSandbox();
    BenchSandbox(const BenchSandbox&) = delete;
    BenchSandbox& operator=(const BenchSandbox&) = delete;

    // Empty when no folder could be made.
    const std::filesystem::path& Path() const { return fPath; }

    // The environment variables (name, value) that put every folder a
    // program may write to below the root, the sandbox's own included.
    std::vector<std::pair<std::string, std::string>> Variables() const;

private:
    std::filesystem::path fPath;
};
