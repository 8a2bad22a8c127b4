// Locale formatting of dates and times: patterns, element formats, the five
// languages with their byte-wise cuts, clocks and suffixes, persistence,
// the reading of typed times and dates, and the translation to English.
#include "ScopedTimeZone.h"

#include <LibLocaleDateTime.h>
#include <LibStringList.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Str(const LibString& text)
{
    const char* buffer = text;
    return buffer != nullptr ? buffer : "";
}

} // namespace

void PrintTo(const LibTime& time, std::ostream* out)
{
    *out << time.GetHours() << ":" << time.GetMinutes() << ":" << time.GetSeconds();
}

TEST(LibLocaleDate, DefaultsAndPatterns)
{
    LibLocaleDate format;
    const LibDate date(14u, 9u, 2000u);  // a Thursday
    EXPECT_EQ(Str(format.Format(date)), "14 Sep 2000");
    EXPECT_STREQ(format.GetFormat(), "D M Y");
    EXPECT_EQ(format.Language(), LIB_ENGLISH);
    EXPECT_FALSE(format.KanjiLaunguage());

    format.SetFormat("W, M D Y");
    EXPECT_EQ(Str(format.Format(date)), "Thu, Sep 14 2000");
    format.SetFormat("D/D");  // only the first D counts
    EXPECT_EQ(Str(format.Format(date)), "14/");
    format.SetFormat("Y-M-D W Y M D W d m y w");
    EXPECT_EQ(Str(format.Format(date)), "2000-Sep-14 Thu     d m y w");
    format.SetFormat("");
    EXPECT_EQ(Str(format.Format(date)), "");
    format.SetFormat(nullptr);  // ignored
    EXPECT_EQ(Str(format.Format(date)), "");
}

TEST(LibLocaleDate, ElementFormatsAndPadding)
{
    LibLocaleDate format;
    format.SetFormat("W|M|D|Y");
    const LibDate date(5u, 3u, 2005u);  // a Saturday
    format.SetWeekdayFormat(0);
    format.SetMonthFormat(0);
    format.SetYearFormat(0);
    EXPECT_EQ(Str(format.Format(date)), "Sa|3|5|05");
    format.PadWithZeros(true);
    EXPECT_TRUE(format.IsPadded());
    EXPECT_EQ(Str(format.Format(date)), "Sa|03|05|05");
    format.SetWeekdayFormat(2);
    format.SetMonthFormat(2);
    format.SetYearFormat(2);
    EXPECT_EQ(Str(format.Format(date)), "Saturday|March|05|2005");
    format.SetYearFormat(7);  // anything but 2: two digits
    EXPECT_EQ(Str(format.Format(LibDate(1u, 12u, 1999u))), "Wednesday|December|01|99");
    format.SetDayFormat(2);  // stored, not consulted
    EXPECT_EQ(format.DayFormat(), 2);
    EXPECT_EQ(Str(format.Format(LibDate(10u, 10u, 2010u))), "Sunday|October|10|10");

    EXPECT_EQ(Str(format.AddDay(7)), "07");
    EXPECT_EQ(Str(format.AddDay(17)), "17");
    EXPECT_EQ(Str(format.AddYear(2005)), "05");
    format.SetYearFormat(2);
    EXPECT_EQ(Str(format.AddYear(2005)), "2005");
    EXPECT_EQ(Str(format.AddYear(7)), "07");  // the full year below 10 is padded too
    format.SetMonthFormat(0);
    EXPECT_EQ(Str(format.AddMonth(9)), "09");
    EXPECT_EQ(Str(format.AddMonth(13)), "13");
    format.SetMonthFormat(1);
    EXPECT_EQ(Str(format.AddMonth(13)), "");
    EXPECT_EQ(Str(format.AddMonth(0)), "");
    EXPECT_EQ(Str(format.AddWeekDay(LibWeekDay(7))), "");
    EXPECT_EQ(Str(format.AddWeekDay(LibDate(1u, 1u, 2000u))), "Saturday");
    format.SetWeekdayFormat(1);
    EXPECT_EQ(Str(format.AddWeekDay(LibDate(1u, 1u, 2000u))), "Sat");

    LibString appended("Day: ");
    format.AddWeekDay(LIB_MONDAY, appended);
    EXPECT_EQ(Str(appended), "Day: Mon");
}

// Names cut to two or three bytes, whole names, and each language's table.
TEST(LibLocaleDate, LanguagesAndByteCuts)
{
    LibLocaleDate format;
    ASSERT_TRUE(format.SetLanguage(LIB_FRENCH));
    format.SetMonthFormat(1);
    EXPECT_EQ(Str(format.AddMonth(2)), "F\xC3\xA9");   // "Février": F and both bytes of é
    EXPECT_EQ(Str(format.AddMonth(8)), "Ao\xC3");      // "Août": A, o and half of û
    EXPECT_EQ(Str(format.AddMonth(12)), "D\xC3\xA9");
    format.SetMonthFormat(2);
    EXPECT_EQ(Str(format.AddMonth(8)), "Août");
    format.SetWeekdayFormat(2);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_SUNDAY)), "Dimanche");

    ASSERT_TRUE(format.SetLanguage(LIB_SPANISH));
    format.SetWeekdayFormat(1);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_WEDNESDAY)), "Mi\xC3");   // "Miércoles"
    format.SetWeekdayFormat(0);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_SATURDAY)), "S\xC3");     // "Sábado"
    format.SetMonthFormat(2);
    EXPECT_EQ(Str(format.AddMonth(3)), "Marcha");

    ASSERT_TRUE(format.SetLanguage(LIB_GERMAN));
    format.SetMonthFormat(1);
    EXPECT_EQ(Str(format.AddMonth(3)), "M\xC3\xA4");  // "März"
    format.SetWeekdayFormat(1);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_THURSDAY)), "Don");

    ASSERT_TRUE(format.SetLanguage(LIB_JAPANESE));
    EXPECT_TRUE(format.KanjiLaunguage());
    format.SetMonthFormat(1);  // never cut
    EXPECT_EQ(Str(format.AddMonth(12)), "１２月");
    EXPECT_EQ(Str(format.AddMonth(1)), "１月");
    format.SetMonthFormat(0);
    EXPECT_EQ(Str(format.AddMonth(12)), "12");
    format.SetWeekdayFormat(0);  // one character, three bytes
    EXPECT_EQ(Str(format.AddWeekDay(LIB_MONDAY)), "月");
    format.SetWeekdayFormat(1);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_MONDAY)), "月曜日");
    format.SetWeekdayFormat(2);
    EXPECT_EQ(Str(format.AddWeekDay(LIB_SATURDAY)), "土曜日");
    format.SetFormat("YM D W");
    format.SetMonthFormat(2);
    EXPECT_EQ(Str(format.Format(LibDate(14u, 9u, 2000u))), "2000９月 14 木曜日");

    EXPECT_FALSE(format.SetLanguage(5));
    EXPECT_FALSE(format.SetLanguage(-1));
    EXPECT_EQ(format.Language(), LIB_JAPANESE);

    // Every language has a name for every weekday and month in every format.
    for (LanguageType language = LIB_ENGLISH; language <= LIB_JAPANESE; language++) {
        format.SetLanguage(language);
        for (ElementFormat element = 0; element <= 2; element++) {
            format.SetWeekdayFormat(element);
            format.SetMonthFormat(element);
            for (int day = 0; day < 7; day++)
                EXPECT_FALSE(Str(format.AddWeekDay(LibWeekDay(day))).empty());
            for (int month = 1; month <= 12; month++)
                EXPECT_FALSE(Str(format.AddMonth(month)).empty());
        }
    }

    LibStringList languages;
    LibLocaleDate::AvailableLanguages(languages);
    ASSERT_EQ(languages.Size(), 5);
    const char* const expected[] = {"English", "French", "German", "Spanish", "Japanese"};
    int index = 0;
    for (LibString* name = languages.First(); name != nullptr; name = languages.Next())
        EXPECT_EQ(Str(*name), expected[index++]);
}

TEST(LibLocaleDate, PersistsInMessages)
{
    LibLocaleDate format;
    format.SetWeekdayFormat(2);
    format.SetMonthFormat(0);
    format.SetDayFormat(1);
    format.SetYearFormat(0);
    format.PadWithZeros(true);
    format.SetFormat("D.M.Y");
    format.SetLanguage(LIB_GERMAN);
    BMessage message;
    ASSERT_EQ(format.Write(message), B_OK);
    int32 value = 0;
    EXPECT_EQ(message.FindInt32("weekday", 0, &value), B_OK);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(message.FindInt32("language", 0, &value), B_OK);
    EXPECT_EQ(value, 2);
    bool pad = false;
    EXPECT_EQ(message.FindBool("pad", 0, &pad), B_OK);
    EXPECT_TRUE(pad);

    LibLocaleDate restored;
    ASSERT_EQ(restored.Read(message), B_OK);
    EXPECT_EQ(Str(restored.Format(LibDate(5u, 3u, 2005u))), "05.03.05");
    EXPECT_EQ(restored.DayFormat(), 1);
    EXPECT_EQ(restored.WeekdayFormat(), 2);

    LibLocaleDate copy;
    copy = restored;
    EXPECT_EQ(Str(copy.Format(LibDate(5u, 3u, 2005u))), "05.03.05");
    LibLocaleDate constructed(restored);
    EXPECT_EQ(constructed.Language(), LIB_GERMAN);

    // A bad language is refused, the other fields are still taken.
    BMessage bad;
    bad.AddInt32("language", 42);
    bad.AddString("format", "Y");
    LibLocaleDate partly;
    EXPECT_NE(partly.Read(bad), B_OK);
    EXPECT_EQ(partly.Language(), LIB_ENGLISH);
    EXPECT_STREQ(partly.GetFormat(), "Y");

    testing::internal::CaptureStderr();
    partly.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(LibLocaleDate, ReadsDatesAndTranslatesNames)
{
    ScopedTimeZone zone("UTC0");
    LibDate date = LibLocaleDate::GetDate("December 25, 2000");
    EXPECT_EQ(date.GetDay(), 25);
    EXPECT_EQ(date.GetMonth(), 12);
    EXPECT_EQ(date.GetYear(), 2000);

    testing::internal::CaptureStderr();
    LibDate failed = LibLocaleDate::GetDate("25 Décembre 2000");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LibLocaleDate::GetDate: parsedate failed\n");
    EXPECT_FALSE(failed.IsValidDate());

    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("25 Décembre 2000")), "25 December 2000");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("mardi 1 août")), "Tuesday 1 August");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("Donnerstag, 14. März 2000")), "Thursday, 14. March 2000");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("miércoles 15 junio 2005")), "Wednesday 15 June 2005");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("julio")), "July");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("２０００年１２月２５日 月曜日")), "２０００年December２５日 Monday");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("１１月")), "November");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("Sunday")), "SUNDAY");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish("")), "");
    EXPECT_EQ(Str(LibLocaleDate::ConvertToEnglish(nullptr)), "");
    // The translated text reads as a date.
    LibDate translated = LibLocaleDate::GetDate(LibLocaleDate::ConvertToEnglish("25 décembre 2000"));
    EXPECT_EQ(translated.DayNumber(), LibDate(25u, 12u, 2000u).DayNumber());
}

TEST(LibLocaleTime, TwelveAndTwentyFourHourClocks)
{
    LibLocaleTime format;
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "3:07 PM");
    EXPECT_EQ(Str(format.Format(LibTime(12, 0, 0))), "12:00 PM");
    EXPECT_EQ(Str(format.Format(LibTime(0, 0, 0))), "12:00 AM");
    EXPECT_EQ(Str(format.Format(LibTime(11, 59, 0))), "11:59 AM");
    EXPECT_EQ(Str(format.Format(LibTime(1, 5, 0))), "1:05 AM");
    format.SetShowSeconds(true);
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "3:07:09 PM");
    format.SetShowMinutes(false);
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "3:09 PM");
    format.SetShowSeconds(false);
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "3 PM");
    format.SetShowSuffix(false);
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "3");

    format.SetShowMinutes(true);
    format.SetShowSuffix(true);
    format.Set24Clock(true);
    EXPECT_EQ(Str(format.Format(LibTime(0, 0, 0))), "00:00");
    EXPECT_EQ(Str(format.Format(LibTime(15, 7, 9))), "15:07");
    format.Set24ClockSuffix(" h");
    format.SetSeparator('.');
    format.SetShowSeconds(true);
    EXPECT_EQ(Str(format.Format(LibTime(9, 7, 9))), "09.07.09 h");

    format.Set24Clock(false);
    format.Set12ClockBeforeNoonSuffix("am");
    format.Set12ClockAfterNoonSuffix("pm");
    EXPECT_EQ(Str(format.Format(LibTime(23, 0, 0))), "11.00.00pm");
    EXPECT_TRUE(format.Has12ClockSuffix());
    format.Set12ClockBeforeNoonSuffix("");
    EXPECT_TRUE(format.Has12ClockSuffix());
    format.Set12ClockAfterNoonSuffix(nullptr);
    EXPECT_FALSE(format.Has12ClockSuffix());
    EXPECT_EQ(Str(format.Format(LibTime(23, 0, 0))), "11.00.00");
}

TEST(LibLocaleTime, ReadsTypedTimes)
{
    LibLocaleTime format;
    LibTime time;
    EXPECT_TRUE(format.GetTime("3:07 PM", time));
    EXPECT_EQ(time, LibTime(15, 7, 0));
    EXPECT_TRUE(format.GetTime("12:30 AM", time));
    EXPECT_EQ(time, LibTime(0, 30, 0));
    EXPECT_TRUE(format.GetTime("12:30 PM", time));
    EXPECT_EQ(time, LibTime(12, 30, 0));
    EXPECT_TRUE(format.GetTime("15:00", time));  // no suffix on the 12-hour clock
    EXPECT_EQ(time, LibTime(3, 0, 0));
    EXPECT_TRUE(format.GetTime("at 9.05.30", time));
    EXPECT_EQ(time, LibTime(9, 5, 30));
    EXPECT_TRUE(format.GetTime("100 200 300", time));  // three digits per group, normalised
    EXPECT_EQ(time, LibTime(100 - 12, 200, 300));

    format.Set24Clock(true);
    EXPECT_TRUE(format.GetTime("15:00", time));
    EXPECT_EQ(time, LibTime(15, 0, 0));
    EXPECT_TRUE(format.GetTime("3:00 PM", time));
    EXPECT_EQ(time, LibTime(3, 0, 0));

    format.Set24Clock(false);
    format.Set12ClockAfterNoonSuffix("");  // an empty suffix never matches
    EXPECT_TRUE(format.GetTime("3:00", time));
    EXPECT_EQ(time, LibTime(3, 0, 0));

    const char* const bad[] = {"", "noon", "1234", "1:2:3:4", "12:3456"};
    for (const char* text : bad) {
        LibTime untouched(1, 2, 3);
        EXPECT_FALSE(format.GetTime(text, untouched)) << '"' << text << '"';
        EXPECT_EQ(untouched, LibTime(1, 2, 3));
        EXPECT_EQ(format.GetTime(text), LibTime(0, 0, 0));
    }
    EXPECT_FALSE(format.GetTime(nullptr, time));
    EXPECT_EQ(LibLocaleTime().GetTime("2:15 PM"), LibTime(14, 15, 0));
}

TEST(LibLocaleTime, PersistsInMessages)
{
    LibLocaleTime format;
    format.SetShowSeconds(true);
    format.SetShowMinutes(false);
    format.SetSeparator('h');
    format.Set24Clock(true);
    format.SetShowSuffix(false);
    format.Set24ClockSuffix(" Uhr");
    format.Set12ClockBeforeNoonSuffix(" vorm.");
    format.Set12ClockAfterNoonSuffix(" nachm.");
    BMessage message;
    ASSERT_EQ(format.Write(message), B_OK);
    int16 separator = 0;
    EXPECT_EQ(message.FindInt16("seperator", 0, &separator), B_OK);
    EXPECT_EQ(separator, 'h');
    const char* suffix = nullptr;
    EXPECT_EQ(message.FindString("12_hour_after_noon_suffix", 0, &suffix), B_OK);
    EXPECT_STREQ(suffix, " nachm.");

    LibLocaleTime restored;
    ASSERT_EQ(restored.Read(message), B_OK);
    EXPECT_TRUE(restored.ShowsSeconds());
    EXPECT_FALSE(restored.ShowsMinutes());
    EXPECT_EQ(restored.Separator(), 'h');
    EXPECT_TRUE(restored.Is24Clock());
    EXPECT_FALSE(restored.ShowsSuffix());
    EXPECT_STREQ(restored.Get24ClockSuffix(), " Uhr");
    EXPECT_STREQ(restored.Get12ClockBeforeNoonSuffix(), " vorm.");
    EXPECT_EQ(Str(restored.Format(LibTime(9, 7, 5))), "09h05");

    BMessage empty;
    LibLocaleTime defaults;
    EXPECT_NE(defaults.Read(empty), B_OK);
    EXPECT_EQ(Str(defaults.Format(LibTime(15, 7, 9))), "3:07 PM");

    testing::internal::CaptureStderr();
    restored.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "show sec 1, min 0\n");
}

TEST(LibLocaleDateTime, JoinsDateAndTime)
{
    LibLocaleDateTime format;
    LibDateTime value(14u, 9u, 2000u);
    value.SetTime(15, 7, 9);
    EXPECT_EQ(Str(format.Format(value)), "14 Sep 2000 3:07 PM");
    format.SetFormat("W, M D Y");
    format.SetSeperator(", ");
    EXPECT_EQ(Str(format.Format(value)), "Thu, Sep 14 2000, 3:07 PM");
    format.LocaleTime().SetShowSeconds(true);
    EXPECT_EQ(Str(format.Format(value)), "Thu, Sep 14 2000, 3:07:09 PM");
    EXPECT_EQ(Str(format.Format(static_cast<const LibDate&>(value))), "Thu, Sep 14 2000");

    BMessage message;
    ASSERT_EQ(format.Write(message), B_OK);
    const char* separator = nullptr;
    EXPECT_EQ(message.FindString("field_seperator", 0, &separator), B_OK);
    EXPECT_STREQ(separator, ", ");
    LibLocaleDateTime restored;
    ASSERT_EQ(restored.Read(message), B_OK);
    EXPECT_EQ(Str(restored.Format(value)), "Thu, Sep 14 2000, 3:07:09 PM");

    LibLocaleDateTime copy;
    copy = format;
    EXPECT_EQ(Str(copy.Format(value)), "Thu, Sep 14 2000, 3:07:09 PM");
    LibLocaleDateTime constructed(format);
    EXPECT_STREQ(constructed.Seperator(), ", ");
}
