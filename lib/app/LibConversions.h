// Byte counts to and from their display text ("1.5 KB", "3 MB").
#pragma once

#include <LibString.h>
#include <SupportDefs.h>

// text = "%.*f %s": bytes over 1048576 in MB, over 1024 in KB, else in
// bytes (the limits themselves stay in the smaller unit). Returns text.
// Takes 64-bit counts, so that free space of large volumes is shown right;
// 32-bit counts convert to it unchanged.
LibString& LibBytesToString(const uint64& bytes, LibString& text, int decimals);

// "1.5 KB" -> 1536, "2 MB" -> 2097152: the number before the first space
// times the unit after it ("KB" or "MB", exactly), truncated. Any other
// unit, or none, gives 0; a number that does not parse gives 0 and a note
// on standard error.
int32 LibStringToBytes(const char* text);
