// Running installed items after an install: executables are started on
// their own, detached, and anything else is run as a shell script through
// /bin/sh while the caller waits. Programs are started without a shell
// (platform/storage/Process.h); with the sandbox active nothing outside the
// sandbox is started.
#pragma once

#include <SupportDefs.h>

#include <string>

enum launch_kind {
    LAUNCH_EXECUTABLE,
    LAUNCH_SCRIPT
};

// The question of the run offer: "Do you wish to run '<leaf>' now?",
// followed by "\n" and the reason when one is given and not empty.
std::string LaunchQuestion(const char* leaf, const char* reason);

// An entry whose file type is the platform's executable type is started as
// a program; anything else (a missing file too) is handed to the shell. A
// file without a recorded type is typed from its contents first, as files
// unpacked on Linux may carry none.
launch_kind LaunchKindOf(const char* path);

// Starts the program at path and returns without waiting for it. B_OK when
// it started; B_NOT_ALLOWED outside the sandbox, or the start's status.
status_t LaunchExecutable(const char* path);

// Runs "/bin/sh <path>" and waits for its end. The result is the status as
// the C library's system() gives it: the exit code times 256 for a normal
// end, the signal's number for a killed shell, -1 when it could not start
// (also for a script outside the sandbox, which is never run).
int RunScript(const char* path);

// What the user is told after running the script named leaf that ended
// with status (as RunScript gives it): nothing for a normal end with exit
// code 0, else why it failed: its exit code, the signal that ended it, or
// that it could not be run.
std::string ScriptFailureText(const char* leaf, int status);
