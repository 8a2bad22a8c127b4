// Running the platform's standard tools (cp, mv, rm, ln, tar) without a
// shell, and the sandbox test that every file-changing operation makes.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

// The tool's path in the platform binaries folder; empty when it is not
// there. Inside the sandbox, whose binaries folder is its own, a tool it
// does not hold is taken from /bin.
std::string FindPlatformTool(const char* name);

// Runs the argument vector (args[0] a full program path) in the given
// folder (empty: the current one) and waits for it. Returns the tool's exit
// status, or -1 when it could not be started or was ended by a signal. The
// tool's messages go to standard error.
int RunTool(const std::vector<std::string>& args, const std::string& workingDirectory = std::string());

// True when path may be changed (always outside a sandbox). Otherwise
// writes "<caller>: <path> lies outside the sandbox" to standard error.
bool MayChange(const char* caller, const char* path);

// Path helpers on plain text: the folder part and the leaf of a path
// (trailing slashes ignored).
std::string ParentPathOf(const std::string& path);
std::string LeafOf(const std::string& path);

// True when an entry of that path exists, a dangling link included.
bool EntryExists(const std::string& path);
