// Weekday and month names of the languages the locale formatters know, in
// UTF-8, indexed by LanguageType.
#pragma once

#include <SupportDefs.h>

namespace lib_date {

const int32 kLanguageCount = 5;

// "English", "French", "German", "Spanish", "Japanese".
extern const char* const kLanguageNames[kLanguageCount];
// Sunday first.
extern const char* const kWeekdayNames[kLanguageCount][7];
// January first.
extern const char* const kMonthNames[kLanguageCount][12];

} // namespace lib_date
