#include "LibDateTime.h"

#include "DateClock.h"

#include <LibString.h>
#include <Message.h>
#include <parsedate.h>

#include <algorithm>
#include <cstdio>

using lib_date::FloorDiv;
using lib_date::FloorMod;

namespace {

const int64 kSecondsPerDay = 86400;

// Characters from..to of text as a number; false when they are not one.
bool ReadIsoField(const LibString& text, int32 from, int32 to, int16& value)
{
    LibString field = text.Extract(from, to);
    return field.Length() > 0 && field.GetInt16(value);
}

} // namespace

LibDateTime::LibDateTime()
    : LibDate(false), LibTime(0, 0, 0)
{
}

LibDateTime::LibDateTime(const uint& day, const uint& month, const uint& year)
    : LibDate(day, month, year), LibTime(0, 0, 0)
{
}

LibDateTime::LibDateTime(const bool& local)
    : LibDate(false), LibTime(0, 0, 0)
{
    SetMoment(time(nullptr), local);
}

LibDateTime::~LibDateTime() = default;

status_t LibDateTime::Archive(BMessage& archive) const
{
    status_t status = LibDate::Archive(archive);
    if (status == B_OK)
        status = LibTime::Archive(archive);
    return status;
}

status_t LibDateTime::Restore(const BMessage& archive)
{
    int32 value;
    status_t status = archive.FindInt32("date", 0, &value);
    if (status != B_OK)
        return status;
    LibTime time;
    status = time.Restore(archive);
    if (status != B_OK)
        return status;
    LibDate::SetDate(value);
    LibTime::operator=(time);
    return B_OK;
}

void LibDateTime::SetDateTime(const int32& clock, const bool& local)
{
    SetMoment(clock, local);
}

void LibDateTime::SetMoment(time_t clock, bool local)
{
    struct tm fields;
    lib_date::BreakDown(clock, local, fields);
    SetFields(fields.tm_mday, int64(fields.tm_mon) + 1, int64(fields.tm_year) + 1900);
    SetClock(fields.tm_hour, fields.tm_min, fields.tm_sec);
}

void LibDateTime::SetNow(const bool& local)
{
    SetMoment(time(nullptr), local);
}

void LibDateTime::Carry(int64 secondsOfDay)
{
    // Whole days go into the date; a negative amount borrows a day, so the
    // time of day and the date stay one moment.
    const int64 days = FloorDiv(secondsOfDay, kSecondsPerDay);
    SetClock(0, 0, FloorMod(secondsOfDay, kSecondsPerDay));
    if (days != 0)
        SetFields(int64(GetDay()) + days, GetMonth(), GetYear());
}

void LibDateTime::AddSeconds(const int32& seconds)
{
    Carry(int64(NumberOfSeconds()) + seconds);
}

void LibDateTime::AddMinutes(const int32& minutes)
{
    Carry(int64(NumberOfSeconds()) + int64(minutes) * 60);
}

void LibDateTime::AddHours(const int32& hours)
{
    Carry(int64(NumberOfSeconds()) + int64(hours) * 3600);
}

bool LibDateTime::Set(const LibString& text)
{
    int flags = 0;
    const time_t moment = parsedate_etc(text, time(nullptr), &flags);
    if ((flags & PARSEDATE_INVALID_DATE) != 0) {
        fprintf(stderr, "Error with date time value\n");
        return false;
    }
    SetMoment(moment, true);
    return true;
}

void LibDateTime::GetIso8601(LibString& text, const int16& zoneHours) const
{
    LibDateTime value(*this);
    if (zoneHours != 0)
        value.AddHours(-zoneHours);
    text.Formatted("D%d%2.2d%2.2dT%2.2ld%2.2ld%2.2ld", int(value.GetYear()), int(value.GetMonth()),
        int(value.GetDay()), long(value.GetHours()), long(value.GetMinutes()), long(value.GetSeconds()));
    if (zoneHours != 0)
        text.Concat("Z");
}

bool LibDateTime::SetIso8601(const LibString& text, const int16& zoneHours)
{
    const int32 length = text.Length();
    if (length < 15)
        return false;
    int16 year, month, day, hours, minutes, seconds;
    if (!ReadIsoField(text, 1, 4, year) || !ReadIsoField(text, 5, 6, month) || !ReadIsoField(text, 7, 8, day)
        || !ReadIsoField(text, 10, 11, hours) || !ReadIsoField(text, 12, 13, minutes)
        || !ReadIsoField(text, 14, 15, seconds))
        return false;
    // All fields at once: setting them one by one would normalise against
    // the old values (31 January, month set to April, gives 1 May).
    SetFields(day, month, year);
    SetClock(hours, minutes, seconds);
    if (length > 16 && static_cast<const char*>(text)[16] == 'Z')
        AddHours(zoneHours);
    return true;
}

LibDateTime& LibDateTime::operator=(const LibDate& date)
{
    LibDate::operator=(date);
    return *this;
}

LibDateTime& LibDateTime::operator=(const LibTime& time)
{
    LibTime::operator=(time);
    return *this;
}

LibDateTime& LibDateTime::operator=(const LibDateTime& other)
{
    LibDate::operator=(other);
    LibTime::operator=(other);
    return *this;
}

int LibDateTime::Compare(const LibDateTime& other) const
{
    if (DayNumber() != other.DayNumber())
        return DayNumber() < other.DayNumber() ? -1 : 1;
    const int32 left = NumberOfSeconds();
    const int32 right = other.NumberOfSeconds();
    return left < right ? -1 : left > right ? 1 : 0;
}

bool LibDateTime::operator==(const LibDateTime& other) const
{
    return Compare(other) == 0;
}

bool LibDateTime::operator!=(const LibDateTime& other) const
{
    return Compare(other) != 0;
}

bool LibDateTime::operator<(const LibDateTime& other) const
{
    return Compare(other) < 0;
}

bool LibDateTime::operator<=(const LibDateTime& other) const
{
    return Compare(other) <= 0;
}

bool LibDateTime::operator>(const LibDateTime& other) const
{
    return Compare(other) > 0;
}

bool LibDateTime::operator>=(const LibDateTime& other) const
{
    return Compare(other) >= 0;
}

LibTime LibDateTime::operator-(const LibDateTime& other) const
{
    return LibTime::operator-(other);
}

void LibDateTime::PrintToStream() const
{
    LibDate::PrintToStream();
    LibTime::PrintToStream();
}
