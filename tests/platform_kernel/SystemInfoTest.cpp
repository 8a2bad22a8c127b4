#include <OS.h>

#include "SystemInfoParse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/utsname.h>

using namespace ondelle::kernel;

TEST(SystemInfo, DescribesThisMachine)
{
    system_info info;
    ASSERT_EQ(get_system_info(&info), B_OK);
    EXPECT_GE(info.cpu_count, 1);
    EXPECT_GT(info.max_pages, 0);
    EXPECT_LE(info.used_pages, info.max_pages);
    EXPECT_STREQ(info.kernel_name, "Linux");
    EXPECT_GT(std::strlen(info.kernel_build_date), 0u);
    EXPECT_GT(info.boot_time, 0);
    EXPECT_GT(info.used_teams, 0);
    struct utsname names;
    uname(&names);
    if (std::string(names.machine) == "x86_64") {
        EXPECT_EQ(info.platform_type, B_AT_CLONE_PLATFORM);
    }
    EXPECT_EQ(get_system_info(nullptr), B_BAD_VALUE);
}

TEST(SystemInfo, X86ProcessorCodes)
{
    EXPECT_EQ(X86CpuType("GenuineIntel", 5, 1), B_CPU_INTEL_PENTIUM);
    EXPECT_EQ(X86CpuType("GenuineIntel", 6, 3), B_CPU_INTEL_PENTIUM_II);
    EXPECT_EQ(X86CpuType("AuthenticAMD", 5, 6), B_CPU_AMD_K6_MODEL6);
    EXPECT_EQ(X86CpuType("CyrixInstead", 6, 0), B_CPU_CYRIX_6x86MX);
    EXPECT_EQ(X86CpuType("CentaurHauls", 5, 8), B_CPU_IDT_WINCHIP_2);
    EXPECT_EQ(X86CpuType("RiseRiseRise", 5, 0), B_CPU_RISE_mP6);
    // Extended families and models stay inside the vendor's range.
    EXPECT_EQ(X86CpuType("GenuineIntel", 6, 158), cpu_type(0x106e));
    EXPECT_EQ(X86CpuType("AuthenticAMD", 25, 33), cpu_type(0x11f1));
    EXPECT_EQ(X86CpuType("HygonGenuine", 24, 0), B_CPU_X86);
    EXPECT_EQ(X86CpuType("GenuineIntel", -1, -1), B_CPU_INTEL_X86);
    EXPECT_EQ(OtherCpuType("aarch64"), B_CPU_ARM);
    EXPECT_EQ(OtherCpuType("riscv64"), B_CPU_UNKNOWN);
}

TEST(SystemInfo, KernelBuildDateAndTime)
{
    std::string date, time;
    ParseKernelBuild("#1 SMP PREEMPT_DYNAMIC Tue Jan 16 10:02:03 UTC 2024", "6.5.0", date, time);
    EXPECT_EQ(date, "Jan 16 2024");
    EXPECT_EQ(time, "10:02:03");
    ParseKernelBuild("#1 SMP Wed Mar  5 01:00:00 2003", "2.4.20", date, time);
    EXPECT_EQ(date, "Mar  5 2003");
    EXPECT_EQ(time, "01:00:00");
    ParseKernelBuild("#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)", "6.1.0-18-amd64", date, time);
    EXPECT_EQ(date, "Feb  1 2024");
    EXPECT_EQ(time, "6.1.0-18-amd64");
    ParseKernelBuild("#7 custom (2024-13-01) Jan 99 10:00:00", "r", date, time);
    EXPECT_EQ(date, "#7 custom (2024-13-01) Jan 99 1"); // 31 bytes at most
    EXPECT_EQ(time, "r");
}

TEST(SystemInfo, CpuInfoFieldsOfTheFirstProcessorOnly)
{
    std::string text = "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 3\n"
                       "model name\t: Some CPU @ 2.00GHz\n\nprocessor\t: 1\nflags\t: fpu\n";
    EXPECT_EQ(CpuInfoField(text, "vendor_id"), "GenuineIntel");
    EXPECT_EQ(CpuInfoField(text, "model"), "3");
    EXPECT_EQ(CpuInfoField(text, "model name"), "Some CPU @ 2.00GHz");
    EXPECT_EQ(CpuInfoField(text, "flags"), "");
    EXPECT_EQ(CpuInfoField("", "model"), "");
}

TEST(Time, ClocksAndSleeping)
{
    bigtime_t start = system_time();
    EXPECT_EQ(snooze(20000), B_OK);
    bigtime_t slept = system_time() - start;
    EXPECT_GE(slept, 20000);
    EXPECT_EQ(snooze(-1), B_BAD_VALUE);
    EXPECT_GT(real_time_clock(), 1600000000u);
}

#include <SystemControl.h>

TEST(SystemControl, OsReleaseText)
{
    std::string text;
    EXPECT_TRUE(parse_os_release("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", text));
    EXPECT_EQ(text, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_TRUE(parse_os_release("# comment\nNAME=Fedora\nVERSION='39 (Workstation)'\n", text));
    EXPECT_EQ(text, "Fedora 39 (Workstation)");
    EXPECT_TRUE(parse_os_release("PRETTY_NAME=\"Say \\\"hi\\\" \\\\ now\"\r\n", text));
    EXPECT_EQ(text, "Say \"hi\" \\ now");
    text = "kept";
    EXPECT_FALSE(parse_os_release("ID=debian\nVERSION=12\n", text));
    EXPECT_FALSE(parse_os_release("", text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(get_os_version_text(text), B_OK);
    EXPECT_FALSE(text.empty());
}
