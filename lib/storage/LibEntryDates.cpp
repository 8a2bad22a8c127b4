// Entry time stamps as LibDateTime values.
#include "LibEntryDates.h"

#include <Entry.h>

#include <climits>
#include <cstdio>
#include <ctime>

namespace {

enum Stamp { kCreation, kModification };

// 1 January 1970, 00:00:00, plus the stamp: converted to local time when
// local is set, otherwise added as seconds (UTC).
LibDateTime FromStamp(time_t stamp, bool local)
{
    LibDateTime result(1, 1, 1970);
    if (local) {
        struct tm fields = {};
        if (::localtime_r(&stamp, &fields) != nullptr) {
            result.SetDate(&fields);
            result.SetTime(&fields);
        }
        return result;
    }
    // Added in pieces that fit the 32-bit amount, so that stamps after
    // 2038 come out right too.
    int64 remaining = int64(stamp);
    while (remaining != 0) {
        const int64 step = remaining > INT32_MAX ? INT32_MAX : (remaining < INT32_MIN ? INT32_MIN : remaining);
        result.AddSeconds(int32(step));
        remaining -= step;
    }
    return result;
}

bool ReadStamp(const BEntry& entry, Stamp which, time_t& stamp)
{
    if (entry.InitCheck() != B_OK || !entry.Exists())
        return false;
    return (which == kCreation ? entry.GetCreationTime(&stamp) : entry.GetModificationTime(&stamp)) == B_OK;
}

} // namespace

LibDateTime LibCreationDate(const entry_ref& ref, const bool& local)
{
    BEntry entry(&ref);
    time_t stamp = 0;
    if (!ReadStamp(entry, kCreation, stamp)) {
        fprintf(stderr, "LibCreationDate: Unable to set entry\n");
        return LibDateTime(1, 1, 1970);
    }
    return FromStamp(stamp, local);
}

LibDateTime LibCreationDate(const char* path, const bool& local)
{
    BEntry entry(path != nullptr ? path : "");
    time_t stamp = 0;
    if (path == nullptr || !ReadStamp(entry, kCreation, stamp)) {
        fprintf(stderr, "LibCreationDate: Unable to set entry <%s>\n", path != nullptr ? path : "(null)");
        return LibDateTime(1, 1, 1970);
    }
    return FromStamp(stamp, local);
}

LibDateTime LibLastModifiedDate(const BEntry& entry, const bool& local)
{
    time_t stamp = 0;
    if (!ReadStamp(entry, kModification, stamp))
        return LibDateTime(1, 1, 1970);
    return FromStamp(stamp, local);
}

LibDateTime LibLastModifiedDate(const char* path, const bool& local)
{
    if (path == nullptr)
        return LibDateTime(1, 1, 1970);
    return LibLastModifiedDate(BEntry(path), local);
}

LibDateTime LibAccessedDate(const BEntry& entry, const bool& local)
{
    return LibLastModifiedDate(entry, local);
}
