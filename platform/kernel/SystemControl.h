// Whole-system requests: restart or power off the machine, and the
// operating system's name and version.
#pragma once

#include <SupportDefs.h>

#include <string>

// Asks the system to restart (or to power off) without waiting for it: the
// request runs in the background through the shell ("systemctl reboot", or
// "shutdown -r now" where that is missing; "poweroff" / "-h" likewise), so
// that the program can go on and end.
//
// When the environment variable ONDELLE_SANDBOX names a folder, nothing is
// run: the request is appended as one line, "restart" or "shutdown", to the
// file "shutdown-requests" in that folder. Tests rely on this.
status_t system_shutdown(bool restart);

// The operating system's release text: PRETTY_NAME of /etc/os-release (or
// /usr/lib/os-release), else its NAME and VERSION, else the kernel's name
// and release. B_ENTRY_NOT_FOUND when none of them can be read.
status_t get_os_version_text(std::string& text);

// Parses the text of an os-release file (shell-style assignments, values
// optionally quoted) for the release text as above; false when it holds
// neither PRETTY_NAME nor NAME.
bool parse_os_release(const std::string& contents, std::string& text);
