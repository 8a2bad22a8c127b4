// LibString: number parsing and formatting, hexadecimal digits.
#include "LibString.h"

#include "LibStringPrivate.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

using namespace libstring;

namespace libstring {

namespace {

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

CLocaleScope::CLocaleScope() : fPrevious(nullptr), fSwitched(false)
{
    const locale_t c = CLocale();
    if (c != static_cast<locale_t>(nullptr)) {
        const locale_t previous = uselocale(c);
        if (previous != static_cast<locale_t>(nullptr)) {
            fPrevious = previous;
            fSwitched = true;
        }
    }
}

CLocaleScope::~CLocaleScope()
{
    if (fSwitched)
        uselocale(static_cast<locale_t>(fPrevious));
}

std::string Format(const char* format, ...)
{
    CLocaleScope locale;
    char small[64];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = vsnprintf(small, sizeof(small), format, args);
    va_end(args);
    std::string result;
    if (needed < 0) {
        va_end(again);
        return result;
    }
    if (size_t(needed) < sizeof(small)) {
        result.assign(small, needed);
    } else {
        result.resize(size_t(needed) + 1);
        vsnprintf(result.data(), result.size(), format, again);
        result.resize(needed);
    }
    va_end(again);
    return result;
}

} // namespace libstring

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Decimal digits, "+" or "-" at index 0 only, at most one ".".
bool IsValidNumber(const char* text)
{
    if (text == nullptr)
        return true;
    bool dot = false;
    for (int32 i = 0; text[i] != '\0'; i++) {
        const char c = text[i];
        if (IsDigit(c))
            continue;
        if ((c == '+' || c == '-') && i == 0)
            continue;
        if (c == '.' && !dot) {
            dot = true;
            continue;
        }
        return false;
    }
    return true;
}

// strtol in base 10, saturated to the signed 32-bit range; the conversion
// stops at the ".".
bool ParseInteger(const char* text, int32& value)
{
    value = 0;
    if (!IsValidNumber(text))
        return false;
    if (text == nullptr)
        return true;
    const long parsed = strtol(text, nullptr, 10);
    if (parsed > INT32_MAX)
        value = INT32_MAX;
    else if (parsed < INT32_MIN)
        value = INT32_MIN;
    else
        value = static_cast<int32>(parsed);
    return true;
}

template<typename Target>
bool ParseNarrow(const char* text, Target& value)
{
    int32 parsed = 0;
    const bool valid = ParseInteger(text, parsed);
    value = static_cast<Target>(parsed);
    return valid;
}

} // namespace

bool LibString::GetInt8(int8& value) const
{
    return ParseNarrow(fBuffer, value);
}

bool LibString::GetUint8(uint8& value) const
{
    return ParseNarrow(fBuffer, value);
}

bool LibString::GetInt16(int16& value) const
{
    return ParseNarrow(fBuffer, value);
}

bool LibString::GetUint16(uint16& value) const
{
    return ParseNarrow(fBuffer, value);
}

bool LibString::GetInt32(int32& value) const
{
    return ParseInteger(fBuffer, value);
}

bool LibString::GetUint32(uint32& value) const
{
    return ParseNarrow(fBuffer, value);
}

bool LibString::GetFloat64(double& value) const
{
    value = 0;
    if (!IsValidNumber(fBuffer))
        return false;
    if (fBuffer != nullptr) {
        CLocaleScope locale;
        value = strtod(fBuffer, nullptr);
    }
    return true;
}

bool LibString::GetFloat32(float& value) const
{
    double parsed = 0;
    const bool valid = GetFloat64(parsed);
    value = static_cast<float>(parsed);
    return valid;
}

bool LibString::IsNumeric() const
{
    return IsValidNumber(fBuffer);
}

void LibString::SetFloat64(const double& value, const int& decimals)
{
    // A negative precision means the default of six, as in printf; very
    // large ones are limited to what a double can show.
    const int precision = decimals > 1100 ? 1100 : decimals;
    const std::string text = Format("%.*f", precision, value);
    Assign(text.data(), static_cast<int32>(text.size()));
}

void LibString::SetFloat32(const float& value, const int& decimals)
{
    SetFloat64(static_cast<double>(value), decimals);
}

void LibString::SetHex(const uint8& value)
{
    const char text[3] = {kHexDigits[value >> 4], kHexDigits[value & 0x0f], '\0'};
    Assign(text, 2);
}

uint8 LibString::GetHex() const
{
    if (TextLength() != 2)
        return 0;
    return static_cast<uint8>(HexValue(fBuffer[0]) * 16 + HexValue(fBuffer[1]));
}

uint8 LibString::HexValue(const char& c)
{
    const char upper = ToUpper(c);
    if (upper == '\0')
        return 0;
    const char* found = strchr(kHexDigits, upper);
    return found != nullptr ? static_cast<uint8>(found - kHexDigits) : 0;
}
