// Small system services: the operating system's version, restart and power
// off, the login name, and processor time and suspension of a whole team
// (process).
#pragma once

#include <LibString.h>
#include <SupportDefs.h>

// The operating system's release text (e.g. "Debian GNU/Linux 12
// (bookworm)"); version is unchanged when it cannot be read.
void LibGetOSVersion(LibString& version);

// Asks the system to restart (restart true) or to power off: the login
// manager over the system bus on the user's own permission, else
// "systemctl". In a sandbox (ONDELLE_SANDBOX set) the request is only
// recorded (see platform/storage SystemShutdown.h).
void LibShutdown(bool restart);

// The login name: getlogin(), else the password entry of the real user id,
// else the empty text.
LibString LibGetLogin();

// Seconds of user time of all threads of a team (a process id; 0 for this
// program).
double lib_team_cpu_time(int32 team);

// Suspends every thread of the team that is running, ready, asleep or
// waiting; threads receiving messages are left alone. For another process
// this stops the whole process. Returns 0.
int32 lib_suspend_team(int32 team);

// Resumes every suspended thread of the team. Returns 0.
int32 lib_resume_team(int32 team);
