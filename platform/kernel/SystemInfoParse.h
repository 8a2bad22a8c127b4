// Pieces of get_system_info() that turn Linux texts into the platform's
// values; separate so that they can be checked with made-up inputs.
#pragma once

#include <OS.h>

#include <string>

namespace ondelle::kernel {

// The platform's code for an x86 processor: vendor base (Intel 0x1000, AMD
// 0x1100, Cyrix 0x1200, IDT/Centaur 0x1300, Rise 0x1400) plus the processor's
// base family (at most 15) times 16 plus its base model (low four bits).
// Vendors without a base give B_CPU_X86.
cpu_type X86CpuType(const std::string& vendor, int family, int model);

// The processor code for a machine name of uname() ("x86_64", "aarch64" ...)
// that is not an x86; B_CPU_UNKNOWN when there is none.
cpu_type OtherCpuType(const std::string& machine);

// Build date ("Feb  1 2024", the compiler's date form) and build time
// ("10:00:00") from the kernel's version text ("#1 SMP ... Tue Jan 16
// 10:00:00 UTC 2024" or "... (2024-02-01)"). A missing time becomes the
// release text, a missing date the version text itself.
void ParseKernelBuild(const std::string& version, const std::string& release,
    std::string& date, std::string& time);

// One "name : value" line of /proc/cpuinfo's first processor; empty when
// missing.
std::string CpuInfoField(const std::string& cpuinfo, const std::string& name);

} // namespace ondelle::kernel
