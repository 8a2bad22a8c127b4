// Free-form date parser. The text is cut into tokens (numbers, words,
// punctuation), the tokens are matched against a small set of date, time,
// weekday and zone items, and the items are combined into one moment. Every
// step checks its bounds, so any text either gives a moment or fails.
#include <parsedate.h>

#include <cstdint>
#include <cstring>
#include <ctime>

namespace {

const int kMaxTokens = 48;
const int kMaxWordLength = 15;
const int kMaxDigits = 9;
const int64_t kSecondsPerDay = 86400;

enum TokenKind { kNumber, kWord, kPunct };

struct Token {
    TokenKind kind;
    int64_t value;          // kNumber
    int digits;             // kNumber: count of digits
    char word[kMaxWordLength + 1];  // kWord: lower case
    char punct;             // kPunct
    bool spaceBefore;
};

struct Tokens {
    Token items[kMaxTokens];
    int count = 0;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Tokenize(const char* text, Tokens& tokens)
{
    const char* p = text;
    bool space = true;
    while (*p != '\0') {
        if (IsSpace(*p)) {
            space = true;
            ++p;
            continue;
        }
        if (tokens.count == kMaxTokens)
            return false;
        Token& token = tokens.items[tokens.count++];
        token.spaceBefore = space;
        space = false;
        if (IsDigit(*p)) {
            token.kind = kNumber;
            token.value = 0;
            token.digits = 0;
            while (IsDigit(*p)) {
                if (++token.digits > kMaxDigits)
                    return false;
                token.value = token.value * 10 + (*p - '0');
                ++p;
            }
        } else if (IsLetter(*p)) {
            token.kind = kWord;
            int length = 0;
            while (IsLetter(*p)) {
                if (length == kMaxWordLength)
                    return false;
                char c = *p++;
                token.word[length++] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
            }
            token.word[length] = '\0';
        } else if (std::strchr("/-.:,+", *p) != nullptr) {
            token.kind = kPunct;
            token.punct = *p++;
        } else {
            return false;
        }
    }
    return true;
}

// Calendar arithmetic on the proleptic Gregorian calendar, as the C
// library's time functions use it; days are counted from 1970-01-01.
bool IsLeap(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeap(year))
        return 29;
    return kDays[month - 1];
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int& month, int& day)
{
    days += 719468;
    const int64_t era = FloorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

// 0 Sunday .. 6 Saturday; 1970-01-01 was a Thursday.
int WeekdayOfDays(int64_t days)
{
    return int(((days + 4) % 7 + 7) % 7);
}

// The zone in which a text without its own zone is read.
struct Zone {
    bool local;
    long offset;  // seconds east of UTC, when not local
};

long LocalOffsetAt(time_t moment)
{
    struct tm fields;
    if (localtime_r(&moment, &fields) == nullptr)
        return 0;
    return fields.tm_gmtoff;
}

long OffsetAt(const Zone& zone, time_t moment)
{
    return zone.local ? LocalOffsetAt(moment) : zone.offset;
}

// Seconds since 1970 of a wall-clock reading (given as if it were UTC) in
// the zone. For the local zone the offset valid at that moment is found in
// two steps, which settles it across daylight-saving changes.
int64_t ToUniversal(const Zone& zone, int64_t wallClock)
{
    if (!zone.local)
        return wallClock - zone.offset;
    int64_t guess = wallClock - LocalOffsetAt(time_t(wallClock));
    return wallClock - LocalOffsetAt(time_t(guess));
}

const char* const kMonthNames[12] = {"january", "february", "march", "april", "may", "june",
    "july", "august", "september", "october", "november", "december"};
const char* const kWeekdayNames[7] = {"sunday", "monday", "tuesday", "wednesday", "thursday",
    "friday", "saturday"};

// 1..12 for a month name or its usual abbreviation, else 0.
int MonthFromWord(const char* word)
{
    for (int i = 0; i < 12; i++) {
        if (std::strcmp(word, kMonthNames[i]) == 0)
            return i + 1;
        if (std::strlen(word) == 3 && std::strncmp(word, kMonthNames[i], 3) == 0)
            return i + 1;
    }
    if (std::strcmp(word, "sept") == 0)
        return 9;
    return 0;
}

// 0..6 for a weekday name or its usual abbreviation, else -1.
int WeekdayFromWord(const char* word)
{
    for (int i = 0; i < 7; i++) {
        if (std::strcmp(word, kWeekdayNames[i]) == 0)
            return i;
        if (std::strlen(word) == 3 && std::strncmp(word, kWeekdayNames[i], 3) == 0)
            return i;
    }
    if (std::strcmp(word, "tues") == 0)
        return 2;
    if (std::strcmp(word, "wednes") == 0)
        return 3;
    if (std::strcmp(word, "thur") == 0 || std::strcmp(word, "thurs") == 0)
        return 4;
    return -1;
}

class Parser {
public:
    explicit Parser(const Tokens& tokens)
        : fTokens(tokens)
    {
    }

    bool Parse();

    // Items found. A year of -1 means "not given".
    bool fHasDate = false;
    int64_t fYear = -1;
    int fMonth = 0;
    int fDay = 0;
    bool fHasRelativeDay = false;
    int fRelativeDay = 0;
    bool fNow = false;
    int fWeekday = -1;
    bool fHasTime = false;
    int fHour = 0;
    int fMinute = 0;
    int fSecond = 0;
    bool fHasZone = false;
    long fZone = 0;

private:
    const Token* At(int index) const
    {
        return index < fTokens.count ? &fTokens.items[index] : nullptr;
    }
    bool IsPunct(int index, char c) const
    {
        const Token* token = At(index);
        return token != nullptr && token->kind == kPunct && token->punct == c;
    }
    bool IsWord(int index, const char* word) const
    {
        const Token* token = At(index);
        return token != nullptr && token->kind == kWord && std::strcmp(token->word, word) == 0;
    }
    const Token* Number(int index) const
    {
        const Token* token = At(index);
        return token != nullptr && token->kind == kNumber ? token : nullptr;
    }

    bool SetDate(int64_t year, int month, int day);
    int64_t TwoDigitYear(int64_t value) const { return value < 69 ? 2000 + value : 1900 + value; }
    void SkipOrdinal(int& pos) const;

    bool ParseWord(int& pos);
    bool ParseNumber(int& pos);
    bool ParseIsoDate(int& pos);
    bool ParseNumericDate(int& pos);
    bool ParseMonthFirst(int& pos);
    bool ParseDayFirst(int& pos);
    bool ParseTime(int& pos, bool afterT);
    bool ParseAmPm(int& pos, int& hour);
    bool ParseZone(int& pos);
    bool StartsTime(int pos) const;

    const Tokens& fTokens;
};

bool Parser::SetDate(int64_t year, int month, int day)
{
    if (fHasDate || fHasRelativeDay || fNow)
        return false;
    fHasDate = true;
    fYear = year;
    fMonth = month;
    fDay = day;
    return true;
}

void Parser::SkipOrdinal(int& pos) const
{
    const Token* token = At(pos);
    if (token != nullptr && token->kind == kWord && !token->spaceBefore
        && (std::strcmp(token->word, "st") == 0 || std::strcmp(token->word, "nd") == 0
            || std::strcmp(token->word, "rd") == 0 || std::strcmp(token->word, "th") == 0))
        ++pos;
}

bool Parser::Parse()
{
    int pos = 0;
    bool any = false;
    while (pos < fTokens.count) {
        const Token& token = fTokens.items[pos];
        if (token.kind == kPunct && token.punct == ',') {
            ++pos;
            continue;
        }
        bool ok;
        if (token.kind == kWord)
            ok = ParseWord(pos);
        else if (token.kind == kNumber)
            ok = ParseNumber(pos);
        else
            ok = false;
        if (!ok)
            return false;
        any = true;
    }
    return any;
}

bool Parser::ParseWord(int& pos)
{
    const char* word = fTokens.items[pos].word;
    if (std::strcmp(word, "now") == 0) {
        if (fNow || fHasDate || fHasRelativeDay || fHasTime || fWeekday >= 0)
            return false;
        fNow = true;
        ++pos;
        return true;
    }
    const int relative = std::strcmp(word, "today") == 0 ? 0
        : std::strcmp(word, "yesterday") == 0            ? -1
        : std::strcmp(word, "tomorrow") == 0             ? 1
                                                         : 2;
    if (relative != 2) {
        if (fNow || fHasDate || fHasRelativeDay)
            return false;
        fHasRelativeDay = true;
        fRelativeDay = relative;
        ++pos;
        return true;
    }
    if (std::strcmp(word, "at") == 0) {
        // "tomorrow at 10:30": only in front of a time.
        ++pos;
        return StartsTime(pos) && ParseTime(pos, false);
    }
    const int weekday = WeekdayFromWord(word);
    if (weekday >= 0) {
        if (fWeekday >= 0 || fNow)
            return false;
        fWeekday = weekday;
        ++pos;
        if (IsPunct(pos, '.'))
            ++pos;
        return true;
    }
    if (MonthFromWord(word) != 0)
        return ParseMonthFirst(pos);
    return false;
}

bool Parser::ParseNumber(int& pos)
{
    const Token* number = Number(pos);
    if (number->digits == 4 && (IsPunct(pos + 1, '-') || IsPunct(pos + 1, '/')))
        return ParseIsoDate(pos);
    if (number->digits == 8)
        return ParseIsoDate(pos);
    if (StartsTime(pos))
        return ParseTime(pos, false);
    if (number->digits <= 2 && (IsPunct(pos + 1, '/') || IsPunct(pos + 1, '.'))
        && Number(pos + 2) != nullptr)
        return ParseNumericDate(pos);
    if (number->digits <= 2)
        return ParseDayFirst(pos);
    if (number->digits == 4 && fHasDate && fYear < 0) {
        // A year standing apart, as in "Mon Dec 25 10:30:00 2000".
        fYear = number->value;
        ++pos;
        return true;
    }
    return false;
}

// 2000-12-25, 2000/12/25 and the basic form 20001225, optionally followed
// by "T" and a time.
bool Parser::ParseIsoDate(int& pos)
{
    const Token* first = Number(pos);
    int64_t year;
    int month, day;
    if (first->digits == 8) {
        year = first->value / 10000;
        month = int(first->value / 100 % 100);
        day = int(first->value % 100);
        pos += 1;
    } else {
        const char separator = fTokens.items[pos + 1].punct;
        const Token* monthToken = Number(pos + 2);
        const Token* dayToken = Number(pos + 4);
        if (monthToken == nullptr || monthToken->digits > 2 || !IsPunct(pos + 3, separator)
            || dayToken == nullptr || dayToken->digits > 2)
            return false;
        year = first->value;
        month = int(monthToken->value);
        day = int(dayToken->value);
        pos += 5;
    }
    if (!SetDate(year, month, day))
        return false;
    const Token* next = At(pos);
    if (next != nullptr && next->kind == kWord && !next->spaceBefore && std::strcmp(next->word, "t") == 0) {
        ++pos;
        return Number(pos) != nullptr && !At(pos)->spaceBefore && ParseTime(pos, true);
    }
    return true;
}

// 12/25/2000, 12/25/00 and 12/25 (month first); 25.12.2000 (day first).
bool Parser::ParseNumericDate(int& pos)
{
    const char separator = fTokens.items[pos + 1].punct;
    const Token* first = Number(pos);
    const Token* second = Number(pos + 2);
    if (second->digits > 2)
        return false;
    int64_t year = -1;
    int consumed = 3;
    if (IsPunct(pos + 3, separator)) {
        const Token* yearToken = Number(pos + 4);
        if (yearToken == nullptr)
            return false;
        if (yearToken->digits == 4)
            year = yearToken->value;
        else if (yearToken->digits == 2)
            year = TwoDigitYear(yearToken->value);
        else
            return false;
        consumed = 5;
    } else if (separator == '.') {
        return false;  // the dotted form always carries its year
    }
    const int month = int(separator == '/' ? first->value : second->value);
    const int day = int(separator == '/' ? second->value : first->value);
    pos += consumed;
    return SetDate(year, month, day);
}

// December 25, 2000 / Dec. 25th 2000 / December 25 / December 2000
bool Parser::ParseMonthFirst(int& pos)
{
    const int month = MonthFromWord(fTokens.items[pos].word);
    ++pos;
    if (IsPunct(pos, '.'))
        ++pos;
    const Token* dayToken = Number(pos);
    if (dayToken == nullptr || StartsTime(pos))
        return false;
    if (dayToken->digits == 4) {
        ++pos;
        return SetDate(dayToken->value, month, 1);
    }
    if (dayToken->digits > 2)
        return false;
    ++pos;
    SkipOrdinal(pos);
    int next = pos;
    if (IsPunct(next, ','))
        ++next;
    int64_t year = -1;
    const Token* yearToken = Number(next);
    if (yearToken != nullptr && yearToken->digits == 4 && !StartsTime(next)) {
        year = yearToken->value;
        pos = next + 1;
    }
    return SetDate(year, month, int(dayToken->value));
}

// 25 December 2000 / 25th Dec / 25-Dec-2000 / 25-Dec-00 / 25.Dec.2000
bool Parser::ParseDayFirst(int& pos)
{
    const Token* dayToken = Number(pos);
    int next = pos + 1;
    SkipOrdinal(next);
    char separator = 0;
    if (IsPunct(next, '-') || IsPunct(next, '.')) {
        separator = fTokens.items[next].punct;
        ++next;
    }
    const Token* monthToken = At(next);
    if (monthToken == nullptr || monthToken->kind != kWord)
        return false;
    const int month = MonthFromWord(monthToken->word);
    if (month == 0)
        return false;
    ++next;
    if (separator == 0 && IsPunct(next, '.'))
        ++next;  // abbreviation point, as in "25 Dec. 2000"
    int64_t year = -1;
    if (separator != 0 && IsPunct(next, separator)) {
        const Token* yearToken = Number(next + 1);
        if (yearToken == nullptr)
            return false;
        if (yearToken->digits == 4)
            year = yearToken->value;
        else if (yearToken->digits == 2)
            year = TwoDigitYear(yearToken->value);
        else
            return false;
        next += 2;
    } else {
        int after = next;
        if (IsPunct(after, ','))
            ++after;
        const Token* yearToken = Number(after);
        if (yearToken != nullptr && yearToken->digits == 4 && !StartsTime(after)) {
            year = yearToken->value;
            next = after + 1;
        }
    }
    pos = next;
    return SetDate(year, month, int(dayToken->value));
}

// A time starts at a number of one or two digits followed by ":" or by
// "am"/"pm" (also "a.m."/"p.m.").
bool Parser::StartsTime(int pos) const
{
    const Token* number = Number(pos);
    if (number == nullptr || number->digits > 2)
        return false;
    if (IsPunct(pos + 1, ':'))
        return true;
    return IsWord(pos + 1, "am") || IsWord(pos + 1, "pm")
        || ((IsWord(pos + 1, "a") || IsWord(pos + 1, "p")) && IsPunct(pos + 2, '.') && IsWord(pos + 3, "m"));
}

bool Parser::ParseAmPm(int& pos, int& hour)
{
    bool pm;
    if (IsWord(pos, "am") || IsWord(pos, "pm")) {
        pm = fTokens.items[pos].word[0] == 'p';
        ++pos;
    } else if ((IsWord(pos, "a") || IsWord(pos, "p")) && IsPunct(pos + 1, '.') && IsWord(pos + 2, "m")) {
        pm = fTokens.items[pos].word[0] == 'p';
        pos += 3;
    } else {
        return true;  // no suffix
    }
    if (IsPunct(pos, '.'))
        ++pos;
    if (hour < 1 || hour > 12)
        return false;
    if (pm)
        hour = hour == 12 ? 12 : hour + 12;
    else
        hour = hour == 12 ? 0 : hour;
    return true;
}

// Extended form hh:mm[:ss[.fraction]] or hh followed by am/pm; after "T" of
// an ISO date also the basic forms hh, hhmm, hhmmss. A suffix am/pm and a
// zone may follow.
bool Parser::ParseTime(int& pos, bool afterT)
{
    if (fHasTime || fNow)
        return false;
    const Token* first = Number(pos);
    int hour = 0, minute = 0, second = 0;
    if (afterT && (first->digits == 4 || first->digits == 6)) {
        if (first->digits == 4) {
            hour = int(first->value / 100);
            minute = int(first->value % 100);
        } else {
            hour = int(first->value / 10000);
            minute = int(first->value / 100 % 100);
            second = int(first->value % 100);
        }
        ++pos;
    } else {
        if (first->digits > 2)
            return false;
        hour = int(first->value);
        ++pos;
        if (IsPunct(pos, ':')) {
            const Token* minuteToken = Number(pos + 1);
            if (minuteToken == nullptr || minuteToken->digits != 2)
                return false;
            minute = int(minuteToken->value);
            pos += 2;
            if (IsPunct(pos, ':')) {
                const Token* secondToken = Number(pos + 1);
                if (secondToken == nullptr || secondToken->digits != 2)
                    return false;
                second = int(secondToken->value);
                pos += 2;
                if (IsPunct(pos, '.') && Number(pos + 1) != nullptr && !At(pos + 1)->spaceBefore)
                    pos += 2;  // fraction of a second, dropped
            }
        } else if (afterT) {
            if (first->digits != 2)
                return false;
        } else if (!IsWord(pos, "am") && !IsWord(pos, "pm") && !IsWord(pos, "a") && !IsWord(pos, "p")) {
            return false;
        }
    }
    if (!ParseAmPm(pos, hour))
        return false;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    fHasTime = true;
    fHour = hour;
    fMinute = minute;
    fSecond = second;
    return ParseZone(pos);
}

// Z, UTC, UT, GMT, and numeric offsets +hh, +hhmm, +hh:mm (or -).
bool Parser::ParseZone(int& pos)
{
    const Token* token = At(pos);
    if (token == nullptr)
        return true;
    if (token->kind == kWord
        && (std::strcmp(token->word, "z") == 0 || std::strcmp(token->word, "utc") == 0
            || std::strcmp(token->word, "ut") == 0 || std::strcmp(token->word, "gmt") == 0)) {
        fHasZone = true;
        fZone = 0;
        ++pos;
        return true;
    }
    if (token->kind != kPunct || (token->punct != '+' && token->punct != '-'))
        return true;
    const Token* number = Number(pos + 1);
    if (number == nullptr || number->spaceBefore)
        return false;
    long hours, minutes = 0;
    int consumed = 2;
    if (number->digits == 4) {
        hours = long(number->value / 100);
        minutes = long(number->value % 100);
    } else if (number->digits == 2 || number->digits == 1) {
        hours = long(number->value);
        if (IsPunct(pos + 2, ':')) {
            const Token* minuteToken = Number(pos + 3);
            if (minuteToken == nullptr || minuteToken->digits != 2)
                return false;
            minutes = long(minuteToken->value);
            consumed = 4;
        }
    } else {
        return false;
    }
    if (hours > 14 || minutes > 59)
        return false;
    fHasZone = true;
    fZone = (hours * 3600 + minutes * 60) * (token->punct == '-' ? -1 : 1);
    pos += consumed;
    return true;
}

time_t Parse(const char* text, time_t now, const Zone& defaultZone, int* flags)
{
    int dummy;
    if (flags == nullptr)
        flags = &dummy;
    *flags = PARSEDATE_INVALID_DATE;
    if (text == nullptr)
        return -1;
    if (now == -1)
        now = time(nullptr);

    Tokens tokens;
    if (!Tokenize(text, tokens))
        return -1;
    Parser parser(tokens);
    if (!parser.Parse())
        return -1;

    if (parser.fNow) {
        *flags = PARSEDATE_RELATIVE_TIME | PARSEDATE_MINUTE_RELATIVE_TIME;
        return now;
    }

    Zone zone = defaultZone;
    if (parser.fHasZone) {
        zone.local = false;
        zone.offset = parser.fZone;
    }
    // Today in the zone of the text.
    const int64_t todayDays = FloorDiv(int64_t(now) + OffsetAt(zone, now), kSecondsPerDay);
    int64_t todayYear;
    int todayMonth, todayDay;
    CivilFromDays(todayDays, todayYear, todayMonth, todayDay);

    int64_t days;
    bool relative = false;
    if (parser.fHasDate) {
        const int64_t year = parser.fYear < 0 ? todayYear : parser.fYear;
        if (year < 1 || year > 9999 || parser.fMonth < 1 || parser.fMonth > 12 || parser.fDay < 1
            || parser.fDay > DaysInMonth(year, parser.fMonth))
            return -1;
        days = DaysFromCivil(year, parser.fMonth, parser.fDay);
        relative = parser.fYear < 0;
        if (parser.fWeekday >= 0 && WeekdayOfDays(days) != parser.fWeekday)
            return -1;
    } else if (parser.fHasRelativeDay) {
        if (parser.fWeekday >= 0)
            return -1;
        days = todayDays + parser.fRelativeDay;
        relative = true;
    } else if (parser.fWeekday >= 0) {
        // The next day that falls on the weekday, today included.
        days = todayDays + (parser.fWeekday - WeekdayOfDays(todayDays) + 7) % 7;
        relative = true;
    } else {
        days = todayDays;
        relative = true;
    }

    const int64_t wallClock = days * kSecondsPerDay + parser.fHour * 3600 + parser.fMinute * 60 + parser.fSecond;
    *flags = relative ? PARSEDATE_DAY_RELATIVE_TIME : 0;
    return time_t(ToUniversal(zone, wallClock));
}

} // namespace

extern "C" time_t parsedate(const char* text, time_t now)
{
    return Parse(text, now, Zone{true, 0}, nullptr);
}

extern "C" time_t parsedate_etc(const char* text, time_t now, int* flags)
{
    return Parse(text, now, Zone{true, 0}, flags);
}

extern "C" time_t parsedate_zone(const char* text, time_t now, long zoneOffset, int* flags)
{
    return Parse(text, now, Zone{false, zoneOffset}, flags);
}
