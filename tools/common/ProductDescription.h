// A product description: everything a vendor says about one installer
// build, read from a JSON file. Paths in it are made absolute against the
// description file's folder; "${NAME}" in a text is replaced by a value
// given on the command line (--define NAME=VALUE).
#pragma once

#include <MenuEntryOptions.h>
#include <SupportDefs.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ProductGroup {
    std::string name;
    std::string description;
};

struct ProductItem {
    std::string path;
    std::vector<std::string> groups;
    std::string destination = "User Selected";
    std::string destinationExists = "Replace";
    std::string link = "None";
    std::string linkExists = "Replace";
    std::string deinstallable = "True";
    std::optional<std::string> autoLaunch;
    std::optional<std::string> autoLaunchReason;
    int8 fileType = 0;
    // The vendor's menu entry ("desktop"), with its icons' bytes read.
    std::optional<menu_entry_options> desktop;
};

struct ProductCustomFolder {
    std::string name;
    int32 root = 0;
    std::string subDir;
    bool replaceExisting = false;
};

struct ProductScriptEdit {
    bool enabled = false;
    std::string tag;
    std::string contents;
};

struct ProductRequirements {
    bool diskSpaceNeeded = false;
    bool diskSpaceRequired = false;
    double diskSpaceAmount = 0;
    bool bootVolumeOnly = false;
    bool removableVolumesOk = false;
    bool sharedVolumesOk = false;
    bool ramNeeded = false;
    bool ramRequired = false;
    int32 ramMegabytes = 0;
    bool librariesPresent = false;
    bool librariesRequired = false;
    std::vector<std::string> libraries;
    bool applicationsPresent = false;
    bool applicationsRequired = false;
    std::vector<std::string> applications;
};

struct ProductDescription {
    std::string sourcePath;
    std::string baseDir;

    std::string appName;
    std::string version;
    std::string releaseDate;
    std::string company;
    std::string supportEmail;

    std::string licenseFile;
    std::string aboutImage;
    std::string startupSound;
    std::string helpFile;
    std::string deinstaller;
    std::string installer;

    std::vector<ProductGroup> groups;
    std::vector<ProductItem> items;
    std::vector<ProductCustomFolder> customFolders;

    bool optLog = true;
    bool optCreateStartup = false;
    bool optSaveReplaced = false;
    std::optional<std::string> optDefaultFolder;
    std::string optCreatedFolder;
    int32 compressionLevel = 9;

    ProductRequirements requirements;
    ProductScriptEdit bootscript;
    ProductScriptEdit setupEnvironment;
    ProductScriptEdit profile;

    std::string completeComments;
    bool completeRestart = false;
    bool completeDisplayFolder = false;
};

struct ProductDiagnostic {
    bool isError = true;
    std::string text;
};

// Reads and checks a description. Every problem is reported with the file
// and the field it concerns; warnings describe values that the installer
// would treat differently than the vendor probably meant. Returns false
// when at least one error was found.
bool ReadProductDescription(const std::string& path, const std::map<std::string, std::string>& defines,
    ProductDescription& description, std::vector<ProductDiagnostic>& diagnostics);

// The folder names that a destination or link may name besides custom
// folders: "User Selected" and the standard folders' display names.
bool IsKnownFolderName(const std::string& name);
