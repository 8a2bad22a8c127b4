// Time stamps of entries as LibDateTime values. Each starts from 1 January
// 1970 00:00:00, which is also the result when the entry cannot be opened;
// local selects local time, otherwise the value is in UTC.
#pragma once

#include <LibDateTime.h>

class BEntry;
struct entry_ref;

// Creation time. On failure "LibCreationDate: Unable to set entry\n" (or
// "... <path>\n" for the path form) goes to standard error.
LibDateTime LibCreationDate(const entry_ref& ref, const bool& local);
LibDateTime LibCreationDate(const char* path, const bool& local);
// Modification time.
LibDateTime LibLastModifiedDate(const BEntry& entry, const bool& local);
LibDateTime LibLastModifiedDate(const char* path, const bool& local);
// The modification time as well (the same stamp as LibLastModifiedDate).
LibDateTime LibAccessedDate(const BEntry& entry, const bool& local);
