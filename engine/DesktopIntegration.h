// What makes an installed product visible to the Linux desktop, beside the
// platform's own mechanisms:
//
// - a link asked for in an application menu folder becomes a desktop entry
//   there, with the item's icon exported as PNG into the user's "hicolor"
//   icon theme;
// - the start-up folder and the UserBootscript section run at login
//   through one XDG autostart entry per product, which starts a login
//   script holding them;
// - the setup-environment section reaches the session manager through an
//   environment.d file (login shells get it through ~/.profile, written by
//   the job);
// - the product's own document types (those the system does not know) and
//   the installer's own type are declared in a shared-mime-info package;
//   types the system knows are only associated, in the menu entry;
// - the desktop's caches are refreshed with its own tools where they exist
//   (a missing tool is no error).
//
// Every file and every folder made here carries the deinstall tag, so the
// deinstaller removes exactly these. All folders come from find_directory,
// so the sandbox moves them below its root. docs/boot-scripts.md has the
// table of files.
#pragma once

#include "MenuEntryOptions.h"
#include "MimePackage.h"

#include <SupportDefs.h>

#include <functional>
#include <set>
#include <string>
#include <vector>
#include <sys/types.h>

// The setup-environment section is also written into ~/.profile for login
// shells, under its tag with this prefix.
#define ENVIRONMENT_PROFILE_TAG_PREFIX "OndelleEnvironment_"

class DesktopIntegration {
public:
    // product: the product's name ("app_name"); tag: the deinstall tag;
    // log: told one line (without its line end) for every file written and
    // every problem.
    DesktopIntegration(const std::string& product, const std::string& tag,
        std::function<void(const std::string&)> log);

    // True when folder is, or lies below, an application menu folder: the
    // user's ("User Deskbar") or the system's and common ones
    // (usr/share/applications, usr/local/share/applications).
    static bool IsMenuFolder(const std::string& folder);
    // Those application menu folders.
    static std::vector<std::string> MenuFolders();
    // The file name of the menu entry for the item at itemPath: for a
    // program with a signature its reverse-DNS form (ReverseDnsId), else
    // the product's id, "-" and the item's name (see ProductId).
    std::string MenuEntryLeaf(const std::string& itemPath) const;

    // A system-wide install (by the administrator into /opt or /usr/local)
    // places menu entries, icons, the MIME package and the default
    // applications under the system's data and settings folders instead of
    // the user's. The login entry and session environment stay the user's.
    void SetSystemWide(bool systemWide) { fSystemWide = systemWide; }
    bool IsSystemWide() const { return fSystemWide; }
    // Whether an install into installFolder by the user of effectiveUid is
    // system-wide: the administrator (0), into the system's "opt" or
    // "usr/local" (below the sandbox, when one is active).
    static bool IsSystemWideInstall(const std::string& installFolder, uid_t effectiveUid);
    // The menu folder an entry asked for in folder goes to: for a
    // system-wide install the user's menu folder becomes the system's
    // (SystemDataFolder()/applications, keeping a subfolder); any other
    // folder stays.
    std::string MenuFolderFor(const std::string& folder) const;

    // Writes the menu entry for the item at itemPath into folder (which must
    // exist), and its icons. An entry in the way is replaced only when it is
    // a regular file (the caller has settled the collision before).
    // categories: the build's menu categories, ";"-separated (may be
    // empty). entryPath receives the entry's path.
    status_t PlaceMenuEntry(const std::string& folder, const std::string& itemPath,
        const std::string& categories, std::string& entryPath);
    // The same with the vendor's options (docs/build-tool.md): their
    // categories come after those of categories; a relative working folder
    // must have been made absolute by the caller.
    status_t PlaceMenuEntry(const std::string& folder, const std::string& itemPath,
        const std::string& categories, const menu_entry_options& options,
        std::string& entryPath);

    // The installation's deinstaller: every menu entry placed afterwards
    // gets the action "Uninstall <product>" (id kUninstallAction) that
    // starts it.
    void SetDeinstaller(const std::string& path) { fDeinstaller = path; }
    static constexpr const char* kUninstallAction = "ondelle-uninstall";

    // Remembers what is to run at login: the programs of the start-up
    // folder, and the UserBootscript section's commands.
    void SetStartupFolder(const std::string& folder) { fStartupFolder = folder; }
    void SetLoginCommands(const std::string& commands) { fLoginCommands = commands; }
    // Writes the environment.d file for the setup-environment section.
    status_t PlaceSessionEnvironment(const std::string& section);

    // Writes the login entry (when something is to run at login) and the
    // MIME package.
    void Finish();
    // Refreshes the caches of every folder written to.
    void RefreshCaches() const;

    // The product's files, named after the product: "ondelle-" and the
    // product's name, where it holds characters other than A-Za-z0-9._-
    // (which become "-") or is longer than 64 bytes cut and followed by a
    // hash of the whole name, so that every product gets names of its own.
    std::string ProductId() const;
    std::string LoginEntryPath() const;
    std::string LoginScriptPath() const;
    std::string SessionEnvironmentPath() const;
    std::string MimePackagePath() const;

    // Told the path of every file and folder made and tagged here, so that
    // the install job can add it to the installation's record.
    void SetPlacedHook(std::function<void(const std::string&)> placed) { fPlaced = std::move(placed); }

    // Told the path of every file or folder (folder set) before it is made,
    // written or removed here, so that the install job can journal the
    // change and take it back.
    void SetChangeHook(std::function<void(const std::string&, bool folder)> change)
    {
        fChange = std::move(change);
    }

    // Every file written, in order.
    const std::vector<std::string>& Written() const { return fWritten; }
    // What could not be placed (the login script and entry, the session
    // environment, the MIME package, icons), each as "what (why)"; the
    // install job lists them with the failed items. A menu entry that
    // cannot be placed is reported by PlaceMenuEntry's result instead.
    const std::vector<std::string>& Failures() const { return fFailures; }


    // The folders whose caches the desktop's tools keep: the user's.
    static std::string UserDataFolder();
    static std::string IconThemeFolder();
    static std::string MimeFolder();
    // The system's data folder ("usr/local/share" below the root; in the
    // sandbox below its root) and its icon theme and MIME folders.
    static std::string SystemDataFolder();
    static std::string SystemIconThemeFolder();
    static std::string SystemMimeFolder();
    // The file of default applications this install edits: the user's
    // ~/.config/mimeapps.list, or the system's (etc/xdg/mimeapps.list).
    std::string DefaultApplicationsPath() const;
    // Runs the cache tools for the folders given (menu folders, the MIME
    // folder, icon theme folders), each that exists; dataFolder is the one
    // whose MIME database and icon theme are meant (the user's when empty).
    static void RefreshCaches(const std::set<std::string>& menuFolders, bool mime,
        bool icons, const std::string& dataFolder = std::string());
    // The same for whatever of these folders holds one of paths (for
    // example the entries the deinstaller removed).
    static void RefreshCachesFor(const std::vector<std::string>& paths);

private:
    status_t _Write(const std::string& path, const std::string& text, mode_t mode,
        bool exclusive);
    bool _MakeFolder(const std::string& folder);
    // True when the file at path carries the deinstall tag of this product
    // (any version).
    bool _PlacedForProduct(const std::string& path) const;
    void _Failed(const std::string& what);
    // The product's id as earlier versions made it (the character rule
    // alone), and the removal of this product's file of that name beside
    // path once path is written.
    std::string _FormerProductId() const;
    // The menu entry's file name by the product's id and the item's name.
    std::string _FormerEntryLeaf(const std::string& itemPath) const;
    void _RemoveFormer(const std::string& path, const std::string& formerLeaf);
    // The MIME package this product placed before, or empty.
    std::string _OwnPackageText() const;
    std::string _PlaceIcons(const std::string& itemPath, const std::string& iconName);
    // Places a vendor's PNG or SVG icon under context ("apps",
    // "mimetypes") of the icon theme; true when it was written.
    bool _PlaceVendorIcon(const std::string& bytes, const std::string& context,
        const std::string& iconName);
    // Makes entryId the default application of types in the file of
    // default applications, keeping every line there.
    void _MakeDefault(const std::string& entryId, const std::vector<std::string>& types);
    std::string _DataFolder() const;
    std::string _IconTheme() const;
    std::string _MimeFolder() const;
    void _PlaceLoginEntry();
    void _PlaceMimePackage();

    std::string fProduct;
    std::string fTag;
    std::function<void(const std::string&)> fLog;
    std::function<void(const std::string&)> fPlaced;
    std::function<void(const std::string&, bool)> fChange;
    std::string fStartupFolder;
    std::string fLoginCommands;
    std::vector<std::string> fDocumentTypes;
    // The vendor's declarations of document types, by type.
    std::vector<mime_type_declaration> fVendorTypes;
    bool fSystemWide = false;
    std::string fDeinstaller;
    std::vector<std::string> fWritten;
    std::vector<std::string> fFailures;
    std::set<std::string> fMenuFolders;
    bool fIconsWritten = false;
};
