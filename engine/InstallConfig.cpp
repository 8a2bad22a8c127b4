#include "InstallConfig.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <ConfigFields.h>
#include <CustomFolder.h>
#include <CustomFolders.h>
#include <GroupContextList.h>

InstallConfig::InstallConfig()
    :
    fLog(nullptr),
    fRestartRequested(false),
    fLogOpened(false),
    fCollisionFailed(false),
    fWorkFolders(std::make_shared<LibWorkFolders>()),
    fUnpackWorkers(-1)
{
}


InstallConfig::~InstallConfig()
{
    // A job still running uses the members below: end it first. A job that
    // has finished its work is only answering its last questions or sending
    // its end message: it is waited for.
    if (JobFinished())
        WaitForEnd();
    Kill();
    CloseLog();
}


InstallConfig&
InstallConfig::operator=(const BMessage& message)
{
    if (&message != this) {
        fItemIndex.Invalidate();
        BMessage::operator=(message);
    }
    return *this;
}


InstallConfig&
InstallConfig::operator=(BMessage&& message)
{
    if (&message != this) {
        fItemIndex.Invalidate();
        BMessage::operator=(std::move(message));
    }
    return *this;
}


// #pragma mark - Field access helpers


const char*
InstallConfig::_String(const char* name) const
{
    const char* text = nullptr;
    if (FindString(name, 0, &text) != B_OK || text == nullptr)
        return "";
    return text;
}


bool
InstallConfig::_Bool(const char* name) const
{
    bool value = false;
    if (FindBool(name, 0, &value) != B_OK)
        return false;
    return value;
}


const char*
InstallConfig::_NestedString(const char* message, const char* name, int32 index) const
{
    const BMessage* nested = FindMessagePointer(message);
    const char* text = nullptr;
    if (nested == nullptr || nested->FindString(name, index, &text) != B_OK)
        return nullptr;
    return text;
}


int32
InstallConfig::_CountNestedStrings(const char* message, const char* name) const
{
    const BMessage* nested = FindMessagePointer(message);
    type_code type = 0;
    int32 count = 0;
    if (nested == nullptr || nested->GetInfo(name, &type, &count) != B_OK
        || type != B_STRING_TYPE) {
        return 0;
    }
    return count;
}


// #pragma mark - Product description


const char*
InstallConfig::AppName() const
{
    return _String(kFieldAppName);
}


const char*
InstallConfig::Version() const
{
    return _String(kFieldVersion);
}


const char*
InstallConfig::ReleaseDate() const
{
    return _String(kFieldReleaseDate);
}


const char*
InstallConfig::Company() const
{
    return _String(kFieldCompany);
}


const char*
InstallConfig::SupportEmail() const
{
    return _String(kFieldSupportEmail);
}


const BMessage*
InstallConfig::AboutImage() const
{
    return FindMessagePointer(kFieldAboutImage);
}


const char*
InstallConfig::License() const
{
    return _String(kFieldLicense);
}


bool
InstallConfig::HasLicense() const
{
    return License()[0] != '\0';
}


const BMessage*
InstallConfig::AudioData() const
{
    return FindMessagePointer(kFieldAudioData);
}


bool
InstallConfig::HasDeinstallerSize() const
{
    return HasInt32(kFieldDeinstallerSize);
}


int32
InstallConfig::DeinstallerSize() const
{
    int32 size = 0;
    if (FindInt32(kFieldDeinstallerSize, 0, &size) != B_OK)
        return 0;
    return size;
}


// #pragma mark - Install groups


const BMessage*
InstallConfig::Groups() const
{
    return FindMessagePointer(kFieldGroups);
}


void
InstallConfig::ReadGroups(GroupContextList& list) const
{
    const BMessage* groups = Groups();
    if (groups != nullptr)
        list.Read(*groups);
    else
        list.Clear();
}


// #pragma mark - Install items


const BMessage*
InstallConfig::InstallInstructions() const
{
    return FindMessagePointer(kFieldInstallInstructions);
}


int32
InstallConfig::CountInstallItems() const
{
    return InstallItemIndex::CountItems(InstallInstructions());
}


const BMessage*
InstallConfig::InstallItemAt(int32 index) const
{
    const BMessage* instructions = InstallInstructions();
    if (instructions == nullptr)
        return nullptr;
    return instructions->FindMessagePointer(kFieldInstallFile, index);
}


InstallItem
InstallConfig::ItemAt(int32 index) const
{
    return InstallItem(InstallItemAt(index));
}


int32
InstallConfig::IndexOfInstallItem(const char* leaf) const
{
    return fItemIndex.Find(InstallInstructions(), leaf);
}


InstallItem
InstallConfig::FindInstallItem(const char* leaf) const
{
    const BMessage* item = nullptr;
    fItemIndex.Find(InstallInstructions(), leaf, &item);
    return InstallItem(item);
}


int32
InstallConfig::GetFileSize(const char* leaf) const
{
    return FindInstallItem(leaf).FileSize();
}


BMessage*
InstallConfig::_EditItem(int32 index)
{
    // Goes around the redeclared EditMessagePointer: marking an item does
    // not touch names or positions, so the index stays valid.
    BMessage* instructions = BMessage::EditMessagePointer(kFieldInstallInstructions);
    if (instructions == nullptr)
        return nullptr;
    return instructions->EditMessagePointer(kFieldInstallFile, index);
}


status_t
InstallConfig::MarkInstallItem(int32 index, const bool& selected)
{
    BMessage* item = _EditItem(index);
    if (item == nullptr)
        return B_BAD_INDEX;

    type_code type = 0;
    if (item->GetInfo(kFieldInstallToSystem, &type) == B_OK) {
        if (type == B_BOOL_TYPE)
            return item->ReplaceBool(kFieldInstallToSystem, 0, selected);
        // A mark of another type cannot be replaced in place; it is dropped
        // so that the item ends up with one boolean mark.
        item->RemoveName(kFieldInstallToSystem);
    }
    return item->AddBool(kFieldInstallToSystem, selected);
}


status_t
InstallConfig::MarkInstallFile(const char* leaf, const bool& selected)
{
    if (leaf == nullptr)
        return B_BAD_VALUE;
    int32 index = IndexOfInstallItem(leaf);
    if (index < 0)
        return B_NAME_NOT_FOUND;
    return MarkInstallItem(index, selected);
}


bool
InstallConfig::MatchType(const char* group, const char* leaf) const
{
    InstallItem item = FindInstallItem(leaf);
    if (!item.IsValid())
        return false;

    const BMessage* meta = item.Meta();
    if (meta == nullptr) {
        fprintf(stderr, "InstallConfig::MatchType: could not find meta data\n");
        return false;
    }

    const char* groups = nullptr;
    if (meta->FindString(kFieldItemGroups, 0, &groups) != B_OK
        && item.Message()->FindString(kFieldItemGroups, 0, &groups) != B_OK) {
        fprintf(stderr, "InstallConfig::MatchType: Could not find option\n");
        return false;
    }
    return InstallItem::ListsGroup(groups, group);
}


void
InstallConfig::PrintInstallItems() const
{
    int32 count = CountInstallItems();
    for (int32 index = 0; index < count; index++) {
        const BMessage* item = InstallItemAt(index);
        if (item != nullptr)
            item->PrintToStream();
    }
}


void
InstallConfig::InstallItemsChanged()
{
    fItemIndex.Invalidate();
}


// #pragma mark - Custom folders


const BMessage*
InstallConfig::CustomFolderList() const
{
    return FindMessagePointer(kFieldCustomFolder);
}


int32
InstallConfig::CountCustomFolders() const
{
    const BMessage* list = CustomFolderList();
    type_code type = 0;
    int32 count = 0;
    if (list == nullptr || list->GetInfo(kFieldCustomFolder, &type, &count) != B_OK
        || type != B_MESSAGE_TYPE) {
        return 0;
    }
    return count;
}


const BMessage*
InstallConfig::CustomFolderAt(int32 index) const
{
    const BMessage* list = CustomFolderList();
    if (list == nullptr)
        return nullptr;
    return list->FindMessagePointer(kFieldCustomFolder, index);
}


bool
InstallConfig::FindCustomFolder(const char* name, CustomFolder& folder) const
{
    if (name == nullptr)
        return false;
    int32 count = CountCustomFolders();
    for (int32 index = 0; index < count; index++) {
        const BMessage* entry = CustomFolderAt(index);
        const char* entryName = nullptr;
        if (entry != nullptr && entry->FindString("custom_folder_name", 0, &entryName) == B_OK
            && strcmp(entryName, name) == 0) {
            folder = CustomFolder();
            folder.Read(*entry);
            return true;
        }
    }
    return false;
}


int32
InstallConfig::GetCustomFolders(CustomFolders& folders) const
{
    int32 count = CountCustomFolders();
    int32 added = 0;
    for (int32 index = 0; index < count; index++) {
        const BMessage* entry = CustomFolderAt(index);
        if (entry == nullptr)
            continue;
        CustomFolder* folder = new CustomFolder;
        folder->Read(*entry);
        folders.Insert(folder);
        added++;
    }
    return added;
}


// #pragma mark - Options


bool
InstallConfig::OptLog() const
{
    return _Bool(kFieldOptLog);
}


bool
InstallConfig::OptCreateStartup() const
{
    return _Bool(kFieldOptCreateStartup);
}


bool
InstallConfig::OptSaveReplaced() const
{
    return _Bool(kFieldOptSaveReplaced);
}


bool
InstallConfig::HasOptDefaultFolder() const
{
    return HasString(kFieldOptDefaultFolder);
}


const char*
InstallConfig::OptDefaultFolder() const
{
    return _String(kFieldOptDefaultFolder);
}


bool
InstallConfig::DefaultFolderIsCurrent() const
{
    return HasOptDefaultFolder() && strcmp(OptDefaultFolder(), kValueCurrent) == 0;
}


const char*
InstallConfig::OptCreatedFolder() const
{
    return _String(kFieldOptCreatedFolder);
}


// #pragma mark - Requirements


bool
InstallConfig::ReqDiskSpaceNeeded() const
{
    return _Bool(kFieldReqDiskSpaceNeeded);
}


bool
InstallConfig::ReqDiskSpaceRequired() const
{
    return _Bool(kFieldReqDiskSpaceRequired);
}


double
InstallConfig::ReqDiskSpaceValue() const
{
    const BMessage* amount = FindMessagePointer(kFieldReqDiskSpaceAmount);
    double value = 0;
    if (amount == nullptr || amount->FindDouble(kFieldValue, 0, &value) != B_OK)
        return 0;
    return value;
}


int64
InstallConfig::ReqDiskSpaceBytes() const
{
    double value = std::trunc(ReqDiskSpaceValue());
    if (std::isnan(value) || value <= 0)
        return 0;
    // 2^63 is the first double beyond the int64 range.
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<int64>::max();
    return (int64)value;
}


bool
InstallConfig::ReqBootVolOnly() const
{
    return _Bool(kFieldReqBootVolOnly);
}


bool
InstallConfig::ReqRemovableVolOk() const
{
    return _Bool(kFieldReqRemovableVolOk);
}


bool
InstallConfig::ReqSharedVolOk() const
{
    return _Bool(kFieldReqSharedVolOk);
}


bool
InstallConfig::ReqRamNeeded() const
{
    return _Bool(kFieldReqRamNeeded);
}


bool
InstallConfig::ReqRamRequired() const
{
    return _Bool(kFieldReqRamRequired);
}


int32
InstallConfig::ReqRamAmount() const
{
    int32 amount = 0;
    if (FindInt32(kFieldReqRamAmount, 0, &amount) != B_OK)
        return 0;
    return amount;
}


bool
InstallConfig::ReqSharedLibrariesRequired() const
{
    const BMessage* libraries = FindMessagePointer(kFieldReqSharedLibrary);
    bool required = false;
    return libraries != nullptr
        && libraries->FindBool(kFieldReqSharedLibraryRequired, 0, &required) == B_OK
        && required;
}


int32
InstallConfig::CountReqSharedLibraries() const
{
    return _CountNestedStrings(kFieldReqSharedLibrary, kFieldReqSharedLibraryName);
}


const char*
InstallConfig::ReqSharedLibraryAt(int32 index) const
{
    return _NestedString(kFieldReqSharedLibrary, kFieldReqSharedLibraryName, index);
}


bool
InstallConfig::ReqAppsRequired() const
{
    const BMessage* apps = FindMessagePointer(kFieldReqApps);
    bool required = false;
    return apps != nullptr && apps->FindBool(kFieldReqAppRequired, 0, &required) == B_OK
        && required;
}


int32
InstallConfig::CountReqApps() const
{
    return _CountNestedStrings(kFieldReqApps, kFieldReqAppName);
}


const char*
InstallConfig::ReqAppAt(int32 index) const
{
    return _NestedString(kFieldReqApps, kFieldReqAppName, index);
}


std::string
InstallConfig::ReqAppSignature(const char* text)
{
    if (text == nullptr)
        return std::string();
    const char* open = strchr(text, '(');
    if (open == nullptr)
        return std::string();
    const char* start = open + 1;
    const char* close = strchr(start, ')');
    return close != nullptr ? std::string(start, close - start) : std::string(start);
}


// #pragma mark - Boot-script edits


bool
InstallConfig::EditBootscript() const
{
    return _Bool(kFieldEditBootscript);
}


const char*
InstallConfig::EditBootscriptTag() const
{
    return _String(kFieldEditBootscriptTag);
}


const char*
InstallConfig::EditBootscriptContents() const
{
    return _String(kFieldEditBootscriptContents);
}


bool
InstallConfig::EditSetupEnv() const
{
    return _Bool(kFieldEditSetupEnv);
}


const char*
InstallConfig::EditSetupEnvTag() const
{
    return _String(kFieldEditSetupEnvTag);
}


const char*
InstallConfig::EditSetupEnvContents() const
{
    return _String(kFieldEditSetupEnvContents);
}


bool
InstallConfig::EditProfile() const
{
    return _Bool(kFieldEditProfile);
}


const char*
InstallConfig::EditProfileTag() const
{
    return _String(kFieldEditProfileTag);
}


const char*
InstallConfig::EditProfileContents() const
{
    return _String(kFieldEditProfileContents);
}


// #pragma mark - Completion


const char*
InstallConfig::CompleteComments() const
{
    return _String(kFieldCompleteComments);
}


bool
InstallConfig::CompleteRestart() const
{
    return _Bool(kFieldCompleteRestart);
}


bool
InstallConfig::CompleteDisplayFolder() const
{
    return _Bool(kFieldCompleteDisplayFolder);
}


// #pragma mark - Message calls that may change the install items


void
InstallConfig::_Changed(const char* name)
{
    // Only the instructions field holds items; a null name means "any".
    if (name == nullptr || strcmp(name, kFieldInstallInstructions) == 0)
        fItemIndex.Invalidate();
}


status_t
InstallConfig::Unflatten(const char* buffer, ssize_t size)
{
    fItemIndex.Invalidate();
    return BMessage::Unflatten(buffer, size);
}


status_t
InstallConfig::Unflatten(const char* flatBuffer)
{
    fItemIndex.Invalidate();
    return BMessage::Unflatten(flatBuffer);
}


status_t
InstallConfig::MakeEmpty()
{
    fItemIndex.Invalidate();
    return BMessage::MakeEmpty();
}


status_t
InstallConfig::AddMessage(const char* name, const BMessage* message)
{
    _Changed(name);
    return BMessage::AddMessage(name, message);
}


status_t
InstallConfig::AddMessage(const char* name, BMessage&& message)
{
    _Changed(name);
    return BMessage::AddMessage(name, std::move(message));
}


status_t
InstallConfig::ReplaceMessage(const char* name, const BMessage* message)
{
    _Changed(name);
    return BMessage::ReplaceMessage(name, message);
}


status_t
InstallConfig::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
    _Changed(name);
    return BMessage::ReplaceMessage(name, index, message);
}


status_t
InstallConfig::RemoveData(const char* name, int32 index)
{
    _Changed(name);
    return BMessage::RemoveData(name, index);
}


status_t
InstallConfig::RemoveName(const char* name)
{
    _Changed(name);
    return BMessage::RemoveName(name);
}


status_t
InstallConfig::Rename(const char* oldName, const char* newName)
{
    _Changed(oldName);
    _Changed(newName);
    return BMessage::Rename(oldName, newName);
}


status_t
InstallConfig::Append(const BMessage& other)
{
    fItemIndex.Invalidate();
    return BMessage::Append(other);
}


BMessage*
InstallConfig::EditMessagePointer(const char* name, int32 index)
{
    _Changed(name);
    return BMessage::EditMessagePointer(name, index);
}


status_t
InstallConfig::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool isFixedSize, int32 count)
{
    _Changed(name);
    return BMessage::AddData(name, type, data, numBytes, isFixedSize, count);
}


status_t
InstallConfig::ReplaceData(const char* name, type_code type, const void* data,
    ssize_t numBytes)
{
    _Changed(name);
    return BMessage::ReplaceData(name, type, data, numBytes);
}


status_t
InstallConfig::ReplaceData(const char* name, type_code type, int32 index, const void* data,
    ssize_t numBytes)
{
    _Changed(name);
    return BMessage::ReplaceData(name, type, index, data, numBytes);
}


status_t
InstallConfig::SetData(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool fixedSize, int32 count)
{
    _Changed(name);
    return BMessage::SetData(name, type, data, numBytes, fixedSize, count);
}
