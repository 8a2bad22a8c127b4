// Desktop entries, icons, login entry, session environment and MIME package
// of an installed product.
#include "DesktopIntegration.h"

#include "ControlCharacters.h"
#include "DeinstallTag.h"
#include "DesktopEntry.h"
#include "MimePackage.h"
#include "SessionEnvironment.h"

#include <AppFileInfo.h>
#include <AtomicFile.h>
#include <Bitmap.h>
#include <BitmapPng.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <LibFileUtils.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Process.h>

#include <algorithm>
#include <filesystem>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The installer's own document type, registered with every product.
const char* const kInstallerDocumentType = "text/x-vondl";
const int32 kIconSizes[] = {16, 32};
// The longest product or item part of a file name made here; longer names
// are cut and marked with a hash of the whole name (DesktopEntry::
// UniqueName), so every file name stays well below the file system's limit
// of 255 bytes with its prefix, suffix and the atomic write's temporary
// name.
const size_t kNamePartLimit = 64;

std::string Folder(directory_which which)
{
    BPath path;
    if (find_directory(which, &path, false) != B_OK || path.Path() == nullptr)
        return std::string();
    return path.Path();
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string LeafOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsAtOrBelow(const std::string& path, const std::string& folder)
{
    return !folder.empty()
        && (path == folder
            || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
                && path[folder.size()] == '/'));
}

// The application menu folders: the user's, the system's and the common one.
std::vector<std::string> MenuRoots()
{
    std::vector<std::string> roots;
    const std::string user = Folder(B_USER_DESKBAR_DIRECTORY);
    if (!user.empty())
        roots.push_back(user);
    const std::string common = Folder(B_COMMON_DIRECTORY);
    if (!common.empty()) {
        roots.push_back(common + "/share/applications");
        const std::string usr = ParentOf(common);
        if (!usr.empty())
            roots.push_back(usr + "/share/applications");
    }
    return roots;
}

std::string MenuRootOf(const std::string& folder)
{
    for (const std::string& root : MenuRoots()) {
        if (IsAtOrBelow(folder, root))
            return root;
    }
    return std::string();
}

bool IsProgram(const std::string& path)
{
    BEntry entry(path.c_str(), true);
    mode_t mode = 0;
    return entry.InitCheck() == B_OK && entry.IsFile() && entry.GetPermissions(&mode) == B_OK
        && (mode & 0111) != 0;
}

std::string ProgramSignature(const std::string& path)
{
    BFile file(path.c_str(), B_READ_ONLY);
    BAppFileInfo appInfo(&file);
    char signature[B_MIME_TYPE_LENGTH] = "";
    if (appInfo.InitCheck() != B_OK || appInfo.GetSignature(signature) != B_OK)
        return std::string();
    return signature;
}

// A text as one shell word in single quotes.
std::string ShellWord(const std::string& text)
{
    std::string word = "'";
    for (char c : text) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    return word + "'";
}

} // namespace


DesktopIntegration::DesktopIntegration(const std::string& product, const std::string& tag,
    std::function<void(const std::string&)> log)
    :
    fProduct(product),
    fTag(tag),
    fLog(std::move(log))
{
}


std::vector<std::string>
DesktopIntegration::MenuFolders()
{
    return MenuRoots();
}


bool
DesktopIntegration::IsMenuFolder(const std::string& folder)
{
    return !MenuRootOf(folder).empty();
}


std::string
DesktopIntegration::MenuEntryLeaf(const std::string& itemPath) const
{
    // A program's entry is known by its signature, so that the desktop
    // (and a later version of the product) finds it under the same id.
    if (IsProgram(itemPath)) {
        const std::string id = ReverseDnsId(ProgramSignature(itemPath));
        if (!id.empty())
            return id + ".desktop";
    }
    return _FormerEntryLeaf(itemPath);
}


std::string
DesktopIntegration::_FormerEntryLeaf(const std::string& itemPath) const
{
    return ProductId() + "-" + DesktopEntry::UniqueName(LeafOf(itemPath), kNamePartLimit) + ".desktop";
}


std::string
DesktopIntegration::_FormerProductId() const
{
    return "ondelle-" + DesktopEntry::SafeName(fProduct);
}


std::string
DesktopIntegration::ProductId() const
{
    return "ondelle-" + DesktopEntry::UniqueName(fProduct, kNamePartLimit);
}


bool
DesktopIntegration::_PlacedForProduct(const std::string& path) const
{
    // The tag is the product's name and four more fields, each followed by
    // ";": another version of this product counts as this product.
    BNode node(path.c_str());
    std::string tag;
    if (node.InitCheck() != B_OK || node.ReadAttrString(DEINSTALL_TAG_ATTRIBUTE, &tag) != B_OK)
        return false;
    const std::string head = fProduct + ";";
    return tag.compare(0, head.size(), head) == 0
        && std::count(tag.begin() + long(head.size()), tag.end(), ';') == 4;
}


void
DesktopIntegration::_RemoveFormer(const std::string& path, const std::string& formerLeaf)
{
    // Earlier versions of the installer named the product's files by the
    // character rule alone. A file of that name that this product placed
    // (any version) would now stand beside the new one: a second login
    // entry would run the login commands twice, a second menu entry show
    // the item twice. Only a plain file carrying this product's tag goes.
    const std::string former = ParentOf(path) + "/" + formerLeaf;
    struct stat existing;
    if (former == path || ::lstat(former.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)
        || !_PlacedForProduct(former))
        return;
    if (fChange)
        fChange(former, false);
    if (::unlink(former.c_str()) == 0)
        fLog("Removed " + former + ", placed by an earlier installation under the former name");
}


void
DesktopIntegration::_Failed(const std::string& what)
{
    fFailures.push_back(what);
}


std::string
DesktopIntegration::LoginEntryPath() const
{
    return Folder(B_USER_CONFIG_DIRECTORY) + "/autostart/" + ProductId() + ".desktop";
}


std::string
DesktopIntegration::LoginScriptPath() const
{
    return Folder(B_USER_BOOT_DIRECTORY) + "/login/" + ProductId() + ".sh";
}


std::string
DesktopIntegration::SessionEnvironmentPath() const
{
    return Folder(B_USER_CONFIG_DIRECTORY) + "/environment.d/60-" + ProductId() + ".conf";
}


std::string
DesktopIntegration::MimePackagePath() const
{
    return _MimeFolder() + "/packages/" + ProductId() + ".xml";
}


std::string
DesktopIntegration::UserDataFolder()
{
    return ParentOf(Folder(B_USER_DESKBAR_DIRECTORY));
}


std::string
DesktopIntegration::SystemDataFolder()
{
    const std::string common = Folder(B_COMMON_DIRECTORY);
    return common.empty() ? std::string() : common + "/share";
}


std::string
DesktopIntegration::SystemIconThemeFolder()
{
    return SystemDataFolder() + "/icons/hicolor";
}


std::string
DesktopIntegration::SystemMimeFolder()
{
    return SystemDataFolder() + "/mime";
}


std::string
DesktopIntegration::_DataFolder() const
{
    return fSystemWide ? SystemDataFolder() : UserDataFolder();
}


std::string
DesktopIntegration::_IconTheme() const
{
    return _DataFolder() + "/icons/hicolor";
}


std::string
DesktopIntegration::_MimeFolder() const
{
    return _DataFolder() + "/mime";
}


std::string
DesktopIntegration::DefaultApplicationsPath() const
{
    return (fSystemWide ? Folder(B_COMMON_SETTINGS_DIRECTORY) : Folder(B_USER_CONFIG_DIRECTORY))
        + "/mimeapps.list";
}


bool
DesktopIntegration::IsSystemWideInstall(const std::string& installFolder, uid_t effectiveUid)
{
    if (effectiveUid != 0)
        return false;
    const std::string common = Folder(B_COMMON_DIRECTORY);
    const std::string root = ParentOf(ParentOf(common));
    const std::string opt = root == "/" ? std::string("/opt") : root + "/opt";
    return (!common.empty() && IsAtOrBelow(installFolder, common)) || IsAtOrBelow(installFolder, opt);
}


std::string
DesktopIntegration::MenuFolderFor(const std::string& folder) const
{
    const std::string user = Folder(B_USER_DESKBAR_DIRECTORY);
    if (!fSystemWide || !IsAtOrBelow(folder, user))
        return folder;
    return SystemDataFolder() + "/applications" + folder.substr(user.size());
}


std::string
DesktopIntegration::IconThemeFolder()
{
    return UserDataFolder() + "/icons/hicolor";
}


std::string
DesktopIntegration::MimeFolder()
{
    return UserDataFolder() + "/mime";
}


bool
DesktopIntegration::_MakeFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (LibExists(folder.c_str()))
        return true;
    if (!_MakeFolder(ParentOf(folder)))
        return false;
    if (fChange)
        fChange(folder, true);
    if (!Libmkdir(folder.c_str()) || !LibExists(folder.c_str()))
        return false;
    // The MIME database's folders stay: the database compiled into them
    // must be rebuilt from its packages folder once the product's package
    // is gone.
    if (IsAtOrBelow(folder, _MimeFolder()))
        return true;
    // A folder made for the product goes with it (the deinstaller keeps it
    // while it holds anything else).
    TagForDeinstall(folder.c_str(), fTag.c_str());
    if (fPlaced)
        fPlaced(folder);
    return true;
}


status_t
DesktopIntegration::_Write(const std::string& path, const std::string& text, mode_t mode,
    bool exclusive)
{
    if (!_MakeFolder(ParentOf(path))) {
        fLog("Unable to make the folder " + ParentOf(path));
        return B_ERROR;
    }
    // A file of this name that another product placed, or the user, is
    // never replaced: the names are this product's own, so anything else
    // there was put there on purpose. (A menu entry in the way was settled
    // by the link's collision rule before.)
    struct stat existing;
    if (!exclusive && ::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)
        && !_PlacedForProduct(path)) {
        fLog("Not replaced: " + path + " was not placed for " + TerminalText(fProduct)
            + " (a file of another product or of the user)");
        return B_NOT_ALLOWED;
    }
    if (fChange)
        fChange(path, false);
    status_t status = write_file_atomically(path.c_str(), text, mode,
        exclusive ? ATOMIC_WRITE_EXCLUSIVE : ATOMIC_WRITE_REPLACE);
    if (status == B_FILE_EXISTS) {
        // Only a plain file in the way is replaced, never a folder or a link.
        BEntry entryInWay(path.c_str(), false);
        if (entryInWay.InitCheck() == B_OK && entryInWay.IsFile())
            status = write_file_atomically(path.c_str(), text, mode, ATOMIC_WRITE_REPLACE);
    }
    if (status != B_OK) {
        fLog("Unable to write " + path);
        return status;
    }
    TagForDeinstall(path.c_str(), fTag.c_str());
    if (fPlaced)
        fPlaced(path);
    fWritten.push_back(path);
    return B_OK;
}


std::string
DesktopIntegration::_PlaceIcons(const std::string& itemPath, const std::string& iconName)
{
    BNode node(itemPath.c_str());
    BNodeInfo info(&node);
    if (info.InitCheck() != B_OK)
        return std::string();
    bool placed = false;
    for (int32 size : kIconSizes) {
        // The item's own icon, or the generic one of its kind.
        std::vector<uint8> indices(size_t(size * size));
        if (info.GetTrackerIcon(indices.data(), size) != B_OK)
            continue;
        BBitmap bitmap(BRect(0, 0, size - 1, size - 1), B_CMAP8);
        if (bitmap.ImportBits(indices.data(), int32(indices.size()), size, 0, B_CMAP8) != B_OK)
            continue;
        std::string png;
        if (encode_bitmap_png(&bitmap, &png) != B_OK)
            continue;
        const std::string path = _IconTheme() + "/" + std::to_string(size) + "x"
            + std::to_string(size) + "/apps/" + iconName + ".png";
        if (_Write(path, png, 0644, false) == B_OK) {
            fLog("Placed the icon " + path);
            placed = true;
        } else {
            _Failed("the icon " + path + " (it could not be written)");
        }
    }
    if (!placed)
        return std::string();
    fIconsWritten = true;
    return iconName;
}


status_t
DesktopIntegration::PlaceMenuEntry(const std::string& folder, const std::string& itemPath,
    const std::string& categories, std::string& entryPath)
{
    return PlaceMenuEntry(folder, itemPath, categories, menu_entry_options(), entryPath);
}


status_t
DesktopIntegration::PlaceMenuEntry(const std::string& folder, const std::string& itemPath,
    const std::string& categories, const menu_entry_options& options, std::string& entryPath)
{
    const std::string leaf = LeafOf(itemPath);
    const std::string entryLeaf = MenuEntryLeaf(itemPath);
    entryPath = folder + "/" + entryLeaf;
    // The entry format has no escape for most control characters: a
    // command line holding one cannot be written (a name may, with them
    // replaced).
    if (!DesktopEntry::CanCarry(itemPath)) {
        fLog("No menu entry for " + TerminalText(itemPath)
            + ": its path holds control characters a menu entry cannot carry");
        return B_BAD_VALUE;
    }

    DesktopEntry entry;
    entry.SetName(leaf);
    std::vector<std::string> types;
    const bool program = IsProgram(itemPath);
    if (program) {
        entry.SetCommand({itemPath});
        BFile file(itemPath.c_str(), B_READ_ONLY);
        BAppFileInfo appInfo(&file);
        const std::string signature = ProgramSignature(itemPath);
        if (!signature.empty())
            entry.AddKey("X-Ondelle-Signature", signature);
        BMessage supported;
        const char* type = nullptr;
        if (appInfo.InitCheck() == B_OK && appInfo.GetSupportedTypes(&supported) == B_OK) {
            for (int32 i = 0; supported.FindString("types", i, &type) == B_OK; i++) {
                if (type != nullptr && IsValidMimeTypeName(type))
                    types.push_back(type);
            }
        }
    } else {
        // A document or folder opens in the program the desktop chooses.
        entry.SetCommand({"xdg-open", itemPath});
    }
    // The vendor's document types are the program's too.
    std::vector<std::string> vendorTypes;
    for (const menu_document_type& declared : options.documentTypes) {
        if (!IsValidMimeTypeName(declared.type))
            continue;
        vendorTypes.push_back(declared.type);
        if (std::find(types.begin(), types.end(), declared.type) == types.end())
            types.push_back(declared.type);
    }
    entry.SetMimeTypes(types);
    std::vector<std::string> categoryList;
    size_t start = 0;
    while (start <= categories.size()) {
        size_t end = categories.find(';', start);
        if (end == std::string::npos)
            end = categories.size();
        if (end > start)
            categoryList.push_back(categories.substr(start, end - start));
        start = end + 1;
    }
    // The build tool checked the vendor's texts; a build made otherwise is
    // not trusted to have: what the entry format cannot carry is left out.
    for (const std::string& category : options.categories) {
        if (!IsRegisteredCategory(category))
            fLog("Left out of the menu entry: the category " + TerminalText(category));
        else if (std::find(categoryList.begin(), categoryList.end(), category) == categoryList.end())
            categoryList.push_back(category);
    }
    entry.SetCategories(categoryList);
    entry.SetComment(options.comment);
    entry.SetGenericName(options.genericName);
    entry.SetKeywords(options.keywords);
    entry.SetTerminal(options.terminal);
    entry.SetStartupWMClass(options.startupWMClass);
    entry.SetWorkingFolder(options.workingFolder);
    std::set<std::string> actionIds = {kUninstallAction};
    for (const menu_entry_action& action : options.actions) {
        const bool carried = std::all_of(action.arguments.begin(), action.arguments.end(),
            [](const std::string& argument) { return DesktopEntry::CanCarry(argument); });
        if (!IsValidActionId(action.id) || !actionIds.insert(action.id).second || !carried) {
            fLog("Left out of the menu entry: the action " + TerminalText(action.id));
            continue;
        }
        std::vector<std::string> command = {itemPath};
        if (!program)
            command = {"xdg-open", itemPath};
        else
            command.insert(command.end(), action.arguments.begin(), action.arguments.end());
        entry.AddAction(action.id, action.name, command);
    }
    // The way to take the product off again, where the desktop shows the
    // product (the deinstaller opens its window when started from there).
    if (!fDeinstaller.empty() && DesktopEntry::CanCarry(fDeinstaller))
        entry.AddAction(kUninstallAction, "Uninstall " + fProduct, {fDeinstaller});
    fDocumentTypes.insert(fDocumentTypes.end(), types.begin(), types.end());

    const std::string menuRoot = MenuRootOf(folder);
    std::string id = folder.size() > menuRoot.size() ? folder.substr(menuRoot.size() + 1) + "/"
        : std::string();
    const std::string desktopFileId = [&] {
        std::string text = id + entryLeaf;
        std::replace(text.begin(), text.end(), '/', '-');
        return text;
    }();
    id += leaf;
    const std::string iconName = ProductId() + "-" + DesktopEntry::UniqueName(id, kNamePartLimit);
    // The vendor's icon stands for the program; without one the item's own
    // icon is exported.
    std::string icon;
    if (!options.icon.empty()) {
        if (_PlaceVendorIcon(options.icon, "apps", iconName))
            icon = iconName;
    } else {
        icon = _PlaceIcons(itemPath, iconName);
    }
    if (!icon.empty())
        entry.SetIcon(icon);
    entry.AddKey("X-Ondelle-Deinstall-Tag", fTag);

    for (const menu_document_type& declared : options.documentTypes) {
        if (!IsValidMimeTypeName(declared.type))
            continue;
        mime_type_declaration declaration;
        declaration.type = declared.type;
        declaration.comment = declared.comment;
        declaration.globs = declared.globs;
        declaration.magic = declared.magic;
        if (!declared.icon.empty()) {
            std::string typeIcon = declared.type;
            std::replace(typeIcon.begin(), typeIcon.end(), '/', '-');
            if (_PlaceVendorIcon(declared.icon, "mimetypes", typeIcon))
                declaration.icon = typeIcon;
        }
        fVendorTypes.push_back(declaration);
    }

    const status_t status = _Write(entryPath, entry.Text(), 0644, true);
    if (status == B_OK) {
        _RemoveFormer(entryPath, DesktopEntry::SafeName(leaf) + ".desktop");
        _RemoveFormer(entryPath, _FormerEntryLeaf(itemPath));
        fLog("Placed the menu entry " + entryPath);
        if (!menuRoot.empty())
            fMenuFolders.insert(menuRoot);
        if (options.makeDefault && !vendorTypes.empty())
            _MakeDefault(desktopFileId, vendorTypes);
    }
    return status;
}


bool
DesktopIntegration::_PlaceVendorIcon(const std::string& bytes, const std::string& context,
    const std::string& iconName)
{
    int32 width = 0;
    int32 height = 0;
    std::string path;
    switch (IconFormatOf(bytes, &width, &height)) {
        case icon_format::kPng:
            // The build tool refused other sizes; an older or altered build
            // is not trusted to have checked.
            if (width != height || !IsIconThemeSize(width)) {
                _Failed("the icon " + iconName + " (a PNG of " + std::to_string(width) + " x "
                    + std::to_string(height) + " pixels, not a size of the icon theme)");
                return false;
            }
            path = _IconTheme() + "/" + std::to_string(width) + "x" + std::to_string(width) + "/"
                + context + "/" + iconName + ".png";
            break;
        case icon_format::kSvg:
            path = _IconTheme() + "/scalable/" + context + "/" + iconName + ".svg";
            break;
        case icon_format::kNone:
            _Failed("the icon " + iconName + " (neither a PNG nor an SVG file)");
            return false;
    }
    if (_Write(path, bytes, 0644, false) != B_OK) {
        _Failed("the icon " + path + " (it could not be written)");
        return false;
    }
    fLog("Placed the icon " + path);
    fIconsWritten = true;
    return true;
}


status_t
DesktopIntegration::PlaceSessionEnvironment(const std::string& section)
{
    const session_environment environment = TranslateSessionEnvironment(section);
    const std::string path = SessionEnvironmentPath();
    for (const std::string& line : environment.skipped)
        fLog("Not carried to " + path + ": " + line);
    if (environment.names.empty())
        return B_OK;
    // The product's name stands in a comment line: a line end, carriage
    // return or trailing backslash in it would end or extend the comment.
    const std::string text = "# Placed by Ondelle for " + CommentText(fProduct)
        + "; removed by its deinstaller.\n" + environment.text;
    status_t status = _Write(path, text, 0644, false);
    if (status == B_OK) {
        fLog("Added the session environment " + path);
        _RemoveFormer(path, "60-" + _FormerProductId() + ".conf");
    } else
        _Failed("the session environment " + path + " (it could not be written)");
    return status;
}


void
DesktopIntegration::_PlaceLoginEntry()
{
    if (fStartupFolder.empty() && fLoginCommands.empty())
        return;
    std::string script = "#!/bin/sh\n# Placed by Ondelle for " + CommentText(fProduct)
        + ": started at login, removed by its deinstaller.\n";
    if (!fStartupFolder.empty()) {
        script += "startup_folder=" + ShellWord(fStartupFolder) + "\n"
            "for item in \"$startup_folder\"/*\n"
            "do\n"
            "\tif [ -f \"$item\" ] && [ -x \"$item\" ]\n"
            "\tthen\n"
            "\t\t\"$item\" &\n"
            "\tfi\n"
            "done\n";
    }
    if (!fLoginCommands.empty())
        script += fLoginCommands + "\n";
    const std::string scriptPath = LoginScriptPath();
    if (_Write(scriptPath, script, 0755, false) != B_OK) {
        _Failed("the login script " + scriptPath + " (it could not be written; nothing runs at login)");
        return;
    }
    fLog("Added the login script " + scriptPath);
    _RemoveFormer(scriptPath, _FormerProductId() + ".sh");

    DesktopEntry entry;
    entry.SetName(fProduct);
    entry.SetComment("Starts " + fProduct + " at login");
    entry.SetCommand({"/bin/sh", scriptPath});
    entry.AddKey("NoDisplay", "true");
    entry.AddKey("X-GNOME-Autostart-enabled", "true");
    entry.AddKey("X-Ondelle-Deinstall-Tag", fTag);
    if (_Write(LoginEntryPath(), entry.Text(), 0644, false) == B_OK) {
        fLog("Added the login entry " + LoginEntryPath());
        _RemoveFormer(LoginEntryPath(), _FormerProductId() + ".desktop");
    } else
        _Failed("the login entry " + LoginEntryPath() + " (it could not be written; nothing runs at login)");
}


void
DesktopIntegration::_PlaceMimePackage()
{
    std::vector<mime_type_declaration> declarations;
    mime_type_declaration own;
    own.type = kInstallerDocumentType;
    own.comment = "Installer document";
    own.subclassOf = "text/plain";
    declarations.push_back(own);
    // A type the system knows already (text/plain, inode/directory, any
    // type of the shared MIME database) is not declared again: the
    // declaration would replace its description for the whole account
    // until the product goes. The menu entry's MimeType associates the
    // program with it all the same. A type this product's own package
    // declared before stays declared, although the database knows it by
    // now through that very package, unless the system's own database
    // defines it (a package of an earlier version declared such types
    // too).
    const std::string existing = _OwnPackageText();
    for (const std::string& type : fDocumentTypes) {
        const bool ownBefore = existing.find("<mime-type type=\"" + type + "\">") != std::string::npos;
        const BMimeType known(type.c_str());
        if (known.IsInstalled() && (!ownBefore || known.IsSystemType())) {
            fLog("Not declared in the document types' package (the system knows it): " + type);
            continue;
        }
        // The vendor's own declaration (comment, globs, magic, icon) when
        // the build carries one.
        mime_type_declaration declared;
        declared.type = type;
        for (const mime_type_declaration& vendor : fVendorTypes) {
            if (vendor.type == type) {
                declared = vendor;
                break;
            }
        }
        declarations.push_back(declared);
    }
    if (_Write(MimePackagePath(), MimePackageText(declarations), 0644, false) == B_OK) {
        fLog("Registered the document types in " + MimePackagePath());
        _RemoveFormer(MimePackagePath(), _FormerProductId() + ".xml");
    } else
        _Failed("the document types' package " + MimePackagePath() + " (it could not be written)");
}


void
DesktopIntegration::_MakeDefault(const std::string& entryId, const std::vector<std::string>& types)
{
    // The file is the user's (or the administrator's): every line in it
    // stays, a default someone chose for one of the types included. Only
    // the types without a default get this entry.
    const std::string path = DefaultApplicationsPath();
    struct stat existing;
    std::string text;
    mode_t mode = 0644;
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) || existing.st_size > 1024 * 1024) {
            _Failed("the default applications in " + path
                + " (not a plain file of at most 1 MiB; left as it is)");
            return;
        }
        BFile file(path.c_str(), B_READ_ONLY);
        text.resize(size_t(existing.st_size));
        const ssize_t read = file.InitCheck() == B_OK ? file.Read(text.data(), text.size()) : -1;
        if (read != ssize_t(text.size())) {
            _Failed("the default applications in " + path + " (it could not be read)");
            return;
        }
        mode = existing.st_mode & 07777;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::string group = "[Default Applications]";
    size_t groupLine = lines.size();
    size_t groupEnd = lines.size();
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i] == group) {
            groupLine = i;
            groupEnd = lines.size();
            for (size_t j = i + 1; j < lines.size(); j++) {
                if (!lines[j].empty() && lines[j][0] == '[') {
                    groupEnd = j;
                    break;
                }
            }
            break;
        }
    }
    std::vector<std::string> added;
    for (const std::string& type : types) {
        bool chosen = false;
        if (groupLine < lines.size()) {
            for (size_t i = groupLine + 1; i < groupEnd; i++) {
                if (lines[i].compare(0, type.size() + 1, type + "=") == 0)
                    chosen = true;
            }
        }
        if (chosen)
            fLog("Kept the default application chosen for " + type + " in " + path);
        else
            added.push_back(type + "=" + entryId + ";");
    }
    if (added.empty())
        return;
    if (groupLine == lines.size()) {
        // A group of its own at the end, after a blank line.
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
        if (!lines.empty())
            lines.push_back(std::string());
        lines.push_back(group);
        groupEnd = lines.size();
    } else {
        // Before the blank lines that end the group.
        while (groupEnd > groupLine + 1 && lines[groupEnd - 1].empty())
            groupEnd--;
    }
    lines.insert(lines.begin() + long(groupEnd), added.begin(), added.end());
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    // The settings folder is not the product's: made when missing, it is
    // neither tagged nor recorded.
    std::error_code made;
    std::filesystem::create_directories(ParentOf(path), made);
    if (made || write_file_atomically(path.c_str(), result, mode, ATOMIC_WRITE_REPLACE) != B_OK) {
        _Failed("the default applications in " + path + " (it could not be written)");
        return;
    }
    for (const std::string& line : added)
        fLog("Made " + entryId + " the default application in " + path + ": " + line);
}


std::string
DesktopIntegration::_OwnPackageText() const
{
    const std::string path = MimePackagePath();
    struct stat existing;
    if (::lstat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)
        || existing.st_size > 1024 * 1024 || !_PlacedForProduct(path))
        return std::string();
    std::string text;
    BFile file(path.c_str(), B_READ_ONLY);
    if (file.InitCheck() != B_OK)
        return std::string();
    text.resize(size_t(existing.st_size));
    const ssize_t read = file.Read(text.data(), text.size());
    text.resize(read > 0 ? size_t(read) : 0);
    return text;
}


void
DesktopIntegration::Finish()
{
    _PlaceLoginEntry();
    _PlaceMimePackage();
}


void
DesktopIntegration::RefreshCaches() const
{
    RefreshCaches(fMenuFolders, true, fIconsWritten, _DataFolder());
}


void
DesktopIntegration::RefreshCaches(const std::set<std::string>& menuFolders, bool mime, bool icons,
    const std::string& dataFolder)
{
    const std::string data = dataFolder.empty() ? UserDataFolder() : dataFolder;
    for (const std::string& folder : menuFolders) {
        if (LibExists(folder.c_str()))
            run_optional_tool({"update-desktop-database", "-q", folder});
    }
    const std::string mimeFolder = data + "/mime";
    if (mime && LibExists((mimeFolder + "/packages").c_str()))
        run_optional_tool({"update-mime-database", mimeFolder});
    // The icon cache is only kept up to date where there is one: a theme
    // folder without a cache is read directly.
    const std::string theme = data + "/icons/hicolor";
    if (icons && LibExists((theme + "/icon-theme.cache").c_str()))
        run_optional_tool({"gtk-update-icon-cache", "-q", "-t", "-f", theme});
}


void
DesktopIntegration::RefreshCachesFor(const std::vector<std::string>& paths)
{
    std::set<std::string> menuFolders;
    bool mime = false;
    bool icons = false;
    bool systemMime = false;
    bool systemIcons = false;
    for (const std::string& path : paths) {
        const std::string root = MenuRootOf(path);
        if (!root.empty())
            menuFolders.insert(root);
        mime = mime || IsAtOrBelow(path, MimeFolder() + "/packages");
        icons = icons || IsAtOrBelow(path, IconThemeFolder());
        systemMime = systemMime || IsAtOrBelow(path, SystemMimeFolder() + "/packages");
        systemIcons = systemIcons || IsAtOrBelow(path, SystemIconThemeFolder());
    }
    RefreshCaches(menuFolders, mime, icons);
    // What a system-wide install placed lies in the system's data folder.
    if (systemMime || systemIcons)
        RefreshCaches({}, systemMime, systemIcons, SystemDataFolder());
}
