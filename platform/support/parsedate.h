// Free-form date parser: reads the date and time forms that people commonly
// write ("Dec 25, 2000 3:30 pm", "12/25/2000", "2000-12-25T15:30:00Z",
// "tomorrow 9:00", "now", ...) and returns the moment they name. Forms that
// depend on the current day ("today", "10:30", "Friday") are read relative
// to a given time. docs/date-parsing.md lists every accepted form.
#pragma once

#include <time.h>

// Flags stored by parsedate_etc() and parsedate_zone().
#define PARSEDATE_RELATIVE_TIME 0x0001
#define PARSEDATE_DAY_RELATIVE_TIME PARSEDATE_RELATIVE_TIME
#define PARSEDATE_MINUTE_RELATIVE_TIME 0x0002
#define PARSEDATE_INVALID_DATE 0x0100

#ifdef __cplusplus
extern "C" {
#endif

// The moment named by text (seconds since 1970, UTC), reading texts without
// a zone of their own in the local time zone. now is the reference time for
// relative forms; -1 stands for the current time. Returns -1 for a text that
// is not one of the accepted forms or that names an impossible date.
time_t parsedate(const char* text, time_t now);

// As parsedate(); flags (when not null) receives PARSEDATE_INVALID_DATE for
// an unreadable text, PARSEDATE_DAY_RELATIVE_TIME when the result depends on
// the day of now, and PARSEDATE_MINUTE_RELATIVE_TIME (with the relative flag)
// for "now". The flag, not the result, tells a failure from the moment
// 1969-12-31 23:59:59 UTC, whose value is also -1.
time_t parsedate_etc(const char* text, time_t now, int* flags);

// As parsedate_etc(), but reads texts without a zone of their own, and takes
// the current day, in a fixed zone zoneOffset seconds east of UTC instead of
// the local time zone. Reentrant and independent of the TZ setting.
time_t parsedate_zone(const char* text, time_t now, long zoneOffset, int* flags);

#ifdef __cplusplus
}
#endif
