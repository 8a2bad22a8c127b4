// The free-form date parser: every accepted form, relative forms against a
// fixed reference time, zones, flags, and texts that must fail.
#include <parsedate.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Monday 2000-12-25 12:00:00 UTC.
const time_t kNow = 977745600;

// The text read in a fixed zone (seconds east of UTC), shown as a UTC
// "YYYY-MM-DD hh:mm:ss", or "invalid".
std::string Read(const char* text, long zone = 0, int* flagsOut = nullptr, time_t now = kNow)
{
    int flags = 0;
    const time_t result = parsedate_zone(text, now, zone, &flags);
    if (flagsOut != nullptr)
        *flagsOut = flags;
    if ((flags & PARSEDATE_INVALID_DATE) != 0) {
        EXPECT_EQ(result, -1) << text;
        return "invalid";
    }
    struct tm fields;
    gmtime_r(&result, &fields);
    char buffer[48];
    snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d", fields.tm_year + 1900, fields.tm_mon + 1,
        fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return buffer;
}

} // namespace

TEST(Parsedate, WordsForDays)
{
    int flags = 0;
    EXPECT_EQ(Read("now", 0, &flags), "2000-12-25 12:00:00");
    EXPECT_EQ(flags, PARSEDATE_RELATIVE_TIME | PARSEDATE_MINUTE_RELATIVE_TIME);
    EXPECT_EQ(Read("Today", 0, &flags), "2000-12-25 00:00:00");
    EXPECT_EQ(flags, PARSEDATE_DAY_RELATIVE_TIME);
    EXPECT_EQ(Read("yesterday"), "2000-12-24 00:00:00");
    EXPECT_EQ(Read("TOMORROW"), "2000-12-26 00:00:00");
    EXPECT_EQ(Read("tomorrow 9:30"), "2000-12-26 09:30:00");
    EXPECT_EQ(Read("tomorrow at 10:30 pm"), "2000-12-26 22:30:00");
    EXPECT_EQ(Read("yesterday, 23:59:59"), "2000-12-24 23:59:59");
    // A weekday alone: the next day on it, today included.
    EXPECT_EQ(Read("monday"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("Friday"), "2000-12-29 00:00:00");
    EXPECT_EQ(Read("sun 8am"), "2000-12-31 08:00:00");
    EXPECT_EQ(Read("Tues."), "2000-12-26 00:00:00");
    // Days are those of the zone: at 12:00 UTC it is already the 26th at +13.
    EXPECT_EQ(Read("today", 13 * 3600), "2000-12-25 11:00:00");
    EXPECT_EQ(Read("today", -13 * 3600), "2000-12-24 13:00:00");
    // -1 stands for the current time.
    const time_t before = time(nullptr);
    const time_t now = parsedate("now", -1);
    EXPECT_GE(now, before);
    EXPECT_LE(now, time(nullptr));
}

TEST(Parsedate, NumericDates)
{
    int flags = 0;
    EXPECT_EQ(Read("12/25/2000", 0, &flags), "2000-12-25 00:00:00");
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(Read("1/2/2003"), "2003-01-02 00:00:00");
    EXPECT_EQ(Read("12/25/99"), "1999-12-25 00:00:00");
    EXPECT_EQ(Read("12/25/68"), "2068-12-25 00:00:00");
    EXPECT_EQ(Read("12/25/69"), "1969-12-25 00:00:00");
    EXPECT_EQ(Read("2/29", 0, &flags), "2000-02-29 00:00:00");  // the year of now
    EXPECT_EQ(flags, PARSEDATE_DAY_RELATIVE_TIME);
    EXPECT_EQ(Read("25.12.2000"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("5.8.76"), "1976-08-05 00:00:00");
    EXPECT_EQ(Read("Sat, 08/23/2003"), "2003-08-23 00:00:00");
    EXPECT_EQ(Read("12/25/2000, 10:30 PM"), "2000-12-25 22:30:00");
}

TEST(Parsedate, IsoDatesAndTimes)
{
    EXPECT_EQ(Read("2000-12-25"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("2000/12/25"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("20001225"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("2000-12-25T23:59:59"), "2000-12-25 23:59:59");
    EXPECT_EQ(Read("2000-12-25T23:59:59Z", 3600), "2000-12-25 23:59:59");
    EXPECT_EQ(Read("2000-12-25T23:59:59+02:00"), "2000-12-25 21:59:59");
    EXPECT_EQ(Read("2000-12-25T10:30:00.123-0500"), "2000-12-25 15:30:00");
    EXPECT_EQ(Read("2000-12-25t10:30-05"), "2000-12-25 15:30:00");
    EXPECT_EQ(Read("20001225T235959Z"), "2000-12-25 23:59:59");
    EXPECT_EQ(Read("20001225T2359"), "2000-12-25 23:59:00");
    EXPECT_EQ(Read("2000-12-25 10:30", 3600), "2000-12-25 09:30:00");
    EXPECT_EQ(Read("0001-01-01"), "0001-01-01 00:00:00");
    EXPECT_EQ(Read("9999-12-31T23:59:59Z"), "9999-12-31 23:59:59");
    EXPECT_EQ(Read("1969-12-31T23:59:59Z"), "1969-12-31 23:59:59");  // the value -1, still valid
}

TEST(Parsedate, MonthNames)
{
    EXPECT_EQ(Read("December 25, 2000"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("Dec. 25th 2000 3:30 pm"), "2000-12-25 15:30:00");
    EXPECT_EQ(Read("dec 25"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("Sept 1 1999"), "1999-09-01 00:00:00");
    EXPECT_EQ(Read("December 2000"), "2000-12-01 00:00:00");
    EXPECT_EQ(Read("December 25 10:30"), "2000-12-25 10:30:00");
    EXPECT_EQ(Read("25 December 2000"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("1st Jan"), "2000-01-01 00:00:00");
    EXPECT_EQ(Read("25-Dec-2000"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("25-dec-00"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("25 Dec. 2000"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("Thursday, June 10th, 1993 10:00:03 am GMT", 7200), "1993-06-10 10:00:03");
    EXPECT_EQ(Read("Mon, 25 Dec 2000 10:30:00 +0100"), "2000-12-25 09:30:00");
    EXPECT_EQ(Read("Mon Dec 25 10:30:00 2000"), "2000-12-25 10:30:00");        // ctime() form
    EXPECT_EQ(Read("Mon Dec 25 10:30:00 UTC 2000", -3600), "2000-12-25 10:30:00");  // date(1) form
}

TEST(Parsedate, TimesOfDay)
{
    int flags = 0;
    EXPECT_EQ(Read("10:30", 0, &flags), "2000-12-25 10:30:00");
    EXPECT_EQ(flags, PARSEDATE_DAY_RELATIVE_TIME);
    EXPECT_EQ(Read("10:30:15"), "2000-12-25 10:30:15");
    EXPECT_EQ(Read("3pm"), "2000-12-25 15:00:00");
    EXPECT_EQ(Read("3:15 p.m."), "2000-12-25 15:15:00");
    EXPECT_EQ(Read("12 am"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("12:30 PM"), "2000-12-25 12:30:00");
    EXPECT_EQ(Read("11:59 a.m"), "2000-12-25 11:59:00");
    EXPECT_EQ(Read("0:00"), "2000-12-25 00:00:00");
    EXPECT_EQ(Read("10:30 GMT", 3600), "2000-12-25 10:30:00");
    EXPECT_EQ(Read("10:30 UTC+2"), "invalid");
    EXPECT_EQ(Read("10:30 +05:30"), "2000-12-25 05:00:00");
}

TEST(Parsedate, RejectsEverythingElse)
{
    const char* const bad[] = {
        "", "   ", ",", "hello", "now now", "now 10:30", "today tomorrow", "tomorrow friday", "monday tuesday",
        "Sun, 08/23/2003",  // not a Sunday
        "2/30/2000", "2/29/1900", "2/29/2001", "Feb 29 2001", "13/1/2000", "0/1/2000", "1/0/2000", "1/32/2000",
        "0000-01-01", "2000-13-01", "2000-12-32", "25:00", "24:00", "10:60", "10:30:60", "13 pm", "0 am",
        "10:5", "10:30:5", "1/2/3", "1/2/200", "25.12", "12-25-2000", "2000-12", "2000-12-25T", "2000-12-25T 10:30",
        "10:30 +15", "10:30 +0560", "10:30 -", "at", "at noon", "next tuesday", "-15 minutes", "2000",
        "1234567890", "12345678901234567890", "Dec 2000 2001", "Dec 25 2000 1999", "december 25, 2000 x",
        "supercalifragilisticexpialidocious", "10:30 am am", "10:30 pm GMT Z", "25 Dec-2000", "Dec",
        "\xC3\xA9t\xC3\xA9", "10:30\x01", "May 5 10", "tomorrow 10:30 11:30",
    };
    for (const char* text : bad)
        EXPECT_EQ(Read(text), "invalid") << '"' << text << '"';
    int flags = 0;
    EXPECT_EQ(parsedate_etc(nullptr, kNow, &flags), -1);
    EXPECT_EQ(flags, PARSEDATE_INVALID_DATE);
    EXPECT_EQ(parsedate_zone("x", kNow, 0, nullptr), -1);
    // A text with very many tokens is refused rather than read in part.
    std::string longText;
    for (int i = 0; i < 100; i++)
        longText += ", ";
    longText += "today";
    EXPECT_EQ(Read(longText.c_str()), "invalid");
}

TEST(Parsedate, LocalZoneFollowsDaylightSaving)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    int flags = 0;
    const time_t summer = parsedate_etc("2000-07-01 12:00", kNow, &flags);
    const time_t winter = parsedate_etc("2000-01-01 12:00", kNow, &flags);
    const time_t utc = parsedate_etc("2000-07-01 12:00 UTC", kNow, &flags);
    const time_t today = parsedate("today", kNow);  // 2000-12-25 00:00 CET
    if (old != nullptr)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(summer, 962445600);  // 10:00 UTC
    EXPECT_EQ(winter, 946724400);  // 11:00 UTC
    EXPECT_EQ(utc, 962452800);
    EXPECT_EQ(today, 977698800);
}
