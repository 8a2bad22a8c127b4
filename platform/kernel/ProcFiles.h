// Readers for the Linux /proc files that describe processes and threads.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace ondelle::kernel {

// Whole contents of a (small, virtual) file; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& out, size_t limit = 4 << 20);

struct TaskStat {
    char state = '?';
    std::string comm;
    int64 userTicks = 0;
    int64 systemTicks = 0;
};

// Parses the text of a "stat" file: "<id> (<comm>) <state> ...". The command
// name may itself hold spaces and parentheses, so it ends at the last ')'.
bool ParseTaskStat(const std::string& text, TaskStat& out);

// /proc/<team>/task/<thread>/stat.
bool ReadTaskStat(pid_t team, pid_t thread, TaskStat& out);

// Thread ids of a process in ascending order (empty when it does not exist).
std::vector<pid_t> ListTasks(pid_t team);

// The process a thread id belongs to, or -1.
pid_t TeamOfThread(pid_t thread);

// One field ("Uid:", "Tgid:" ...) of /proc/<id>/status, without the name.
bool ReadStatusField(pid_t id, const char* field, std::string& value);

bigtime_t TicksToMicroseconds(int64 ticks);

// Thread id of the caller (gettid).
pid_t CurrentThreadId();

} // namespace ondelle::kernel
