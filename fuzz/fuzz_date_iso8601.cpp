// The ISO form of LibDateTime: any text gives true or false; a true result
// leaves a valid date and time that writes back as a text that reads to the
// same value, a false one leaves the value as it was.
#include <LibDateTime.h>
#include <LibString.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the zone hours, the rest is the text.
    const int16 zoneHours = int16(int8(data[0]) % 15);
    std::vector<char> bytes(data + 1, data + size);
    bytes.push_back('\0');
    const LibString text(bytes.data());

    LibDateTime value(14u, 9u, 2000u);
    value.SetTime(15, 7, 9);
    const LibDateTime before(value);
    if (!value.SetIso8601(text, zoneHours)) {
        if (value != before)
            abort();
        return 0;
    }
    if (!value.IsValidDate() || value.GetHours() < 0 || value.GetHours() > 23 || value.GetMinutes() < 0
        || value.GetMinutes() > 59 || value.GetSeconds() < 0 || value.GetSeconds() > 59)
        abort();
    if (value.GetYear() > 1000 && value.GetYear() < 9999) {
        LibString written;
        value.GetIso8601(written, zoneHours);
        LibDateTime again;
        if (!again.SetIso8601(written, zoneHours) || again != value)
            abort();
    }
    return 0;
}
