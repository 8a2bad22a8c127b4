// A scratch file of the build tool, removed when the scope ends.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

class ScratchFile {
public:
    explicit ScratchFile(std::string path) : fPath(std::move(path)) {}
    ~ScratchFile() { std::remove(fPath.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

private:
    std::string fPath;
};
