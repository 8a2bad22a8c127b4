#include "GlibcFloor.h"

#include <cctype>

std::vector<int> GlibcVersionNumbers(const std::string& versionName)
{
    static const std::string kPrefix = "GLIBC_";
    if (versionName.compare(0, kPrefix.size(), kPrefix) != 0)
        return {};
    std::vector<int> numbers;
    size_t position = kPrefix.size();
    while (position < versionName.size()) {
        int value = 0;
        size_t digits = 0;
        while (position < versionName.size() && std::isdigit(static_cast<unsigned char>(versionName[position]))
            && digits < 6) {
            value = value * 10 + (versionName[position++] - '0');
            digits++;
        }
        if (digits == 0)
            return {};
        numbers.push_back(value);
        if (position == versionName.size())
            break;
        if (versionName[position++] != '.' || position == versionName.size())
            return {};
    }
    return numbers;
}

std::string CheckGlibcFloor(const ElfImage& image, int floorMinor)
{
    const std::vector<int> floor = {kGlibcFloorMajor, floorMinor};
    const ElfImage::NeededVersion* newest = nullptr;
    std::vector<int> newestNumbers;
    for (const ElfImage::NeededVersion& needed : image.NeededVersions()) {
        if (needed.version.compare(0, 6, "GLIBC_") != 0)
            continue;
        const std::vector<int> numbers = GlibcVersionNumbers(needed.version);
        // GLIBC_PRIVATE and the like tie a program to one build of the C
        // library: it would start nowhere else.
        if (numbers.empty())
            return "needs " + needed.version + (needed.symbol.empty() ? "" : " (symbol " + needed.symbol + ")")
                + " from " + needed.library + ", which only one build of the C library has";
        if (numbers > floor && (newest == nullptr || numbers > newestNumbers)) {
            newest = &needed;
            newestNumbers = numbers;
        }
    }
    if (newest == nullptr)
        return std::string();
    return "needs " + newest->version + (newest->symbol.empty() ? "" : " (symbol " + newest->symbol + ")") + " from "
        + newest->library + ", newer than glibc " + std::to_string(kGlibcFloorMajor) + "."
        + std::to_string(floorMinor) + ", the oldest C library the build is made for; build it on a system with glibc "
        + std::to_string(kGlibcFloorMajor) + "." + std::to_string(floorMinor)
        + " or older, or raise the build's floor with --glibc-floor";
}
