// The cooperative stop mark that makes kill_thread() and suspend_thread()
// work on Linux, where one thread of a process cannot be ended or stopped
// from outside.
//
// Code that changes files, and every long loop, calls stop_point() first.
// When the calling thread has been killed, stop_point() never returns: the
// thread parks until the program ends, so none of the caller's later work
// happens. When the thread has been suspended, stop_point() waits until it
// is resumed (or killed). Otherwise it returns at once.
//
// Child processes a thread starts (cp, mv, tar ...) are registered, so that
// kill_thread() ends them with SIGKILL and suspend_thread()/resume_thread()
// stop and continue them. The signal goes to the child's process group
// (start the child with setpgid(0, 0) so that its own children go too) and to
// the child itself.
//
// Unregister a child before reaping it (wait with waitid(..., WNOWAIT) or
// learn its end otherwise, unregister, then waitpid()), so that a signal can
// never reach another process that got the same id after the reap.
//
// Threads this library did not spawn (the main thread, Qt's threads) cannot
// be killed or suspended: for them stop_point() returns at once and
// registering a child does nothing.
#pragma once

#include <sys/types.h>

// Parks the calling thread for good when it was killed, waits while it is
// suspended, returns at once otherwise.
void stop_point(void);

// True when the calling thread has been killed and will park at its next
// stop_point(). Lets code skip starting work that would be ended anyway.
bool stop_requested(void);

// Registers a child process started by the calling thread. When the thread
// was already killed, the child is killed at once.
void register_child_process(pid_t child);

// Forgets a child registered by any thread; unknown ids are ignored.
void unregister_child_process(pid_t child);
