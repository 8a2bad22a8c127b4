// Kernel services with the platform's names: threads, teams (processes),
// system information and time.
//
// Threads are POSIX threads. A thread_id is the Linux thread id (gettid) and a
// team_id the Linux process id, so ids of threads this library did not spawn
// (the main thread, threads of other processes) are meaningful too. Linux
// cannot end or suspend one thread from outside, so kill_thread and
// suspend_thread act through the stop mark (see StopPoint.h and
// docs/threads.md): the target parks at its next stop_point().
#pragma once

#include <SupportDefs.h>

#include <sys/types.h>

#define B_OS_NAME_LENGTH 32
#ifndef B_INFINITE_TIMEOUT
#define B_INFINITE_TIMEOUT (9223372036854775807LL)
#endif

// Thread states with the platform's numbering.
typedef enum {
    B_THREAD_RUNNING = 1,
    B_THREAD_READY = 2,
    B_THREAD_RECEIVING = 3,
    B_THREAD_ASLEEP = 4,
    B_THREAD_SUSPENDED = 5,
    B_THREAD_WAITING = 6
} thread_state;

// Priorities. They are recorded and reported; Linux schedules every thread
// of the program alike (see docs/threads.md).
#define B_IDLE_PRIORITY 0
#define B_LOWEST_ACTIVE_PRIORITY 1
#define B_LOW_PRIORITY 5
#define B_NORMAL_PRIORITY 10
#define B_DISPLAY_PRIORITY 15
#define B_URGENT_DISPLAY_PRIORITY 20
#define B_REAL_TIME_DISPLAY_PRIORITY 100
#define B_URGENT_PRIORITY 110
#define B_REAL_TIME_PRIORITY 120

#define B_CURRENT_TEAM 0
#define B_SYSTEM_TEAM 1

typedef int32 (*thread_func)(void* data);

typedef struct {
    thread_id thread;
    team_id team;
    char name[B_OS_NAME_LENGTH];
    thread_state state;
    int32 priority;
    sem_id sem;
    bigtime_t user_time;   // microseconds
    bigtime_t kernel_time; // microseconds
    void* stack_base;
    void* stack_end;
} thread_info;

typedef struct {
    team_id team;
    int32 thread_count;
    int32 image_count;
    int32 area_count;
    thread_id debugger_nub_thread;
    port_id debugger_nub_port;
    int32 argc;
    char args[64];
    uid_t uid;
    gid_t gid;
} team_info;

// Threads. A spawned thread waits until resume_thread() or
// wait_for_thread() starts it. Only threads spawned here can be killed,
// suspended or waited for; for other threads of this program these return
// B_NOT_ALLOWED. suspend_thread() and resume_thread() on a thread of another
// process stop and continue that whole process (SIGSTOP, SIGCONT): Linux
// cannot stop one thread of another process.
thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data);
status_t resume_thread(thread_id thread);
status_t suspend_thread(thread_id thread);
// Marks the thread killed, ends its registered child processes and wakes it
// when it waits at a stop point; the thread parks at its next stop_point()
// and never returns into its function. Returns once the thread has parked,
// ended, waits in a marked wait (ThreadWaitMark.h) or not started yet, or
// after a grace of two seconds; waiters of wait_for_thread() get
// B_INTERRUPTED at once. A thread that kills itself parks there and then.
status_t kill_thread(thread_id thread);
status_t rename_thread(thread_id thread, const char* newName);
status_t set_thread_priority(thread_id thread, int32 newPriority);
// Starts a not yet started thread, then waits for its end. Returns B_OK with
// the thread's exit value, B_INTERRUPTED when the thread was killed (at once,
// without waiting for it to reach its stop point), B_BAD_THREAD_ID when the id
// is not a thread spawned here, B_DONT_DO_THAT when the caller waits for
// itself. Once a wait has returned, the id is gone.
status_t wait_for_thread(thread_id thread, status_t* returnValue);

// For the end of a program: waits up to timeout for every thread spawned by
// spawn_thread() to end, and returns how many have not (threads killed and
// parked at a stop point never do; threads still at work after the time).
// A program with such threads left must not run its static destructors
// under them: it ends with _exit() after flushing its output.
int32 wait_for_spawned_threads(bigtime_t timeout);
// find_thread(NULL) is the calling thread; otherwise the first live thread
// of this program with that name, or B_NAME_NOT_FOUND.
thread_id find_thread(const char* name);
status_t get_thread_info(thread_id id, thread_info* info);
// Threads of a team in turn; *cookie starts at 0. Threads of other
// processes are read from /proc.
status_t get_next_thread_info(team_id team, int32* cookie, thread_info* info);
#define _get_thread_info(id, info, size) get_thread_info((id), (info))

status_t get_team_info(team_id team, team_info* info);

// Time, in microseconds.
status_t snooze(bigtime_t amount);
bigtime_t system_time(void);
// Seconds since 1970.
uint32 real_time_clock(void);

// System information.
#define B_MAX_CPU_COUNT 8
#ifndef B_FILE_NAME_LENGTH
#define B_FILE_NAME_LENGTH 256
#endif

typedef enum cpu_types {
    B_CPU_PPC_601 = 1,
    B_CPU_PPC_603 = 2,
    B_CPU_PPC_603e = 3,
    B_CPU_PPC_604 = 4,
    B_CPU_PPC_604e = 5,
    B_CPU_PPC_686 = 13,
    B_CPU_AMD_29K = 14,
    B_CPU_X86 = 15,
    B_CPU_MC6502 = 16,
    B_CPU_Z80 = 17,
    B_CPU_ALPHA = 18,
    B_CPU_MIPS = 19,
    B_CPU_HPPA = 20,
    B_CPU_M68K = 21,
    B_CPU_ARM = 22,
    B_CPU_SH = 23,
    B_CPU_SPARC = 24,
    B_CPU_INTEL_X86 = 0x1000,
    B_CPU_INTEL_PENTIUM = 0x1051,
    B_CPU_INTEL_PENTIUM75 = 0x1052,
    B_CPU_INTEL_PENTIUM_486_OVERDRIVE = 0x1053,
    B_CPU_INTEL_PENTIUM_MMX = 0x1054,
    B_CPU_INTEL_PENTIUM_MMX_MODEL_8 = 0x1058,
    B_CPU_INTEL_PENTIUM75_486_OVERDRIVE = 0x1059,
    B_CPU_INTEL_PENTIUM_PRO = 0x1061,
    B_CPU_INTEL_PENTIUM_II = 0x1063,
    B_CPU_INTEL_PENTIUM_II_MODEL_5 = 0x1065,
    B_CPU_INTEL_CELERON = 0x1066,
    B_CPU_INTEL_PENTIUM_III = 0x1067,
    B_CPU_AMD_X86 = 0x1100,
    B_CPU_AMD_K5_MODEL0 = 0x1150,
    B_CPU_AMD_K5_MODEL1 = 0x1151,
    B_CPU_AMD_K5_MODEL2 = 0x1152,
    B_CPU_AMD_K5_MODEL3 = 0x1153,
    B_CPU_AMD_K6_MODEL6 = 0x1156,
    B_CPU_AMD_K6_MODEL7 = 0x1157,
    B_CPU_AMD_K6_MODEL8 = 0x1158,
    B_CPU_AMD_K6_MODEL9 = 0x1159,
    B_CPU_CYRIX_X86 = 0x1200,
    B_CPU_CYRIX_GXm = 0x1254,
    B_CPU_CYRIX_6x86MX = 0x1260,
    B_CPU_IDT_X86 = 0x1300,
    B_CPU_IDT_WINCHIP_C6 = 0x1354,
    B_CPU_IDT_WINCHIP_2 = 0x1358,
    B_CPU_RISE_X86 = 0x1400,
    B_CPU_RISE_mP6 = 0x1450,
    // Any processor the list above does not know.
    B_CPU_UNKNOWN = 0x7fffffff
} cpu_type;

typedef enum platform_types {
    B_BEBOX_PLATFORM = 0,
    B_MAC_PLATFORM,
    B_AT_CLONE_PLATFORM,
    B_ENIAC_PLATFORM,
    B_APPLE_II_PLATFORM,
    B_CRAY_PLATFORM,
    B_LISA_PLATFORM,
    B_TI_994A_PLATFORM,
    B_TIMEX_SINCLAIR_PLATFORM,
    B_ORAC_1_PLATFORM,
    B_HAL_PLATFORM,
    B_BESM_6_PLATFORM,
    B_MK_61_PLATFORM,
    B_NINTENDO_64_PLATFORM,
    // A machine none of the above describes (not a PC).
    B_OTHER_PLATFORM = 0x100
} platform_type;

typedef struct {
    bigtime_t active_time; // microseconds this processor was busy since boot
} cpu_info;

typedef struct {
    bigtime_t boot_time; // microseconds since 1970
    int32 cpu_count;
    enum cpu_types cpu_type;
    int32 cpu_revision; // stepping
    cpu_info cpu_infos[B_MAX_CPU_COUNT];
    int64 cpu_clock_speed; // Hz, 0 when unknown
    int64 bus_clock_speed; // Hz, 0 when unknown
    enum platform_types platform_type;
    int64 max_pages;  // physical memory in pages of B_PAGE_SIZE bytes
    int64 used_pages;
    int32 used_threads;
    int32 used_teams;
    char kernel_name[B_FILE_NAME_LENGTH];
    char kernel_build_date[B_OS_NAME_LENGTH];
    char kernel_build_time[B_OS_NAME_LENGTH];
    int64 kernel_version;
    char cpu_model_name[B_FILE_NAME_LENGTH]; // the processor's own name text
} system_info;

#ifndef B_PAGE_SIZE
#define B_PAGE_SIZE 4096
#endif

status_t get_system_info(system_info* info);
