// LibDate readers (typed dates, fixed layouts, tm, month names), the
// archived form, the clock and the diagnostic line.
#include <LibDate.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

::testing::AssertionResult IsDate(const LibDate& date, int day, int month, int year)
{
    if (date.GetDay() == day && date.GetMonth() == month && date.GetYear() == year)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << date.GetMonth() << "/" << date.GetDay() << "/" << date.GetYear()
                                         << " instead of " << month << "/" << day << "/" << year;
}

} // namespace

TEST(LibDateText, UnformattedDatesReadMonthDayYear)
{
    LibDate date(1u, 1u, 2000u);
    EXPECT_TRUE(date.SetUnformattedDate("12/25/99"));
    EXPECT_TRUE(IsDate(date, 25, 12, 2099));  // century of the object's year
    EXPECT_TRUE(date.SetUnformattedDate("7/4"));
    EXPECT_TRUE(IsDate(date, 4, 7, 2099));
    EXPECT_TRUE(date.SetUnformattedDate("12"));
    EXPECT_TRUE(IsDate(date, 1, 12, 2099));
    EXPECT_TRUE(date.SetUnformattedDate("3-15-1999"));
    EXPECT_TRUE(IsDate(date, 15, 3, 1999));
    EXPECT_TRUE(date.SetUnformattedDate("02.29.2000 and some words"));
    EXPECT_TRUE(IsDate(date, 29, 2, 2000));
    EXPECT_TRUE(date.SetUnformattedDate("1/31/"));  // empty year: the object's year
    EXPECT_TRUE(IsDate(date, 31, 1, 2000));
    EXPECT_TRUE(date.SetUnformattedDate("2/30/2001"));  // normalised
    EXPECT_TRUE(IsDate(date, 2, 3, 2001));
    EXPECT_TRUE(date.SetUnformattedDate("1/1/2000 1234"));  // four digits after the year are allowed...
    EXPECT_TRUE(IsDate(date, 1, 1, 2000));
    EXPECT_TRUE(date.SetUnformattedDate("5/6/2001 x 12:30"));
    EXPECT_TRUE(IsDate(date, 6, 5, 2001));
}

TEST(LibDateText, UnformattedDatesRejectBadParts)
{
    const char* const bad[] = {
        "", "1/2/3", "1/2/200", "1/2/20000", "123/1/2000", "1/123/2000", "/1/2000", "1//2000", " 1/1/2000",
        "a", "1/1/2000 123456",  // ...a run of more than four is refused
        "99999999999999999999/1",
    };
    for (const char* text : bad) {
        LibDate date(14u, 9u, 2000u);
        EXPECT_FALSE(date.SetUnformattedDate(text)) << '"' << text << '"';
        EXPECT_TRUE(IsDate(date, 14, 9, 2000)) << '"' << text << '"';
    }
    LibDate date(14u, 9u, 2000u);
    EXPECT_FALSE(date.SetUnformattedDate(nullptr));
}

TEST(LibDateText, FixedLayoutReadsColumns)
{
    LibDate date(1u, 1u, 2000u);
    date.SetDate("12/25/1999");
    EXPECT_TRUE(IsDate(date, 25, 12, 1999));
    date.SetDate("01-02-2003 trailing");
    EXPECT_TRUE(IsDate(date, 2, 1, 2003));
    date.SetDate("7/ 4/ 76");  // columns hold blanks, the year is not widened
    EXPECT_TRUE(IsDate(date, 4, 7, 76));
    date.SetDate("0");  // day and month 0: 30 November of year -1
    EXPECT_TRUE(IsDate(date, 30, 11, -1));
    date.SetDate("12/25/2000");
    date.SetDate(static_cast<const char*>(nullptr));
    EXPECT_TRUE(IsDate(date, 25, 12, 2000));
    date.SetDate("03/04/99999999999999999999");  // the year saturates, then is clamped
    EXPECT_EQ(date.GetYear(), LibDate::kMaxYear);
    EXPECT_TRUE(date.IsValidDate());
}

TEST(LibDateText, TmYearsUpTo50CountInThe2000s)
{
    struct tm fields = {};
    fields.tm_mday = 14;
    fields.tm_mon = 8;
    fields.tm_year = 100;
    LibDate date;
    date.SetDate(&fields);
    EXPECT_TRUE(IsDate(date, 14, 9, 2000));
    fields.tm_year = 51;
    date.SetDate(&fields);
    EXPECT_TRUE(IsDate(date, 14, 9, 1951));
    fields.tm_year = 50;
    date.SetDate(&fields);
    EXPECT_TRUE(IsDate(date, 14, 9, 2050));
    fields.tm_year = 5;
    date.SetDate(&fields);
    EXPECT_TRUE(IsDate(date, 14, 9, 2005));
    fields.tm_year = -10;
    date.SetDate(&fields);
    EXPECT_TRUE(IsDate(date, 14, 9, 1890));
}

TEST(LibDateText, MonthNamesMatchTheirBeginning)
{
    LibDate date(10u, 1u, 2000u);
    EXPECT_TRUE(date.SetMonth("Ju"));
    EXPECT_EQ(date.GetMonth(), 6);
    EXPECT_FALSE(date.SetMonth("ju"));
    EXPECT_EQ(date.GetMonth(), 6);
    EXPECT_TRUE(date.SetMonth("December"));
    EXPECT_EQ(date.GetMonth(), 12);
    EXPECT_FALSE(date.SetMonth("Decembers"));
    EXPECT_FALSE(date.SetMonth(""));
    EXPECT_FALSE(date.SetMonth(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(date.SetMonth("Feb"));
    EXPECT_TRUE(IsDate(date, 10, 2, 2000));
    EXPECT_TRUE(date.SetMonth("Jan"));
    date.SetDay(30);
    EXPECT_TRUE(date.SetMonth("Apr"));
    EXPECT_TRUE(IsDate(date, 30, 4, 2000));
}

TEST(LibDateText, ArchiveKeepsTheDayNumber)
{
    BMessage archive;
    LibDate date(14u, 9u, 2000u);
    ASSERT_EQ(date.Archive(archive), B_OK);
    int32 stored = 0;
    ASSERT_EQ(archive.FindInt32("date", 0, &stored), B_OK);
    EXPECT_EQ(stored, date.DayNumber());

    LibDate restored;
    ASSERT_EQ(restored.Restore(archive), B_OK);
    EXPECT_TRUE(IsDate(restored, 14, 9, 2000));

    BMessage empty;
    LibDate untouched(1u, 2u, 2003u);
    EXPECT_NE(untouched.Restore(empty), B_OK);
    EXPECT_TRUE(IsDate(untouched, 1, 2, 2003));

    BMessage wrongType;
    wrongType.AddString("date", "2451802");
    EXPECT_NE(untouched.Restore(wrongType), B_OK);
    EXPECT_TRUE(IsDate(untouched, 1, 2, 2003));
}

TEST(LibDateText, PrintsMonthDayYearAndNumber)
{
    testing::internal::CaptureStderr();
    LibDate(14u, 9u, 2000u).PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LibDate: 9/14/2000 (2451801)\n");
}

TEST(LibDateText, TodayComesFromTheClock)
{
    const time_t before = time(nullptr);
    LibDate utc(true, false);
    LibDate local(true, true);
    const time_t after = time(nullptr);
    struct tm fields;
    bool matched = false;
    for (time_t moment : {before, after}) {
        gmtime_r(&moment, &fields);
        if (utc.GetDay() == fields.tm_mday && utc.GetMonth() == fields.tm_mon + 1
            && utc.GetYear() == fields.tm_year + 1900)
            matched = true;
    }
    EXPECT_TRUE(matched);
    localtime_r(&after, &fields);
    EXPECT_LE(std::abs(local.DaysSince(utc)), 1);
}
