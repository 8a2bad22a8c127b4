// The install log, the status messages to the window, and the small
// accessors of the job's state.
#include "InstallConfig.h"

#include <LibAppVersion.h>
#include <LibConversions.h>
#include <LibDateTime.h>
#include <LibLocaleDate.h>
#include <LibLocaleTime.h>
#include <LibSysInfo.h>
#include <Messenger.h>
#include <Volume.h>

#include <cstdarg>
#include <cstring>

namespace {

// Status texts longer than this are cut.
constexpr size_t kStatusLength = 99;

const char* Text(const LibString& text)
{
    const char* value = text;
    return value != nullptr ? value : "";
}

const char* YesNo(bool value)
{
    return value ? "Yes" : "No";
}

} // namespace


void
InstallConfig::OpenLog(const char* path)
{
    if (!OptLog() || path == nullptr)
        return;
    CloseLog();
    std::lock_guard<std::mutex> guard(fLogLock);
    fLog = fopen(path, "w");
    if (fLog != nullptr)
        fLogOpened = true;
}


void
InstallConfig::Log(const char* format, ...)
{
    std::lock_guard<std::mutex> guard(fLogLock);
    if (fLog == nullptr || format == nullptr)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(fLog, format, arguments);
    va_end(arguments);
    // Support reads the log after a stopped run too: keep nothing buffered.
    fflush(fLog);
}


void
InstallConfig::CloseLog()
{
    std::lock_guard<std::mutex> guard(fLogLock);
    if (fLog != nullptr) {
        fclose(fLog);
        fLog = nullptr;
    }
}


void
InstallConfig::UpdateStatus(const char* format, ...)
{
    BMessenger* messenger = Messenger();
    if (messenger == nullptr || format == nullptr)
        return;
    char text[kStatusLength + 1];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    BMessage message(INSTALL_STATUS_UPDATE);
    message.AddString("message", text);
    messenger->SendMessage(&message, (BHandler*)nullptr, B_INFINITE_TIMEOUT);
}


void
InstallConfig::UpdateProgress(int64 done, int64 total)
{
    BMessenger* messenger = Messenger();
    if (messenger == nullptr)
        return;
    BMessage message(INSTALL_PROGRESS_UPDATE);
    message.AddInt64("done", done);
    message.AddInt64("total", total);
    messenger->SendMessage(&message, (BHandler*)nullptr, B_INFINITE_TIMEOUT);
}


void
InstallConfig::_Timestamp(LibString& text)
{
    LibDateTime now(true);
    LibLocaleDate dateFormat;
    LibLocaleTime timeFormat;
    timeFormat.SetShowSeconds(true);
    LibString date = dateFormat.Format(now);
    LibString time = timeFormat.Format(now);
    text.Formatted("%s %s", Text(date), Text(time));
}


void
InstallConfig::_WriteLogHeader(const BVolume& volume, const char* volumeName,
    const char* savedFilesPath)
{
    LibString version = LibGetAppVersion(ResourcePath()[0] != '\0' ? ResourcePath() : nullptr);
    Log("ONDELLE\n");
    Log("\tVersion %s\n", Text(version));
    Log("\thttps://ondelle.example.org\n");
    Log("\tsupport@ondelle.example.org\n");

    Log("\nAPPLICATION\n");
    Log("\tApplication : %s\n", AppName());
    Log("\tVersion : %s\n", Version());
    Log("\tRelease Date : %s\n", ReleaseDate());
    Log("\tCompany : %s\n", Company());
    Log("\tSupport Email : %s\n", SupportEmail());

    LibSysInfo info;
    LibString description;
    info.Description(description);
    LibString freeSpace;
    uint64 freeBytes = volume.InitCheck() == B_OK && volume.FreeBytes() > 0
        ? uint64(volume.FreeBytes()) : 0;
    LibBytesToString(freeBytes, freeSpace, 1);
    Log("\nABOUT THIS SYSTEM\n");
    Log("\t%s\n", Text(description));
    Log("\tFree Disk Space : %s\n", Text(freeSpace));

    Log("\nINSTALLER REQUIREMENTS\n");
    Log("\tDisk Space Needed: %s\n", YesNo(ReqDiskSpaceNeeded()));
    if (ReqDiskSpaceNeeded()) {
        LibString amount;
        LibBytesToString(uint64(ReqDiskSpaceBytes()), amount, 1);
        Log("\t\tDisk spaced %s: %s\n", ReqDiskSpaceRequired() ? "required" : "suggested",
            Text(amount));
    }
    Log("\tPhysical RAM Needed: %s\n", YesNo(ReqRamNeeded()));
    if (ReqRamNeeded())
        Log("\t\tRAM %s: %d MB\n", ReqRamRequired() ? "required" : "suggested",
            int(ReqRamAmount()));
    Log("\tBoot Volume Only: %s\n", YesNo(ReqBootVolOnly()));
    Log("\tRemovable Volume Allowed: %s\n", YesNo(ReqRemovableVolOk()));
    Log("\tShared Volume Allowed: %s\n", YesNo(ReqSharedVolOk()));
    Log("\tShared Libraries:\n");
    Log("\tDependent Applications:\n");

    Log("\nINSTALLATION\n\tOn volume %s.\n\tIn folder %s.\n", volumeName, InstallFolderPath());
    if (OptSaveReplaced())
        Log("\tReplaced files moved to %s\n", savedFilesPath);
    Log("\n");
    LibString started;
    _Timestamp(started);
    Log("\tInstallation Started: %s\n", Text(started));
}


void
InstallConfig::PrintToStream()
{
    LibThread::PrintToStream();
    PrintInstallItems();
}


void
InstallConfig::SetDestination(const entry_ref& folder)
{
    fDestination = folder;
}


void
InstallConfig::SetResourcePath(const char* path)
{
    fResourcePath = path != nullptr ? path : "";
}


const char*
InstallConfig::ResourcePath() const
{
    return Text(fResourcePath);
}


const char*
InstallConfig::InstallFolderPath() const
{
    return Text(fInstallFolder);
}


const char*
InstallConfig::DeinstallTag() const
{
    return Text(fDeinstallTag);
}


void
InstallConfig::FailureSummary(LibString& text) const
{
    text = "";
    int32 count = fFailedItems.Size();
    if (count == 0)
        return;
    text.Formatted(count == 1
            ? "Installation completed, but %d item could not be installed:\n"
            : "Installation completed, but %d items could not be installed:\n",
        int(count));
    for (const ListNode<LibString>* node = fFailedItems.OldestNode(); node != nullptr;
            node = node->Newer()) {
        if (node->Item() != nullptr) {
            text += "\n";
            text += Text(*node->Item());
        }
    }
    if (fLogOpened)
        text += "\n\nThe install log in the installation folder tells what happened.";
}
