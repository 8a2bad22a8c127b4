// A checksum of a file's contents, to tell later whether the file is still
// the one that was written.
#pragma once

#include <SupportDefs.h>

#include <string>

// The SHA-256 digest of the contents of the file at path (links followed),
// as 64 lower-case hexadecimal digits. B_ENTRY_NOT_FOUND, B_PERMISSION_DENIED
// or B_IO_ERROR when it cannot be read whole.
status_t file_digest(const char* path, std::string* digest);
