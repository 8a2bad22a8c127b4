// Where the running program's own file is.
#pragma once

#include <SupportDefs.h>

#include <string>

// The absolute path of the running program's executable (on Linux the
// target of /proc/self/exe), independent of any application object.
// B_ENTRY_NOT_FOUND when the file was removed since it was started.
status_t get_app_path(std::string* path);
status_t get_app_path(char* buffer, size_t size);
