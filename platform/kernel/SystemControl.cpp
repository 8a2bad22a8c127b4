#include <SystemControl.h>

#include "ProcFiles.h"

#include <cerrno>
#include <sstream>
#include <sys/utsname.h>

using namespace ondelle::kernel;

namespace {

// Undoes the quoting of an os-release value: double quotes with backslash
// escapes, single quotes taken literally, or a bare word.
std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return value.substr(1, value.size() - 2);
    std::string text;
    bool quoted = !value.empty() && value.front() == '"';
    size_t end = value.size();
    if (quoted && value.size() >= 2 && value.back() == '"')
        end = value.size() - 1;
    for (size_t i = quoted ? 1 : 0; i < end; i++) {
        if (value[i] == '\\' && i + 1 < end) {
            text += value[++i];
            continue;
        }
        text += value[i];
    }
    return text;
}

} // namespace

bool parse_os_release(const std::string& contents, std::string& text)
{
    std::string pretty, name, version;
    std::istringstream lines(contents);
    std::string line;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
            value.pop_back();
        if (key == "PRETTY_NAME")
            pretty = Unquote(value);
        else if (key == "NAME")
            name = Unquote(value);
        else if (key == "VERSION")
            version = Unquote(value);
    }
    if (!pretty.empty()) {
        text = pretty;
        return true;
    }
    if (!name.empty()) {
        text = version.empty() ? name : name + " " + version;
        return true;
    }
    return false;
}

status_t get_os_version_text(std::string& text)
{
    std::string contents;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (ReadTextFile(path, contents, 64 * 1024) && parse_os_release(contents, text))
            return B_OK;
    }
    struct utsname names;
    if (::uname(&names) == 0) {
        text = std::string(names.sysname) + " " + names.release;
        return B_OK;
    }
    return B_ENTRY_NOT_FOUND;
}
