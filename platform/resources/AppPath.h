// Where the running program's own file is.
#pragma once

#include <SupportDefs.h>

#include <string>

// The absolute path of the running program's executable (on Linux the
// target of /proc/self/exe), independent of any application object.
// B_ENTRY_NOT_FOUND when the file was removed since it was started. A
// program started by the first stage of a build with a bundled runtime
// gets the build's file, which the first stage names in
// ONDELLE_BUILD_FILE ("<process id>:<path>") for this process only.
status_t get_app_path(std::string* path);
status_t get_app_path(char* buffer, size_t size);
