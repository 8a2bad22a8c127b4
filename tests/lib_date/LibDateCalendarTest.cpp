// Calendar arithmetic of LibDate: day numbers, the 1582 reform, leap rules,
// normalisation and weekdays, checked against the C library and against
// published Julian day numbers.
#include <LibDate.h>

#include <gtest/gtest.h>

#include <ctime>

namespace {

void ExpectDate(const LibDate& date, int day, int month, int year)
{
    EXPECT_EQ(date.GetDay(), day);
    EXPECT_EQ(date.GetMonth(), month);
    EXPECT_EQ(date.GetYear(), year);
}

} // namespace

// Every day from 1901 to 2100 against timegm()/gmtime(): the day number,
// the fields after a round trip, the weekday, and the day of the year.
TEST(LibDateCalendar, AgreesWithCLibraryFrom1901To2100)
{
    struct tm start = {};
    start.tm_mday = 1;
    start.tm_mon = 0;
    start.tm_year = 1;
    const time_t first = timegm(&start);
    const int32 epochDay = 2440587;
    int checked = 0;
    LibDate previous(1u, 1u, 1901u);
    --previous;
    for (time_t moment = first;; moment += 86400) {
        struct tm fields;
        ASSERT_NE(gmtime_r(&moment, &fields), nullptr);
        if (fields.tm_year + 1900 > 2100)
            break;
        const int day = fields.tm_mday, month = fields.tm_mon + 1, year = fields.tm_year + 1900;
        LibDate date{uint(day), uint(month), uint(year)};
        const int32 expectedNumber = int32(epochDay + moment / 86400);
        ASSERT_EQ(date.DayNumber(), expectedNumber) << year << "-" << month << "-" << day;
        ASSERT_EQ(LibDate::DateToJulian(day, month, year), expectedNumber);
        LibDate fromNumber(expectedNumber);
        ASSERT_EQ(fromNumber.GetDay(), day);
        ASSERT_EQ(fromNumber.GetMonth(), month);
        ASSERT_EQ(fromNumber.GetYear(), year);
        ASSERT_EQ(int(date.DayOfWeek()), fields.tm_wday) << year << "-" << month << "-" << day;
        ASSERT_EQ(date.GetDayOfYear(), fields.tm_yday + 1);
        ASSERT_TRUE(date.IsValidDate());
        ASSERT_EQ(date - previous, 1);
        ++previous;
        ASSERT_EQ(previous, date);
        ++checked;
    }
    EXPECT_EQ(checked, 73049);  // 200 years, 49 of them leap years
}

// Published (astronomical) Julian day numbers; the day number is one less.
TEST(LibDateCalendar, MatchesPublishedJulianDayNumbers)
{
    struct Known {
        int day, month, year;
        int32 julianDay;
    };
    const Known known[] = {
        {1, 1, 1, 1721424},        // first day of the era (Julian)
        {25, 12, 800, 2013617},    // Julian calendar
        {14, 10, 1066, 2110701},   // Julian calendar
        {12, 10, 1492, 2266296},   // Julian calendar
        {29, 2, 1500, 2268992},    // Julian leap day of a century year
        {4, 10, 1582, 2299160},    // last Julian day
        {15, 10, 1582, 2299161},   // first Gregorian day
        {1, 1, 1600, 2305448},
        {17, 11, 1858, 2400001},   // modified Julian day 0
        {1, 1, 1900, 2415021},
        {1, 1, 2000, 2451545},
    };
    for (const Known& k : known) {
        LibDate date{uint(k.day), uint(k.month), uint(k.year)};
        EXPECT_EQ(date.DayNumber(), k.julianDay - 1) << k.year << "-" << k.month << "-" << k.day;
        // Julian day 0 was a Monday, so (julian day + 1) mod 7 counts from Sunday.
        EXPECT_EQ(int(date.DayOfWeek()), (k.julianDay + 1) % 7) << k.year << "-" << k.month << "-" << k.day;
        LibDate back(k.julianDay - 1);
        ExpectDate(back, k.day, k.month, k.year);
    }
}

TEST(LibDateCalendar, ReformJoinsTheTwoCalendars)
{
    LibDate lastJulian(4u, 10u, 1582u);
    LibDate firstGregorian(15u, 10u, 1582u);
    EXPECT_EQ(firstGregorian - lastJulian, 1);
    EXPECT_EQ(lastJulian.DayOfWeek(), LIB_THURSDAY);
    EXPECT_EQ(firstGregorian.DayOfWeek(), LIB_FRIDAY);
    EXPECT_EQ(LibDate(14u, 10u, 1066u).DayOfWeek(), LIB_SATURDAY);
    ++lastJulian;
    ExpectDate(lastJulian, 15, 10, 1582);
    --lastJulian;
    ExpectDate(lastJulian, 4, 10, 1582);
    EXPECT_EQ(LibDate(int32(1970)).DayNumber(), 1970);  // the one-number constructor takes day numbers
    EXPECT_EQ(LibDate(1u, 1u, 1970u).DayNumber(), 2440587);
}

TEST(LibDateCalendar, LeapRulesChangeIn1582)
{
    EXPECT_TRUE(LibDate::IsLeapYear(1500));   // Julian: every fourth year
    EXPECT_TRUE(LibDate::IsLeapYear(1300));
    EXPECT_FALSE(LibDate::IsLeapYear(1581));
    EXPECT_FALSE(LibDate::IsLeapYear(1700));  // Gregorian century year
    EXPECT_FALSE(LibDate::IsLeapYear(1900));
    EXPECT_TRUE(LibDate::IsLeapYear(2000));
    EXPECT_TRUE(LibDate::IsLeapYear(2004));
    EXPECT_FALSE(LibDate::IsLeapYear(2001));
    EXPECT_EQ(LibDate::DaysInMonth(2u, 1900u), 28);
    EXPECT_EQ(LibDate::DaysInMonth(2u, 2000u), 29);
    EXPECT_EQ(LibDate::DaysInMonth(2u, 1500u), 29);
    EXPECT_EQ(LibDate::DaysInMonth(4u, 2001u), 30);
    EXPECT_EQ(LibDate::DaysInMonth(11u, 2001u), 30);
    EXPECT_EQ(LibDate::DaysInMonth(7u, 2001u), 31);

    LibDate date(10u, 2u, 2000u);
    EXPECT_EQ(date.DaysInYear(), 366);
    EXPECT_EQ(date.DaysInYear(1999), 365);
    EXPECT_EQ(date.DaysInMonth(), 29);
    EXPECT_EQ(LibDate(1u, 3u, 2000u).DaysSince(LibDate(28u, 2u, 2000u)), 2);
    EXPECT_EQ(LibDate(1u, 3u, 1900u).DaysSince(LibDate(28u, 2u, 1900u)), 1);
    EXPECT_EQ(LibDate(28u, 2u, 1900u) - LibDate(1u, 3u, 1900u), -1);
}

TEST(LibDateCalendar, NormalisesOutOfRangeFields)
{
    ExpectDate(LibDate(0u, 3u, 2001u), 28, 2, 2001);
    ExpectDate(LibDate(0u, 3u, 2000u), 29, 2, 2000);
    ExpectDate(LibDate(1u, 13u, 2001u), 1, 1, 2002);
    ExpectDate(LibDate(32u, 12u, 1999u), 1, 1, 2000);
    ExpectDate(LibDate(366u, 1u, 2001u), 1, 1, 2002);
    EXPECT_EQ(LibDate(1000000u, 1u, 2000u).DayNumber(), LibDate(1u, 1u, 2000u).DayNumber() + 999999);

    LibDate date(31u, 1u, 2001u);
    date.AddMonths(1);
    ExpectDate(date, 3, 3, 2001);
    date.SetDate(31u, 1u, 2000u);
    date.AddMonths(1);
    ExpectDate(date, 2, 3, 2000);
    date.SetDate(15u, 1u, 2000u);
    date.AddMonths(-1);
    ExpectDate(date, 15, 12, 1999);
    date.AddMonths(-25);
    ExpectDate(date, 15, 11, 1997);
    date.AddDays(-320);
    ExpectDate(date, 30, 12, 1996);
    date.AddYears(4);
    ExpectDate(date, 30, 12, 2000);
    date.SetDate(29u, 2u, 2000u);
    date.AddYears(1);
    ExpectDate(date, 1, 3, 2001);

    date.SetDate(10u, 6u, 2000u);
    date.SetDay(0);
    ExpectDate(date, 31, 5, 2000);
    date.SetMonth(14u);  // 31 February 2001
    ExpectDate(date, 3, 3, 2001);
    date.SetYear(2004);
    ExpectDate(date, 3, 3, 2004);
}

// Large steps skip whole years at once; they must give exactly what moving
// the day number gives, in either direction, in both calendars and across
// the missing year 0. (Across the 1582 reform the two differ by the ten
// dropped days, as stepping by month lengths does not know of them.)
TEST(LibDateCalendar, LargeDayCountsMatchDayNumberArithmetic)
{
    struct Step {
        uint day, month, year;
        int count;
    };
    const Step steps[] = {
        {15, 6, 1990, 400}, {15, 6, 1990, 1000}, {15, 6, 1990, 146097}, {15, 6, 1990, 3000000},
        {29, 2, 2000, -400}, {15, 6, 1990, -146097}, {1, 1, 1700, 146096}, {31, 12, 1999, -40000},
        {15, 3, 1100, 146100}, {15, 3, 1200, -146100}, {15, 3, 1100, 100000}, {1, 3, 300, -200000},
        {28, 2, uint(-2000), -500000}, {1, 1, uint(-3000), 700000},
    };
    for (const Step& step : steps) {
        LibDate start{step.day, step.month, step.year};
        LibDate byField(start);
        byField.AddDays(step.count);
        LibDate byNumber = start + step.count;
        SCOPED_TRACE(testing::Message() << int(step.year) << "-" << step.month << "-" << step.day << " + " << step.count);
        EXPECT_EQ(byField.DayNumber(), byNumber.DayNumber());
        EXPECT_EQ(byField.GetDay(), byNumber.GetDay());
        EXPECT_EQ(byField.GetMonth(), byNumber.GetMonth());
        EXPECT_EQ(byField.GetYear(), byNumber.GetYear());
    }
    LibDate acrossReform(1u, 10u, 1582u);
    acrossReform.AddDays(20);
    EXPECT_EQ(acrossReform.DayNumber(), LibDate(1u, 10u, 1582u).DayNumber() + 10);
}

TEST(LibDateCalendar, YearsBeforeOneSkipYearZero)
{
    LibDate date(1u, 1u, 1u);
    --date;
    ExpectDate(date, 31, 12, -1);
    date.AddDays(1);
    ExpectDate(date, 1, 1, 1);
    date.AddDays(-1);
    ExpectDate(date, 31, 12, -1);
    date.AddYears(1);
    ExpectDate(date, 31, 12, 1);
    date.SetDate(1u, 1u, 1u);
    date.AddMonths(-1);
    ExpectDate(date, 1, 12, -1);

    // The date of a day number survives the round trip over the whole range.
    const int32 numbers[] = {0, 1, 1721422, 1721423, -1, -1461, -1000000, -1824000000, 1827000000};
    for (int32 number : numbers) {
        LibDate fromNumber(number);
        EXPECT_TRUE(fromNumber.IsValidDate()) << number;
        EXPECT_NE(fromNumber.GetYear(), 0) << number;
        LibDate fromFields{uint(fromNumber.GetDay()), uint(fromNumber.GetMonth()), uint(fromNumber.GetYear())};
        EXPECT_EQ(fromFields.DayNumber(), number) << number;
    }
}

TEST(LibDateCalendar, ExtremeValuesStayInRange)
{
    LibDate date(1u, 1u, 2000u);
    date.AddYears(2147483647);
    EXPECT_EQ(date.GetYear(), LibDate::kMaxYear);
    EXPECT_TRUE(date.IsValidDate());
    date.AddDays(2147483647);
    EXPECT_TRUE(date.IsValidDate());
    EXPECT_EQ(date.GetYear(), LibDate::kMaxYear);
    date += 2147483647;
    EXPECT_TRUE(date.IsValidDate());
    date.SetDate(-2147483647 - 1);
    EXPECT_TRUE(date.IsValidDate());
    EXPECT_EQ(date.GetYear(), LibDate::kMinYear);
    date.AddDays(-2147483647 - 1);
    EXPECT_TRUE(date.IsValidDate());
    date.SetDate(4294967295u, 4294967295u, 4294967295u);  // -1/-1/-1
    EXPECT_TRUE(date.IsValidDate());
}

TEST(LibDateCalendar, WeekdaysAndWeekends)
{
    LibDate date(1u, 1u, 2000u);
    EXPECT_EQ(date.DayOfWeek(), LIB_SATURDAY);
    EXPECT_TRUE(date.IsWeekEnd());
    EXPECT_TRUE(date.IsWeekEnd(2));    // Sunday 2 January
    EXPECT_FALSE(date.IsWeekEnd(3));   // Monday 3 January
    EXPECT_EQ(date.DayOfWeek(31u), LIB_MONDAY);

    date.SetToNext(LIB_SATURDAY);
    ExpectDate(date, 8, 1, 2000);
    date.SetToNext(LIB_MONDAY);
    ExpectDate(date, 10, 1, 2000);
    date.SetToPrev(LIB_MONDAY);
    ExpectDate(date, 3, 1, 2000);
    date.SetToPrev(LIB_FRIDAY);
    ExpectDate(date, 31, 12, 1999);
    date.SetToPrev(LIB_SATURDAY);
    ExpectDate(date, 25, 12, 1999);

    EXPECT_EQ(LibDate::DayOfWeek("Friday"), LIB_FRIDAY);
    EXPECT_EQ(LibDate::DayOfWeek("mon"), LIB_MONDAY);
    EXPECT_EQ(LibDate::DayOfWeek("SUN"), LIB_SUNDAY);
    EXPECT_EQ(LibDate::DayOfWeek("sat"), LIB_SATURDAY);
    EXPECT_EQ(LibDate::DayOfWeek("S"), LIB_SATURDAY);
    EXPECT_EQ(LibDate::DayOfWeek("tu"), LIB_TUESDAY);
    EXPECT_EQ(LibDate::DayOfWeek("Thu"), LIB_THURSDAY);
    EXPECT_EQ(LibDate::DayOfWeek("w"), LIB_WEDNESDAY);
    EXPECT_EQ(LibDate::DayOfWeek("Xmas"), LIB_SUNDAY);
    EXPECT_EQ(LibDate::DayOfWeek(""), LIB_SUNDAY);
    EXPECT_EQ(LibDate::DayOfWeek(static_cast<const char*>(nullptr)), LIB_SUNDAY);

    struct tm fields = {};
    fields.tm_yday = 99;
    LibDate(14u, 9u, 2000u).GetDate(fields);
    EXPECT_EQ(fields.tm_mday, 14);
    EXPECT_EQ(fields.tm_mon, 8);
    EXPECT_EQ(fields.tm_year, 100);
    EXPECT_EQ(fields.tm_wday, 4);
    EXPECT_EQ(fields.tm_yday, 0);
}

TEST(LibDateCalendar, OperatorsMoveTheDayNumber)
{
    LibDate date(28u, 2u, 2000u);
    LibDate later = date + 2;
    ExpectDate(later, 1, 3, 2000);
    ExpectDate(later - 2, 28, 2, 2000);
    EXPECT_TRUE(later > date);
    EXPECT_TRUE(date < later);
    EXPECT_TRUE(date <= date);
    EXPECT_TRUE(later >= date);
    EXPECT_TRUE(date != later);
    LibDate copy = date++;
    ExpectDate(copy, 28, 2, 2000);
    ExpectDate(date, 29, 2, 2000);
    date -= 60;
    ExpectDate(date, 31, 12, 1999);
    date += 366;
    ExpectDate(date, 31, 12, 2000);
    EXPECT_EQ(date.GetDayOfYear(), 366);
}

TEST(LibDateCalendar, UnsetDateIsInvalidAndHarmless)
{
    LibDate date;
    EXPECT_FALSE(date.IsValidDate());
    EXPECT_EQ(date.DayNumber(), 0);
    date.AddDays(1);
    EXPECT_TRUE(date.IsValidDate());
}
