// Names of the configuration message's fields and the exact values the
// installer compares them with (letter case and spaces count).
#pragma once

#include <SupportDefs.h>

// Resources of an installer build.
inline constexpr type_code kConfigResourceType = 'CSTR';
inline constexpr int32 kConfigResourceId = 2002;
inline constexpr const char* kConfigResourceName = "VDC:configuration";
inline constexpr int32 kDeinstallerResourceId = 2001;
inline constexpr const char* kDeinstallerResourceName = "Undelle";
inline constexpr int32 kHelpResourceId = 2002;
inline constexpr const char* kHelpResourceName = "qv:help";
// Install item i travels in raw resource kFirstItemResourceId + i.
inline constexpr int32 kFirstItemResourceId = 2100;

// Product description.
inline constexpr const char* kFieldAppName = "app_name";
inline constexpr const char* kFieldVersion = "version";
inline constexpr const char* kFieldReleaseDate = "release_date";
inline constexpr const char* kFieldCompany = "company";
inline constexpr const char* kFieldSupportEmail = "support_email";
inline constexpr const char* kFieldAboutImage = "about_image";
inline constexpr const char* kFieldLicense = "license";
inline constexpr const char* kFieldAudioData = "audio_data";
inline constexpr const char* kFieldDeinstallerSize = "VDC:deinstaller_size";

// Groups, items and custom folders.
inline constexpr const char* kFieldGroups = "groups";
inline constexpr const char* kFieldGroupName = "group_name";
inline constexpr const char* kFieldGroupDescription = "group_description";
inline constexpr const char* kFieldInstallInstructions = "install_instructions";
inline constexpr const char* kFieldInstallFile = "install_file";
inline constexpr const char* kFieldCustomFolder = "custom_folder";

// Fields of one install item.
inline constexpr const char* kFieldFileName = "file_name";
inline constexpr const char* kFieldFileType = "file_type";
inline constexpr const char* kFieldFileSize = "file_size";
inline constexpr const char* kFieldFileCreation = "file_creation";
inline constexpr const char* kFieldFileModified = "file_modified";
inline constexpr const char* kFieldFileAccessed = "file_accessed";
inline constexpr const char* kFieldFileIcon = "file_icon";
inline constexpr const char* kFieldItemGroups = "groups";
inline constexpr const char* kFieldInstallMeta = "install_meta";
inline constexpr const char* kFieldInstallToSystem = "install_to_system";

// Fields of an item's "install_meta".
inline constexpr const char* kFieldDestination = "destination";
inline constexpr const char* kFieldDestinationExists = "destination_exists";
inline constexpr const char* kFieldLink = "link";
inline constexpr const char* kFieldLinkExists = "link_exists";
inline constexpr const char* kFieldDeinstallable = "deinstallable";
inline constexpr const char* kFieldAutoLaunch = "auto_launch";
inline constexpr const char* kFieldAutoLaunchReason = "auto_launch_reason";
// The vendor's menu entry options (MenuEntryOptions.h), a message.
inline constexpr const char* kFieldDesktopEntry = "desktop_entry";

// Options.
inline constexpr const char* kFieldOptLog = "opt_log";
inline constexpr const char* kFieldOptCreateStartup = "opt_create_startup";
inline constexpr const char* kFieldOptSaveReplaced = "opt_save_replaced";
inline constexpr const char* kFieldOptDefaultFolder = "opt_default_folder";
inline constexpr const char* kFieldOptCreatedFolder = "opt_created_folder";

// Requirements.
inline constexpr const char* kFieldReqDiskSpaceNeeded = "req_disk_space_needed";
inline constexpr const char* kFieldReqDiskSpaceRequired = "req_disk_space_required";
inline constexpr const char* kFieldReqDiskSpaceAmount = "req_disk_space_amount";
inline constexpr const char* kFieldValue = "value";
inline constexpr const char* kFieldValueType = "value_type";
inline constexpr const char* kFieldValueConversion = "value_conversion";
inline constexpr const char* kFieldReqBootVolOnly = "req_boot_vol_only";
inline constexpr const char* kFieldReqRemovableVolOk = "req_removable_vol_ok";
inline constexpr const char* kFieldReqSharedVolOk = "req_shared_vol_ok";
inline constexpr const char* kFieldReqRamNeeded = "req_ram_needed";
inline constexpr const char* kFieldReqRamRequired = "req_ram_required";
inline constexpr const char* kFieldReqRamAmount = "req_ram_amount";
inline constexpr const char* kFieldReqSharedLibrary = "req_shared_library";
// The stored key is spelled this way in every build; it is not a typo here.
inline constexpr const char* kFieldReqSharedLibraryRequired = "req_shared_librry_req";
inline constexpr const char* kFieldReqSharedLibraryName = "req_shared_library_name";
inline constexpr const char* kFieldReqApps = "req_apps";
inline constexpr const char* kFieldReqAppRequired = "req_app_req";
inline constexpr const char* kFieldReqAppName = "req_app_name";

// Boot-script edits and completion.
inline constexpr const char* kFieldEditBootscript = "edit_bootscript";
inline constexpr const char* kFieldEditBootscriptTag = "edit_bootscript_tag";
inline constexpr const char* kFieldEditBootscriptContents = "edit_bootscript_contents";
inline constexpr const char* kFieldEditSetupEnv = "edit_setup_env";
inline constexpr const char* kFieldEditSetupEnvTag = "edit_setup_env_tag";
inline constexpr const char* kFieldEditSetupEnvContents = "edit_setup_env_contents";
inline constexpr const char* kFieldEditProfile = "edit_profile";
inline constexpr const char* kFieldEditProfileTag = "edit_profile_tag";
inline constexpr const char* kFieldEditProfileContents = "edit_profile_contents";
inline constexpr const char* kFieldCompleteComments = "complete_comments";
inline constexpr const char* kFieldCompleteRestart = "complete_restart";
inline constexpr const char* kFieldCompleteDisplayFolder = "complete_display_folder";

// Fields a configuration may carry that the installer does not read.
inline constexpr const char* kFieldInstallFolderName = "install_folder_name";
inline constexpr const char* kFieldAudioFile = "audio_file";
inline constexpr const char* kFieldOptShowSystemFolders = "opt_show_beos_folders";
inline constexpr const char* kFieldOptCompression = "opt_compression";

// Values, compared exactly.
inline constexpr const char* kValueUserSelected = "User Selected";
inline constexpr const char* kValueNone = "None";
inline constexpr const char* kValuePrompt = "Prompt";
inline constexpr const char* kValueRename = "Rename";
inline constexpr const char* kValueReplace = "Replace";
inline constexpr const char* kValueTrue = "True";
inline constexpr const char* kValueCurrent = "Current";
// "value_type" of "req_disk_space_amount" as builds store it ('kb  ').
inline constexpr uint32 kDiskSpaceValueType = 0x6B622020;
