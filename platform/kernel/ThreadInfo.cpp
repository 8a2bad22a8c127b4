// get_thread_info(), get_next_thread_info() and get_team_info(): the
// registry's records for threads spawned here, /proc for everything else.
#include <OS.h>

#include "ProcFiles.h"
#include "ThreadRegistry.h"

#include <cstring>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace ondelle::kernel;

namespace {

thread_state StateFromProc(char state)
{
    switch (state) {
        case 'R':
            return B_THREAD_RUNNING;
        case 'T':
        case 't':
            return B_THREAD_SUSPENDED;
        default:
            // Sleeping in the kernel: blocked on something.
            return B_THREAD_WAITING;
    }
}

void CopyName(char* target, const std::string& name)
{
    std::strncpy(target, name.c_str(), B_OS_NAME_LENGTH - 1);
    target[B_OS_NAME_LENGTH - 1] = '\0';
}

pid_t ResolveTeam(team_id team)
{
    return team == B_CURRENT_TEAM ? ::getpid() : team;
}

// Fills info for a thread of a team; false when it does not exist.
bool FillThreadInfo(pid_t team, thread_id id, thread_info* info)
{
    TaskStat stat;
    if (!ReadTaskStat(team, id, stat))
        return false;

    std::memset(info, 0, sizeof(*info));
    info->thread = id;
    info->team = team;
    info->sem = -1;
    info->user_time = TicksToMicroseconds(stat.userTicks);
    info->kernel_time = TicksToMicroseconds(stat.systemTicks);
    info->state = StateFromProc(stat.state);
    info->priority = B_NORMAL_PRIORITY;
    CopyName(info->name, stat.comm);

    if (team != ::getpid())
        return true;

    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    if (registry.IsDead(id))
        return false;
    ThreadRecordRef record = registry.Find(id);
    if (record == nullptr)
        return true;
    if (record->exited)
        return false;
    CopyName(info->name, record->name);
    info->priority = record->priority;
    if (!record->started || record->suspended)
        info->state = B_THREAD_SUSPENDED;
    else if (record->waitState != 0)
        info->state = thread_state(record->waitState);
    return true;
}

} // namespace

status_t get_thread_info(thread_id id, thread_info* info)
{
    if (info == nullptr)
        return B_BAD_VALUE;
    pid_t team = TeamOfThread(id);
    if (team <= 0 || !FillThreadInfo(team, id, info))
        return B_BAD_THREAD_ID;
    return B_OK;
}

status_t get_next_thread_info(team_id team, int32* cookie, thread_info* info)
{
    if (cookie == nullptr || info == nullptr)
        return B_BAD_VALUE;
    pid_t process = ResolveTeam(team);
    if (process <= 0)
        return B_BAD_TEAM_ID;
    std::vector<pid_t> threads = ListTasks(process);
    if (threads.empty())
        return B_BAD_TEAM_ID;
    // The cookie is the last id handed out, so that threads that come and
    // go between calls neither repeat nor shift the walk.
    for (pid_t thread : threads) {
        if (thread <= *cookie)
            continue;
        if (FillThreadInfo(process, thread, info)) {
            *cookie = thread;
            return B_OK;
        }
    }
    return B_BAD_VALUE;
}

status_t get_team_info(team_id team, team_info* info)
{
    if (info == nullptr)
        return B_BAD_VALUE;
    pid_t process = ResolveTeam(team);
    std::string status;
    if (process <= 0 || !ReadTextFile("/proc/" + std::to_string(process) + "/status", status))
        return B_BAD_TEAM_ID;

    std::memset(info, 0, sizeof(*info));
    info->team = process;
    info->debugger_nub_thread = -1;
    info->debugger_nub_port = -1;

    int32 cookie = 0;
    thread_info thread;
    while (get_next_thread_info(process, &cookie, &thread) == B_OK)
        info->thread_count++;

    std::string text;
    if (ReadTextFile("/proc/" + std::to_string(process) + "/cmdline", text)) {
        std::string joined;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\0', start);
            if (end == std::string::npos)
                end = text.size();
            if (!joined.empty())
                joined += ' ';
            joined += text.substr(start, end - start);
            info->argc++;
            start = end + 1;
        }
        std::strncpy(info->args, joined.c_str(), sizeof(info->args) - 1);
    }

    // Areas are the mappings; images the distinct files mapped executable.
    if (ReadTextFile("/proc/" + std::to_string(process) + "/maps", text)) {
        std::istringstream lines(text);
        std::string line;
        std::set<std::string> images;
        while (std::getline(lines, line)) {
            info->area_count++;
            std::istringstream fields(line);
            std::string range, permissions, offset, device, inode, path;
            fields >> range >> permissions >> offset >> device >> inode >> path;
            if (permissions.size() > 2 && permissions[2] == 'x' && !path.empty() && path[0] == '/')
                images.insert(path);
        }
        info->image_count = int32(images.size());
    }

    std::string value;
    if (ReadStatusField(process, "Uid:", value))
        info->uid = uid_t(std::strtoul(value.c_str(), nullptr, 10));
    if (ReadStatusField(process, "Gid:", value))
        info->gid = gid_t(std::strtoul(value.c_str(), nullptr, 10));
    return B_OK;
}
