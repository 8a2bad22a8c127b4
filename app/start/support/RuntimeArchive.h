// The runtime a build carries (the installer program, the shared libraries
// it needs beyond those of every desktop, the Qt plugins and qt.conf) as one
// resource in a small format of its own, so that the first stage that
// unpacks it needs nothing but the C library and zlib:
//
//   "ONDLRT01"
//   per file: u16 path length (0 ends the archive), the relative path,
//             u32 mode, u64 size, u64 stored size, 32-byte SHA-256 of the
//             file's contents, then the stored bytes (one zlib stream)
//
// Numbers are little-endian. The archive is named after the SHA-256 of all
// its bytes ("runtime-<hex>"), which is also the name of the folder it is
// unpacked into.
#pragma once

#include "Sha256.h"

#include <cstdint>
#include <string>

constexpr char kRuntimeArchiveMagic[8] = {'O', 'N', 'D', 'L', 'R', 'T', '0', '1'};
constexpr const char* kRuntimeNamePrefix = "runtime-";
// The build's resource that carries the archive: 'RAWT' 2003, named after
// the archive's checksum.
constexpr uint32_t kRuntimeResourceType = 'RAWT';
constexpr int32_t kRuntimeResourceId = 2003;
// The oldest C library the build starts on ("2.35"), 'RAWT' 2004, which the
// first stage checks the machine's against before anything else.
constexpr int32_t kGlibcFloorResourceId = 2004;
constexpr const char* kGlibcFloorResourceName = "glibc-floor";
constexpr uint64_t kRuntimeMaxFileSize = uint64_t(1) << 31;
constexpr size_t kRuntimeMaxPath = 1024;

// True when path is a relative path of plain names (no "..", ".", empty
// part, leading slash, control character).
bool IsSafeRuntimePath(const std::string& path);

// True when name is "runtime-" and 64 lower-case hexadecimal digits.
bool IsRuntimeName(const std::string& name);

// Writes an archive to a file descriptor, keeping the digest of every byte.
class RuntimeArchiveWriter {
public:
    // level: zlib's compression level, 0 to 9.
    RuntimeArchiveWriter(int out, int level);
    // Adds the file at source under path with mode; an empty text on
    // success, otherwise what went wrong.
    std::string Add(const std::string& path, const std::string& source, uint32_t mode);
    // Ends the archive; the name it goes under ("runtime-<hex>") in name.
    std::string Finish(std::string& name);
    uint64_t Size() const { return fSize; }

private:
    bool _Write(const void* data, size_t length);

    int fOut;
    int fLevel;
    Sha256 fDigest;
    uint64_t fSize = 0;
};
