// Unpacks a runtime archive (see RuntimeArchive.h) from a range of a file
// into an empty private folder: every path is checked, every file is made
// exclusively (never through an entry that is there already) and its
// contents are checked against their SHA-256, and the digest of the whole
// archive must match its name. Anything wrong is an error and the caller
// removes the folder.
#pragma once

#include <cstdint>
#include <string>

// Returns an empty text on success, otherwise what went wrong (a full disk
// says so). With an empty folder the archive is only checked, nothing is
// written.
std::string UnpackRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name,
    const std::string& folder);

// Checks the archive as UnpackRuntime does, writing nothing; count receives
// the number of files and unpackedSize their total size.
std::string VerifyRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name, uint64_t& count,
    uint64_t& unpackedSize);
