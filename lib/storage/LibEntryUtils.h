// Paths and entries: the table of standard folder names, conversions
// between paths and entry references, standard locations, file types and
// requests to the desktop shell. Entry time stamps are in LibEntryDates.h.
#pragma once

#include <FindDirectory.h>
#include <LibString.h>
#include <Message.h>
#include <Path.h>
#include <SupportDefs.h>

// One row of the standard-folder table.
struct lib_dir_name {
    directory_which code;
    const char* name;
};

// The table, ended by a row whose name is null.
extern const lib_dir_name lib_be_dir_names[];

// Standard folders by display name ("User Settings") and back.
bool LibGetStdDirName(const char* name, directory_which& code);
bool LibGetStdDirName(const directory_which& code, LibString& name);
bool LibStdDirNameExists(const char* name);

// Paths and references.
bool LibGetEntryRef(const char* path, entry_ref& ref);
bool LibGetFullPath(const entry_ref& ref, LibString& path);
bool LibGetFullPath(const entry_ref& ref, BPath& path);
void LibGetPath(const entry_ref& directory, const char* leaf, BPath& path);
entry_ref LibGetParentRef(const entry_ref& ref);
void LibGetParentPath(const char* path, LibString& parent);
// Copies the leaf of path into leaf (B_FILE_NAME_LENGTH bytes of room).
void LibGetChildName(const char* path, char* leaf);
bool LibGetSettingsPath(LibString& path);
// Copies the settings path into path; size is not consulted.
bool LibGetSettingsPath(char* path, const int& size);
// The folder that holds the running program's executable.
void LibGetWorkingDirectory(BPath& path);
// For a file panel's save request: folder "directory" + trimmed "name";
// returns the trimmed name's length.
int32 LibGetFilePath(const BMessage* request, BPath& path);

// File types. type has room for B_MIME_TYPE_LENGTH bytes; with describe
// set it receives "Folder", "Be Application", "Symbolic Link" or "Unknown".
void LibGetMimeType(const entry_ref& ref, char* type, bool describe);
void LibSetMimeType(const char* path, const char* type);
// Sets the type and the preferred application (the running program's own
// signature when preferredApp is null).
void LibSetFileType(const char* path, const char* type, const char* preferredApp);

// Desktop-shell requests, sent without waiting: the information window of
// the entry ('Tinf') and opening it as a double-click would ('_RRC'). False
// when path does not exist or the desktop's opener cannot be started.
bool LibInfoEntry(const char* path);
bool LibOpenEntry(const char* path);
