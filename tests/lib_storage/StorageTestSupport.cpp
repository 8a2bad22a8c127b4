#include "StorageTestSupport.h"

#include "TestSupport.h"

#include <Node.h>
#include <Sandbox.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace storage_test {

const char* const kAwkwardName = "-a \"q\" 'x' $HOME `id` ;& *?\\ new\nline";

bool SetAttribute(const std::string& path, const char* name, type_code type, const std::string& data)
{
    BNode node(path.c_str());
    return node.InitCheck() == B_OK && node.WriteAttr(name, type, 0, data.data(), data.size()) == ssize_t(data.size());
}

bool GetAttribute(const std::string& path, const char* name, type_code& type, std::string& data)
{
    BNode node(path.c_str());
    attr_info info;
    if (node.InitCheck() != B_OK || node.GetAttrInfo(name, &info) != B_OK)
        return false;
    type = info.type;
    data.assign(size_t(info.size), '\0');
    return node.ReadAttr(name, type, 0, data.data(), data.size()) == ssize_t(data.size());
}

bool ToolsAvailable()
{
    return ::access("/bin/cp", X_OK) == 0 && ::access("/bin/mv", X_OK) == 0;
}

bool FindSecondVolume(fs::path& folder)
{
    struct stat sandbox;
    if (::stat(ondelle::test::SandboxRoot().c_str(), &sandbox) != 0)
        return false;
    // A writable folder on another file system. The sandbox must allow it:
    // the tests run with the sandbox root as the only writable place, so
    // this only succeeds when the sandbox itself spans a mount.
    for (const char* candidate : {"/dev/shm"}) {
        struct stat st;
        if (::stat(candidate, &st) == 0 && st.st_dev != sandbox.st_dev && ::access(candidate, W_OK) == 0) {
            folder = candidate;
            return true;
        }
    }
    return false;
}

} // namespace storage_test
