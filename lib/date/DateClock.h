// Clock readings shared by the date and time classes: the broken-down time
// of a moment, local or UTC, and the local zone's offset from UTC. Plain C
// library calls; the reentrant forms keep the classes usable from any
// thread.
#pragma once

#include <SupportDefs.h>

#include <ctime>

namespace lib_date {

// Fields of moment (seconds since 1970) in local time or in UTC. False when
// the C library cannot represent the moment (the fields are then those of
// 1 January 1970, 00:00:00 UTC).
bool BreakDown(time_t moment, bool local, struct tm& fields);

// Offset of the local time zone from UTC at moment, in seconds east of UTC,
// daylight-saving time included.
long LocalZoneOffset(time_t moment);

// Reads a decimal number from at most length characters of text: leading
// blanks, an optional sign, then digits up to the first other character.
// The value saturates at the 32-bit range; no digits read 0.
int64 ReadField(const char* text, size_t length);

// Floor division and the matching remainder in 0..divisor-1 (divisor > 0).
inline int64 FloorDiv(int64 value, int64 divisor)
{
    int64 quotient = value / divisor;
    if (value % divisor != 0 && value < 0)
        --quotient;
    return quotient;
}

inline int64 FloorMod(int64 value, int64 divisor)
{
    return value - FloorDiv(value, divisor) * divisor;
}

} // namespace lib_date
