// get_system_info() from /proc, /sys, sysconf() and uname().
#include <OS.h>

#include "ProcFiles.h"
#include "SystemInfoParse.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

using namespace ondelle::kernel;

namespace {

int64 ReadNumber(const std::string& path)
{
    std::string text;
    if (!ReadTextFile(path, text))
        return 0;
    return std::strtoll(text.c_str(), nullptr, 10);
}

// Nominal clock and bus clock in MHz from the processor itself, where it
// tells them (leaf 0x16); zero otherwise.
void CpuidClocks(int64& coreMHz, int64& busMHz)
{
    coreMHz = 0;
    busMHz = 0;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax, ebx, ecx, edx;
    if (__get_cpuid_max(0, nullptr) >= 0x16) {
        __cpuid(0x16, eax, ebx, ecx, edx);
        coreMHz = eax & 0xffff;
        busMHz = ecx & 0xffff;
    }
#endif
}

int64 CpuClockHz(const std::string& cpuinfo, int64 cpuidMHz)
{
    const char* base = "/sys/devices/system/cpu/cpu0/cpufreq/";
    if (int64 kHz = ReadNumber(std::string(base) + "base_frequency"); kHz > 0)
        return kHz * 1000;
    if (cpuidMHz > 0)
        return cpuidMHz * 1000000;
    if (int64 kHz = ReadNumber(std::string(base) + "cpuinfo_max_freq"); kHz > 0)
        return kHz * 1000;
    std::string mhz = CpuInfoField(cpuinfo, "cpu MHz");
    if (!mhz.empty())
        return int64(std::strtod(mhz.c_str(), nullptr) * 1000000.0 + 0.5);
    return 0;
}

int IntField(const std::string& cpuinfo, const char* name)
{
    std::string text = CpuInfoField(cpuinfo, name);
    if (text.empty())
        return -1;
    return std::atoi(text.c_str());
}

void FillProcessor(system_info* info, const std::string& machine)
{
    std::string cpuinfo;
    ReadTextFile("/proc/cpuinfo", cpuinfo);
    bool x86 = machine == "x86_64" || (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86");
    if (x86) {
        info->cpu_type = X86CpuType(CpuInfoField(cpuinfo, "vendor_id"), IntField(cpuinfo, "cpu family"),
            IntField(cpuinfo, "model"));
        info->platform_type = B_AT_CLONE_PLATFORM;
    } else {
        info->cpu_type = OtherCpuType(machine);
        info->platform_type = B_OTHER_PLATFORM;
    }
    int stepping = IntField(cpuinfo, "stepping");
    info->cpu_revision = stepping < 0 ? 0 : stepping;

    std::string model = CpuInfoField(cpuinfo, "model name");
    if (model.empty())
        model = CpuInfoField(cpuinfo, "Processor");
    std::strncpy(info->cpu_model_name, model.c_str(), sizeof(info->cpu_model_name) - 1);

    int64 coreMHz, busMHz;
    CpuidClocks(coreMHz, busMHz);
    info->cpu_clock_speed = CpuClockHz(cpuinfo, coreMHz);
    info->bus_clock_speed = busMHz * 1000000;
}

void FillTimes(system_info* info)
{
    std::string stat;
    if (!ReadTextFile("/proc/stat", stat))
        return;
    std::istringstream lines(stat);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        if (name == "btime") {
            int64 seconds = 0;
            fields >> seconds;
            info->boot_time = seconds * 1000000;
        } else if (name.size() > 3 && name.compare(0, 3, "cpu") == 0) {
            int index = std::atoi(name.c_str() + 3);
            if (index < 0 || index >= B_MAX_CPU_COUNT)
                continue;
            // user nice system idle iowait irq softirq steal: busy is all
            // but idle and iowait.
            int64 value[8] = {};
            for (int64& v : value)
                fields >> v;
            int64 busy = value[0] + value[1] + value[2] + value[5] + value[6] + value[7];
            info->cpu_infos[index].active_time = TicksToMicroseconds(busy);
        }
    }
}

void FillMemory(system_info* info)
{
    long pages = ::sysconf(_SC_PHYS_PAGES);
    long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        info->max_pages = int64(pages) * pageSize / B_PAGE_SIZE;

    std::string meminfo;
    if (ReadTextFile("/proc/meminfo", meminfo)) {
        std::istringstream lines(meminfo);
        std::string name;
        int64 kB = 0;
        std::string unit;
        while (lines >> name >> kB) {
            std::getline(lines, unit);
            if (name == "MemAvailable:") {
                int64 available = kB * 1024 / B_PAGE_SIZE;
                info->used_pages = info->max_pages > available ? info->max_pages - available : 0;
                break;
            }
        }
    }
}

void FillCounts(system_info* info)
{
    // /proc/loadavg: "0.00 0.01 0.05 1/123 4567": running/all threads.
    std::string loadavg;
    if (ReadTextFile("/proc/loadavg", loadavg)) {
        size_t slash = loadavg.find('/');
        if (slash != std::string::npos)
            info->used_threads = std::atoi(loadavg.c_str() + slash + 1);
    }
    if (DIR* dir = ::opendir("/proc")) {
        while (struct dirent* entry = ::readdir(dir)) {
            char* end = nullptr;
            std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0')
                info->used_teams++;
        }
        ::closedir(dir);
    }
}

void FillKernel(system_info* info, const struct utsname& names)
{
    std::strncpy(info->kernel_name, names.sysname, sizeof(info->kernel_name) - 1);
    std::string date, time;
    ParseKernelBuild(names.version, names.release, date, time);
    std::strncpy(info->kernel_build_date, date.c_str(), sizeof(info->kernel_build_date) - 1);
    std::strncpy(info->kernel_build_time, time.c_str(), sizeof(info->kernel_build_time) - 1);
    // "6.1.76-..." as 6 * 10000 + 1 * 100 + 76.
    int major = 0, minor = 0, patch = 0;
    std::sscanf(names.release, "%d.%d.%d", &major, &minor, &patch);
    info->kernel_version = int64(major) * 10000 + minor * 100 + patch;
}

} // namespace

status_t get_system_info(system_info* info)
{
    if (info == nullptr)
        return B_BAD_VALUE;
    std::memset(info, 0, sizeof(*info));

    struct utsname names;
    if (::uname(&names) != 0)
        return status_from_errno(errno);

    long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    info->cpu_count = processors > 0 ? int32(processors) : 1;
    FillProcessor(info, names.machine);
    FillTimes(info);
    FillMemory(info);
    FillCounts(info);
    FillKernel(info, names);
    return B_OK;
}
