// Writes zip archives in process: files, folders and symbolic links with
// their Unix modes, modification times and typed attributes.
#pragma once

#include <SupportDefs.h>

#include <string>

class ZipWriter {
public:
    // Adds source (a file, a link or a whole folder) to archive, under entry
    // names that start with the leaf name of source ("leaf", "leaf/",
    // "leaf/sub/file"), deflated with level 1..9 or stored with level 0.
    // An existing archive keeps its other entries; an entry of the same name
    // is replaced. The archive is written beside its final place and renamed
    // into it, so a failed run leaves an earlier archive as it was.
    // Problems are reported on standard error; the result is B_OK only when
    // every entry was added.
    static status_t AddTree(const char* archive, const char* source, int level);
};
