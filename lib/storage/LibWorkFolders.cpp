#include "LibWorkFolders.h"

#include "LibFileUtils.h"

#include <vector>

void LibWorkFolders::Add(const std::string& path)
{
    std::lock_guard<std::mutex> guard(fLock);
    fFolders.insert(path);
}

void LibWorkFolders::Remove(const std::string& path)
{
    std::lock_guard<std::mutex> guard(fLock);
    fFolders.erase(path);
}

void LibWorkFolders::RemoveAll()
{
    std::vector<std::string> folders;
    {
        std::lock_guard<std::mutex> guard(fLock);
        folders.assign(fFolders.begin(), fFolders.end());
        fFolders.clear();
    }
    for (const std::string& folder : folders)
        LibUnlink(folder.c_str());
}

bool LibWorkFolders::IsEmpty() const
{
    std::lock_guard<std::mutex> guard(fLock);
    return fFolders.empty();
}
