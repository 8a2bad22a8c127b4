// LibDateTime: a date and a time of day together. Adding seconds, minutes
// or hours carries whole days into the date (a negative amount borrows
// them); comparisons look at the date first, then at the time.
#pragma once

#include <LibDate.h>
#include <LibTime.h>

class LibString;

class LibDateTime : public LibDate, public LibTime {
public:
    // The unset date (see LibDate) at 00:00:00.
    LibDateTime();
    // That date at 00:00:00.
    LibDateTime(const uint& day, const uint& month, const uint& year);
    // Now: today's date and the current time, local or UTC.
    explicit LibDateTime(const bool& local);
    LibDateTime(const LibDateTime& other) = default;
    ~LibDateTime() override;

    // "date" plus "hours", "minutes", "seconds".
    status_t Archive(BMessage& archive) const override;
    // Reads all four fields; unchanged unless all are present.
    status_t Restore(const BMessage& archive) override;

    // Date and time of a clock value (seconds since 1970), through the C
    // library's localtime (local set) or gmtime.
    void SetDateTime(const int32& clock, const bool& local);
    // Today's date and the current time from one reading of the clock.
    void SetNow(const bool& local = true) override;
    void AddSeconds(const int32& seconds) override;
    void AddMinutes(const int32& minutes) override;
    void AddHours(const int32& hours) override;

    // Reads text with the free-form date parser, relative to now, as a
    // local date and time. False (and "Error with date time value" on
    // standard error), unchanged, for text it cannot read.
    bool Set(const LibString& text);

    // 'D20001231T235959': year, month, day, "T", hours, minutes, seconds.
    // A non-zero zoneHours is taken as the local zone's offset from UTC in
    // hours: the text then gives the UTC date and time (this value minus
    // zoneHours) and ends in "Z".
    void GetIso8601(LibString& text, const int16& zoneHours = 0) const;
    // Reads the form GetIso8601() writes: year from characters 1-4, month
    // 5-6, day 7-8, hours 10-11, minutes 12-13, seconds 14-15. When a "Z"
    // follows these sixteen characters, zoneHours is added (UTC to local).
    // False, unchanged, for a text shorter than 15 characters or with a
    // field that is not a number.
    bool SetIso8601(const LibString& text, const int16& zoneHours = 0);

    LibDateTime& operator=(const LibDate& date);
    LibDateTime& operator=(const LibTime& time);
    LibDateTime& operator=(const LibDateTime& other);

    bool operator==(const LibDateTime& other) const;
    bool operator!=(const LibDateTime& other) const;
    bool operator<(const LibDateTime& other) const;
    bool operator<=(const LibDateTime& other) const;
    bool operator>(const LibDateTime& other) const;
    bool operator>=(const LibDateTime& other) const;

    // The day arithmetic of the date stays available.
    using LibDate::operator+;
    using LibDate::operator-;
    using LibDate::operator+=;
    using LibDate::operator-=;
    using LibDate::operator++;
    using LibDate::operator--;
    // The difference of the two times of day (whole days drop out).
    LibTime operator-(const LibDateTime& other) const;

    // The date line, then the time line.
    void PrintToStream() const;

protected:
    void SetMoment(time_t clock, bool local);

private:
    void Carry(int64 secondsOfDay);
    int Compare(const LibDateTime& other) const;
};
