// LibDateTime: carrying days, clock values in known zones, the ISO form,
// free-form text, comparisons and the archived form.
#include "ScopedTimeZone.h"

#include <LibDateTime.h>
#include <LibString.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const LibDateTime& value)
{
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%d-%02d-%02d %02d:%02d:%02d", int(value.GetYear()), int(value.GetMonth()),
        int(value.GetDay()), int(value.GetHours()), int(value.GetMinutes()), int(value.GetSeconds()));
    return buffer;
}

} // namespace

TEST(LibDateTime, AddingCarriesAndBorrowsWholeDays)
{
    LibDateTime value(31u, 12u, 2000u);
    EXPECT_EQ(Text(value), "2000-12-31 00:00:00");
    value.AddSeconds(86399);
    EXPECT_EQ(Text(value), "2000-12-31 23:59:59");
    value.AddSeconds(1);
    EXPECT_EQ(Text(value), "2001-01-01 00:00:00");
    value.AddSeconds(-1);
    EXPECT_EQ(Text(value), "2000-12-31 23:59:59");
    value.AddMinutes(-1440 * 366);
    EXPECT_EQ(Text(value), "1999-12-31 23:59:59");
    value.AddHours(24 * 60 + 1);
    EXPECT_EQ(Text(value), "2000-03-01 00:59:59");
    value.AddHours(-1);
    value.AddSeconds(1);
    EXPECT_EQ(Text(value), "2000-03-01 00:00:00");
    value.AddMinutes(-1);
    EXPECT_EQ(Text(value), "2000-02-29 23:59:00");

    // Seconds since 1970 added to its first moment give the UTC date.
    LibDateTime stamp(1u, 1u, 1970u);
    stamp.AddSeconds(968944029);
    EXPECT_EQ(Text(stamp), "2000-09-14 15:07:09");
    LibDateTime before(1u, 1u, 1970u);
    before.AddSeconds(-1);
    EXPECT_EQ(Text(before), "1969-12-31 23:59:59");
    LibDateTime far(1u, 1u, 1970u);
    far.AddSeconds(2147483647);
    EXPECT_EQ(Text(far), "2038-01-19 03:14:07");
    far.AddHours(2147483647);
    EXPECT_TRUE(far.IsValidDate());
}

TEST(LibDateTime, ClockValuesLocalAndUtc)
{
    ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    LibDateTime value;
    value.SetDateTime(968944029, false);  // 2000-09-14 15:07:09 UTC
    EXPECT_EQ(Text(value), "2000-09-14 15:07:09");
    value.SetDateTime(968944029, true);   // daylight-saving time, UTC-4
    EXPECT_EQ(Text(value), "2000-09-14 11:07:09");
    value.SetDateTime(946684800, true);   // 2000-01-01 00:00:00 UTC, standard time
    EXPECT_EQ(Text(value), "1999-12-31 19:00:00");
    value.SetDateTime(-86400, false);
    EXPECT_EQ(Text(value), "1969-12-31 00:00:00");

    // The time of a clock value without local, applied to a date-time, moves
    // the date along with the zone offset.
    LibDateTime moved(31u, 12u, 1999u);
    moved.SetTime(int32(946684800 + 3600), false);  // local 20:00 on 31 December
    EXPECT_EQ(Text(moved), "2000-01-01 01:00:00");
}

TEST(LibDateTime, NowIsOneReadingOfTheClock)
{
    // West of UTC late in the evening the UTC date is already tomorrow;
    // both parts must come from the same reading.
    ScopedTimeZone zone("ZZZ10");
    for (bool local : {false, true}) {
        const time_t before = time(nullptr);
        LibDateTime now(local);
        const time_t after = time(nullptr);
        bool matched = false;
        for (time_t moment = before; moment <= after; ++moment) {
            LibDateTime expected;
            expected.SetDateTime(int32(moment), local);
            if (expected == now)
                matched = true;
        }
        EXPECT_TRUE(matched) << Text(now);
        LibDateTime again;
        again.SetNow(local);
        EXPECT_LE(again.DaysSince(now), 1);
    }
}

TEST(LibDateTime, IsoFormRoundTrips)
{
    LibDateTime value(31u, 12u, 2000u);
    value.SetTime(23, 59, 59);
    LibString text;
    value.GetIso8601(text, 0);
    EXPECT_STREQ(text, "D20001231T235959");
    LibDateTime restored;
    EXPECT_TRUE(restored.SetIso8601(text, 0));
    EXPECT_EQ(restored, value);

    // With a zone the text holds UTC and ends in "Z"; reading it back with
    // the same zone gives the local value again.
    value.GetIso8601(text, 2);
    EXPECT_STREQ(text, "D20001231T215959Z");
    value.GetIso8601(text, -3);
    EXPECT_STREQ(text, "D20010101T025959Z");
    EXPECT_TRUE(restored.SetIso8601(text, -3));
    EXPECT_EQ(Text(restored), "2000-12-31 23:59:59");

    // All date fields are set together: the old day does not push the month.
    LibDateTime late(31u, 1u, 2000u);
    EXPECT_TRUE(late.SetIso8601(LibString("D20000415T120000"), 0));
    EXPECT_EQ(Text(late), "2000-04-15 12:00:00");
    EXPECT_TRUE(late.SetIso8601(LibString("D20010229T250000"), 0));  // normalised
    EXPECT_EQ(Text(late), "2001-03-01 01:00:00");
    EXPECT_TRUE(late.SetIso8601(LibString("D20000101T0000005"), 0));  // no "Z": no zone
    EXPECT_EQ(Text(late), "2000-01-01 00:00:00");
    EXPECT_TRUE(late.SetIso8601(LibString("D20000101T123456"), 0));
    EXPECT_TRUE(late.SetIso8601(LibString("D20000101T12345"), 0));  // 15 characters: seconds "5"
    EXPECT_EQ(Text(late), "2000-01-01 12:34:05");

    EXPECT_TRUE(late.SetIso8601(LibString("D2000-231T235959"), 0));  // month -2: October 1999
    EXPECT_EQ(Text(late), "1999-10-31 23:59:59");

    const char* const bad[] = {"", "D2000", "D20001231T2359", "Dabcd1231T235959", "D20001231T23 959",
        "D2000123xT235959"};
    for (const char* badText : bad) {
        LibDateTime untouched(14u, 9u, 2000u);
        EXPECT_FALSE(untouched.SetIso8601(LibString(badText), 0)) << '"' << badText << '"';
        EXPECT_EQ(Text(untouched), "2000-09-14 00:00:00") << '"' << badText << '"';
    }
}

TEST(LibDateTime, FreeFormTextIsReadAsLocalTime)
{
    ScopedTimeZone zone("UTC0");
    LibDateTime value;
    EXPECT_TRUE(value.Set(LibString("Dec 25, 2000 3:30 pm")));
    EXPECT_EQ(Text(value), "2000-12-25 15:30:00");
    EXPECT_TRUE(value.Set(LibString("2000-12-25T23:59:59+01:00")));
    EXPECT_EQ(Text(value), "2000-12-25 22:59:59");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(value.Set(LibString("the day after the party")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error with date time value\n");
    EXPECT_EQ(Text(value), "2000-12-25 22:59:59");
}

TEST(LibDateTime, ComparesDateThenTime)
{
    LibDateTime earlier(14u, 9u, 2000u);
    earlier.SetTime(23, 0, 0);
    LibDateTime later(15u, 9u, 2000u);
    later.SetTime(1, 0, 0);
    EXPECT_TRUE(earlier < later);
    EXPECT_TRUE(later > earlier);
    EXPECT_TRUE(earlier <= earlier);
    EXPECT_TRUE(later >= earlier);
    EXPECT_TRUE(earlier != later);
    LibDateTime same(earlier);
    EXPECT_TRUE(same == earlier);
    same.AddSeconds(1);
    EXPECT_TRUE(same > earlier);

    // The difference of two date-times is that of their times of day.
    LibTime difference = later - earlier;
    EXPECT_EQ(difference.GetHours(), 2);
    EXPECT_EQ(later.DaysSince(earlier), 1);
    EXPECT_EQ(LibDate(later) - LibDate(earlier), 1);
    LibDate tomorrow = later + 1;
    EXPECT_EQ(tomorrow.GetDay(), 16);

    LibDateTime assigned;
    assigned = LibDate(1u, 2u, 2003u);
    assigned = LibTime(4, 5, 6);
    EXPECT_EQ(Text(assigned), "2003-02-01 04:05:06");
    assigned = later;
    EXPECT_EQ(assigned, later);
}

TEST(LibDateTime, ArchiveAndPrint)
{
    LibDateTime value(14u, 9u, 2000u);
    value.SetTime(15, 7, 9);
    BMessage archive;
    ASSERT_EQ(value.Archive(archive), B_OK);
    int32 number = 0;
    EXPECT_EQ(archive.FindInt32("date", 0, &number), B_OK);
    EXPECT_EQ(number, 2451801);
    LibDateTime restored;
    ASSERT_EQ(restored.Restore(archive), B_OK);
    EXPECT_EQ(restored, value);

    BMessage dateOnly;
    dateOnly.AddInt32("date", 2451801);
    LibDateTime untouched(1u, 1u, 2001u);
    EXPECT_NE(untouched.Restore(dateOnly), B_OK);
    EXPECT_EQ(Text(untouched), "2001-01-01 00:00:00");

    testing::internal::CaptureStderr();
    value.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LibDate: 9/14/2000 (2451801)\nTime: 15:07:09\n");
}
