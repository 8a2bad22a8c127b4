// Existence, folders, copies, moves and removals (in process), and the
// operations that run the standard tools (links, tar archives).
#include "LibFileUtils.h"

#include "ToolRunner.h"

#include <Directory.h>
#include <EntryTree.h>
#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <StopPoint.h>
#include <Volume.h>

#include <cstdio>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies src to dst, or into dst when it is a folder, in process; forMove
// also keeps modes and times, as a move leaves them untouched. A volume that
// cannot hold attributes at all (FAT, ramfs ...) still gets the data, and
// the loss is reported.
bool CopyTree(const char* src, const char* dst, bool forMove)
{
    stop_point();
    if (!MayChange("LibCopy", dst))
        return false;
    const std::string landing = IsFolder(dst) ? std::string(dst) + "/" + LeafOf(src) : std::string(dst);
    copy_tree_options options;
    options.keepModesAndTimes = forMove;
    const status_t status = copy_tree(src, landing.c_str(), &options);
    if (options.attributesLost)
        fprintf(stderr, "LibCopy: the volume of %s keeps no attributes; copying without them\n", dst);
    if (status != B_OK)
        fprintf(stderr, "LibCopy: %s was not copied whole to %s\n", src, landing.c_str());
    return status == B_OK;
}

} // namespace

bool LibExists(const char* path)
{
    return path != nullptr && ::access(path, F_OK) == 0;
}

bool Libmkdir(const char* path)
{
    if (path == nullptr || *path == '\0' || LibExists(path))
        return false;
    stop_point();
    if (!MayChange("Libmkdir", path))
        return false;
    return create_directory(path, 0775) == B_OK;
}

int LibChangeDirectory(const char* path)
{
    if (!LibExists(path))
        return -1;
    return ::chdir(path);
}

bool LibCopy(const char* src, const char* dst)
{
    if (src == nullptr || dst == nullptr || *src == '\0' || *dst == '\0')
        return false;
    return CopyTree(src, dst, false);
}

bool LibMove(const char* src, const char* dst)
{
    if (src == nullptr || dst == nullptr || *src == '\0' || *dst == '\0')
        return false;
    stop_point();
    if (!MayChange("LibMove", src) || !MayChange("LibMove", dst))
        return false;
    struct stat st;
    if (::lstat(src, &st) != 0)
        return false;

    // Into dst when it is a folder, replacing what stands there otherwise.
    const std::string landing = IsFolder(dst) ? std::string(dst) + "/" + LeafOf(src) : std::string(dst);
    const status_t renamed = rename_entry(src, landing.c_str());
    if (renamed == B_OK)
        return true;
    if (renamed != B_CROSS_DEVICE_LINK) {
        fprintf(stderr, "LibMove: %s could not be moved to %s\n", src, landing.c_str());
        return false;
    }

    const bool copied = CopyTree(src, dst, true);
    Libmimeset(dst);
    if (copied)
        LibUnlink(src);
    return copied;
}

void LibUnlink(const char* path)
{
    if (path == nullptr || *path == '\0')
        return;
    stop_point();
    if (!MayChange("LibUnlink", path))
        return;
    const status_t status = remove_tree(path);
    if (status != B_OK)
        fprintf(stderr, "LibUnlink: %s could not be removed whole\n", path);
}

void Libmimeset(const char* path)
{
    if (path == nullptr || *path == '\0')
        return;
    stop_point();
    if (!MayChange("Libmimeset", path))
        return;
    // Entries that already have a type keep it.
    update_mime_info(path, true, true, false);
}

bool LibSymLink(const char* target, const char* link)
{
    if (target == nullptr || link == nullptr || *link == '\0')
        return false;
    const std::string tool = FindPlatformTool("ln");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibSymLink", link))
        return false;
    return RunTool({tool, "-fs", "--", target, link}) == 0;
}

bool LibTar(const char* source, const char* archive)
{
    if (source == nullptr || archive == nullptr || *source == '\0' || *archive == '\0')
        return false;
    const std::string tool = FindPlatformTool("tar");
    if (tool.empty())
        return false;
    stop_point();
    if (!MayChange("LibTar", archive))
        return false;
    // Run in the archive's folder, named by its leaf; a relative source is
    // therefore taken from that folder. --force-local keeps a ":" in the
    // name from meaning a remote host, --xattrs keeps the attributes.
    return RunTool({tool, "--force-local", "--xattrs", "-cf", LeafOf(archive), "--", source},
               ParentPathOf(archive))
        == 0;
}
