#include "SystemInfoParse.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace ondelle::kernel {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep",
    "Oct", "Nov", "Dec"};

int MonthIndex(const std::string& word)
{
    for (int i = 0; i < 12; i++) {
        if (word == kMonths[i])
            return i;
    }
    return -1;
}

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool IsClockTime(const std::string& text)
{
    return text.size() == 8 && text[2] == ':' && text[5] == ':' && AllDigits(text.substr(0, 2))
        && AllDigits(text.substr(3, 2)) && AllDigits(text.substr(6, 2));
}

std::string DateText(int month, int day, int year)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%s %2d %d", kMonths[month], day, year);
    return text;
}

} // namespace

cpu_type X86CpuType(const std::string& vendor, int family, int model)
{
    int base;
    if (vendor == "GenuineIntel")
        base = 0x1000;
    else if (vendor == "AuthenticAMD")
        base = 0x1100;
    else if (vendor == "CyrixInstead")
        base = 0x1200;
    else if (vendor == "CentaurHauls")
        base = 0x1300;
    else if (vendor == "RiseRiseRise")
        base = 0x1400;
    else
        return B_CPU_X86;
    if (family < 0 || model < 0)
        return cpu_type(base);
    int baseFamily = family > 15 ? 15 : family;
    return cpu_type(base + (baseFamily << 4) + (model & 0xf));
}

cpu_type OtherCpuType(const std::string& machine)
{
    auto starts = [&](const char* prefix) { return machine.rfind(prefix, 0) == 0; };
    if (starts("aarch64") || starts("arm"))
        return B_CPU_ARM;
    if (starts("mips"))
        return B_CPU_MIPS;
    if (starts("alpha"))
        return B_CPU_ALPHA;
    if (starts("sparc"))
        return B_CPU_SPARC;
    if (starts("m68k"))
        return B_CPU_M68K;
    if (starts("parisc"))
        return B_CPU_HPPA;
    if (starts("sh"))
        return B_CPU_SH;
    return B_CPU_UNKNOWN;
}

void ParseKernelBuild(const std::string& version, const std::string& release,
    std::string& date, std::string& time)
{
    date.clear();
    time.clear();
    std::vector<std::string> words;
    std::istringstream stream(version);
    std::string word;
    while (stream >> word)
        words.push_back(word);

    // "Mon Jan 16 10:00:00 UTC 2024" (the zone may be missing).
    for (size_t i = 0; i + 3 < words.size() && date.empty(); i++) {
        int month = MonthIndex(words[i]);
        if (month < 0 || !AllDigits(words[i + 1]) || words[i + 1].size() > 2 || !IsClockTime(words[i + 2]))
            continue;
        size_t yearIndex = AllDigits(words[i + 3]) ? i + 3 : i + 4;
        if (yearIndex >= words.size() || !AllDigits(words[yearIndex]) || words[yearIndex].size() != 4)
            continue;
        date = DateText(month, std::atoi(words[i + 1].c_str()), std::atoi(words[yearIndex].c_str()));
        time = words[i + 2];
    }

    // "(2024-02-01)", as Debian's kernels give it.
    if (date.empty()) {
        for (const std::string& w : words) {
            int year, month, day;
            char tail;
            if (w.size() == 12 && std::sscanf(w.c_str(), "(%4d-%2d-%2d%c", &year, &month, &day, &tail) == 4
                && tail == ')' && month >= 1 && month <= 12 && day >= 1 && day <= 31) {
                date = DateText(month - 1, day, year);
                break;
            }
        }
    }

    if (date.empty())
        date = version.substr(0, B_OS_NAME_LENGTH - 1);
    if (time.empty())
        time = release.substr(0, B_OS_NAME_LENGTH - 1);
}

std::string CpuInfoField(const std::string& cpuinfo, const std::string& name)
{
    std::istringstream lines(cpuinfo);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty())
            break; // end of the first processor's block
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string key = line.substr(0, colon);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        if (key != name)
            continue;
        size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return std::string();
}

} // namespace ondelle::kernel
