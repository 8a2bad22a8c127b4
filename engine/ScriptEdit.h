// Tagged sections in the user's shell scripts (UserBootscript,
// UserSetupEnvironment, .profile).
//
// A section is a line "#BEGIN_<tag>", the section's text and a line
// "#END_<tag>". The installer's editor (EditScriptFile, declared in
// InstallConfig.h) reads a script in pieces of at most 511 characters and
// finds markers by substring search, so a tag that is the beginning of a
// longer tag also finds the longer tag's markers. Before it adds a section
// it removes every earlier one of the same tag, keeps the previous script as
// "<script>.orig" and works through "<script>.tmp". docs/boot-scripts.md
// describes the files and the rules.
//
// The deinstaller removes sections by whole marker lines instead
// (RemoveTaggedSections), so that it never touches another product's
// section.
#pragma once

#include <FindDirectory.h>

#include <string>

// What a scan of a script found for one tag.
struct script_scan {
    bool beginFound = false;
    bool endFound = false;
    // The script's last piece holds a line end; false for a missing or
    // empty script.
    bool endsWithNewline = false;
};

// Scans the script at path for the markers of tag. A piece that holds the
// begin marker counts for it; otherwise a piece that holds the end marker
// counts for that. A script that cannot be read gives an empty scan.
script_scan ScanScriptFile(const char* path, const char* tag);

// The editor on a script given by its full path: copies "<path>.sample"
// when the script is missing, backs the script up, removes earlier sections
// of tag when both markers were found, and appends the new section when
// body is not null; then types the script as text. False when path or tag
// is null or empty, when the sandbox forbids the write, or when the section
// could not be appended.
bool EditScriptPath(const char* path, const char* tag, const char* body);

// The folder of a standard directory plus script, found without creating
// the folder. False when the folder code is unknown.
bool ScriptPath(const directory_which& folder, const char* script, std::string& path);

// Removes from the script at path every complete section whose marker lines
// are exactly "#BEGIN_<tag>" and "#END_<tag>" (a begin line without a later
// end line is left alone). Before changing the script it is backed up as
// BackupScript does; backup, if given, receives the backup's path. Returns
// the number of sections removed (0: the script was not changed), or -1
// when the script could not be rewritten.
int RemoveTaggedSections(const char* path, const char* tag, std::string* backup = nullptr);

// The file a script edit changes: path itself, or, when path is a symbolic
// link, the file at the end of its chain of links (which need not exist
// yet). Editing the target keeps the user's link in place.
std::string ScriptEditTarget(const char* path);

// Where the backup of script goes: "<script>.orig" when that name is free
// or holds an earlier backup of the editor, else the first free or
// editor-made name of the series "<script>.orig copy", "<script>.orig copy
// 2" ... A file the user keeps under one of these names is never replaced.
// Empty when no name is left.
std::string BackupScriptPath(const char* script);

// Copies script to BackupScriptPath(script) and marks the copy as the
// editor's. Returns the backup's path, empty when no backup was made.
std::string BackupScript(const char* script);

// Counts the complete sections RemoveTaggedSections would remove.
int CountTaggedSections(const char* path, const char* tag);
