// LibWorkFolders: the working folders a job holds at the moment, so that a
// stop can remove them. The job registers a folder when it makes it and
// lets go of it when it has removed it itself; whoever stops the job calls
// RemoveAll() once the job's thread can change nothing more. Any thread may
// call any operation.
#pragma once

#include <mutex>
#include <set>
#include <string>

class LibWorkFolders {
public:
    LibWorkFolders() = default;
    LibWorkFolders(const LibWorkFolders&) = delete;
    LibWorkFolders& operator=(const LibWorkFolders&) = delete;

    void Add(const std::string& path);
    void Remove(const std::string& path);
    // Deletes every registered folder with its contents, and forgets them.
    void RemoveAll();
    bool IsEmpty() const;

private:
    mutable std::mutex fLock;
    std::set<std::string> fFolders;
};
