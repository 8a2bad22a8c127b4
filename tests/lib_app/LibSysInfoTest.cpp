#include <LibSysInfo.h>

#include <Rect.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/utsname.h>

namespace {

system_info PentiumTwo()
{
    system_info info = {};
    info.cpu_count = 1;
    info.cpu_type = B_CPU_INTEL_PENTIUM_II;
    info.cpu_revision = 2;
    info.cpu_clock_speed = 400000000;
    info.bus_clock_speed = 100000000;
    info.platform_type = B_AT_CLONE_PLATFORM;
    info.max_pages = 65536;
    std::strcpy(info.kernel_build_date, "Mar 19 2000");
    std::strcpy(info.kernel_build_time, "21:44:53");
    return info;
}

} // namespace

TEST(LibSysInfo, DescriptionAndFieldsFromSystemInformation)
{
    LibSysInfo info(PentiumTwo(), B_RGB32, BRect(0, 0, 1023.5f, 767));
    LibString text;
    info.Description(text);
    EXPECT_STREQ(text, "AT Clone (1-Intel Pentium II@400/100MHz) 256MB RAM");
    EXPECT_STREQ(info.KernelBuild(), "Mar 19 2000, 21:44:53");
    EXPECT_EQ(info.ProcessorRevision(), 2);
    EXPECT_EQ(info.ScreenWidth(), 1025);
    EXPECT_EQ(info.ScreenHeight(), 768);
    EXPECT_STREQ(info.ScreenDepthStr(), "32 bit color");

    testing::internal::CaptureStderr();
    info.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "AT Clone (1-Intel Pentium II@400/100MHz) 256MB RAM\n32 bit color, 1025x768\n");

    LibSysInfo copy(PentiumTwo(), B_NO_COLOR_SPACE, BRect());
    EXPECT_EQ(copy.ScreenWidth(), 0);
    copy = info;
    LibString copied;
    copy.Description(copied);
    EXPECT_STREQ(copied, text);
    EXPECT_EQ(copy.ScreenWidth(), 1025);
    EXPECT_EQ(copy.ColorSpace(), B_RGB32);
}

TEST(LibSysInfo, ClockRoundingKeepsExactHalvesDown)
{
    EXPECT_EQ(LibSysInfo::ClockMHz(399500000), 399);
    EXPECT_EQ(LibSysInfo::ClockMHz(399500001), 400);
    EXPECT_EQ(LibSysInfo::ClockMHz(399600000), 400);
    EXPECT_EQ(LibSysInfo::ClockMHz(400000000), 400);
    EXPECT_EQ(LibSysInfo::ClockMHz(499999), 0);
    EXPECT_EQ(LibSysInfo::ClockMHz(0), 0);
    system_info slow = PentiumTwo();
    slow.cpu_clock_speed = 399500000;
    slow.bus_clock_speed = 66600000;
    EXPECT_EQ(LibSysInfo(slow, B_RGB32, BRect()).ProcessorMHz(), 399);
    EXPECT_EQ(LibSysInfo(slow, B_RGB32, BRect()).BusMHz(), 67);
}

TEST(LibSysInfo, TablesGiveUnknownOutsideTheirCodes)
{
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(0), "BeBox");
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(2), "AT Clone");
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(13), "Nintendo 64");
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(14), "Unknown");
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(20), "Unknown");
    EXPECT_STREQ(LibSysInfo::PlatformNameFor(-1), "Unknown");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(6), "Unknown");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(13), "686");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(0x1051), "Intel Pentium");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(4704), "Cyrix 6 x86MX");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(5200), "Rise mP6");
    EXPECT_STREQ(LibSysInfo::ProcessorNameFor(B_CPU_UNKNOWN), "Unknown");
    EXPECT_STREQ(LibSysInfo::DepthNameFor(0), "No color");
    EXPECT_STREQ(LibSysInfo::DepthNameFor(16), "15 bit color");
    EXPECT_STREQ(LibSysInfo::DepthNameFor(5), "16 bit color");
    EXPECT_STREQ(LibSysInfo::DepthNameFor(6), "Unknown");
}

TEST(LibSysInfo, ThisMachine)
{
    LibSysInfo info;
    EXPECT_GE(info.ProcessorCount(), 1);
    EXPECT_GT(info.MemoryMB(), 0);
    struct utsname names;
    uname(&names);
    if (std::string(names.machine) == "x86_64") {
        EXPECT_STREQ(info.PlatformName(), "AT Clone");
    }
    LibString text;
    info.Description(text);
    EXPECT_TRUE(text.EndsWith("MB RAM"));
    // The test program runs a (virtual) display: the screen has a size.
    EXPECT_GT(info.ScreenWidth(), 0);
    EXPECT_GT(info.ScreenHeight(), 0);
}
