// Running a program without a shell: an argument vector is started with
// posix_spawn, so paths reach the program exactly as they are, whatever
// quotes, dollars, blanks or newlines they hold.
//
// The child gets /dev/null as standard input and its own process group; it
// is registered with the calling thread (register_child_process), so that
// killing or suspending that thread ends or stops the child too. While
// waiting, the caller passes stop points. With the sandbox active, only
// programs in /bin, /usr/bin or below the sandbox root may run
// (B_NOT_ALLOWED otherwise).
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

struct process_options {
    // Folder the child starts in; empty: the caller's current folder. The
    // caller's own current folder is never changed.
    std::string workingDirectory;
    // Capture the child's standard output into process_result::output;
    // otherwise it goes where the caller's goes.
    bool captureOutput = false;
    // Wait for the child to end. Without waiting, the child is left to run
    // and is reaped in the background; only the start is reported.
    bool wait = true;
};

struct process_result {
    pid_t pid = -1;
    // Exit status when the child ended normally, -1 otherwise.
    int exitCode = -1;
    // Signal that ended the child, 0 when it exited.
    int signal = 0;
    // What the child wrote to its standard error (always captured when
    // waiting), and to its standard output with captureOutput.
    std::string errorOutput;
    std::string output;
};

// Runs args[0] with the arguments args. A name without "/" is looked up
// along PATH. Returns B_OK when the program ran (and, when waiting, ended:
// check result->exitCode), B_ENTRY_NOT_FOUND when it cannot be found,
// B_NOT_ALLOWED when the sandbox refuses it, B_BAD_VALUE for an empty
// vector, or another status code when it could not be started.
status_t run_process(const std::vector<std::string>& args, const process_options& options,
    process_result* result);

// Runs a helper tool that may be missing (a desktop cache refresher, say):
// nothing happens without it, and its output and result are not wanted.
void run_optional_tool(const std::vector<std::string>& args);

// The program path that run_process would start for name (looked up along
// PATH when it holds no "/"); empty when there is none.
std::string find_program(const std::string& name);
