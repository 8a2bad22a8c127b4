// File operations of the foundation library: copying, moving, removing,
// linking, archiving and type-setting of entries, and the small helpers
// around them (existence, unique names, search along a path variable,
// recursive sizes, the Trash).
//
// Copies, moves, removals, links and tar archives run the standard tools
// (cp, mv, rm, ln, tar) from the platform's binaries folder, started
// without a shell from an argument vector, so that any path works, whatever
// quotes, dollars, blanks, newlines or leading dashes it holds. Zip archives
// are written and read in process (docs/zip.md). Attributes travel with
// every copy, move and archive. Every function that changes files passes a
// stop point first, so a killed worker thread changes nothing more.
// docs/file-operations.md describes each operation's effects.
#pragma once

#include <LibString.h>
#include <Path.h>
#include <SupportDefs.h>

class BFile;
struct ZipExtractOptions;

// True when path exists (a dangling symbolic link counts as existing).
bool LibExists(const char* path);

// Creates path with every missing parent folder (0775) when it does not
// exist yet and returns true; false when it already existed or cannot be
// made.
bool Libmkdir(const char* path);

// Makes path the process's current folder when it exists; 0 on success,
// -1 otherwise.
int LibChangeDirectory(const char* path);

// "cp -fR src dst": recursive, forced copy that keeps attributes. True when
// the tool succeeded; false when it failed or is missing.
bool LibCopy(const char* src, const char* dst);

// Moves src to dst ("mv -f"; into dst when dst is an existing folder). On
// one volume a rename; across volumes a copy that keeps modes, times and
// attributes, a type update of dst and, when the copy succeeded, the
// removal of src. True when the move (or the copy) succeeded.
bool LibMove(const char* src, const char* dst);

// "rm -fr path": recursive, forced removal. Quiet.
void LibUnlink(const char* path);

// Gives path (and, for a folder, every entry below it) a file type guessed
// from contents and name, where it has none yet.
void Libmimeset(const char* path);

// "ln -fs target link": creates (replacing) the symbolic link link that
// points to target. True when the link was made.
bool LibSymLink(const char* target, const char* link);

// Adds source (recursively, a folder whole) to the zip archive, under names
// that start with the leaf of source, with compression level 0..9. True when
// every entry was written.
// typeUntyped: see ZipWriter::AddTree (builds record every file's type).
bool LibZip(const char* archive, const BPath& source, int level, bool typeUntyped = false);

// Unpacks the zip archive into its own folder, overwriting existing files.
// Entries that would land outside that folder are refused and reported on
// standard error. True when every entry was unpacked.
bool LibUnzip(const char* archive);

// Unpacks archive into the folder target (an addition for callers that
// must not unpack beside the archive). Same rules as LibUnzip. status, if
// given, receives why it failed: B_DEVICE_FULL when the target's volume ran
// out of room, B_BAD_DATA or B_ERROR for a damaged archive or another
// failure.
// options, if given, add what ZipExtractOptions describes (a mark on every
// entry, checksums, the list of what was placed).
bool LibUnzipTo(const char* archive, const char* target, status_t* status = nullptr,
    const ZipExtractOptions* options = nullptr);

// Unpacks the archive that lies in file at [offset, offset + length) (a
// resource of a build) into the folder target, reading it in place. Same
// rules and status as LibUnzipTo. Files and folders the archive gives no
// type get one as they are written (files from their name and first block),
// so that no Libmimeset pass over them is needed.
bool LibUnzipRange(const char* file, off_t offset, uint64 length, const char* target,
    status_t* status = nullptr, const ZipExtractOptions* options = nullptr);

// "tar -cf <leaf of archive> source" run in the archive's folder. True when
// tar succeeded.
bool LibTar(const char* source, const char* archive);

// Moves path into the Trash under the first free name of the copy series
// (name, "name copy", "name copy 1", ...), or under its own name, replacing
// an entry there, with replace set. A record in the Trash's info folder
// lets the desktop's file manager show where it came from and restore it.
void LibTrash(const BPath& path, const bool& replace);

// Renames path within its folder to the first free name of the copy series
// after its own ("name copy", "name copy 1", ...).
void LibDuplicate(const char* path);

// Looks for file along the colon-separated folders of the environment
// variable, starting with the second folder (the first one is skipped).
bool LibFindEnvFile(const char* variable, const char* file, BPath& found);

// Appends the leaf prefix + counter + process id + time in seconds to path
// (the common temporary folder when path is empty). The name is not tested;
// use the creating forms below for files and folders in shared folders.
void LibUniqueName(BPath& path, const char* prefix);

// Like LibUniqueName, then creates the file exclusively (never through an
// existing entry or a planted link, mode 0600), taking further names until
// one is free. path names the file afterwards.
status_t LibCreateUniqueFile(BPath& path, const char* prefix, BFile& file);

// Like LibUniqueName, then creates a private folder (0700) exclusively.
status_t LibCreateUniqueFolder(BPath& path, const char* prefix);

// A private working folder (0700), made exclusively like
// LibCreateUniqueFolder, whose name is prefix, this process's id, "-" and a
// unique part, so that a later run can tell whether its maker still runs.
status_t LibCreateWorkFolder(BPath& path, const char* prefix);

// Removes the working folders "<prefix><pid>-..." directly inside folder
// (the temporary folder when empty) whose process no longer runs. Only
// folders of this user are touched, never a link, never another entry.
// Returns how many were removed.
int32 LibRemoveStaleWorkFolders(const char* folder, const char* prefix);

// Size in bytes of the entry, with its attributes when withAttributes is
// set; a folder adds the sizes of its whole tree. 0 when path cannot be
// opened. A signed 32-bit count (saturates at its maximum).
int32 LibEntrySize(const char* path, bool withAttributes);

// The copy-series candidate number n for leaf: 0 gives leaf, 1 "leaf copy",
// n > 1 "leaf copy <n - 1>".
LibString LibCopySeriesName(const char* leaf, int32 n);
