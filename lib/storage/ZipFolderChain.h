// The chain of open folders below an unpacking's target: consecutive
// entries of an archive mostly share their folders, so each folder is
// opened (or made) once and kept open while entries inside it follow,
// instead of being looked up again from the target for every entry.
#pragma once

#include <string>
#include <vector>

class ZipFolderChain {
public:
    // Why Open failed.
    struct Failure {
        int error = 0;
        // The folder at that depth is a symbolic link (never followed).
        bool throughLink = false;
        // It could not be made (rather than opened).
        bool making = false;
    };

    // root is the target folder's descriptor, borrowed.
    explicit ZipFolderChain(int root);
    ~ZipFolderChain();
    ZipFolderChain(const ZipFolderChain&) = delete;
    ZipFolderChain& operator=(const ZipFolderChain&) = delete;

    // Opens the folders parts[0..count) below the root, making those that
    // are missing (mode 0777 less the umask), never through a symbolic
    // link. The result belongs to the chain and stays valid until the next
    // call; with count 0 it is the root. made receives the depth of each
    // folder this call made. -1 on failure, with failure filled in.
    int Open(const std::vector<std::string>& parts, size_t count, std::vector<size_t>& made, Failure& failure);

    // The open folder at depth (0: parts[0]) after the last Open, or -1 when
    // the chain does not hold it (deeper than it keeps folders open).
    int At(size_t depth) const;

private:
    // Opens (or makes) the folder name in parent; -1 on failure.
    static int OpenOne(int parent, const std::string& name, bool& madeIt, Failure& failure);
    void CloseFrom(size_t depth);

    int fRoot;
    // Open folders from the root down, at most kMaxHeld deep; deeper ones
    // are opened for one call only.
    std::vector<std::string> fNames;
    std::vector<int> fFds;
    int fDeep = -1;
};
