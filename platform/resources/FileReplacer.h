// Replaces a file by a complete new one written beside it.
//
// Linux refuses to write into a running program, and a program whose
// rewrite stopped half-way is lost. So resources are never changed in place:
// the new contents go to a hidden file in the same folder, which gets the old
// file's permissions, owner (where allowed) and extended attributes and is
// then renamed over the old name in one step. Until Commit() succeeds the
// old file is untouched; an uncommitted replacement removes its file.
#pragma once

#include <SupportDefs.h>

#include <string>

namespace ondelle::resources {

class FileReplacer {
public:
    FileReplacer() = default;
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    // Creates the new file beside target (which need not exist yet).
    status_t Begin(const std::string& target);

    // Appends bytes to the new file.
    status_t Write(const void* data, size_t length);
    status_t WriteZeros(uint64 length);
    // Appends length bytes read from fd at offset, streaming.
    status_t CopyFrom(int fd, uint64 offset, uint64 length);
    uint64 Position() const { return fPosition; }
    // The new file, for writers that place their bytes themselves.
    int Descriptor() const { return fFd; }

    // Gives the new file the permissions, owner and extended attributes of
    // the file open as modelFd (-1: keep the defaults, mode 0644 less the
    // umask), flushes it and renames it over the target.
    status_t Commit(int modelFd);

private:
    void _Discard();

    std::string fTarget;
    std::string fTempPath;
    int fFd = -1;
    uint64 fPosition = 0;
};

// Streams length bytes from one descriptor at inOffset to the current
// position of another.
status_t CopyFileRange(int inFd, uint64 inOffset, int outFd, uint64 length);

// Copies every extended attribute of one open file to another. Attributes of
// the "user." space must all arrive; others (security labels and the like)
// are copied where the system allows.
status_t CopyExtendedAttributes(int fromFd, int toFd);

} // namespace ondelle::resources
