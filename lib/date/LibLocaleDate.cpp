#include "LibLocaleDate.h"

#include "LocaleNames.h"

#include <LibStringList.h>
#include <Message.h>
#include <parsedate.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using lib_date::kLanguageCount;
using lib_date::kMonthNames;
using lib_date::kWeekdayNames;

namespace {

// The text of a string, "" for a null buffer.
std::string TextOf(const LibString& text)
{
    const char* buffer = text;
    return buffer != nullptr ? buffer : "";
}

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A full-width digit is EF BC 90..99 in UTF-8.
bool EndsWithFullWidthDigit(const char* text, size_t end)
{
    return end >= 3 && uint8(text[end - 3]) == 0xEF && uint8(text[end - 2]) == 0xBC
        && uint8(text[end - 1]) >= 0x90 && uint8(text[end - 1]) <= 0x99;
}

bool StartsWithFullWidthDigit(const char* text)
{
    return uint8(text[0]) == 0xEF && uint8(text[1]) == 0xBC && uint8(text[2]) >= 0x90 && uint8(text[2]) <= 0x99;
}

// Replaces the first occurrence of find in text that stands as a word of
// its own: no ASCII letter right before or after it, and for a name that
// begins with a full-width digit, no full-width digit right before it.
void ReplaceWord(LibString& text, const char* find, const char* with)
{
    const char* buffer = text;
    if (buffer == nullptr || find[0] == '\0')
        return;
    const size_t findLength = std::strlen(find);
    const bool numeric = StartsWithFullWidthDigit(find);
    for (const char* hit = std::strstr(buffer, find); hit != nullptr; hit = std::strstr(hit + 1, find)) {
        const size_t start = size_t(hit - buffer);
        const size_t end = start + findLength;
        if (start > 0 && IsAsciiLetter(uint8(buffer[start - 1])))
            continue;
        if (IsAsciiLetter(uint8(buffer[end])))
            continue;
        if (numeric && EndsWithFullWidthDigit(buffer, start))
            continue;
        LibString result;
        result.SetTo(buffer, int32(start));
        result.Concat(with);
        result.Concat(buffer + end);
        text = result;
        return;
    }
}

} // namespace

LibLocaleDate::LibLocaleDate()
    : fWeekdayFormat(1),
      fMonthFormat(1),
      fDayFormat(0),
      fYearFormat(2),
      fPad(false),
      fFormat("D M Y"),
      fLanguage(LIB_ENGLISH)
{
}

LibLocaleDate::LibLocaleDate(const LibLocaleDate& other) = default;

LibLocaleDate::~LibLocaleDate() = default;

LibLocaleDate& LibLocaleDate::operator=(const LibLocaleDate& other) = default;

LibString LibLocaleDate::Format(const LibDate& date) const
{
    // Collected in a growing buffer first: a string that reallocates to the
    // exact size on every append would make long patterns quadratic.
    std::string text;
    bool dayDone = false, monthDone = false, weekdayDone = false, yearDone = false;
    const char* pattern = fFormat;
    for (const char* p = pattern != nullptr ? pattern : ""; *p != '\0'; ++p) {
        switch (*p) {
        case 'D':
            if (!dayDone)
                text += TextOf(AddDay(date.GetDay()));
            dayDone = true;
            break;
        case 'M':
            if (!monthDone)
                text += TextOf(AddMonth(date.GetMonth()));
            monthDone = true;
            break;
        case 'W':
            if (!weekdayDone)
                text += TextOf(AddWeekDay(date.DayOfWeek()));
            weekdayDone = true;
            break;
        case 'Y':
            if (!yearDone)
                text += TextOf(AddYear(date.GetYear()));
            yearDone = true;
            break;
        default:
            text += *p;
            break;
        }
    }
    return LibString(text.c_str());
}

LibString LibLocaleDate::AddWeekDay(const LibWeekDay& day) const
{
    LibString text;
    AddWeekDay(day, text);
    return text;
}

LibString LibLocaleDate::AddWeekDay(const LibDate& date) const
{
    return AddWeekDay(date.DayOfWeek());
}

void LibLocaleDate::AddWeekDay(const LibWeekDay& day, LibString& text) const
{
    if (int32(day) < 0 || int32(day) > 6)
        return;
    const char* name = kWeekdayNames[fLanguage][day];
    if (fLanguage == LIB_JAPANESE)
        AppendCut(text, name, fWeekdayFormat == 0 ? 3 : -1);
    else if (fWeekdayFormat == 0)
        AppendCut(text, name, 2);
    else if (fWeekdayFormat == 1)
        AppendCut(text, name, 3);
    else
        AppendCut(text, name, -1);
}

LibString LibLocaleDate::AddMonth(const int& month) const
{
    LibString text;
    if (fMonthFormat == 0) {
        text.Formatted(fPad && month >= 0 && month < 10 ? "0%d" : "%d", month);
        return text;
    }
    if (month < 1 || month > 12)
        return text;
    const char* name = kMonthNames[fLanguage][month - 1];
    AppendCut(text, name, fMonthFormat == 1 && fLanguage != LIB_JAPANESE ? 3 : -1);
    return text;
}

LibString LibLocaleDate::AddDay(const int& day) const
{
    LibString text;
    text.Formatted(fPad && day >= 0 && day < 10 ? "0%d" : "%d", day);
    return text;
}

LibString LibLocaleDate::AddYear(const int& year) const
{
    // A two-digit year of a year before 1 is taken from its magnitude, so
    // that the text never holds a sign.
    const int value = fYearFormat == 2 ? year : std::abs(year % 100);
    LibString text;
    text.Formatted(value >= 0 && value < 10 ? "0%d" : "%d", value);
    return text;
}

void LibLocaleDate::SetFormat(const char* format)
{
    if (format != nullptr)
        fFormat = format;
}

bool LibLocaleDate::SetLanguage(const LanguageType& language)
{
    if (language < 0 || language >= kLanguageCount)
        return false;
    fLanguage = language;
    return true;
}

void LibLocaleDate::SetWeekdayFormat(const ElementFormat& format)
{
    fWeekdayFormat = format;
}

void LibLocaleDate::SetMonthFormat(const ElementFormat& format)
{
    fMonthFormat = format;
}

void LibLocaleDate::SetDayFormat(const ElementFormat& format)
{
    fDayFormat = format;
}

void LibLocaleDate::SetYearFormat(const ElementFormat& format)
{
    fYearFormat = format;
}

void LibLocaleDate::PadWithZeros(const bool& pad)
{
    fPad = pad;
}

bool LibLocaleDate::KanjiLaunguage() const
{
    return fLanguage == LIB_JAPANESE;
}

void LibLocaleDate::AvailableLanguages(LibStringList& list)
{
    for (int32 i = 0; i < kLanguageCount; i++)
        list.Add(lib_date::kLanguageNames[i]);
}

status_t LibLocaleDate::Write(BMessage& message) const
{
    status_t status = message.AddInt32("weekday", fWeekdayFormat);
    if (status == B_OK)
        status = message.AddInt32("month", fMonthFormat);
    if (status == B_OK)
        status = message.AddInt32("day", fDayFormat);
    if (status == B_OK)
        status = message.AddInt32("year", fYearFormat);
    if (status == B_OK)
        status = message.AddBool("pad", fPad);
    if (status == B_OK)
        status = message.AddString("format", fFormat.Length() > 0 ? static_cast<const char*>(fFormat) : "");
    if (status == B_OK)
        status = message.AddInt32("language", fLanguage);
    return status;
}

status_t LibLocaleDate::Read(const BMessage& message)
{
    status_t result = B_OK;
    auto note = [&result](status_t status) {
        if (result == B_OK && status != B_OK)
            result = status;
    };
    int32 value;
    status_t status = message.FindInt32("weekday", 0, &value);
    if (status == B_OK)
        fWeekdayFormat = value;
    note(status);
    status = message.FindInt32("month", 0, &value);
    if (status == B_OK)
        fMonthFormat = value;
    note(status);
    status = message.FindInt32("day", 0, &value);
    if (status == B_OK)
        fDayFormat = value;
    note(status);
    status = message.FindInt32("year", 0, &value);
    if (status == B_OK)
        fYearFormat = value;
    note(status);
    bool pad;
    status = message.FindBool("pad", 0, &pad);
    if (status == B_OK)
        fPad = pad;
    note(status);
    const char* format;
    status = message.FindString("format", 0, &format);
    if (status == B_OK)
        fFormat = format;
    note(status);
    status = message.FindInt32("language", 0, &value);
    if (status == B_OK && !SetLanguage(value))
        status = B_BAD_VALUE;
    note(status);
    return result;
}

LibDate LibLocaleDate::GetDate(const char* text)
{
    int flags = 0;
    const time_t moment = parsedate_etc(text, time(nullptr), &flags);
    if ((flags & PARSEDATE_INVALID_DATE) != 0) {
        fprintf(stderr, "LibLocaleDate::GetDate: parsedate failed\n");
        return LibDate();
    }
    struct tm fields;
    if (localtime_r(&moment, &fields) == nullptr) {
        fprintf(stderr, "LibLocaleDate::GetDate: parsedate failed\n");
        return LibDate();
    }
    return LibDate(uint(fields.tm_mday), uint(fields.tm_mon + 1), uint(fields.tm_year + 1900));
}

LibString LibLocaleDate::ConvertToEnglish(const char* text)
{
    LibString result(text != nullptr ? text : "");
    result.ToUpperCase();
    for (int32 language = LIB_FRENCH; language < kLanguageCount; language++) {
        for (int32 month = 0; month < 12; month++) {
            LibString name(kMonthNames[language][month]);
            name.ToUpperCase();
            ReplaceWord(result, name, kMonthNames[LIB_ENGLISH][month]);
        }
    }
    for (int32 language = LIB_FRENCH; language < kLanguageCount; language++) {
        for (int32 day = 0; day < 7; day++) {
            LibString name(kWeekdayNames[language][day]);
            name.ToUpperCase();
            ReplaceWord(result, name, kWeekdayNames[LIB_ENGLISH][day]);
        }
    }
    return result;
}

void LibLocaleDate::PrintToStream() const
{
}

void LibLocaleDate::AppendCut(LibString& text, const char* name, int32 count)
{
    const size_t length = std::strlen(name);
    if (count < 0 || size_t(count) >= length) {
        text.Concat(name);
        return;
    }
    LibString cut;
    cut.SetTo(name, count);
    text.Concat(cut);
}
