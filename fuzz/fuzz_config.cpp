// Reads arbitrary bytes as a configuration and exercises every reader, the
// leaf-name look-ups, the selection marks, groups and custom folders.
#include <cstddef>
#include <cstdint>
#include <string>

#include <CustomFolders.h>
#include <GroupContextList.h>
#include <InstallConfig.h>

namespace {

// Results are summed here so that no reader call can be optimised away.
size_t gSink;

void
Use(const char* text)
{
    if (text != nullptr)
        gSink += text[0];
}

// Values read from the input may be anything: add them without letting a
// sum of two of them overflow.
void
Add(int64_t value)
{
    gSink += (size_t)value;
}

}  // namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallConfig config;
    if (config.Unflatten(reinterpret_cast<const char*>(data), (ssize_t)size) != B_OK) {
        // Also read the bytes as a custom folder's attribute description.
        CustomFolder folder;
        folder.SetFromAttrDescription(LibString(std::string((const char*)data, size).c_str()));
        Use(folder.AttrDescription());
        return 0;
    }

    Use(config.AppName());
    Use(config.License());
    gSink += config.HasLicense() + (config.AboutImage() != nullptr);
    Add(config.DeinstallerSize());
    gSink += config.OptLog() + config.DefaultFolderIsCurrent();
    Add(config.ReqRamAmount());
    gSink += (size_t)config.ReqDiskSpaceBytes();
    for (int32 i = 0; i < config.CountReqSharedLibraries(); i++)
        Use(config.ReqSharedLibraryAt(i));
    for (int32 i = 0; i < config.CountReqApps(); i++)
        gSink += InstallConfig::ReqAppSignature(config.ReqAppAt(i)).size();
    Use(config.EditProfileContents());
    Use(config.CompleteComments());

    GroupContextList groups;
    config.ReadGroups(groups);
    Add(groups.NextUid());
    BMessage written;
    groups.Write(written);

    CustomFolders folders;
    config.GetCustomFolders(folders);
    BMessage prefs;
    folders.WritePref(prefs, true);
    folders.ReadPref(prefs, false);
    folders.ReadPref(config, true);
    for (CustomFolder* folder = folders.First(); folder != nullptr; folder = folders.Next())
        Use(folder->AttrDescription());

    int32 count = config.CountInstallItems();
    if (count > 2000)
        count = 2000;
    for (int32 i = 0; i < count; i++) {
        InstallItem item = config.ItemAt(i);
        std::string leaf = item.LeafName();
        Add(item.FileSize());
        Add(item.ListedSize());
        gSink += item.IsSelected() + item.IsDeinstallable();
        gSink += item.IsInGroup("Typical") + item.StaysInInstallFolder() + item.HasNoLink();
        Use(item.DestinationExists());
        Add(config.GetFileSize(leaf.c_str()));
        gSink += config.MatchType("Typical", leaf.c_str());
        config.MarkInstallFile(leaf.c_str(), i % 2 == 0);
    }
    return 0;
}
