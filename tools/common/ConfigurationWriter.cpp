#include "ConfigurationWriter.h"

#include "WaveFile.h"

#include <Bitmap.h>
#include <CustomFolder.h>
#include <Entry.h>
#include <File.h>
#include <GroupContextList.h>
#include <LibFileUtils.h>
#include <Message.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

constexpr float kAboutWidth = 150;
constexpr float kAboutHeight = 200;
// "kb  ": the unit code stored beside a disk-space amount.
constexpr int32 kKilobyteUnit = 0x6B622020;

std::string ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return path + ": cannot be read";
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.find('\0') != std::string::npos)
        return path + ": holds a NUL byte; a license must be plain text";
    return std::string();
}

// The small icon of a payload: its own icon when it has one, otherwise the
// generic icon of its kind, as the file manager shows it.
std::string WriteIcon(const std::string& path, BMessage& archive)
{
    BEntry entry(path.c_str(), true);
    entry_ref ref;
    if (entry.GetRef(&ref) != B_OK)
        return path + ": cannot be opened";
    uint8 pixels[16 * 16];
    if (BNodeInfo::GetTrackerIcon(&ref, pixels, 16) != B_OK)
        return path + ": has no icon and no generic icon could be made";
    BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
    icon.SetBits(pixels, int32(sizeof(pixels)), 0, B_CMAP8);
    status_t status = icon.Archive(&archive, true);
    // The item list keeps its icons as the foundation library's bitmap
    // class, and the archive names that class.
    if (status == B_OK)
        status = archive.ReplaceString("class", "LibBitmap");
    return status == B_OK ? std::string() : path + ": the icon could not be archived";
}

status_t AddRequirements(const ProductRequirements& requirements, BMessage& configuration)
{
    configuration.AddBool("req_disk_space_needed", requirements.diskSpaceNeeded);
    configuration.AddBool("req_disk_space_required", requirements.diskSpaceRequired);
    BMessage amount;
    amount.AddDouble("value", requirements.diskSpaceAmount);
    amount.AddInt32("value_type", kKilobyteUnit);
    amount.AddFloat("value_conversion", 1024.0f);
    configuration.AddMessage("req_disk_space_amount", &amount);
    configuration.AddBool("req_boot_vol_only", requirements.bootVolumeOnly);
    configuration.AddBool("req_removable_vol_ok", requirements.removableVolumesOk);
    configuration.AddBool("req_shared_vol_ok", requirements.sharedVolumesOk);
    configuration.AddBool("req_ram_needed", requirements.ramNeeded);
    configuration.AddBool("req_ram_required", requirements.ramRequired);
    configuration.AddInt32("req_ram_amount", requirements.ramMegabytes);
    if (requirements.librariesPresent) {
        BMessage libraries;
        // The field name is spelled so in every build.
        libraries.AddBool("req_shared_librry_req", requirements.librariesRequired);
        for (const auto& name : requirements.libraries)
            libraries.AddString("req_shared_library_name", name.c_str());
        configuration.AddMessage("req_shared_library", &libraries);
    }
    if (requirements.applicationsPresent) {
        BMessage applications;
        applications.AddBool("req_app_req", requirements.applicationsRequired);
        for (const auto& name : requirements.applications)
            applications.AddString("req_app_name", name.c_str());
        configuration.AddMessage("req_apps", &applications);
    }
    return B_OK;
}

void AddScriptEdit(const char* field, const ProductScriptEdit& edit, BMessage& configuration)
{
    const std::string name = field;
    configuration.AddBool(name.c_str(), edit.enabled);
    configuration.AddString((name + "_tag").c_str(), edit.tag.c_str());
    configuration.AddString((name + "_contents").c_str(), edit.contents.c_str());
}

} // namespace

std::string WriteAboutImage(const std::string& path, BMessage& archive)
{
    std::unique_ptr<BBitmap> picture(read_bitmap_file(path.c_str()));
    if (!picture)
        return path + ": is not a picture that can be read (use PNG or JPEG)";
    std::unique_ptr<BBitmap> scaled(
        scale_bitmap(picture.get(), int32(kAboutWidth), int32(kAboutHeight), B_RGB32, true));
    if (!scaled || scaled->Archive(&archive, true) != B_OK)
        return path + ": could not be scaled to 150 x 200 pixels";
    return std::string();
}

std::string WriteInstallItem(const ProductItem& item, BMessage& message)
{
    BEntry entry(item.path.c_str(), true);
    if (entry.InitCheck() != B_OK || !entry.Exists())
        return item.path + ": does not exist";
    time_t created = 0;
    time_t modified = 0;
    time_t accessed = 0;
    if (entry.GetCreationTime(&created) != B_OK || entry.GetModificationTime(&modified) != B_OK
        || entry.GetAccessTime(&accessed) != B_OK)
        return item.path + ": its dates cannot be read";
    const int32 size = LibEntrySize(item.path.c_str(), true);
    if (size < 0)
        return item.path + ": its size cannot be measured";

    BMessage icon;
    std::string error = WriteIcon(item.path, icon);
    if (!error.empty())
        return error;

    std::string groups;
    for (const auto& group : item.groups)
        groups += group + ";";

    message.AddString("file_name", item.path.c_str());
    message.AddInt8("file_type", item.fileType);
    message.AddInt32("file_size", size);
    message.AddInt64("file_creation", int64(created));
    message.AddInt64("file_modified", int64(modified));
    message.AddInt64("file_accessed", int64(accessed));
    message.AddMessage("file_icon", &icon);
    message.AddString("groups", groups.c_str());
    message.AddInt32("file_size", size);

    BMessage meta;
    meta.AddString("destination", item.destination.c_str());
    meta.AddString("destination_exists", item.destinationExists.c_str());
    meta.AddString("link", item.link.c_str());
    meta.AddString("link_exists", item.linkExists.c_str());
    meta.AddString("deinstallable", item.deinstallable.c_str());
    if (item.autoLaunch)
        meta.AddString("auto_launch", item.autoLaunch->c_str());
    if (item.autoLaunchReason)
        meta.AddString("auto_launch_reason", item.autoLaunchReason->c_str());
    if (item.desktop) {
        BMessage desktop;
        item.desktop->AddTo(desktop);
        meta.AddMessage("desktop_entry", &desktop);
    }
    message.AddMessage("install_meta", &meta);
    return std::string();
}

std::string WriteConfiguration(const ProductDescription& description, int64 deinstallerSize,
    BMessage& configuration)
{
    configuration.MakeEmpty();
    configuration.what = 0;
    configuration.AddString("app_name", description.appName.c_str());
    configuration.AddString("version", description.version.c_str());
    configuration.AddString("release_date", description.releaseDate.c_str());
    configuration.AddString("company", description.company.c_str());
    configuration.AddString("support_email", description.supportEmail.c_str());

    if (!description.aboutImage.empty()) {
        BMessage about;
        std::string error = WriteAboutImage(description.aboutImage, about);
        if (!error.empty())
            return error;
        configuration.AddMessage("about_image", &about);
    }
    if (!description.licenseFile.empty()) {
        std::string license;
        std::string error = ReadText(description.licenseFile, license);
        if (!error.empty())
            return error;
        configuration.AddString("license", license.c_str());
    }
    if (!description.startupSound.empty()) {
        BMessage audio;
        const std::string error = ReadWaveAsAudioMessage(description.startupSound, audio);
        if (!error.empty())
            return description.startupSound + ": " + error;
        configuration.AddMessage("audio_data", &audio);
        const size_t slash = description.startupSound.rfind('/');
        configuration.AddString("audio_file", description.startupSound.substr(slash + 1).c_str());
    }
    if (deinstallerSize >= 0) {
        if (deinstallerSize > INT32_MAX)
            return description.deinstaller + ": is larger than 2 GB";
        configuration.AddInt32("VDC:deinstaller_size", int32(deinstallerSize));
    }

    if (!description.groups.empty()) {
        GroupContextList list;
        for (const auto& group : description.groups) {
            list.Add(group.name.c_str());
            list.Get(list.Size() - 1)->SetDescription(group.description.c_str());
        }
        BMessage groups;
        list.Write(groups);
        configuration.AddMessage("groups", &groups);
    }

    BMessage instructions;
    for (const auto& item : description.items) {
        BMessage message;
        const std::string error = WriteInstallItem(item, message);
        if (!error.empty())
            return error;
        instructions.AddMessage("install_file", &message);
    }
    configuration.AddMessage("install_instructions", &instructions);

    BMessage folders;
    for (const auto& folder : description.customFolders) {
        CustomFolder custom(folder.name.c_str());
        custom.ParentCode(folder.root).SubFolder(folder.subDir.c_str())
            .Replace(folder.replaceExisting);
        BMessage message;
        custom.Write(message);
        folders.AddMessage("custom_folder", &message);
    }
    configuration.AddMessage("custom_folder", &folders);

    configuration.AddBool("opt_log", description.optLog);
    configuration.AddBool("opt_create_startup", description.optCreateStartup);
    configuration.AddBool("opt_save_replaced", description.optSaveReplaced);
    if (description.optDefaultFolder)
        configuration.AddString("opt_default_folder", description.optDefaultFolder->c_str());
    configuration.AddString("opt_created_folder", description.optCreatedFolder.c_str());
    configuration.AddString("install_folder_name", description.optCreatedFolder.c_str());
    configuration.AddInt32("opt_compression", description.compressionLevel);

    AddRequirements(description.requirements, configuration);
    AddScriptEdit("edit_bootscript", description.bootscript, configuration);
    AddScriptEdit("edit_setup_env", description.setupEnvironment, configuration);
    AddScriptEdit("edit_profile", description.profile, configuration);

    configuration.AddString("complete_comments", description.completeComments.c_str());
    configuration.AddBool("complete_restart", description.completeRestart);
    configuration.AddBool("complete_display_folder", description.completeDisplayFolder);
    return std::string();
}
