// Paths of folders by (device, inode), for turning entry refs back into
// paths. Linux cannot open a folder by its inode number, so the kit keeps a
// process-wide table filled whenever a ref is made; a ref whose folder is not
// in the table (or has moved) is found by walking, nearest folders first and
// up to a bound, the home folder and then the volume below its mount point
// (with the sandbox active: the sandbox root only).
#include "StoragePrivate.h"

#include <Sandbox.h>

#include <deque>
#include <dirent.h>
#include <map>
#include <mutex>
#include <unistd.h>

namespace BPrivate {

namespace {

std::mutex sTableLock;
std::map<std::pair<dev_t, ino_t>, std::string> sTable;
// Bounds the table and the fallback walk.
constexpr size_t kMaxTableEntries = 65536;
constexpr size_t kMaxWalkedFolders = 50000;

bool StillThere(const std::string& path, dev_t device, ino_t inode)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == device
        && st.st_ino == inode;
}

bool Walk(const std::string& top, dev_t device, ino_t inode, std::string* found)
{
    std::deque<std::string> queue{top};
    size_t walked = 0;
    while (!queue.empty() && walked < kMaxWalkedFolders) {
        std::string folder = std::move(queue.front());
        queue.pop_front();
        ++walked;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            continue;
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
                continue;
            std::string path = join_path(folder, name);
            struct stat st;
            if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_dev != device)
                continue;
            if (st.st_ino == inode) {
                ::closedir(dir);
                *found = path;
                return true;
            }
            queue.push_back(path);
        }
        ::closedir(dir);
    }
    return false;
}

} // namespace

void remember_directory(dev_t device, ino_t inode, const std::string& path)
{
    std::lock_guard<std::mutex> lock(sTableLock);
    if (sTable.size() >= kMaxTableEntries)
        sTable.clear();
    sTable[{device, inode}] = path;
}

status_t directory_path(dev_t device, ino_t inode, std::string* path)
{
    {
        std::lock_guard<std::mutex> lock(sTableLock);
        auto it = sTable.find({device, inode});
        if (it != sTable.end()) {
            if (StillThere(it->second, device, inode)) {
                *path = it->second;
                return B_OK;
            }
            sTable.erase(it);
        }
    }

    // Search: with the sandbox active only inside it (nothing outside is
    // ever written); otherwise the home folder first, then the volume.
    std::vector<std::string> tops;
    if (const char* root = sandbox_root()) {
        tops.push_back(root);
    } else {
        tops.push_back(home_folder());
        MountInfo mount;
        if (find_mount(device, &mount) == B_OK)
            tops.push_back(mount.mountPoint);
    }
    for (const std::string& top : tops) {
        struct stat st;
        if (::stat(top.c_str(), &st) != 0 || st.st_dev != device)
            continue;
        std::string found;
        if (st.st_ino == inode)
            found = top;
        else if (!Walk(top, device, inode, &found))
            continue;
        remember_directory(device, inode, found);
        *path = found;
        return B_OK;
    }
    return B_ENTRY_NOT_FOUND;
}

} // namespace BPrivate
