// Writes zip archives in process: files, folders and symbolic links with
// their Unix modes, modification times and typed attributes.
#pragma once

#include "ZipTreePacker.h"

#include <SupportDefs.h>

#include <string>

class ZipSink;

class ZipWriter {
public:
    // Adds source (a file, a link or a whole folder) to archive, under entry
    // names that start with the leaf name of source ("leaf", "leaf/",
    // "leaf/sub/file"), deflated with level 1..9 or stored with level 0.
    // An existing archive keeps its other entries; an entry of the same name
    // is replaced. The archive is written beside its final place and renamed
    // into it, so a failed run leaves an earlier archive as it was.
    // Problems are reported on standard error; the result is B_OK only when
    // every entry was added. With typeUntyped, files and folders that have
    // no file type get one in their "Be" field (folders the folder type,
    // files the type guessed from their name and first 16 KiB), so that an
    // install never has to guess it.
    static status_t AddTree(const char* archive, const char* source, int level, bool typeUntyped = false);

    // Writes a new archive of source (a file, a link or a whole folder) into
    // sink, its entries named below topName (the leaf name of source when
    // empty), with the same fields, types and checks as AddTree. The result
    // is B_OK only when every entry was added; the sink then holds the whole
    // archive. The bytes written do not depend on options.workers.
    static status_t WriteTree(ZipSink& sink, const char* source, const ZipPackOptions& options,
        const std::string& topName = std::string());
};
