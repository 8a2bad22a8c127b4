// LibLocaleTime::GetTime, ConvertToEnglish and date patterns. Any text
// gives true or false and a time in range; the translation and the
// formatting never read or write outside their texts.
#include <LibLocaleDateTime.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8 options = data[0];
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');

    LibLocaleTime timeFormat;
    timeFormat.Set24Clock((options & 1) != 0);
    if ((options & 2) != 0)
        timeFormat.Set12ClockAfterNoonSuffix("");
    LibTime time(1, 2, 3);
    const bool read = timeFormat.GetTime(text.data(), time);
    if (!read && time != LibTime(1, 2, 3))
        abort();
    if (time.GetHours() < 0 || time.GetHours() > 23 || time.GetMinutes() < 0 || time.GetMinutes() > 59
        || time.GetSeconds() < 0 || time.GetSeconds() > 59)
        abort();
    LibString shown = timeFormat.Format(time);
    if (shown.Length() == 0)
        abort();

    LibString english = LibLocaleDate::ConvertToEnglish(text.data());
    (void)english.Length();

    LibLocaleDateTime dateFormat;
    dateFormat.SetLanguage(LanguageType((options >> 2) % 5));
    dateFormat.SetWeekdayFormat((options >> 5) % 3);
    dateFormat.SetMonthFormat((options >> 6) % 3);
    dateFormat.PadWithZeros((options & 0x80) != 0);
    dateFormat.SetFormat(text.data());
    LibDateTime value(29u, 2u, 2000u);
    value.SetTime(12, 0, 0);
    LibString formatted = dateFormat.Format(value);
    (void)formatted.Length();
    return 0;
}
