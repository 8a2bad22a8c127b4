// LibTime: normalisation, the readers, the clock in a known zone, the
// archived form and the diagnostic line.
#include "ScopedTimeZone.h"

#include <LibTime.h>
#include <Message.h>

#include <gtest/gtest.h>

namespace {

::testing::AssertionResult IsTime(const LibTime& time, int hours, int minutes, int seconds)
{
    if (time.GetHours() == hours && time.GetMinutes() == minutes && time.GetSeconds() == seconds)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << time.GetHours() << ":" << time.GetMinutes() << ":" << time.GetSeconds();
}

} // namespace

TEST(LibTime, NormalisesCarryingAndBorrowing)
{
    EXPECT_TRUE(IsTime(LibTime(0, 0, -60), 23, 59, 0));
    EXPECT_TRUE(IsTime(LibTime(25, 61, 61), 2, 2, 1));
    EXPECT_TRUE(IsTime(LibTime(0, 0, -1), 23, 59, 59));
    EXPECT_TRUE(IsTime(LibTime(0, -61, 0), 22, 59, 0));
    EXPECT_TRUE(IsTime(LibTime(-25, 0, 0), 23, 0, 0));
    EXPECT_TRUE(IsTime(LibTime(48, 0, 86399), 23, 59, 59));
    LibTime extreme(2147483647, 2147483647, 2147483647);
    EXPECT_GE(extreme.GetHours(), 0);
    EXPECT_LE(extreme.GetHours(), 23);
    EXPECT_LE(extreme.GetMinutes(), 59);
    EXPECT_LE(extreme.GetSeconds(), 59);

    LibTime time(23, 59, 59);
    time.AddSeconds(1);
    EXPECT_TRUE(IsTime(time, 0, 0, 0));
    time.AddMinutes(-1);
    EXPECT_TRUE(IsTime(time, 23, 59, 0));
    time.AddHours(26);
    EXPECT_TRUE(IsTime(time, 1, 59, 0));
    time.SetHours(-1);
    EXPECT_TRUE(IsTime(time, 23, 59, 0));
    time.SetMinutes(60);
    EXPECT_TRUE(IsTime(time, 0, 0, 0));
    time.SetSeconds(3661);
    EXPECT_TRUE(IsTime(time, 1, 1, 1));
    time.AddSeconds(2147483647);
    EXPECT_LE(time.GetHours(), 23);
}

TEST(LibTime, UnformattedTimesReadHoursAndMinutes)
{
    LibTime time(1, 2, 3);
    EXPECT_TRUE(time.SetUnformattedTime("9:5"));
    EXPECT_TRUE(IsTime(time, 9, 5, 0));
    EXPECT_TRUE(time.SetUnformattedTime("9"));
    EXPECT_TRUE(IsTime(time, 9, 0, 0));
    EXPECT_TRUE(time.SetUnformattedTime("23.45 pm"));
    EXPECT_TRUE(IsTime(time, 23, 45, 0));
    EXPECT_TRUE(time.SetUnformattedTime("10:30:99"));  // the seconds are ignored
    EXPECT_TRUE(IsTime(time, 10, 30, 0));
    EXPECT_TRUE(time.SetUnformattedTime("25:75"));     // normalised
    EXPECT_TRUE(IsTime(time, 2, 15, 0));

    const char* const bad[] = {"", "123:00", "1:234", ":30", "9:", "x", "10:30:123", " 9:30"};
    for (const char* text : bad) {
        LibTime unchanged(1, 2, 3);
        EXPECT_FALSE(unchanged.SetUnformattedTime(text)) << '"' << text << '"';
        EXPECT_TRUE(IsTime(unchanged, 1, 2, 3)) << '"' << text << '"';
    }
    EXPECT_FALSE(time.SetUnformattedTime(nullptr));
}

TEST(LibTime, OtherReaders)
{
    LibTime time;
    time.SetTime("12:34:56");
    EXPECT_TRUE(IsTime(time, 12, 34, 56));
    time.SetTime("7");
    EXPECT_TRUE(IsTime(time, 7, 0, 0));
    time.SetTime("07h05m");
    EXPECT_TRUE(IsTime(time, 7, 5, 0));
    time.SetTime(static_cast<const char*>(nullptr));
    EXPECT_TRUE(IsTime(time, 7, 5, 0));

    time.SetTime(1.5f);
    EXPECT_TRUE(IsTime(time, 1, 30, 0));
    time.SetTime(13.0625f);  // 13 h and 3.75 minutes
    EXPECT_TRUE(IsTime(time, 13, 3, 45));
    time.SetTime(-0.5f);
    EXPECT_TRUE(IsTime(time, 23, 30, 0));
    time.SetTime(1e30f);
    EXPECT_LE(time.GetHours(), 23);

    struct tm fields = {};
    fields.tm_hour = 15;
    fields.tm_min = 7;
    fields.tm_sec = 9;
    time.SetTime(&fields);
    EXPECT_TRUE(IsTime(time, 15, 7, 9));
    struct tm out = {};
    out.tm_mday = 3;
    time.GetTime(out);
    EXPECT_EQ(out.tm_hour, 15);
    EXPECT_EQ(out.tm_min, 7);
    EXPECT_EQ(out.tm_sec, 9);
    EXPECT_EQ(out.tm_mday, 3);

    EXPECT_EQ(time.NumberOfSeconds(), 15 * 3600 + 7 * 60 + 9);
    EXPECT_FLOAT_EQ(time.NumberOfMinutes(), 907.15f);
}

TEST(LibTime, ClockReadingsInAKnownZone)
{
    ScopedTimeZone zone("XST-5:30");  // 5 h 30 min east of UTC, no daylight saving
    // 2000-09-14 15:07:09 UTC
    const int32 clock = 968944029;
    LibTime local;
    local.SetTime(clock, true);
    EXPECT_TRUE(IsTime(local, 20, 37, 9));
    LibTime utc;
    utc.SetTime(clock, false);
    EXPECT_TRUE(IsTime(utc, 15, 7, 9));
    EXPECT_EQ(LibTime::TimeZone(1), 19800);
    EXPECT_EQ(LibTime::TimeZone(2), 330);
    EXPECT_EQ(LibTime::TimeZone(3), 5);

    ScopedTimeZone west("YST8");
    EXPECT_EQ(LibTime::TimeZone(), -8 * 3600);
    LibTime nowUtc(true, false);
    LibTime nowLocal(true, true);
    const int32 difference = (nowUtc - nowLocal).NumberOfSeconds();
    EXPECT_NEAR(difference, 8 * 3600, 2);  // the clock may tick between the readings
}

TEST(LibTime, DifferenceAndComparisons)
{
    EXPECT_TRUE(IsTime(LibTime(10, 0, 0) - LibTime(8, 30, 15), 1, 29, 45));
    EXPECT_TRUE(IsTime(LibTime(1, 0, 0) - LibTime(2, 0, 0), 23, 0, 0));
    EXPECT_TRUE(LibTime(10, 0, 0) > LibTime(9, 59, 59));
    EXPECT_TRUE(LibTime(10, 0, 1) >= LibTime(10, 0, 0));
    EXPECT_TRUE(LibTime(9, 59, 0) < LibTime(9, 59, 1));
    EXPECT_TRUE(LibTime(9, 59, 0) <= LibTime(9, 59, 0));
    EXPECT_TRUE(LibTime(9, 59, 0) == LibTime(9, 59, 0));
    EXPECT_TRUE(LibTime(9, 59, 0) != LibTime(9, 58, 0));
    EXPECT_TRUE(LibTime(1, 0, 0) > LibTime(0, 59, 59));
}

TEST(LibTime, ArchiveAndPrint)
{
    BMessage archive;
    ASSERT_EQ(LibTime(15, 7, 9).Archive(archive), B_OK);
    int32 value = 0;
    EXPECT_EQ(archive.FindInt32("hours", 0, &value), B_OK);
    EXPECT_EQ(value, 15);
    EXPECT_EQ(archive.FindInt32("minutes", 0, &value), B_OK);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(archive.FindInt32("seconds", 0, &value), B_OK);
    EXPECT_EQ(value, 9);
    LibTime restored;
    ASSERT_EQ(restored.Restore(archive), B_OK);
    EXPECT_TRUE(IsTime(restored, 15, 7, 9));

    BMessage partial;
    partial.AddInt32("hours", 3);
    LibTime untouched(1, 2, 3);
    EXPECT_NE(untouched.Restore(partial), B_OK);
    EXPECT_TRUE(IsTime(untouched, 1, 2, 3));

    BMessage outOfRange;
    outOfRange.AddInt32("hours", 30);
    outOfRange.AddInt32("minutes", -1);
    outOfRange.AddInt32("seconds", 0);
    ASSERT_EQ(restored.Restore(outOfRange), B_OK);
    EXPECT_TRUE(IsTime(restored, 5, 59, 0));

    testing::internal::CaptureStderr();
    LibTime(3, 7, 9).PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Time: 03:07:09\n");
}
