#include "DateClock.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lib_date {

bool BreakDown(time_t moment, bool local, struct tm& fields)
{
    struct tm* result = local ? localtime_r(&moment, &fields) : gmtime_r(&moment, &fields);
    if (result != nullptr)
        return true;
    std::memset(&fields, 0, sizeof(fields));
    fields.tm_mday = 1;
    fields.tm_year = 70;
    fields.tm_wday = 4;
    return false;
}

long LocalZoneOffset(time_t moment)
{
    struct tm fields;
    if (localtime_r(&moment, &fields) == nullptr)
        return 0;
    return fields.tm_gmtoff;
}

int64 ReadField(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64 value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64>(value * 10 + (text[i] - '0'), INT32_MAX);
    return negative ? -value : value;
}

} // namespace lib_date
