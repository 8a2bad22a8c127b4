#include "LibDate.h"

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

const char* const kEnglishMonths[12] = {"January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December"};

// Day number of 15 October 1582, the first Gregorian date.
const int32 kReformDayNumber = 2299160;
// Day numbers from 0 on (1 January 4713 BC) come straight from the
// conversion formulas; earlier ones are taken from a date a whole number of
// four-year cycles (1461 days) later, so that both directions stay exact.
const int32 kCycleDays = 1461;
const int32 kFirstDirectYear = -4713;

// Years are counted without a year 0. For carrying across it, years are
// mapped to a continuous count (1 BC is 0, 2 BC is -1) and back.
int64 ToContinuous(int64 year)
{
    return year < 0 ? year + 1 : year;
}

int64 FromContinuous(int64 year)
{
    return year <= 0 ? year - 1 : year;
}

int64 NextYear(int64 year)
{
    return year == -1 ? 1 : year + 1;
}

int64 PreviousYear(int64 year)
{
    return year == 1 ? -1 : year - 1;
}

bool IsLeap(int64 year)
{
    if (year <= 1581)
        return year % 4 == 0;
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

int64 MonthDays(int64 month, int64 year)
{
    switch (month) {
    case 2: return IsLeap(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    default: return 31;
    }
}

int64 YearDays(int64 year)
{
    return IsLeap(year) ? 366 : 365;
}

// The conversion formulas for dates from 1 January 4713 BC on.
int64 DirectDateToJulian(int64 day, int64 month, int64 year)
{
    if (year == 0)
        return 0;
    const int64 civilYear = year;
    if (year < 0)
        year += 1;
    int64 y = year, m = month;
    if (month <= 2) {
        y = year - 1;
        m = month + 12;
    }
    int64 n = int64(365.25 * double(y)) + int64(30.6001 * double(m + 1)) + day + 1720994;
    const bool gregorian = civilYear > 1582 || (civilYear == 1582 && (month > 10 || (month == 10 && day >= 15)));
    if (gregorian) {
        const int64 a = y / 100;
        n = n + 2 - a + a / 4;
    }
    return n;
}

void DirectJulianToDate(int64 dayNumber, int32& day, int32& month, int32& year)
{
    int64 j = dayNumber + 1;
    if (j > kReformDayNumber) {
        const int64 alpha = int64((double(j) - 1867216.25) / 36524.25);
        j = j + 1 + alpha - alpha / 4;
    }
    const int64 b = j <= 1721423 ? j + 1158 : j + 1524;
    const int64 c = int64((double(b) - 122.1) / 365.25);
    const int64 d = int64(365.25 * double(c));
    const int64 e = int64(double(b - d) / 30.6001);
    day = int32(b - d - int64(30.6001 * double(e)));
    month = int32(e < 14 ? e - 1 : e - 13);
    year = int32(c - 4715);
    if (month > 2)
        year -= 1;
}

int64 WideDateToJulian(int64 day, int64 month, int64 year)
{
    if (year != 0 && year < kFirstDirectYear) {
        const int64 cycles = (kFirstDirectYear - year + 3) / 4;
        return DirectDateToJulian(day, month, year + 4 * cycles) - kCycleDays * cycles;
    }
    return DirectDateToJulian(day, month, year);
}

int32 ClampDayNumber(int64 dayNumber)
{
    static const int64 kLowest = WideDateToJulian(1, 1, LibDate::kMinYear);
    static const int64 kHighest = WideDateToJulian(31, 12, LibDate::kMaxYear);
    return int32(std::clamp(dayNumber, kLowest, kHighest));
}

} // namespace

LibDate::LibDate(const uint& day, const uint& month, const uint& year)
    : fDayNumber(0), fDay(0), fMonth(0), fYear(0)
{
    SetDate(day, month, year);
}

LibDate::LibDate(const int32& dayNumber)
    : fDayNumber(0), fDay(0), fMonth(0), fYear(0)
{
    SetDate(dayNumber);
}

LibDate::LibDate(const bool& today, const bool& local)
    : fDayNumber(0), fDay(0), fMonth(0), fYear(0)
{
    if (today)
        SetToday(local);
}

LibDate::~LibDate() = default;

status_t LibDate::Archive(BMessage& archive) const
{
    return archive.AddInt32("date", fDayNumber);
}

status_t LibDate::Restore(const BMessage& archive)
{
    int32 dayNumber;
    status_t status = archive.FindInt32("date", 0, &dayNumber);
    if (status == B_OK)
        SetDate(dayNumber);
    return status;
}

int32 LibDate::DateToJulian(const int32& day, const int32& month, const int32& year)
{
    return ClampDayNumber(WideDateToJulian(day, month, year));
}

void LibDate::JulianToDate(const int32& dayNumber, int32& day, int32& month, int32& year)
{
    int64 number = dayNumber;
    if (number < 0) {
        const int64 cycles = (-number + kCycleDays - 1) / kCycleDays;
        DirectJulianToDate(number + kCycleDays * cycles, day, month, year);
        year = int32(year - 4 * cycles);
        return;
    }
    DirectJulianToDate(number, day, month, year);
}

void LibDate::SetDate(const uint& day, const uint& month, const uint& year)
{
    // The unsigned arguments carry negative values as their two's
    // complement; the fields are signed.
    SetFields(int32(day), int32(month), int32(year));
}

void LibDate::SetDate(const int32& dayNumber)
{
    fDayNumber = ClampDayNumber(dayNumber);
    JulianToDate(fDayNumber, fDay, fMonth, fYear);
}

void LibDate::SetDate(const char* text)
{
    if (text == nullptr)
        return;
    const size_t length = std::strlen(text);
    const int64 month = length > 0 ? ReadField(text, std::min<size_t>(length, 2)) : 0;
    const int64 day = length > 3 ? ReadField(text + 3, std::min<size_t>(length - 3, 2)) : 0;
    const int64 year = length > 6 ? ReadField(text + 6, length - 6) : 0;
    SetFields(day, month, year);
}

void LibDate::SetDate(const struct tm* fields)
{
    if (fields == nullptr)
        return;
    const int64 value = fields->tm_year;
    const int64 year = value < 0 ? 1900 + value : value <= 50 ? 2000 + value : 1900 + value;
    SetFields(fields->tm_mday, int64(fields->tm_mon) + 1, year);
}

bool LibDate::SetUnformattedDate(const char* text)
{
    if (text == nullptr)
        return false;
    // Parts: 0 month, 1 day, 2 year; digits collect into the current part
    // and any other character ends it. The text is read as if "/" followed.
    int64 values[3] = {0, 0, 0};
    int digitCounts[3] = {0, 0, 0};
    int part = 0;
    int64 value = 0;
    int digits = 0;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i <= length; ++i) {
        const char c = i < length ? text[i] : '/';
        if (c >= '0' && c <= '9') {
            if (digits < 9)
                value = value * 10 + (c - '0');
            ++digits;
            if (part >= 3 && digits > 4)
                return false;
            continue;
        }
        if (part < 3) {
            if (part < 2 ? (digits == 0 || digits > 2) : (digits == 1 || digits == 3 || digits > 4))
                return false;
            values[part] = value;
            digitCounts[part] = digits;
            ++part;
        }
        value = 0;
        digits = 0;
    }
    const int64 month = part > 0 ? values[0] : 1;
    const int64 day = part > 1 ? values[1] : 1;
    int64 year = fYear;
    if (part > 2 && digitCounts[2] == 4)
        year = values[2];
    else if (part > 2 && digitCounts[2] == 2)
        year = int64(fYear) / 100 * 100 + values[2];
    SetFields(day, month, year);
    return true;
}

void LibDate::SetToday(const bool& local)
{
    struct tm fields;
    lib_date::BreakDown(time(nullptr), local, fields);
    SetFields(fields.tm_mday, int64(fields.tm_mon) + 1, int64(fields.tm_year) + 1900);
}

void LibDate::SetDay(const uint& day)
{
    SetFields(int32(day), fMonth, fYear);
}

void LibDate::SetMonth(const uint& month)
{
    SetFields(fDay, int32(month), fYear);
}

bool LibDate::SetMonth(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    const size_t length = std::strlen(name);
    for (int32 i = 0; i < 12; i++) {
        if (std::strncmp(kEnglishMonths[i], name, length) == 0) {
            SetFields(fDay, i + 1, fYear);
            return true;
        }
    }
    return false;
}

void LibDate::SetYear(const uint& year)
{
    SetFields(fDay, fMonth, int32(year));
}

void LibDate::GetDate(struct tm& fields) const
{
    fields.tm_mday = fDay;
    fields.tm_mon = fMonth - 1;
    fields.tm_year = fYear - 1900;
    fields.tm_wday = DayOfWeek();
    fields.tm_yday = 0;
}

void LibDate::AddDays(const int& days)
{
    SetFields(int64(fDay) + days, fMonth, fYear);
}

void LibDate::AddMonths(const int& months)
{
    SetFields(fDay, int64(fMonth) + months, fYear);
}

void LibDate::AddYears(const int& years)
{
    int64 year = fYear;
    if (year != 0)
        year = FromContinuous(ToContinuous(year) + years);
    else
        year += years;
    SetFields(fDay, fMonth, year);
}

LibDate& LibDate::operator++()
{
    SetDate(int32(std::min<int64>(int64(fDayNumber) + 1, INT32_MAX)));
    return *this;
}

LibDate LibDate::operator++(int)
{
    LibDate previous(*this);
    ++*this;
    return previous;
}

LibDate& LibDate::operator--()
{
    SetDate(int32(std::max<int64>(int64(fDayNumber) - 1, INT32_MIN)));
    return *this;
}

LibDate LibDate::operator--(int)
{
    LibDate previous(*this);
    --*this;
    return previous;
}

LibDate& LibDate::operator+=(const int32& days)
{
    fDayNumber = ClampDayNumber(int64(fDayNumber) + days);
    JulianToDate(fDayNumber, fDay, fMonth, fYear);
    return *this;
}

LibDate& LibDate::operator-=(const int32& days)
{
    fDayNumber = ClampDayNumber(int64(fDayNumber) - days);
    JulianToDate(fDayNumber, fDay, fMonth, fYear);
    return *this;
}

LibDate LibDate::operator+(const int32& days) const
{
    LibDate result(*this);
    result += days;
    return result;
}

LibDate LibDate::operator-(const int32& days) const
{
    LibDate result(*this);
    result -= days;
    return result;
}

int32 LibDate::operator-(const LibDate& other) const
{
    return DaysSince(other);
}

int32 LibDate::DaysSince(const LibDate& other) const
{
    // Day numbers lie within about ±1.83e9, so the difference of two of
    // them can exceed 32 bits only between the extreme ends of the range.
    return int32(std::clamp<int64>(int64(fDayNumber) - other.fDayNumber, INT32_MIN, INT32_MAX));
}

LibWeekDay LibDate::DayOfWeek(const uint& day) const
{
    const int64 d = day == 0 ? fDay : int64(day);
    const int64 month = fMonth;
    const int64 year = fYear;
    const bool gregorian = year > 1582 || (year == 1582 && (month > 10 || (month == 10 && d >= 15)));
    if (gregorian && month >= 1 && month <= 12) {
        // Zeller's congruence for the Gregorian calendar, Sunday = 0.
        const int64 m = month >= 3 ? month - 2 : month + 10;
        const int64 y = month >= 3 ? year : year - 1;
        const int64 century = y / 100;
        const int64 yearOfCentury = y % 100;
        int64 w = (d + (26 * m - 2) / 10 + yearOfCentury + yearOfCentury / 4 + century / 4 - 2 * century) % 7;
        if (w < 0)
            w += 7;
        return LibWeekDay(w);
    }
    // Before the reform (and for years without a calendar) the weekday
    // follows from the day number: its Julian day number modulo 7 counts
    // from Monday.
    return LibWeekDay(FloorMod(WideDateToJulian(d, month, year) + 2, 7));
}

LibWeekDay LibDate::DayOfWeek(const char* name)
{
    if (name == nullptr)
        return LIB_SUNDAY;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    const char first = upper(name[0]);
    const char second = first != '\0' ? upper(name[1]) : '\0';
    switch (first) {
    case 'F': return LIB_FRIDAY;
    case 'M': return LIB_MONDAY;
    case 'S': return second == 'U' ? LIB_SUNDAY : LIB_SATURDAY;
    case 'T': return second == 'U' ? LIB_TUESDAY : LIB_THURSDAY;
    case 'W': return LIB_WEDNESDAY;
    default: return LIB_SUNDAY;
    }
}

void LibDate::SetToNext(const LibWeekDay& day)
{
    int32 distance = int32(FloorMod(int64(day) - DayOfWeek(), 7));
    *this += distance == 0 ? 7 : distance;
}

void LibDate::SetToPrev(const LibWeekDay& day)
{
    int32 distance = int32(FloorMod(int64(DayOfWeek()) - day, 7));
    *this -= distance == 0 ? 7 : distance;
}

bool LibDate::IsWeekEnd(uint day) const
{
    const LibWeekDay weekday = DayOfWeek(day);
    return weekday == LIB_SATURDAY || weekday == LIB_SUNDAY;
}

bool LibDate::IsLeapYear(uint year)
{
    return IsLeap(int32(year));
}

int32 LibDate::DaysInYear(uint year) const
{
    return int32(YearDays(year == 0 ? fYear : int32(year)));
}

int32 LibDate::DaysInMonth() const
{
    return int32(MonthDays(fMonth, fYear));
}

int32 LibDate::DaysInMonth(const uint& month, const uint& year)
{
    return int32(MonthDays(int32(month), int32(year)));
}

bool LibDate::IsValidDate() const
{
    return fMonth >= 1 && fMonth <= 12 && fDay >= 1 && fDay <= MonthDays(fMonth, fYear);
}

int32 LibDate::GetDayOfYear() const
{
    int64 day = fDay;
    for (int64 month = 1; month < fMonth && month <= 12; month++)
        day += MonthDays(month, fYear);
    return int32(day);
}

void LibDate::PrintToStream() const
{
    fprintf(stderr, "LibDate: %d/%d/%d (%ld)\n", int(fMonth), int(fDay), int(fYear), long(fDayNumber));
}

void LibDate::CorrectDate()
{
    SetFields(fDay, fMonth, fYear);
}

void LibDate::SetFields(int64 day, int64 month, int64 year)
{
    // Month into 1..12, moving whole years.
    if (month < 1 || month > 12) {
        const int64 carry = FloorDiv(month - 1, 12);
        month = FloorMod(month - 1, 12) + 1;
        year = year == 0 ? year + carry : FromContinuous(ToContinuous(year) + carry);
    }
    year = std::clamp<int64>(year, kMinYear, kMaxYear);

    // Day into its month. Whole stretches of 400 and of 12 months are
    // skipped at once; they give the same result as stepping month by month.
    while (day > 366) {
        const int64 stride400 = year >= 1582 ? 146097
            : ((year >= 1 && year + 400 <= 1581) || year + 400 <= -1) ? 146100
                                                                       : 0;
        if (stride400 != 0 && day > stride400 + 366 && year + 400 <= kMaxYear) {
            day -= stride400;
            year += 400;
            continue;
        }
        const int64 span = YearDays(month <= 2 ? year : NextYear(year));
        if (day <= span || year >= kMaxYear)
            break;
        day -= span;
        year = NextYear(year);
    }
    while (day < -366) {
        const int64 stride400 = year - 400 >= 1582 ? 146097
            : ((year - 400 >= 1 && year <= 1581) || year <= -1) ? 146100
                                                                 : 0;
        if (stride400 != 0 && day < -stride400 - 366 && year - 400 >= kMinYear) {
            day += stride400;
            year -= 400;
            continue;
        }
        const int64 span = YearDays(month > 2 ? year : PreviousYear(year));
        if (year <= kMinYear)
            break;
        day += span;
        year = PreviousYear(year);
    }
    while (day > MonthDays(month, year)) {
        if (month == 12 && year >= kMaxYear) {
            day = 31;
            break;
        }
        day -= MonthDays(month, year);
        if (++month > 12) {
            month = 1;
            year = NextYear(year);
        }
    }
    while (day <= 0) {
        if (month == 1 && year <= kMinYear) {
            day = 1;
            break;
        }
        if (--month < 1) {
            month = 12;
            year = PreviousYear(year);
        }
        day += MonthDays(month, year);
    }

    fDay = int32(day);
    fMonth = int32(month);
    fYear = int32(year);
    fDayNumber = DateToJulian(fDay, fMonth, fYear);
}
