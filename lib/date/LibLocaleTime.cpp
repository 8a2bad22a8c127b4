#include "LibLocaleTime.h"

#include <Message.h>

#include <cstdio>

namespace {

const char* TextOf(const LibString& text)
{
    const char* buffer = text;
    return buffer != nullptr ? buffer : "";
}

} // namespace

LibLocaleTime::LibLocaleTime()
    : fShowSeconds(false),
      fShowMinutes(true),
      fSeparator(':'),
      f24Clock(false),
      fShowSuffix(true),
      f24Suffix(""),
      fBeforeNoonSuffix(" AM"),
      fAfterNoonSuffix(" PM")
{
}

LibLocaleTime::LibLocaleTime(const LibLocaleTime& other) = default;

LibLocaleTime::~LibLocaleTime() = default;

LibLocaleTime& LibLocaleTime::operator=(const LibLocaleTime& other) = default;

LibString LibLocaleTime::Format(const LibTime& time) const
{
    const int32 hours = time.GetHours();
    LibString text;
    if (f24Clock) {
        text.Formatted("%2.2d", int(hours));
    } else {
        int32 shown = hours > 12 ? hours - 12 : hours;
        if (shown < 1)
            shown = 12;
        text.Formatted("%d", int(shown));
    }
    LibString part;
    if (fShowMinutes) {
        part.Formatted("%2.2d", int(time.GetMinutes()));
        text.Concat(fSeparator);
        text.Concat(part);
    }
    if (fShowSeconds) {
        part.Formatted("%2.2d", int(time.GetSeconds()));
        text.Concat(fSeparator);
        text.Concat(part);
    }
    if (fShowSuffix) {
        if (f24Clock)
            text.Concat(TextOf(f24Suffix));
        else
            text.Concat(TextOf(hours > 11 ? fAfterNoonSuffix : fBeforeNoonSuffix));
    }
    return text;
}

bool LibLocaleTime::GetTime(const char* text, LibTime& time) const
{
    if (text == nullptr)
        return false;
    int32 groups[3] = {0, 0, 0};
    int groupCount = 0;
    for (const char* p = text; *p != '\0';) {
        if (*p < '0' || *p > '9') {
            ++p;
            continue;
        }
        if (groupCount == 3)
            return false;
        int32 value = 0;
        int digits = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            if (++digits > 3)
                return false;
            value = value * 10 + (*p - '0');
        }
        groups[groupCount++] = value;
    }
    if (groupCount == 0)
        return false;

    int32 hours = groups[0];
    if (!f24Clock) {
        const LibString typed(text);
        const bool afterNoon = fAfterNoonSuffix.Length() > 0 && typed.Contain(fAfterNoonSuffix);
        if (afterNoon && hours < 12)
            hours += 12;
        else if (!afterNoon && hours > 11)
            hours -= 12;
    }
    time.SetTime(hours, groups[1], groups[2]);
    return true;
}

LibTime LibLocaleTime::GetTime(const char* text) const
{
    LibTime time;
    GetTime(text, time);
    return time;
}

bool LibLocaleTime::Has12ClockSuffix() const
{
    return fBeforeNoonSuffix.Length() > 0 || fAfterNoonSuffix.Length() > 0;
}

void LibLocaleTime::SetShowSeconds(const bool& show)
{
    fShowSeconds = show;
}

void LibLocaleTime::SetShowMinutes(const bool& show)
{
    fShowMinutes = show;
}

void LibLocaleTime::SetSeparator(const char& separator)
{
    fSeparator = separator;
}

void LibLocaleTime::Set24Clock(const bool& use24)
{
    f24Clock = use24;
}

void LibLocaleTime::SetShowSuffix(const bool& show)
{
    fShowSuffix = show;
}

void LibLocaleTime::Set24ClockSuffix(const char* suffix)
{
    f24Suffix = suffix != nullptr ? suffix : "";
}

void LibLocaleTime::Set12ClockBeforeNoonSuffix(const char* suffix)
{
    fBeforeNoonSuffix = suffix != nullptr ? suffix : "";
}

void LibLocaleTime::Set12ClockAfterNoonSuffix(const char* suffix)
{
    fAfterNoonSuffix = suffix != nullptr ? suffix : "";
}

status_t LibLocaleTime::Write(BMessage& message) const
{
    status_t status = message.AddBool("show_seconds", fShowSeconds);
    if (status == B_OK)
        status = message.AddBool("show_minutes", fShowMinutes);
    if (status == B_OK)
        status = message.AddInt16("seperator", int16(fSeparator));
    if (status == B_OK)
        status = message.AddBool("24_hour_clock", f24Clock);
    if (status == B_OK)
        status = message.AddBool("show_suffix", fShowSuffix);
    if (status == B_OK)
        status = message.AddString("24_hour_suffix", TextOf(f24Suffix));
    if (status == B_OK)
        status = message.AddString("12_hour_before_noon_suffix", TextOf(fBeforeNoonSuffix));
    if (status == B_OK)
        status = message.AddString("12_hour_after_noon_suffix", TextOf(fAfterNoonSuffix));
    return status;
}

status_t LibLocaleTime::Read(const BMessage& message)
{
    status_t result = B_OK;
    auto readBool = [&](const char* name, bool& field) {
        bool value;
        status_t status = message.FindBool(name, 0, &value);
        if (status == B_OK)
            field = value;
        else if (result == B_OK)
            result = status;
    };
    auto readString = [&](const char* name, LibString& field) {
        const char* value;
        status_t status = message.FindString(name, 0, &value);
        if (status == B_OK)
            field = value;
        else if (result == B_OK)
            result = status;
    };
    readBool("show_seconds", fShowSeconds);
    readBool("show_minutes", fShowMinutes);
    int16 separator;
    status_t status = message.FindInt16("seperator", 0, &separator);
    if (status == B_OK)
        fSeparator = char(separator);
    else if (result == B_OK)
        result = status;
    readBool("24_hour_clock", f24Clock);
    readBool("show_suffix", fShowSuffix);
    readString("24_hour_suffix", f24Suffix);
    readString("12_hour_before_noon_suffix", fBeforeNoonSuffix);
    readString("12_hour_after_noon_suffix", fAfterNoonSuffix);
    return result;
}

void LibLocaleTime::PrintToStream() const
{
    fprintf(stderr, "show sec %d, min %d\n", int(fShowSeconds), int(fShowMinutes));
}
