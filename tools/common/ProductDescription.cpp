#include "ProductDescription.h"

#include "PayloadCheck.h"

#include <ControlCharacters.h>
#include <CustomFolder.h>
#include <DeinstallerConfig.h>
#include <LibEntryUtils.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && std::isspace(static_cast<unsigned char>(text[start])))
        start++;
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1])))
        end--;
    return text.substr(start, end - start);
}

// Walks one JSON object, checking that every key is known and that values
// have the expected types, and collecting diagnostics that name the file
// and the field ("items[2].destination").
class Reader {
public:
    Reader(const std::string& file, const std::map<std::string, std::string>& defines,
        std::vector<ProductDiagnostic>& diagnostics)
        : fFile(file)
        , fDefines(defines)
        , fDiagnostics(diagnostics)
    {
    }

    void Error(const std::string& field, const std::string& text)
    {
        fDiagnostics.push_back({true, fFile + ": " + field + ": " + text});
    }

    void Warning(const std::string& field, const std::string& text)
    {
        fDiagnostics.push_back({false, fFile + ": " + field + ": " + text});
    }

    // Reports every key of the object that is not among the known ones.
    void CheckKeys(const json& object, const std::string& field, std::initializer_list<const char*> known)
    {
        const std::set<std::string> allowed(known.begin(), known.end());
        for (const auto& [key, value] : object.items()) {
            (void)value;
            if (allowed.count(key) == 0) {
                std::string list;
                for (const char* name : known)
                    list += std::string(list.empty() ? "" : ", ") + "\"" + name + "\"";
                Error(Join(field, key), "unknown field (known fields here: " + list + ")");
            }
        }
    }

    bool IsObject(const json& value, const std::string& field)
    {
        if (value.is_object())
            return true;
        Error(field, "must be an object, not " + TypeName(value));
        return false;
    }

    // shellText: the text is a script for the shell, whose own ${NAME}
    // stays as written unless NAME is one of the build's defines.
    std::optional<std::string> Text(const json& object, const std::string& parent, const char* key,
        bool required = false, bool shellText = false)
    {
        const std::string field = Join(parent, key);
        if (!object.contains(key)) {
            if (required)
                Error(field, "is missing");
            return std::nullopt;
        }
        const json& value = object.at(key);
        if (!value.is_string()) {
            Error(field, "must be a text, not " + TypeName(value));
            return std::nullopt;
        }
        return Expand(value.get<std::string>(), field, shellText);
    }

    std::optional<bool> Flag(const json& object, const std::string& parent, const char* key)
    {
        if (!object.contains(key))
            return std::nullopt;
        const json& value = object.at(key);
        if (!value.is_boolean()) {
            Error(Join(parent, key), "must be true or false, not " + TypeName(value));
            return std::nullopt;
        }
        return value.get<bool>();
    }

    std::optional<double> Number(const json& object, const std::string& parent, const char* key, double minimum,
        double maximum)
    {
        if (!object.contains(key))
            return std::nullopt;
        const json& value = object.at(key);
        const std::string field = Join(parent, key);
        if (!value.is_number()) {
            Error(field, "must be a number, not " + TypeName(value));
            return std::nullopt;
        }
        const double number = value.get<double>();
        if (number < minimum || number > maximum) {
            std::ostringstream range;
            range << "must lie between " << minimum << " and " << maximum;
            Error(field, range.str());
            return std::nullopt;
        }
        return number;
    }

    std::vector<std::string> TextList(const json& object, const std::string& parent, const char* key)
    {
        std::vector<std::string> list;
        if (!object.contains(key))
            return list;
        const json& value = object.at(key);
        const std::string field = Join(parent, key);
        if (!value.is_array()) {
            Error(field, "must be a list of texts, not " + TypeName(value));
            return list;
        }
        for (size_t i = 0; i < value.size(); i++) {
            const std::string element = field + "[" + std::to_string(i) + "]";
            if (!value[i].is_string()) {
                Error(element, "must be a text, not " + TypeName(value[i]));
                continue;
            }
            list.push_back(Expand(value[i].get<std::string>(), element));
        }
        return list;
    }

    // A path to an existing file or folder, made absolute against base.
    std::optional<std::string> ExistingPath(const json& object, const std::string& parent, const char* key,
        const std::string& base, bool required, bool folderAllowed)
    {
        const auto text = Text(object, parent, key, required);
        if (!text)
            return std::nullopt;
        const std::string field = Join(parent, key);
        if (text->empty()) {
            Error(field, "is empty");
            return std::nullopt;
        }
        fs::path path = *text;
        if (path.is_relative())
            path = fs::path(base) / path;
        path = path.lexically_normal();
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (error || !fs::exists(status)) {
            Error(field, "\"" + path.string() + "\" does not exist");
            return std::nullopt;
        }
        if (!folderAllowed && fs::is_directory(status)) {
            Error(field, "\"" + path.string() + "\" is a folder, a file is needed here");
            return std::nullopt;
        }
        std::string result = path.string();
        while (result.size() > 1 && result.back() == '/')
            result.pop_back();
        return result;
    }

    static std::string Join(const std::string& parent, const std::string& key)
    {
        return parent.empty() ? key : parent + "." + key;
    }

private:
    static std::string TypeName(const json& value)
    {
        switch (value.type()) {
        case json::value_t::null: return "null";
        case json::value_t::boolean: return "a boolean";
        case json::value_t::string: return "a text";
        case json::value_t::array: return "a list";
        case json::value_t::object: return "an object";
        case json::value_t::binary: return "binary data";
        case json::value_t::discarded: return "nothing";
        default: return "a number";
        }
    }

    std::string Expand(const std::string& text, const std::string& field, bool shellText = false)
    {
        std::string result;
        size_t position = 0;
        while (position < text.size()) {
            const size_t start = text.find("${", position);
            if (start == std::string::npos) {
                result += text.substr(position);
                break;
            }
            const size_t end = text.find('}', start + 2);
            if (end == std::string::npos) {
                Error(field, "\"${\" without a closing \"}\"");
                result += text.substr(position);
                break;
            }
            result += text.substr(position, start - position);
            const std::string name = text.substr(start + 2, end - start - 2);
            const auto value = fDefines.find(name);
            if (value == fDefines.end() && shellText)
                result += text.substr(start, end + 1 - start);
            else if (value == fDefines.end())
                Error(field, "\"${" + name + "}\" is not defined (give it with --define " + name + "=VALUE)");
            else
                result += value->second;
            position = end + 1;
        }
        return result;
    }

    std::string fFile;
    const std::map<std::string, std::string>& fDefines;
    std::vector<ProductDiagnostic>& fDiagnostics;
};

// The installer compares rule values exactly: only "Prompt" and "Rename"
// have their own meaning, every other text acts as "Replace". A value that
// differs from one of the three only in case or blanks is almost certainly
// a slip, so say which rule will really apply.
void CheckRule(Reader& reader, const std::string& field, const std::string& value)
{
    if (value == "Prompt" || value == "Rename" || value == "Replace")
        return;
    const std::string meant = Lower(Trim(value));
    if (meant == "prompt" || meant == "rename" || meant == "replace") {
        reader.Warning(field, "\"" + value + "\" is not \"" + std::string(1, char(std::toupper(meant[0])))
            + meant.substr(1) + "\" (rules are case-sensitive): the installer will apply the rule \"Replace\"");
        return;
    }
    reader.Warning(field, "\"" + value + "\" is not one of \"Prompt\", \"Rename\", \"Replace\": the installer "
        "will apply the rule \"Replace\"");
}

// "True" is the one value the installer takes as yes.
void CheckTrueText(Reader& reader, const std::string& field, const std::string& value)
{
    if (value == "True" || value == "False")
        return;
    if (Lower(Trim(value)) == "true")
        reader.Warning(field, "\"" + value + "\" is not \"True\" (the value is case-sensitive): the installer "
            "will take it as false");
    else
        reader.Warning(field, "\"" + value + "\" is neither \"True\" nor \"False\": the installer will take it "
            "as false");
}

std::optional<std::string> TrueTextOrFlag(Reader& reader, const json& object, const std::string& parent,
    const char* key)
{
    if (!object.contains(key))
        return std::nullopt;
    const json& value = object.at(key);
    if (value.is_boolean())
        return std::string(value.get<bool>() ? "True" : "False");
    const auto text = reader.Text(object, parent, key);
    if (text)
        CheckTrueText(reader, Reader::Join(parent, key), *text);
    return text;
}

void CheckFolderName(Reader& reader, const std::string& field, const std::string& name,
    const std::vector<ProductCustomFolder>& customFolders, bool isLink)
{
    if (isLink && name == "None")
        return;
    for (const auto& folder : customFolders)
        if (folder.name == name)
            return;
    if (IsKnownFolderName(name))
        return;
    std::string hint;
    for (const auto& folder : customFolders)
        if (Lower(folder.name) == Lower(Trim(name)))
            hint = " (did you mean the custom folder \"" + folder.name + "\"? names are case-sensitive)";
    reader.Error(field, "\"" + name + "\" is neither " + std::string(isLink ? "\"None\", " : "")
        + "\"User Selected\", a custom folder of this product nor a standard folder name" + hint);
}

void ReadProduct(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("product")) {
        reader.Error("product", "is missing");
        return;
    }
    const json& product = root.at("product");
    if (!reader.IsObject(product, "product"))
        return;
    reader.CheckKeys(product, "product", {"name", "version", "release_date", "company", "support_email"});
    description.appName = reader.Text(product, "product", "name", true).value_or("");
    description.version = reader.Text(product, "product", "version").value_or("");
    description.releaseDate = reader.Text(product, "product", "release_date").value_or("");
    description.company = reader.Text(product, "product", "company").value_or("");
    description.supportEmail = reader.Text(product, "product", "support_email").value_or("");
    // These texts name the product's files and stand in its desktop files,
    // login script, environment file and terminal output; a line end or
    // escape sequence in them would be a command or a control sequence
    // there.
    const std::pair<const char*, const std::string*> texts[] = {{"name", &description.appName},
        {"version", &description.version}, {"release_date", &description.releaseDate},
        {"company", &description.company}, {"support_email", &description.supportEmail}};
    // The deinstaller's file is named after product and version.
    if (DeinstallerFileName(description.appName.c_str(), description.version.c_str()).size() > 255)
        reader.Error("product.name", "with the version, makes the deinstaller's file name \"<name> <version> "
            "Deinstaller\" longer than a file name may be (255 bytes); shorten it");
    for (const auto& [key, text] : texts) {
        if (HasControlCharacter(*text))
            reader.Error(std::string("product.") + key, "holds a control character (a line end, tab or escape); "
                "it would stand in desktop files, scripts and on the terminal");
    }
}

void ReadGroups(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("groups"))
        return;
    const json& groups = root.at("groups");
    if (!groups.is_array()) {
        reader.Error("groups", "must be a list of groups");
        return;
    }
    for (size_t i = 0; i < groups.size(); i++) {
        const std::string field = "groups[" + std::to_string(i) + "]";
        if (!reader.IsObject(groups[i], field))
            continue;
        reader.CheckKeys(groups[i], field, {"name", "description"});
        ProductGroup group;
        group.name = reader.Text(groups[i], field, "name", true).value_or("");
        group.description = reader.Text(groups[i], field, "description").value_or("");
        if (group.name.find(';') != std::string::npos)
            reader.Error(field + ".name", "must not contain \";\", which separates group names in an item");
        for (const auto& other : description.groups)
            if (other.name == group.name)
                reader.Error(field + ".name", "\"" + group.name + "\" is named twice");
        description.groups.push_back(group);
    }
}

void ReadCustomFolders(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("custom_folders"))
        return;
    const json& folders = root.at("custom_folders");
    if (!folders.is_array()) {
        reader.Error("custom_folders", "must be a list of folders");
        return;
    }
    for (size_t i = 0; i < folders.size(); i++) {
        const std::string field = "custom_folders[" + std::to_string(i) + "]";
        if (!reader.IsObject(folders[i], field))
            continue;
        reader.CheckKeys(folders[i], field, {"name", "root", "sub_dir", "replace_existing"});
        ProductCustomFolder folder;
        folder.name = reader.Text(folders[i], field, "name", true).value_or("");
        if (folders[i].contains("root")) {
            const json& root = folders[i].at("root");
            if (root.is_string()) {
                directory_which code;
                const std::string name = root.get<std::string>();
                if (LibGetStdDirName(name.c_str(), code))
                    folder.root = int32(code);
                else
                    reader.Error(field + ".root", "\"" + name + "\" is not a standard folder name");
            } else if (root.is_number_integer()) {
                folder.root = root.get<int32>();
                LibString name;
                if (!LibGetStdDirName(directory_which(folder.root), name))
                    reader.Error(field + ".root", std::to_string(folder.root) + " is not a standard folder code");
            } else {
                reader.Error(field + ".root", "must be a standard folder name or code");
            }
        } else {
            reader.Error(field + ".root", "is missing");
        }
        folder.subDir = reader.Text(folders[i], field, "sub_dir").value_or("");
        if (!folder.subDir.empty() && folder.subDir[0] == '/')
            reader.Error(field + ".sub_dir", "must be a path below the root folder, not an absolute path");
        if (fs::path(folder.subDir).lexically_normal().string().rfind("..", 0) == 0)
            reader.Error(field + ".sub_dir", "must stay inside the root folder");
        folder.replaceExisting = reader.Flag(folders[i], field, "replace_existing").value_or(false);
        CustomFolder rule;
        rule.SubFolder(folder.subDir.c_str()).Replace(folder.replaceExisting);
        if (rule.ReplacesParentFolder())
            reader.Error(field + ".sub_dir", "must name a folder below the root folder when "
                "replace_existing is true: the whole standard folder would be replaced");
        for (const auto& other : description.customFolders)
            if (other.name == folder.name)
                reader.Error(field + ".name", "\"" + folder.name + "\" is named twice");
        if (folder.name == "User Selected" || IsKnownFolderName(folder.name))
            reader.Warning(field + ".name", "\"" + folder.name + "\" is also a standard folder name; items "
                "that name it go to this custom folder");
        description.customFolders.push_back(folder);
    }
}

// An icon file's bytes (its format and size are checked with the rest of
// the entry).
std::string ReadIconFile(Reader& reader, const json& object, const std::string& parent,
    const std::string& base)
{
    const auto path = reader.ExistingPath(object, parent, "icon", base, false, false);
    if (!path)
        return std::string();
    std::error_code error;
    const auto size = fs::file_size(*path, error);
    if (error || size > 4 * 1024 * 1024) {
        reader.Error(Reader::Join(parent, "icon"), "\"" + *path + "\" " + (error ? "cannot be read"
            : "is larger than 4 MiB; an icon is far smaller"));
        return std::string();
    }
    std::ifstream in(*path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        reader.Error(Reader::Join(parent, "icon"), "\"" + *path + "\" cannot be read");
        return std::string();
    }
    if (bytes.empty())
        reader.Error(Reader::Join(parent, "icon"), "\"" + *path + "\" is empty");
    return bytes;
}

// The "desktop" object of an item: what its menu entry says.
void ReadDesktopEntry(Reader& reader, const json& item, const std::string& parent,
    const std::string& base, ProductItem& result)
{
    if (!item.contains("desktop"))
        return;
    const std::string field = Reader::Join(parent, "desktop");
    const json& desktop = item.at("desktop");
    if (!reader.IsObject(desktop, field))
        return;
    reader.CheckKeys(desktop, field,
        {"categories", "comment", "generic_name", "keywords", "terminal", "startup_wm_class",
            "working_folder", "actions", "icon", "document_types", "make_default"});
    menu_entry_options options;
    options.categories = reader.TextList(desktop, field, "categories");
    options.comment = reader.Text(desktop, field, "comment").value_or("");
    options.genericName = reader.Text(desktop, field, "generic_name").value_or("");
    options.keywords = reader.TextList(desktop, field, "keywords");
    options.terminal = reader.Flag(desktop, field, "terminal").value_or(false);
    options.startupWMClass = reader.Text(desktop, field, "startup_wm_class").value_or("");
    options.workingFolder = reader.Text(desktop, field, "working_folder").value_or("");
    options.makeDefault = reader.Flag(desktop, field, "make_default").value_or(false);
    options.icon = ReadIconFile(reader, desktop, field, base);
    if (desktop.contains("actions")) {
        const json& actions = desktop.at("actions");
        if (!actions.is_array())
            reader.Error(field + ".actions", "must be a list of actions");
        for (size_t i = 0; actions.is_array() && i < actions.size(); i++) {
            const std::string sub = field + ".actions[" + std::to_string(i) + "]";
            if (!reader.IsObject(actions[i], sub))
                continue;
            reader.CheckKeys(actions[i], sub, {"id", "name", "arguments"});
            menu_entry_action action;
            action.id = reader.Text(actions[i], sub, "id", true).value_or("");
            action.name = reader.Text(actions[i], sub, "name", true).value_or("");
            action.arguments = reader.TextList(actions[i], sub, "arguments");
            options.actions.push_back(action);
        }
    }
    if (desktop.contains("document_types")) {
        const json& types = desktop.at("document_types");
        if (!types.is_array())
            reader.Error(field + ".document_types", "must be a list of document types");
        for (size_t i = 0; types.is_array() && i < types.size(); i++) {
            const std::string sub = field + ".document_types[" + std::to_string(i) + "]";
            if (!reader.IsObject(types[i], sub))
                continue;
            reader.CheckKeys(types[i], sub, {"type", "comment", "globs", "magic", "icon"});
            menu_document_type type;
            type.type = reader.Text(types[i], sub, "type", true).value_or("");
            type.comment = reader.Text(types[i], sub, "comment").value_or("");
            type.globs = reader.TextList(types[i], sub, "globs");
            type.icon = ReadIconFile(reader, types[i], sub, base);
            if (types[i].contains("magic")) {
                const json& magic = types[i].at("magic");
                if (!magic.is_array())
                    reader.Error(sub + ".magic", "must be a list of {\"offset\", \"value\"}");
                for (size_t m = 0; magic.is_array() && m < magic.size(); m++) {
                    const std::string matchField = sub + ".magic[" + std::to_string(m) + "]";
                    if (!reader.IsObject(magic[m], matchField))
                        continue;
                    reader.CheckKeys(magic[m], matchField, {"offset", "value"});
                    const int32 offset
                        = int32(reader.Number(magic[m], matchField, "offset", 0, 65535).value_or(0));
                    const std::string value
                        = reader.Text(magic[m], matchField, "value", true).value_or("");
                    type.magic.emplace_back(offset, value);
                }
            }
            options.documentTypes.push_back(type);
        }
    }
    if (!options.workingFolder.empty() && options.workingFolder[0] != '/'
        && fs::path(options.workingFolder).lexically_normal().string().rfind("..", 0) == 0)
        reader.Error(field + ".working_folder", "must stay inside the installation folder (or be "
            "an absolute path)");
    for (const std::string& problem : options.Problems())
        reader.Error(field + "." + problem.substr(0, problem.find(':')),
            problem.substr(std::min(problem.size(), problem.find(':') + 2)));
    if (result.link == "None")
        reader.Warning(field, "describes a menu entry, but the item has no link (\"link\" is "
            "\"None\"); give \"link\": \"User Deskbar\" for an entry in the applications menu");
    result.desktop = options;
}

void ReadItems(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("items")) {
        reader.Error("items", "is missing: a product installs at least one item");
        return;
    }
    const json& items = root.at("items");
    if (!items.is_array() || items.empty()) {
        reader.Error("items", "must be a list of at least one item");
        return;
    }
    std::set<std::string> leaves;
    for (size_t i = 0; i < items.size(); i++) {
        const std::string field = "items[" + std::to_string(i) + "]";
        if (!reader.IsObject(items[i], field))
            continue;
        reader.CheckKeys(items[i], field,
            {"path", "groups", "destination", "destination_exists", "link", "link_exists", "deinstallable",
                "auto_launch", "auto_launch_reason", "file_type", "desktop"});
        ProductItem item;
        item.path = reader.ExistingPath(items[i], field, "path", description.baseDir, true, true).value_or("");
        if (!item.path.empty()) {
            for (const std::string& problem : PayloadProblems(item.path))
                reader.Error(field + ".path", problem);
        }
        item.groups = reader.TextList(items[i], field, "groups");
        for (size_t g = 0; g < item.groups.size(); g++) {
            const std::string& name = item.groups[g];
            const bool known = std::any_of(description.groups.begin(), description.groups.end(),
                [&](const ProductGroup& group) { return group.name == name; });
            if (!known)
                reader.Error(field + ".groups[" + std::to_string(g) + "]",
                    "\"" + name + "\" is not a group of this product");
        }
        item.destination = reader.Text(items[i], field, "destination").value_or(item.destination);
        CheckFolderName(reader, field + ".destination", item.destination, description.customFolders, false);
        item.destinationExists = reader.Text(items[i], field, "destination_exists").value_or(item.destinationExists);
        CheckRule(reader, field + ".destination_exists", item.destinationExists);
        item.link = reader.Text(items[i], field, "link").value_or(item.link);
        CheckFolderName(reader, field + ".link", item.link, description.customFolders, true);
        item.linkExists = reader.Text(items[i], field, "link_exists").value_or(item.linkExists);
        CheckRule(reader, field + ".link_exists", item.linkExists);
        item.deinstallable = TrueTextOrFlag(reader, items[i], field, "deinstallable").value_or("True");
        item.autoLaunch = TrueTextOrFlag(reader, items[i], field, "auto_launch");
        item.autoLaunchReason = reader.Text(items[i], field, "auto_launch_reason");
        if (item.autoLaunchReason && item.autoLaunch.value_or("") != "True")
            reader.Warning(field + ".auto_launch_reason", "is given but the item is not launched (auto_launch is "
                "not true)");
        if (const auto type = reader.Number(items[i], field, "file_type", -128, 127))
            item.fileType = int8(*type);
        ReadDesktopEntry(reader, items[i], field, description.baseDir, item);
        if (!item.path.empty()) {
            const std::string leaf = fs::path(item.path).filename().string();
            if (!leaves.insert(leaf).second)
                reader.Error(field + ".path", "another item has the same name \"" + leaf + "\"; items are found "
                    "by name at install time, so names must differ");
            if (HasControlCharacter(leaf))
                reader.Error(field + ".path", "the item's name holds a control character (a line end, tab or "
                    "escape); it would stand in menu entries and on the terminal; rename the item");
            if (IsReservedInstallName(leaf, description.appName.c_str(), description.version.c_str()))
                reader.Error(field + ".path", "\"" + leaf + "\" is a name the installer uses itself in the "
                    "installation folder (the install record, the log, saved files or the deinstaller); "
                    "rename the item");
        }
        description.items.push_back(item);
    }
}

void ReadOptions(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("options")) {
        reader.Error("options", "is missing (it names at least \"created_folder\")");
        return;
    }
    const json& options = root.at("options");
    if (!reader.IsObject(options, "options"))
        return;
    reader.CheckKeys(options, "options",
        {"log", "create_startup", "save_replaced", "default_folder", "created_folder", "compression_level"});
    description.optLog = reader.Flag(options, "options", "log").value_or(true);
    description.optCreateStartup = reader.Flag(options, "options", "create_startup").value_or(false);
    description.optSaveReplaced = reader.Flag(options, "options", "save_replaced").value_or(false);
    description.optDefaultFolder = reader.Text(options, "options", "default_folder");
    if (description.optDefaultFolder && *description.optDefaultFolder != "Current"
        && !IsKnownFolderName(*description.optDefaultFolder))
        reader.Error("options.default_folder", "\"" + *description.optDefaultFolder + "\" is neither \"Current\" "
            "nor a standard folder name (names are case-sensitive)");
    description.optCreatedFolder = reader.Text(options, "options", "created_folder", true).value_or("");
    if (description.optCreatedFolder.find('/') != std::string::npos || description.optCreatedFolder == "."
        || description.optCreatedFolder == "..")
        reader.Error("options.created_folder", "must be a plain folder name");
    if (const auto level = reader.Number(options, "options", "compression_level", 0, 9))
        description.compressionLevel = int32(*level);
}

void ReadRequirements(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("requirements"))
        return;
    const json& requirements = root.at("requirements");
    const std::string field = "requirements";
    if (!reader.IsObject(requirements, field))
        return;
    reader.CheckKeys(requirements, field,
        {"disk_space", "ram", "shared_libraries", "applications", "boot_volume_only", "removable_volumes_ok",
            "shared_volumes_ok"});
    ProductRequirements& result = description.requirements;
    result.bootVolumeOnly = reader.Flag(requirements, field, "boot_volume_only").value_or(false);
    result.removableVolumesOk = reader.Flag(requirements, field, "removable_volumes_ok").value_or(false);
    result.sharedVolumesOk = reader.Flag(requirements, field, "shared_volumes_ok").value_or(false);
    if (requirements.contains("disk_space")) {
        const json& disk = requirements.at("disk_space");
        const std::string sub = field + ".disk_space";
        if (reader.IsObject(disk, sub)) {
            reader.CheckKeys(disk, sub, {"bytes", "required"});
            result.diskSpaceNeeded = true;
            result.diskSpaceRequired = reader.Flag(disk, sub, "required").value_or(false);
            const auto bytes = reader.Number(disk, sub, "bytes", 0, 1e18);
            if (!disk.contains("bytes"))
                reader.Error(sub + ".bytes", "is missing");
            result.diskSpaceAmount = bytes.value_or(0);
        }
    }
    if (requirements.contains("ram")) {
        const json& ram = requirements.at("ram");
        const std::string sub = field + ".ram";
        if (reader.IsObject(ram, sub)) {
            reader.CheckKeys(ram, sub, {"megabytes", "required"});
            result.ramNeeded = true;
            result.ramRequired = reader.Flag(ram, sub, "required").value_or(false);
            if (!ram.contains("megabytes"))
                reader.Error(sub + ".megabytes", "is missing");
            result.ramMegabytes = int32(reader.Number(ram, sub, "megabytes", 0, 2147483647).value_or(0));
        }
    }
    if (requirements.contains("shared_libraries")) {
        const json& libraries = requirements.at("shared_libraries");
        const std::string sub = field + ".shared_libraries";
        if (reader.IsObject(libraries, sub)) {
            reader.CheckKeys(libraries, sub, {"names", "required"});
            result.librariesPresent = true;
            result.librariesRequired = reader.Flag(libraries, sub, "required").value_or(false);
            result.libraries = reader.TextList(libraries, sub, "names");
        }
    }
    if (requirements.contains("applications")) {
        const json& applications = requirements.at("applications");
        const std::string sub = field + ".applications";
        if (reader.IsObject(applications, sub)) {
            reader.CheckKeys(applications, sub, {"names", "required"});
            result.applicationsPresent = true;
            result.applicationsRequired = reader.Flag(applications, sub, "required").value_or(false);
            result.applications = reader.TextList(applications, sub, "names");
            for (size_t i = 0; i < result.applications.size(); i++) {
                const std::string& name = result.applications[i];
                const size_t open = name.find('(');
                const size_t close = name.find(')', open == std::string::npos ? 0 : open);
                if (open == std::string::npos || close == std::string::npos || close == open + 1)
                    reader.Error(sub + ".names[" + std::to_string(i) + "]",
                        "\"" + name + "\" must carry the program's signature in parentheses, e.g. "
                        "\"Text Editor (application/x-vnd.example-editor)\"");
            }
        }
    }
}

void ReadScriptEdit(Reader& reader, const json& scripts, const char* key, ProductScriptEdit& edit)
{
    if (!scripts.contains(key))
        return;
    const std::string field = std::string("scripts.") + key;
    const json& value = scripts.at(key);
    if (!reader.IsObject(value, field))
        return;
    reader.CheckKeys(value, field, {"tag", "contents"});
    edit.enabled = true;
    edit.tag = reader.Text(value, field, "tag", true).value_or("");
    edit.contents = reader.Text(value, field, "contents", true, true).value_or("");
    if (edit.tag.empty())
        reader.Error(field + ".tag", "must not be empty: the tag marks the section in the script");
    if (edit.tag.find('\n') != std::string::npos)
        reader.Error(field + ".tag", "must be one line");
}

void ReadScripts(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("scripts"))
        return;
    const json& scripts = root.at("scripts");
    if (!reader.IsObject(scripts, "scripts"))
        return;
    reader.CheckKeys(scripts, "scripts", {"bootscript", "setup_environment", "profile"});
    ReadScriptEdit(reader, scripts, "bootscript", description.bootscript);
    ReadScriptEdit(reader, scripts, "setup_environment", description.setupEnvironment);
    ReadScriptEdit(reader, scripts, "profile", description.profile);
}

void ReadCompletion(Reader& reader, const json& root, ProductDescription& description)
{
    if (!root.contains("completion"))
        return;
    const json& completion = root.at("completion");
    if (!reader.IsObject(completion, "completion"))
        return;
    reader.CheckKeys(completion, "completion", {"comments", "restart", "display_folder"});
    description.completeComments = reader.Text(completion, "completion", "comments").value_or("");
    description.completeRestart = reader.Flag(completion, "completion", "restart").value_or(false);
    description.completeDisplayFolder = reader.Flag(completion, "completion", "display_folder").value_or(false);
}

} // namespace

bool IsKnownFolderName(const std::string& name)
{
    if (name == "User Selected")
        return true;
    directory_which code;
    return LibGetStdDirName(name.c_str(), code);
}

// The description's bytes, or why they cannot be had: only a regular file
// is read (a folder or a FIFO would fail or block half-way).
static std::string ReadDescriptionText(const std::string& path, std::string& text)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status))
        return "does not exist";
    if (fs::is_directory(status))
        return "is a folder; give the description file (a JSON file) instead";
    if (!fs::is_regular_file(status))
        return "is not a regular file";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot be read";
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception& readError) {
        // The file buffer reports read errors by throwing.
        return std::string("cannot be read (") + readError.what() + ")";
    }
    return in.bad() ? "cannot be read" : std::string();
}

bool ReadProductDescription(const std::string& path, const std::map<std::string, std::string>& defines,
    ProductDescription& description, std::vector<ProductDiagnostic>& diagnostics)
{
    description = ProductDescription();
    description.sourcePath = path;
    description.baseDir = fs::absolute(fs::path(path)).parent_path().lexically_normal().string();
    Reader reader(path, defines, diagnostics);
    const size_t firstDiagnostic = diagnostics.size();

    std::string text;
    const std::string problem = ReadDescriptionText(path, text);
    if (!problem.empty()) {
        diagnostics.push_back({true, path + ": " + problem});
        return false;
    }
    json root;
    try {
        root = json::parse(text, nullptr, true, false);
    } catch (const json::exception& error) {
        diagnostics.push_back({true, path + ": not valid JSON: " + error.what()});
        return false;
    }
    if (!root.is_object()) {
        diagnostics.push_back({true, path + ": the description must be a JSON object"});
        return false;
    }
    reader.CheckKeys(root, "",
        {"product", "license", "about_image", "startup_sound", "help_file", "deinstaller", "installer", "groups",
            "items", "custom_folders", "options", "requirements", "scripts", "completion"});

    ReadProduct(reader, root, description);
    const std::string& base = description.baseDir;
    description.licenseFile = reader.ExistingPath(root, "", "license", base, false, false).value_or("");
    description.aboutImage = reader.ExistingPath(root, "", "about_image", base, false, false).value_or("");
    description.startupSound = reader.ExistingPath(root, "", "startup_sound", base, false, false).value_or("");
    description.helpFile = reader.ExistingPath(root, "", "help_file", base, false, false).value_or("");
    description.deinstaller = reader.ExistingPath(root, "", "deinstaller", base, false, false).value_or("");
    description.installer = reader.ExistingPath(root, "", "installer", base, false, false).value_or("");
    ReadGroups(reader, root, description);
    ReadCustomFolders(reader, root, description);
    ReadItems(reader, root, description);
    ReadOptions(reader, root, description);
    ReadRequirements(reader, root, description);
    ReadScripts(reader, root, description);
    ReadCompletion(reader, root, description);

    for (size_t i = firstDiagnostic; i < diagnostics.size(); i++)
        if (diagnostics[i].isError)
            return false;
    return true;
}
