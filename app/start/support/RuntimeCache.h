// The per-user cache of unpacked runtimes: $XDG_CACHE_HOME/ondelle (or
// ~/.cache/ondelle) holds one folder per runtime, named after its checksum.
// A folder is made under a private temporary name (mkdtemp, 0700), filled,
// sealed and only then renamed to its final name, so a half-unpacked
// runtime is never found. The seal records every entry the folder holds
// (type, mode, size, inode and change time); a later start uses the folder
// only when it still belongs to this user, no one else may change it and
// every entry is exactly as sealed. Any change (a planted file, an edited
// one) makes the folder be unpacked again; a folder that belongs to another
// user is never used nor touched.
#pragma once

#include <functional>
#include <string>

// Fills an empty folder; an empty text on success, otherwise what went
// wrong.
using RuntimeFill = std::function<std::string(const std::string& folder)>;

// The cache folder of this user, made (0700) when it is missing. An empty
// text on success, otherwise why it cannot be used.
std::string RuntimeCacheRoot(std::string& root);

// The folder of runtime name below root, in folder: the sealed one when it
// is whole, else one filled now with fill. unpacked tells which happened.
std::string PrepareRuntimeFolder(const std::string& root, const std::string& name, const RuntimeFill& fill,
    std::string& folder, bool& unpacked);

// Writes the seal of a filled folder / checks a folder against its seal
// (an empty text when it matches, else what differs).
std::string SealRuntimeFolder(const std::string& folder);
std::string CheckRuntimeSeal(const std::string& folder);
