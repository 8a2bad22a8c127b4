// Reinstall and update: a run that finds an earlier installation of the
// same product recognises what that one placed from its record, replaces
// the entries nobody changed since without asking, and carries the rest
// of it into its own record (docs/journal.md, "Updates").
#include "InstallConfig.h"

#include "DeinstallTag.h"
#include "DeinstallerConfig.h"
#include "InstallRecord.h"

#include <Message.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char* MessageText(const BMessage& message, const char* name)
{
    const char* text = nullptr;
    return message.FindString(name, &text) == B_OK && text != nullptr ? text : "";
}

bool IsAtOrBelow(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
        && path[folder.size()] == '/');
}

} // namespace


void
InstallConfig::_LoadEarlierInstallation(const std::string& earlierFolder)
{
    fEarlier.reset();
    fUpdatedFrom.clear();
    std::error_code error;
    // The earlier installation's deinstaller knows its product and holds
    // the key its record was written with.
    for (const auto& entry : fs::directory_iterator(earlierFolder, error)) {
        const std::string leaf = entry.path().filename().string();
        const std::string suffix = " Deinstaller";
        if (leaf.size() <= suffix.size() || leaf.compare(leaf.size() - suffix.size(), suffix.size(), suffix) != 0
            || !entry.is_regular_file(error) || entry.is_symlink(error))
            continue;
        BMessage configuration;
        if (ReadDeinstallerConfiguration(entry.path().c_str(), configuration) != B_OK)
            continue;
        if (std::strcmp(MessageText(configuration, "app_name"), AppName()) != 0
            || std::strcmp(MessageText(configuration, "company"), Company()) != 0)
            continue;
        const char* key = MessageText(configuration, "record_key");
        if (*key == '\0')
            continue;
        auto record = std::make_unique<InstallRecord>();
        if (record->Load(InstallRecord::PathIn(earlierFolder.c_str()).c_str(), key) != B_OK || !record->Trusted())
            continue;
        fEarlier = std::move(record);
        fUpdatedFrom = MessageText(configuration, "version");
        return;
    }
}


bool
InstallConfig::_IsEarlierOwn(const std::string& path) const
{
    if (fEarlier == nullptr || !fEarlier->Has(path) || fEarlier->Changed(path))
        return false;
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(path, error)))
        return true;
    // A folder is the earlier installation's own only when everything in it
    // is: a file the user added inside keeps it from being replaced.
    for (auto it = fs::recursive_directory_iterator(path, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const std::string inner = it->path().string();
        if (!fEarlier->Has(inner) || fEarlier->Changed(inner))
            return false;
    }
    return !error;
}


void
InstallConfig::_CarryOverEarlier(InstallRecord& record, const std::string& installFolder)
{
    if (fEarlier == nullptr)
        return;
    std::vector<std::pair<std::string, install_record_entry>> carried;
    for (const auto& [path, entry] : fEarlier->Entries()) {
        // The earlier installation folder goes to the Trash whole; what this
        // run placed is in its record already.
        if (IsAtOrBelow(path, installFolder) || record.Has(path))
            continue;
        install_record_entry now;
        if (!InstallRecord::Describe(path.c_str(), now) || fEarlier->Differs(path, now))
            continue;
        if (now.kind != install_record_entry::FOLDER || _IsEarlierOwn(path))
            TagForDeinstall(path.c_str(), DeinstallTag());
        InstallRecord::Describe(path.c_str(), now);
        carried.emplace_back(path, now);
    }
    if (record.AddEntries(carried) != B_OK)
        Log("\t\tUnable to write the earlier installation's entries to the install record\n");
}
