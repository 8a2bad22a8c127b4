// Typed dates and times: SetUnformattedDate, SetUnformattedTime and the
// fixed-layout readers. Any text gives true or false; a true result leaves
// fields in range, a false one leaves the value as it was.
#include <LibDate.h>
#include <LibTime.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that reading past the terminator is caught.
    std::vector<char> text(data, data + size);
    text.push_back('\0');

    LibDate date(14u, 9u, 2000u);
    const int32 before = date.DayNumber();
    if (date.SetUnformattedDate(text.data())) {
        if (!date.IsValidDate() || date.DayNumber() != LibDate::DateToJulian(date.GetDay(), date.GetMonth(), date.GetYear()))
            abort();
    } else if (date.DayNumber() != before || date.GetDay() != 14 || date.GetMonth() != 9 || date.GetYear() != 2000) {
        abort();
    }
    date.SetDate(text.data());
    if (!date.IsValidDate() && date.GetYear() != 0)
        abort();

    LibTime time(1, 2, 3);
    const bool read = time.SetUnformattedTime(text.data());
    if (!read && (time.GetHours() != 1 || time.GetMinutes() != 2 || time.GetSeconds() != 3))
        abort();
    if (read && time.GetSeconds() != 0)
        abort();
    time.SetTime(text.data());
    if (time.GetHours() < 0 || time.GetHours() > 23 || time.GetMinutes() < 0 || time.GetMinutes() > 59
        || time.GetSeconds() < 0 || time.GetSeconds() > 59)
        abort();
    return 0;
}
