// One-line notices: a printf-style text (cut at 511 bytes) in an alert with
// a single "OK" button. LibError, LibInfo and LibWarning block until the
// button is pressed and return its index (0); LibInfoNoWait returns at once
// with the status of showing the alert.
#pragma once

#include <SupportDefs.h>

int32 LibError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32 LibInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32 LibInfoNoWait(const char* format, ...) __attribute__((format(printf, 1, 2)));
int32 LibWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
