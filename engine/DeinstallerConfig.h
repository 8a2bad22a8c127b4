// What the installer hands to the deinstaller: the deinstaller file's name
// and the small configuration message stored in that file's resources as
// 'CSTR' 2002 "VDC:configuration" (the same type, id and name as the
// installer's own configuration).
#pragma once

#include <SupportDefs.h>

#include <string>

class BMessage;

// "<app_name> <version> Deinstaller". A "/" in the product's texts would
// place the file elsewhere: it becomes "-".
std::string DeinstallerFileName(const char* appName, const char* version);

// True when leaf is one of the names the installer itself uses in the
// installation folder: "Install Record", "Log", "Saved Files" and the
// deinstaller's file name. An item of that name would replace the
// installer's own file.
bool IsReservedInstallName(const std::string& leaf, const char* appName, const char* version);

// The name an item with a reserved name is installed under: "<leaf> (item)",
// or with a number when that is reserved too.
std::string UnreservedInstallName(const std::string& leaf, const char* appName, const char* version);

// Fills deinstaller (emptied first) from the installer's configuration, in
// this order: "app_name", "version", "release_date", "company",
// "support_email" (strings, no text when missing), "about_image" (only when
// the configuration has one), then "edit_bootscript", "edit_setup_env" and
// "edit_profile" (false when missing), each followed by its "_tag" string
// when it is true, and last "record_key" (string) when recordKey is not
// empty: the secret the install record's lines are checked with.
void MakeDeinstallerConfiguration(const BMessage& configuration, BMessage& deinstaller,
    const std::string& recordKey = std::string());

// Adds the flattened deinstaller configuration to the resources of the
// file at path, replacing an earlier one, and writes the file. B_OK, or the
// status of the first step that failed (a missing file gives
// B_ENTRY_NOT_FOUND).
status_t WriteDeinstallerConfiguration(const char* path, const BMessage& deinstaller);

// Reads the configuration resource of the file at path into message.
// B_ENTRY_NOT_FOUND when the file has none, B_BAD_DATA when it cannot be
// read as a message.
status_t ReadDeinstallerConfiguration(const char* path, BMessage& message);
