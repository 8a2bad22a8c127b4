// Unpacks zip archives in process, restoring files, folders and symbolic
// links with their modes, modification times and typed attributes.
#pragma once

#include <SupportDefs.h>

#include <sys/types.h>

class ZipExtractor {
public:
    // Unpacks every entry of archive below target, overwriting existing
    // files and links. An entry that would land outside target (an absolute
    // name, a ".." component, a path through a symbolic link, a link whose
    // target points out) is refused and reported on standard error, and
    // nothing outside target is written. The result is B_OK only when every
    // entry was unpacked, B_DEVICE_FULL when an entry failed because the
    // target's volume had no room left (or the user's quota was used up).
    static status_t Extract(const char* archive, const char* target);
    // The same for an archive that lies in file at [offset, offset +
    // length), read in place.
    static status_t ExtractRange(const char* file, off_t offset, uint64 length, const char* target);
};
