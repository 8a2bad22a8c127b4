#include <LibSystem.h>

#include <OS.h>
#include <SystemControl.h>
#include <SystemShutdown.h>

#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

void LibGetOSVersion(LibString& version)
{
    std::string text;
    if (get_os_version_text(text) == B_OK)
        version = text.c_str();
}

void LibShutdown(bool restart)
{
    system_shutdown(restart);
}

LibString LibGetLogin()
{
    if (const char* login = ::getlogin(); login != nullptr && login[0] != '\0')
        return LibString(login);

    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0
        && found != nullptr && found->pw_name != nullptr)
        return LibString(found->pw_name);
    return LibString("");
}

double lib_team_cpu_time(int32 team)
{
    bigtime_t total = 0;
    int32 cookie = 0;
    thread_info info;
    while (get_next_thread_info(team, &cookie, &info) == B_OK)
        total += info.user_time;
    return double(total) / 1000000.0;
}

int32 lib_suspend_team(int32 team)
{
    int32 cookie = 0;
    thread_info info;
    while (get_next_thread_info(team, &cookie, &info) == B_OK) {
        switch (info.state) {
            case B_THREAD_RUNNING:
            case B_THREAD_READY:
            case B_THREAD_ASLEEP:
            case B_THREAD_WAITING:
                suspend_thread(info.thread);
                break;
            default:
                break;
        }
    }
    return 0;
}

int32 lib_resume_team(int32 team)
{
    int32 cookie = 0;
    thread_info info;
    while (get_next_thread_info(team, &cookie, &info) == B_OK) {
        if (info.state == B_THREAD_SUSPENDED)
            resume_thread(info.thread);
    }
    return 0;
}
