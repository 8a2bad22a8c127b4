// Renames, removals and copies of whole entries, done in process with the
// system calls themselves: no helper program is started for them.
#pragma once

#include <SupportDefs.h>

// Renames the entry from to the path to (rename(2)): a file or link at to is
// replaced, an empty folder at to is replaced by a folder. Both must lie on
// one volume; B_CROSS_DEVICE_LINK otherwise, with nothing changed.
status_t rename_entry(const char* from, const char* to);

// Removes the entry at path and, for a folder, everything below it. Links
// are removed themselves and never followed, also when a folder below is
// replaced by a link during the removal. B_OK when nothing is left at path
// (also when there was nothing); otherwise the first error, with as much
// removed as could be.
status_t remove_tree(const char* path);

// How copy_tree() treats what a copy keeps besides the data.
struct copy_tree_options {
    // Modes and the access and modification times of files and folders, as a
    // move keeps them; otherwise new entries get the source's mode less the
    // process's umask and the current time.
    bool keepModesAndTimes = false;
    // Set to true when the destination's volume refused attributes as such
    // (it keeps none); the data was copied all the same.
    bool attributesLost = false;
};

// Copies the entry from to the path to (the landing itself, not a folder to
// copy into): files with their data and attributes, links as links, folders
// with everything below them, merged into a folder already at to. A file or
// link already at to is replaced; a folder is never replaced by a file.
// Refuses (B_BAD_VALUE) to copy a folder into itself. Continues past an
// entry that fails and returns the first error.
status_t copy_tree(const char* from, const char* to, copy_tree_options* options);
