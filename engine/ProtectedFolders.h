// Folders the install job must never remove, replace or move away: the
// standard folders (of the boot volume and of the installation's volume),
// the user's home folder, and the installation folder with every folder
// that holds it. A rule of the build that would remove or move one of
// them, or a folder that holds one of them, is refused.
#pragma once

#include <string>
#include <vector>

class BVolume;

class ProtectedFolders {
public:
    // The standard folders of the boot volume and the home folder.
                        ProtectedFolders();

    // Adds the standard folders as they lie on volume.
    void                AddStandardFolders(BVolume& volume);
    // Adds the installation folder (and so every folder that holds it).
    void                AddInstallFolder(const char* path);

    // Why the entry at path may not be removed or moved: "it is ..." or "it
    // holds ..."; empty when it may. A symbolic link is judged as the link
    // itself (removing it leaves its target alone).
    std::string         Refusal(const char* path) const;

private:
    struct Folder {
        std::string path;
        const char* what;
    };
    void                _Add(const char* path, const char* what);

    std::vector<Folder> fFolders;
};
