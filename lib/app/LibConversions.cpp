#include <LibConversions.h>

#include <cmath>
#include <cstdio>
#include <cstring>

LibString& LibBytesToString(const uint64& bytes, LibString& text, int decimals)
{
    double value = double(bytes);
    const char* unit = "bytes";
    if (value > 1048576.0) {
        value /= 1048576.0;
        unit = "MB";
    } else if (value > 1024.0) {
        value /= 1024.0;
        unit = "KB";
    }
    // Keep the text within what a formatted LibString holds.
    if (decimals > 100)
        decimals = 100;
    text.Formatted("%.*f %s", decimals, value, unit);
    return text;
}

int32 LibStringToBytes(const char* text)
{
    if (text == nullptr)
        text = "";
    LibString number;
    LibString unit;
    const char* space = std::strchr(text, ' ');
    if (space == nullptr) {
        number = text;
        unit = text;
    } else {
        number.SetTo(text, int32(space - text));
        unit = space + 1;
    }

    float value;
    if (!number.GetFloat32(value)) {
        std::fprintf(stderr, "LibConvertBytes <%s> not a float\n", (const char*)number);
        return 0;
    }
    double factor;
    if (unit == "KB")
        factor = 1024.0;
    else if (unit == "MB")
        factor = 1048576.0;
    else
        return 0;
    // Truncated; products beyond the 32-bit range are held at its ends.
    double bytes = std::trunc(double(value) * factor);
    if (bytes >= 2147483647.0)
        return INT32_MAX;
    if (bytes <= -2147483648.0)
        return INT32_MIN;
    return int32(bytes);
}
