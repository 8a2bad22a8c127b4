// Runs the build tool built beside the tests as a separate program and
// collects what it printed and how it ended.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct ToolResult {
    // Exit status, or 128 + signal number when a signal ended the tool.
    int status = -1;
    std::string out;
    std::string err;
};

struct ToolUser {
    uid_t uid;
    gid_t gid;
};

// Runs ondelle-build with args in folder. With user, the child first gives
// up root for that user and group (only possible when running as root).
ToolResult RunBuildTool(const std::vector<std::string>& args, const std::string& folder,
    const ToolUser* user = nullptr);
