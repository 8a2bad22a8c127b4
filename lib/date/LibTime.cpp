#include "LibTime.h"

#include "DateClock.h"

#include <Message.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using lib_date::FloorDiv;
using lib_date::FloorMod;
using lib_date::ReadField;

namespace {

int Compare(const LibTime& a, const LibTime& b)
{
    const int32 left = a.NumberOfSeconds();
    const int32 right = b.NumberOfSeconds();
    return left < right ? -1 : left > right ? 1 : 0;
}

} // namespace

LibTime::LibTime(const int32& hours, const int32& minutes, const int32& seconds)
    : fHours(0), fMinutes(0), fSeconds(0)
{
    SetTime(hours, minutes, seconds);
}

LibTime::LibTime(const bool& now, const bool& local)
    : fHours(0), fMinutes(0), fSeconds(0)
{
    // A virtual call in a constructor reaches this class's own SetNow(),
    // which is what a plain time wants.
    if (now)
        SetTimeOfClock(time(nullptr), local);
}

LibTime::~LibTime() = default;

status_t LibTime::Archive(BMessage& archive) const
{
    status_t status = archive.AddInt32("hours", fHours);
    if (status == B_OK)
        status = archive.AddInt32("minutes", fMinutes);
    if (status == B_OK)
        status = archive.AddInt32("seconds", fSeconds);
    return status;
}

status_t LibTime::Restore(const BMessage& archive)
{
    int32 hours, minutes, seconds;
    status_t status = archive.FindInt32("hours", 0, &hours);
    if (status == B_OK)
        status = archive.FindInt32("minutes", 0, &minutes);
    if (status == B_OK)
        status = archive.FindInt32("seconds", 0, &seconds);
    if (status == B_OK)
        SetTime(hours, minutes, seconds);
    return status;
}

void LibTime::SetNow(const bool& local)
{
    SetTimeOfClock(time(nullptr), local);
}

void LibTime::AddHours(const int32& hours)
{
    SetClock(int64(fHours) + hours, fMinutes, fSeconds);
}

void LibTime::AddMinutes(const int32& minutes)
{
    SetClock(fHours, int64(fMinutes) + minutes, fSeconds);
}

void LibTime::AddSeconds(const int32& seconds)
{
    SetClock(fHours, fMinutes, int64(fSeconds) + seconds);
}

int32 LibTime::GetSeconds() const
{
    return fSeconds;
}

void LibTime::SetTime(const int32& hours, const int32& minutes, const int32& seconds)
{
    SetClock(hours, minutes, seconds);
}

void LibTime::SetHours(const int32& hours)
{
    SetClock(hours, fMinutes, fSeconds);
}

void LibTime::SetMinutes(const int32& minutes)
{
    SetClock(fHours, minutes, fSeconds);
}

void LibTime::SetSeconds(const int32& seconds)
{
    SetClock(fHours, fMinutes, seconds);
}

void LibTime::SetTime(const struct tm* fields)
{
    if (fields != nullptr)
        SetClock(fields->tm_hour, fields->tm_min, fields->tm_sec);
}

void LibTime::SetTime(const int32& clock, const bool& local)
{
    SetTimeOfClock(clock, local);
}

void LibTime::SetTimeOfClock(time_t clock, bool local)
{
    struct tm fields;
    lib_date::BreakDown(clock, true, fields);
    SetClock(fields.tm_hour, fields.tm_min, fields.tm_sec);
    if (!local)
        AddSeconds(int32(-lib_date::LocalZoneOffset(clock)));
}

void LibTime::SetTime(const float& hours)
{
    if (!std::isfinite(hours))
        return;
    // Only the time of day counts, so whole days are dropped first; this
    // keeps every conversion to an integer in range.
    const double value = std::fmod(double(hours), 24.0);
    const double whole = std::trunc(value);
    const double minutes = (value - whole) * 60.0;
    const double wholeMinutes = std::trunc(minutes);
    const double seconds = (minutes - wholeMinutes) * 60.0;
    SetClock(int64(whole), int64(wholeMinutes), int64(std::trunc(seconds)));
}

void LibTime::SetTime(const char* text)
{
    if (text == nullptr)
        return;
    const size_t length = std::strlen(text);
    const int64 hours = length > 0 ? ReadField(text, std::min<size_t>(length, 2)) : 0;
    const int64 minutes = length > 3 ? ReadField(text + 3, std::min<size_t>(length - 3, 2)) : 0;
    const int64 seconds = length > 6 ? ReadField(text + 6, std::min<size_t>(length - 6, 2)) : 0;
    SetClock(hours, minutes, seconds);
}

bool LibTime::SetUnformattedTime(const char* text)
{
    if (text == nullptr)
        return false;
    // Parts: 0 hours, 1 minutes; digits collect into the current part and
    // any other character ends it. The text is read as if ":" followed.
    int64 values[2] = {0, 0};
    int part = 0;
    int64 value = 0;
    int digits = 0;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i <= length; ++i) {
        const char c = i < length ? text[i] : ':';
        if (c >= '0' && c <= '9') {
            if (digits < 9)
                value = value * 10 + (c - '0');
            ++digits;
            if (part >= 2 && digits >= 3)
                return false;
            continue;
        }
        if (part < 2) {
            if (digits == 0 || digits > 2)
                return false;
            values[part++] = value;
        }
        value = 0;
        digits = 0;
    }
    SetClock(values[0], part > 1 ? values[1] : 0, 0);
    return true;
}

int32 LibTime::NumberOfSeconds() const
{
    return fHours * 3600 + fMinutes * 60 + fSeconds;
}

float LibTime::NumberOfMinutes() const
{
    return float(NumberOfSeconds()) / 60.0f;
}

void LibTime::GetTime(struct tm& fields) const
{
    fields.tm_hour = fHours;
    fields.tm_min = fMinutes;
    fields.tm_sec = fSeconds;
}

int32 LibTime::TimeZone(const int& unit)
{
    const long offset = lib_date::LocalZoneOffset(time(nullptr));
    switch (unit) {
    case 2: return int32(offset / 60);
    case 3: return int32(offset / 3600);
    default: return int32(offset);
    }
}

LibTime LibTime::operator-(const LibTime& other) const
{
    LibTime result;
    result.SetClock(int64(fHours) - other.fHours, int64(fMinutes) - other.fMinutes,
        int64(fSeconds) - other.fSeconds);
    return result;
}

bool LibTime::operator==(const LibTime& other) const
{
    return Compare(*this, other) == 0;
}

bool LibTime::operator!=(const LibTime& other) const
{
    return Compare(*this, other) != 0;
}

bool LibTime::operator<(const LibTime& other) const
{
    return Compare(*this, other) < 0;
}

bool LibTime::operator<=(const LibTime& other) const
{
    return Compare(*this, other) <= 0;
}

bool LibTime::operator>(const LibTime& other) const
{
    return Compare(*this, other) > 0;
}

bool LibTime::operator>=(const LibTime& other) const
{
    return Compare(*this, other) >= 0;
}

void LibTime::PrintToStream() const
{
    fprintf(stderr, "Time: %2.2ld:%2.2ld:%2.2ld\n", long(fHours), long(fMinutes), long(fSeconds));
}

void LibTime::CorrectTime()
{
    SetClock(fHours, fMinutes, fSeconds);
}

void LibTime::SetClock(int64 hours, int64 minutes, int64 seconds)
{
    minutes += FloorDiv(seconds, 60);
    seconds = FloorMod(seconds, 60);
    hours += FloorDiv(minutes, 60);
    minutes = FloorMod(minutes, 60);
    hours = FloorMod(hours, 24);
    fHours = int32(hours);
    fMinutes = int32(minutes);
    fSeconds = int32(seconds);
}
