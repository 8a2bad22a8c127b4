// Finding a shared library the way the system's dynamic loader finds it:
// the folders of LD_LIBRARY_PATH, then the loader's cache (/etc/ld.so.cache),
// then the default folders (/lib, /usr/lib, the multiarch and lib64
// folders). A name that contains "/" is a path and is only tested for
// existence. docs/install-job.md gives the rule.
#pragma once

#include <string>
#include <vector>

struct LibrarySearchPlaces {
    // Colon-separated folders, searched first (empty entries are skipped).
    std::string libraryPath;
    // The loader's cache file; empty: none.
    std::string cacheFile;
    // Searched last, in order.
    std::vector<std::string> defaultFolders;

    // The places the loader of this system uses: LD_LIBRARY_PATH from the
    // environment, /etc/ld.so.cache and the default folders.
    static LibrarySearchPlaces System();
};

// True when the library file name is found; path (may be null) receives
// where. Names that are empty, "." or ".." are never found.
bool find_shared_library(const char* name, const LibrarySearchPlaces& places, std::string* path);

// The same with LibrarySearchPlaces::System().
bool find_shared_library(const char* name, std::string* path);

// Reads the loader cache file: every (library name, path) pair of this
// machine's architecture, in the cache's order. False when the file cannot
// be read or is not a cache; damaged entries are skipped.
bool read_loader_cache(const char* file, std::vector<std::pair<std::string, std::string>>& entries);
