#include <LibSysInfo.h>

#include <Rect.h>
#include <Screen.h>

#include <cmath>
#include <cstdio>

namespace {

struct CodeName {
    int32 code;
    const char* name;
};

const CodeName kProcessors[] = {
    {1, "601"}, {2, "603"}, {3, "603e"}, {4, "604"}, {5, "604e"}, {13, "686"}, {14, "AMD 29K"},
    {15, "x86"}, {16, "MC6502"}, {17, "Z80"}, {18, "Alpha"}, {19, "Mips"}, {20, "Hppa"},
    {21, "M68K"}, {22, "Arm"}, {23, "SH"}, {24, "Sparc"}, {4096, "Intel x86"},
    {4177, "Intel Pentium"}, {4178, "Intel Pentium 75"}, {4179, "Intel Pentium 486"},
    {4180, "Intel Pentium MMX"}, {4184, "Intel Pentium MMX Model 8"},
    {4185, "Intel Pentium 75-486"}, {4193, "Intel Pentium Pro"}, {4195, "Intel Pentium II"},
    {4197, "Intel Pentium II m5"}, {4198, "Intel Pentium Celeron"}, {4199, "Intel Pentium III"},
    {4352, "AMD x86"}, {4432, "AMD K5 m0"}, {4433, "AMD K5 m1"}, {4434, "AMD K5 m2"},
    {4435, "AMD K5 m3"}, {4438, "AMD K6 m6"}, {4439, "AMD K6 m7"}, {4440, "AMD K6 m8"},
    {4441, "AMD K6 m9"}, {4608, "Cyrix x86"}, {4692, "Cyrix GXm"}, {4704, "Cyrix 6 x86MX"},
    {4948, "IDT WinChip C6"}, {4952, "IDT WinChip 2"}, {5120, "Rise x86"}, {5200, "Rise mP6"},
};

const char* const kPlatforms[] = {"BeBox", "Mac", "AT Clone", "Eniac", "Apple II", "Cray", "Lisa",
    "TI 994A", "Timex Sinclair", "Orac 1", "Hal", "Besm 6", "MK 61", "Nintendo 64"};

const CodeName kDepths[] = {
    {0, "No color"}, {1, "1 bit gray"}, {2, "8 bit gray"}, {3, "24 bit color"},
    {4, "8 bit color"}, {5, "16 bit color"}, {8, "32 bit color"}, {16, "15 bit color"},
};

// Whole pixels covered by an extent: its ceiling plus one.
int32 PixelExtent(float extent)
{
    return int32(std::ceil(extent)) + 1;
}

} // namespace

LibSysInfo::LibSysInfo()
{
    system_info info;
    if (get_system_info(&info) != B_OK)
        info = system_info();
    BScreen screen(B_MAIN_SCREEN_ID);
    _SetFrom(info, screen.ColorSpace(), screen.Frame());
}

LibSysInfo::LibSysInfo(const system_info& info, color_space colorSpace, const BRect& screenFrame)
{
    _SetFrom(info, colorSpace, screenFrame);
}

LibSysInfo::LibSysInfo(const LibSysInfo& other)
{
    *this = other;
}

LibSysInfo::~LibSysInfo()
{
}

void LibSysInfo::_SetFrom(const system_info& info, color_space colorSpace, const BRect& screenFrame)
{
    fColorSpace = colorSpace;
    fProcessorCount = info.cpu_count;
    fProcessorName = ProcessorNameFor(info.cpu_type);
    fPlatformName = PlatformNameFor(info.platform_type);
    fScreenWidth = PixelExtent(screenFrame.Width());
    fScreenHeight = PixelExtent(screenFrame.Height());
    fProcessorRevision = info.cpu_revision;
    fProcessorMHz = ClockMHz(info.cpu_clock_speed);
    fBusMHz = ClockMHz(info.bus_clock_speed);
    fKernelBuild.Formatted("%s, %s", info.kernel_build_date, info.kernel_build_time);
    fMemoryMB = int32(info.max_pages * 4096 / 1048576);
}

LibSysInfo& LibSysInfo::operator=(const LibSysInfo& other)
{
    if (this == &other)
        return *this;
    fColorSpace = other.fColorSpace;
    fProcessorCount = other.fProcessorCount;
    fProcessorName = other.fProcessorName;
    fPlatformName = other.fPlatformName;
    fScreenWidth = other.fScreenWidth;
    fScreenHeight = other.fScreenHeight;
    fProcessorRevision = other.fProcessorRevision;
    fProcessorMHz = other.fProcessorMHz;
    fBusMHz = other.fBusMHz;
    fKernelBuild = other.fKernelBuild;
    fMemoryMB = other.fMemoryMB;
    return *this;
}

void LibSysInfo::Description(LibString& text) const
{
    text.Formatted("%s (%d-%s@%d/%dMHz) %dMB RAM", (const char*)fPlatformName, int(fProcessorCount),
        (const char*)fProcessorName, int(fProcessorMHz), int(fBusMHz), int(fMemoryMB));
}

void LibSysInfo::PrintToStream()
{
    LibString text;
    Description(text);
    std::fprintf(stderr, "%s\n", (const char*)text);
    std::fprintf(stderr, "%s, %dx%d\n", ScreenDepthStr(), int(fScreenWidth), int(fScreenHeight));
}

const char* LibSysInfo::ScreenDepthStr()
{
    static LibString sDepthName;
    sDepthName = DepthNameFor(fColorSpace);
    return sDepthName;
}

const char* LibSysInfo::ProcessorNameFor(int32 cpuType)
{
    for (const CodeName& entry : kProcessors) {
        if (entry.code == cpuType)
            return entry.name;
    }
    return "Unknown";
}

const char* LibSysInfo::PlatformNameFor(int32 platformType)
{
    if (platformType < 0 || platformType >= int32(B_COUNT_OF(kPlatforms)))
        return "Unknown";
    return kPlatforms[platformType];
}

const char* LibSysInfo::DepthNameFor(int32 colorSpace)
{
    for (const CodeName& entry : kDepths) {
        if (entry.code == colorSpace)
            return entry.name;
    }
    return "Unknown";
}

int32 LibSysInfo::ClockMHz(int64 hertz)
{
    int64 whole = hertz / 1000000;
    int64 rest = hertz % 1000000;
    if (rest > 500000)
        whole++;
    return int32(whole);
}
