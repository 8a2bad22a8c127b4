// The operating system's name and version. (Restart and power-off
// requests: platform/storage SystemShutdown.h.)
#pragma once

#include <SupportDefs.h>

#include <string>

// The operating system's release text: PRETTY_NAME of /etc/os-release (or
// /usr/lib/os-release), else its NAME and VERSION, else the kernel's name
// and release. B_ENTRY_NOT_FOUND when none of them can be read.
status_t get_os_version_text(std::string& text);

// Parses the text of an os-release file (shell-style assignments, values
// optionally quoted) for the release text as above; false when it holds
// neither PRETTY_NAME nor NAME.
bool parse_os_release(const std::string& contents, std::string& text);
