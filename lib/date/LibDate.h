// LibDate: a calendar date kept together with a continuous day number, so
// that dates compare, subtract and move by days.
//
// The day number is one less than the astronomical Julian day number of the
// date (1 January 1970 is 2440587). Dates up to 4 October 1582 follow the
// Julian calendar, dates from 15 October 1582 the Gregorian one. Years are
// full years, negative before year 1 (there is no year 0: a date in year 0
// has the day number 0).
//
// Every setter normalises the fields (day into its month, month into 1..12,
// carrying into the year) and recomputes the day number; every change of
// the day number recomputes the fields. Years are kept within
// -5000000..5000000 so that every day number fits 32 bits.
#pragma once

#include <SupportDefs.h>

#include <ctime>

class BMessage;

// Weekday numbers, Sunday first.
enum LibWeekDay {
    LIB_SUNDAY = 0,
    LIB_MONDAY = 1,
    LIB_TUESDAY = 2,
    LIB_WEDNESDAY = 3,
    LIB_THURSDAY = 4,
    LIB_FRIDAY = 5,
    LIB_SATURDAY = 6
};

class LibDate {
public:
    static constexpr int32 kMinYear = -5000000;
    static constexpr int32 kMaxYear = 5000000;

    LibDate(const uint& day, const uint& month, const uint& year);
    explicit LibDate(const int32& dayNumber);
    // With today set, today's date (local or UTC). Otherwise the date is
    // unset: all fields and the day number are 0 and IsValidDate() is false.
    explicit LibDate(const bool& today = false, const bool& local = true);
    LibDate(const LibDate& other) = default;
    LibDate& operator=(const LibDate& other) = default;
    virtual ~LibDate();

    // Adds int32 "date", the day number.
    virtual status_t Archive(BMessage& archive) const;
    // Reads int32 "date" (index 0); without it the date is unchanged.
    virtual status_t Restore(const BMessage& archive);

    void SetDate(const uint& day, const uint& month, const uint& year);
    void SetDate(const int32& dayNumber);
    // Fixed layout "MM?DD?YYYY...": month from characters 0-1, day from
    // 3-4, year from character 6 to the end, each read as a decimal number
    // (leading blanks and a sign allowed, reading stops at a non-digit; an
    // empty field reads 0). A null text changes nothing.
    void SetDate(const char* text);
    // Day and month of the tm; its year field (years since 1900) up to 50
    // counts as 2000 + value, above 50 as 1900 + value, which reads
    // two-digit years. A negative field is read as years since 1900.
    void SetDate(const struct tm* fields);
    // A date typed by a person, month, day, year ("12/25/99", "7/4", "12");
    // false, date unchanged, for text it cannot read.
    bool SetUnformattedDate(const char* text);
    // Today's date from the clock: the local date, or the UTC date.
    void SetToday(const bool& local = true);

    void SetDay(const uint& day);
    void SetMonth(const uint& month);
    void SetMonth(const int& month) { SetMonth(uint(month)); }
    // The first month whose English name begins with name (case-sensitive);
    // false, month unchanged, when none does or name is null or empty.
    bool SetMonth(const char* name);
    void SetYear(const uint& year);

    int32 GetDay() const { return fDay; }
    int32 GetMonth() const { return fMonth; }
    int32 GetYear() const { return fYear; }
    int32 DayNumber() const { return fDayNumber; }
    // Day, month (0-based), year (since 1900) and weekday into the tm; its
    // day of the year is set to 0. Other fields are not touched.
    void GetDate(struct tm& fields) const;

    // Add to one field and normalise: 31 January + 1 month gives 3 March
    // in a common year.
    void AddDays(const int& days);
    void AddMonths(const int& months);
    void AddYears(const int& years);

    // Move the day number.
    LibDate& operator++();
    LibDate operator++(int);
    LibDate& operator--();
    LibDate operator--(int);
    LibDate& operator+=(const int32& days);
    LibDate& operator-=(const int32& days);
    LibDate operator+(const int32& days) const;
    LibDate operator-(const int32& days) const;
    // Difference in days, this minus other.
    int32 operator-(const LibDate& other) const;
    int32 DaysSince(const LibDate& other) const;

    bool operator==(const LibDate& other) const { return fDayNumber == other.fDayNumber; }
    bool operator!=(const LibDate& other) const { return fDayNumber != other.fDayNumber; }
    bool operator<(const LibDate& other) const { return fDayNumber < other.fDayNumber; }
    bool operator<=(const LibDate& other) const { return fDayNumber <= other.fDayNumber; }
    bool operator>(const LibDate& other) const { return fDayNumber > other.fDayNumber; }
    bool operator>=(const LibDate& other) const { return fDayNumber >= other.fDayNumber; }

    // Weekday of the given day of this month and year (0: the own day).
    LibWeekDay DayOfWeek(const uint& day = 0) const;
    LibWeekDay DayOfWeek(const int& day) const { return DayOfWeek(uint(day < 0 ? 0 : day)); }
    // Weekday from a name's first letters, either case: "F" Friday, "M"
    // Monday, "SU" Sunday, other "S" Saturday, "TU" Tuesday, other "T"
    // Thursday, "W" Wednesday; anything else Sunday.
    static LibWeekDay DayOfWeek(const char* name);
    // Move to the next (previous) date on the weekday, 1..7 days away.
    void SetToNext(const LibWeekDay& day);
    void SetToPrev(const LibWeekDay& day);
    // The given day of this month (0: the own day) is a Saturday or Sunday.
    bool IsWeekEnd(uint day = 0) const;

    // Calendar rules: the Julian leap rule up to 1581, the Gregorian one
    // from 1582 on.
    static bool IsLeapYear(uint year);
    // 365 or 366; 0 stands for the own year.
    int32 DaysInYear(uint year = 0) const;
    int32 DaysInMonth() const;
    static int32 DaysInMonth(const uint& month, const uint& year);
    // Month 1..12 and day 1..days of that month.
    bool IsValidDate() const;
    // 1 for 1 January.
    int32 GetDayOfYear() const;

    // "LibDate: month/day/year (day number)" on standard error.
    void PrintToStream() const;

    // The conversions between dates and day numbers.
    static int32 DateToJulian(const int32& day, const int32& month, const int32& year);
    static void JulianToDate(const int32& dayNumber, int32& day, int32& month, int32& year);

protected:
    // Brings month, day and year into range and recomputes the day number.
    void CorrectDate();
    // Sets the fields from 64-bit values (clamped), then normalises.
    void SetFields(int64 day, int64 month, int64 year);

private:
    int32 fDayNumber;
    int32 fDay;
    int32 fMonth;
    int32 fYear;
};
