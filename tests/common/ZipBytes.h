// Hand-made zip archives for tests, including hostile ones that no zip
// writer would make: stored (uncompressed) entries, Unix modes, and a local
// header name that may differ from the central directory's.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ondelle::test {

struct ZipBytesEntry {
    ZipBytesEntry(std::string entryName, std::string entryData = std::string(), uint32_t entryMode = 0100644,
        std::string entryLocalName = std::string())
        : name(std::move(entryName)), data(std::move(entryData)), mode(entryMode),
          localName(std::move(entryLocalName))
    {
    }

    std::string name;
    std::string data;      // a link's target for a link
    uint32_t mode;         // S_IFLNK | 0777 makes a link
    std::string localName; // when set, the local header's name
};

std::string MakeStoredZip(const std::vector<ZipBytesEntry>& entries);

} // namespace ondelle::test
