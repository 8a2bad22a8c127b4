// The sandbox: when the environment variable ONDELLE_SANDBOX names a folder,
// every standard folder, the temporary folder and the Trash live below it,
// and the storage kit (and the libraries built on it) refuse to change
// anything outside it with B_NOT_ALLOWED.
#pragma once

// True when ONDELLE_SANDBOX names a non-empty path.
bool sandbox_active();

// The sandbox root as an absolute path with symbolic links resolved (the
// folder is created when it does not exist yet); NULL when the sandbox is
// not active. The string stays valid for the life of the process.
const char* sandbox_root();

// True when a write to path is allowed: always without a sandbox; with one,
// only when path (made absolute, with "." and ".." and every symbolic link
// of its existing part resolved, but not a link at its very end) lies at or
// below the sandbox root. A NULL or empty path is never allowed.
bool sandbox_allows_write(const char* path);

// True when the program at path may be started: always without a sandbox;
// with one, only programs whose folder is /bin or /usr/bin (after resolving
// links of the folder) or that lie below the sandbox root.
bool sandbox_allows_program(const char* path);
