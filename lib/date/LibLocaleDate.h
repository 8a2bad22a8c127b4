// LibLocaleDate: turns a date into display text by a pattern and a
// language.
//
// The pattern is read character by character: "D" inserts the day, "M" the
// month, "W" the weekday, "Y" the year, every other character is copied.
// Each of the four letters takes effect at its first occurrence only.
//
// Names are UTF-8. Cutting a name to its first two or three characters
// counts bytes, so a cut accented name may end inside a multi-byte
// character; Japanese month names are never cut, and a short Japanese
// weekday keeps its first character (three bytes).
#pragma once

#include <LibDate.h>
#include <LibString.h>

class BMessage;
class LibStringList;

// Element formats. Weekday: 0 the first two characters, 1 the first three,
// 2 the whole name. Month: 0 the number, 1 the first three characters of the
// name, 2 the whole name. Year: 2 the full year, any other value the year
// modulo 100. The day format is kept and persisted but not consulted.
typedef int32 ElementFormat;
enum {
    LIB_SHORT_ELEMENT = 0,
    LIB_ABBREVIATED_ELEMENT = 1,
    LIB_FULL_ELEMENT = 2
};

// Languages; their positions in AvailableLanguages().
typedef int32 LanguageType;
enum {
    LIB_ENGLISH = 0,
    LIB_FRENCH = 1,
    LIB_GERMAN = 2,
    LIB_SPANISH = 3,
    LIB_JAPANESE = 4
};

class LibLocaleDate {
public:
    LibLocaleDate();
    LibLocaleDate(const LibLocaleDate& other);
    virtual ~LibLocaleDate();

    LibLocaleDate& operator=(const LibLocaleDate& other);

    LibString Format(const LibDate& date) const;

    // The weekday name cut to the weekday format; the third form appends it
    // to text. An unknown weekday gives no text.
    LibString AddWeekDay(const LibWeekDay& day) const;
    LibString AddWeekDay(const LibDate& date) const;
    void AddWeekDay(const LibWeekDay& day, LibString& text) const;
    // Month 1..12 by the month format (a month outside 1..12 gives its
    // number with format 0 and no text with the others).
    LibString AddMonth(const int& month) const;
    // The day, zero-padded below 10 when padding is on.
    LibString AddDay(const int& day) const;
    // The full year (format 2) or the year modulo 100, zero-padded below 10.
    LibString AddYear(const int& year) const;

    void SetFormat(const char* format);
    // Languages outside LIB_ENGLISH..LIB_JAPANESE are refused (false).
    bool SetLanguage(const LanguageType& language);
    void SetWeekdayFormat(const ElementFormat& format);
    void SetMonthFormat(const ElementFormat& format);
    void SetDayFormat(const ElementFormat& format);
    void SetYearFormat(const ElementFormat& format);
    void PadWithZeros(const bool& pad);

    const char* GetFormat() const { return fFormat; }
    LanguageType Language() const { return fLanguage; }
    ElementFormat WeekdayFormat() const { return fWeekdayFormat; }
    ElementFormat MonthFormat() const { return fMonthFormat; }
    ElementFormat DayFormat() const { return fDayFormat; }
    ElementFormat YearFormat() const { return fYearFormat; }
    bool IsPadded() const { return fPad; }

    // The language is Japanese. (The name keeps its historic spelling.)
    bool KanjiLaunguage() const;
    // Adds "English", "French", "German", "Spanish", "Japanese".
    static void AvailableLanguages(LibStringList& list);

    // "weekday", "month", "day", "year" (int32), "pad" (bool), "format"
    // (string), "language" (int32).
    virtual status_t Write(BMessage& message) const;
    // Takes every field that is present and valid; B_OK when all were,
    // otherwise the first problem (the rest is still taken).
    virtual status_t Read(const BMessage& message);

    // The date that text names, read by the free-form date parser relative
    // to now (local time). On failure writes "LibLocaleDate::GetDate:
    // parsedate failed" on standard error and returns the unset date.
    static LibDate GetDate(const char* text);
    // Upper-cases text, then replaces the first occurrence of each foreign
    // month name and then of each foreign weekday name (French, German,
    // Spanish, Japanese) with the English name. A name counts only as a
    // whole word (not inside a longer run of letters, nor a Japanese month
    // inside a longer month number).
    static LibString ConvertToEnglish(const char* text);

    // Prints nothing.
    virtual void PrintToStream() const;

protected:
    // name cut to count bytes (the whole name when it is shorter).
    static void AppendCut(LibString& text, const char* name, int32 count);

    ElementFormat fWeekdayFormat;
    ElementFormat fMonthFormat;
    ElementFormat fDayFormat;
    ElementFormat fYearFormat;
    bool fPad;
    LibString fFormat;
    LanguageType fLanguage;
};
