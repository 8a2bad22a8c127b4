#include "ZipBytes.h"

namespace ondelle::test {

namespace {

uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put16(std::string& out, uint32_t value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The fields that local and central headers share, from "version needed".
void CommonFields(std::string& out, const ZipBytesEntry& entry, size_t nameLength)
{
    Put16(out, 20);      // version needed
    Put16(out, 0);       // flags
    Put16(out, 0);       // stored
    Put16(out, 0);       // time
    Put16(out, 0x21);    // 1980-01-01
    Put32(out, Crc32(entry.data));
    Put32(out, uint32_t(entry.data.size()));
    Put32(out, uint32_t(entry.data.size()));
    Put16(out, uint32_t(nameLength));
    Put16(out, 0);       // extra field length
}

} // namespace

std::string MakeStoredZip(const std::vector<ZipBytesEntry>& entries)
{
    std::string archive;
    std::string central;
    for (const ZipBytesEntry& entry : entries) {
        const uint32_t offset = uint32_t(archive.size());
        const std::string& localName = entry.localName.empty() ? entry.name : entry.localName;
        Put32(archive, 0x04034b50);
        CommonFields(archive, entry, localName.size());
        archive += localName + entry.data;

        Put32(central, 0x02014b50);
        Put16(central, (3 << 8) | 20); // made on Unix
        CommonFields(central, entry, entry.name.size());
        Put16(central, 0); // comment
        Put16(central, 0); // disk
        Put16(central, 0); // internal attributes
        Put32(central, entry.mode << 16);
        Put32(central, offset);
        central += entry.name;
    }
    const uint32_t centralOffset = uint32_t(archive.size());
    archive += central;
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, uint32_t(entries.size()));
    Put16(archive, uint32_t(entries.size()));
    Put32(archive, uint32_t(central.size()));
    Put32(archive, centralOffset);
    Put16(archive, 0);
    return archive;
}

} // namespace ondelle::test
