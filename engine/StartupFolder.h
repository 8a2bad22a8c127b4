// The start-up folder: a folder whose items a generated section of
// UserBootscript starts at boot time, those with a "run_priority" attribute
// first, lowest value first. docs/boot-scripts.md shows the section.
#pragma once

#include <cstddef>
#include <string>

// The destination name the start-up folder is resolved from (a custom
// folder of the build).
#define STARTUP_FOLDER_NAME "StartUp"
// The tag of the start-up section in UserBootscript.
#define STARTUP_SECTION_TAG "StartUpFolder"

// Room a caller's buffer must offer for the section text of any folder:
// this many characters plus the folder path plus the terminating zero.
constexpr size_t kStartupSectionLength = 1536;

// The section text for folder: the folder's path appears once, unquoted,
// right after "startup_folder=" on its own line. The text ends with "#"
// and no line end.
//
// The path stands unquoted in a shell assignment, so it may hold only
// characters the shell takes literally there (letters, digits, bytes from
// 0x80 up and "/._-+,@%:="). For any other path (a blank, a quote, "$", a
// line end ...) the text is empty: such a path would run commands at boot.
std::string StartupSectionText(const char* folder);

// True when folder can stand in the section (see above).
bool StartupFolderPathUsable(const char* folder);

// kStartupSectionLength + the folder path's length + 1.
size_t StartupSectionRoom(const char* folder);
