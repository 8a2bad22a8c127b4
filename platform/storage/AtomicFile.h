// Writing a whole file in one step: the contents go into a new file beside
// the target (created exclusively, so no existing file or link is followed),
// reach the disk, and then take the target's name in one rename. Readers see
// either no file (or the old one) or the complete new one, never a part.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <sys/types.h>

enum atomic_write_mode {
    // The target must not exist yet: B_FILE_EXISTS when it does, and the
    // entry in the way stays untouched.
    ATOMIC_WRITE_EXCLUSIVE,
    // An existing file of that name is replaced.
    ATOMIC_WRITE_REPLACE
};

// Writes data to path with the permissions mode. The folder must exist.
// B_NOT_ALLOWED when the sandbox forbids the write; B_FILE_EXISTS as above;
// another status code when the file could not be written (nothing is left
// behind then).
status_t write_file_atomically(const char* path, const std::string& data, mode_t mode,
    atomic_write_mode how);
