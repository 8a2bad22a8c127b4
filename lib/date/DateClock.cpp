#include "DateClock.h"

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

} // namespace lib_date
