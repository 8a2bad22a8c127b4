// The free-form date parser. Any text either fails with the invalid flag or
// names a moment from year 1 to 9999 that reads back, written in the ISO
// form, as the same moment.
#include <parsedate.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the zone, in quarter hours around UTC.
    const long zone = long(int8_t(data[0]) % 57) * 900;
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');

    const time_t now = 977745600;
    int flags = 0;
    const time_t moment = parsedate_zone(text.data(), now, zone, &flags);
    if ((flags & PARSEDATE_INVALID_DATE) != 0) {
        if (moment != -1)
            abort();
        return 0;
    }
    struct tm fields;
    if (gmtime_r(&moment, &fields) == nullptr)
        abort();
    const int year = fields.tm_year + 1900;
    if (year < 0 || year > 10000)
        abort();
    if (year >= 1 && year <= 9999) {
        char iso[48];
        snprintf(iso, sizeof(iso), "%04d-%02d-%02dT%02d:%02d:%02dZ", year, fields.tm_mon + 1, fields.tm_mday,
            fields.tm_hour, fields.tm_min, fields.tm_sec);
        int again = 0;
        if (parsedate_zone(iso, now, zone, &again) != moment || again != 0)
            abort();
    }
    return 0;
}
