#include "ProcFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sstream>
#include <sys/syscall.h>
#include <unistd.h>

namespace ondelle::kernel {

bool ReadTextFile(const std::string& path, std::string& out, size_t limit)
{
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[4096];
    bool ok = true;
    while (out.size() < limit) {
        ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (got == 0)
            break;
        out.append(buffer, size_t(got));
    }
    ::close(fd);
    return ok;
}

bool ParseTaskStat(const std::string& text, TaskStat& out)
{
    size_t open = text.find('(');
    size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    out.comm = text.substr(open + 1, close - open - 1);

    // Fields after the name: state is the first, utime the 12th, stime the
    // 13th (fields 3, 14 and 15 of the whole line).
    std::istringstream rest(text.substr(close + 1));
    std::vector<std::string> fields;
    std::string field;
    while (fields.size() < 13 && rest >> field)
        fields.push_back(field);
    if (fields.size() < 13 || fields[0].size() != 1)
        return false;
    out.state = fields[0][0];
    char* end = nullptr;
    out.userTicks = std::strtoll(fields[11].c_str(), &end, 10);
    if (*end != '\0')
        return false;
    out.systemTicks = std::strtoll(fields[12].c_str(), &end, 10);
    return *end == '\0';
}

bool ReadTaskStat(pid_t team, pid_t thread, TaskStat& out)
{
    std::string text;
    std::string path = "/proc/" + std::to_string(team) + "/task/" + std::to_string(thread) + "/stat";
    return ReadTextFile(path, text) && ParseTaskStat(text, out);
}

std::vector<pid_t> ListTasks(pid_t team)
{
    std::vector<pid_t> ids;
    std::string path = "/proc/" + std::to_string(team) + "/task";
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return ids;
    while (struct dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        long id = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && id > 0)
            ids.push_back(pid_t(id));
    }
    ::closedir(dir);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool ReadStatusField(pid_t id, const char* field, std::string& value)
{
    std::string text;
    if (!ReadTextFile("/proc/" + std::to_string(id) + "/status", text))
        return false;
    std::istringstream lines(text);
    std::string line;
    size_t length = std::strlen(field);
    while (std::getline(lines, line)) {
        if (line.compare(0, length, field) == 0) {
            size_t start = line.find_first_not_of(" \t", length);
            value = start == std::string::npos ? std::string() : line.substr(start);
            return true;
        }
    }
    return false;
}

pid_t TeamOfThread(pid_t thread)
{
    if (thread <= 0)
        return -1;
    std::string value;
    if (!ReadStatusField(thread, "Tgid:", value))
        return -1;
    char* end = nullptr;
    long team = std::strtol(value.c_str(), &end, 10);
    return end != value.c_str() && team > 0 ? pid_t(team) : -1;
}

bigtime_t TicksToMicroseconds(int64 ticks)
{
    static const long perSecond = std::max(1L, ::sysconf(_SC_CLK_TCK));
    return ticks * 1000000 / perSecond;
}

pid_t CurrentThreadId()
{
    return pid_t(::syscall(SYS_gettid));
}

} // namespace ondelle::kernel
