// The application's version record, supported types and signature, read
// and written through the application-file information of its executable
// (attributes and resources alike).
#pragma once

#include <EntryRef.h>
#include <LibString.h>
#include <LibStringList.h>
#include <SupportDefs.h>

// "major.middle.minor", the variety's suffix (" Dev", " Alpha", " Beta",
// " Gamma", " Gold"; none for final) and " internal" when internal is not
// 0, of the file at path or, for a null path, the running program. Empty
// when there is no version record.
LibString LibGetAppVersion(const char* path);

// Writes the application version record of the running program's file. A
// null text is stored as empty; longer texts are cut to 63 and 255
// characters. Writing a record equal to the stored one changes nothing.
void LibSetAppVersion(const uint32& major, const uint32& middle, const uint32& minor, const char* shortInfo,
    const char* longInfo, const uint32& variety, const uint32& internal);

// Appends the running program's supported types to types and returns the
// list's size; 0, adding nothing, when there are none stored.
int32 LibGetAppSupportedTypes(LibStringList& types);
// Stores the list, in order, as the running program's supported types.
void LibSetAppSupportedTypes(LibStringList& types);

// Empties signature (a buffer of B_MIME_TYPE_LENGTH bytes), then fills it
// with the application signature of the entry when the entry's file type is
// exactly "application/x-vnd.Be-elfexecutable".
void LibGetAppSignature(const entry_ref& ref, char* signature);
