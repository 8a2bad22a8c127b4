// The shared libraries a bundled runtime leaves to the target machine:
// those every desktop Linux has and those that must be the machine's own
// (the C library, the graphics drivers, the display and font libraries,
// the system bus). docs/runtime.md gives the reason for each group.
#pragma once

#include <string>

// True when the library of that file name (as the loader lists it, e.g.
// "libX11.so.6") is taken from the target machine, not bundled.
bool IsSystemLibrary(const std::string& name);
