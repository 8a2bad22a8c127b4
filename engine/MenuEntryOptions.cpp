// A vendor's menu entry options: storage in a message and their checks.
#include "MenuEntryOptions.h"

#include "ControlCharacters.h"
#include "DesktopEntry.h"
#include "MimePackage.h"

#include <Message.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// The desktop menu's registered categories: the main ones, then the
// additional ones and the reserved ones.
const char* const kMainCategories[] = {"AudioVideo", "Audio", "Video", "Development", "Education",
    "Game", "Graphics", "Network", "Office", "Science", "Settings", "System", "Utility"};
const char* const kAdditionalCategories[] = {"Building", "Debugger", "IDE", "GUIDesigner",
    "Profiling", "RevisionControl", "Translation", "Calendar", "ContactManagement", "Database",
    "Dictionary", "Chart", "Email", "Finance", "FlowChart", "PDA", "ProjectManagement",
    "Presentation", "Spreadsheet", "WordProcessor", "2DGraphics", "VectorGraphics",
    "RasterGraphics", "3DGraphics", "Scanning", "OCR", "Photography", "Publishing", "Viewer",
    "TextTools", "DesktopSettings", "HardwareSettings", "Printing", "PackageManager", "Dialup",
    "InstantMessaging", "Chat", "IRCClient", "Feed", "FileTransfer", "HamRadio", "News", "P2P",
    "RemoteAccess", "Telephony", "TelephonyTools", "VideoConference", "WebBrowser",
    "WebDevelopment", "Midi", "Mixer", "Sequencer", "Tuner", "TV", "AudioVideoEditing", "Player",
    "Recorder", "DiscBurning", "ActionGame", "AdventureGame", "ArcadeGame", "BoardGame",
    "BlocksGame", "CardGame", "KidsGame", "LogicGame", "RolePlaying", "Shooter", "Simulation",
    "SportsGame", "StrategyGame", "Art", "Construction", "Music", "Languages",
    "ArtificialIntelligence", "Astronomy", "Biology", "Chemistry", "ComputerScience",
    "DataVisualization", "Economy", "Electricity", "Geography", "Geology", "Geoscience", "History",
    "Humanities", "ImageProcessing", "Literature", "Maps", "Math", "NumericalAnalysis",
    "MedicalSoftware", "Physics", "Robotics", "Spirituality", "Sports", "ParallelComputing",
    "Amusement", "Archiving", "Compression", "Electronics", "Emulator", "Engineering", "FileTools",
    "FileManager", "TerminalEmulator", "Filesystem", "Monitor", "Security", "Accessibility",
    "Calculator", "Clock", "TextEditor", "Documentation", "Adult", "Core", "KDE", "GNOME", "XFCE",
    "DDE", "GTK", "Qt", "Motif", "Java", "ConsoleOnly", "Screensaver", "TrayIcon", "Applet",
    "Shell"};

const int32 kIconThemeSizes[] = {16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, 256, 512};

uint32 BigEndian32(const std::string& bytes, size_t at)
{
    return (uint32(uint8(bytes[at])) << 24) | (uint32(uint8(bytes[at + 1])) << 16)
        | (uint32(uint8(bytes[at + 2])) << 8) | uint32(uint8(bytes[at + 3]));
}

void AddBytes(BMessage& message, const char* name, const std::string& bytes)
{
    if (!bytes.empty())
        message.AddData(name, B_RAW_TYPE, bytes.data(), ssize_t(bytes.size()), false);
}

std::string FindBytes(const BMessage& message, const char* name, int32 index = 0)
{
    const void* data = nullptr;
    ssize_t size = 0;
    if (message.FindData(name, B_RAW_TYPE, index, &data, &size) != B_OK || size <= 0)
        return std::string();
    return std::string(static_cast<const char*>(data), size_t(size));
}

void AddStrings(BMessage& message, const char* name, const std::vector<std::string>& texts)
{
    for (const std::string& text : texts)
        message.AddString(name, text);
}

std::vector<std::string> FindStrings(const BMessage& message, const char* name)
{
    std::vector<std::string> texts;
    std::string text;
    for (int32 i = 0; message.FindString(name, i, &text) == B_OK; i++)
        texts.push_back(text);
    return texts;
}

std::string Indexed(const std::string& field, size_t index)
{
    return field + "[" + std::to_string(index) + "]";
}

// The problem of an icon file's bytes, or empty.
std::string IconProblem(const std::string& bytes)
{
    int32 width = 0;
    int32 height = 0;
    switch (IconFormatOf(bytes, &width, &height)) {
        case icon_format::kSvg:
            return std::string();
        case icon_format::kPng:
            if (width != height) {
                return "is a PNG of " + std::to_string(width) + " x " + std::to_string(height)
                    + " pixels; an icon must be square";
            }
            if (!IsIconThemeSize(width)) {
                return "is a PNG of " + std::to_string(width) + " x " + std::to_string(height)
                    + " pixels; an icon theme takes 16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, "
                      "256 or 512";
            }
            return std::string();
        case icon_format::kNone:
            break;
    }
    return "is neither a PNG nor an SVG file";
}

void CheckText(std::vector<std::string>& problems, const std::string& field,
    const std::string& text)
{
    if (HasControlCharacter(text))
        problems.push_back(field + ": holds a control character (a line end, tab or escape)");
}

} // namespace


void
menu_entry_options::AddTo(BMessage& message) const
{
    AddStrings(message, "categories", categories);
    if (!comment.empty())
        message.AddString("comment", comment);
    if (!genericName.empty())
        message.AddString("generic_name", genericName);
    AddStrings(message, "keywords", keywords);
    if (terminal)
        message.AddBool("terminal", true);
    if (!startupWMClass.empty())
        message.AddString("startup_wm_class", startupWMClass);
    if (!workingFolder.empty())
        message.AddString("working_folder", workingFolder);
    for (const menu_entry_action& action : actions) {
        BMessage actionMessage;
        actionMessage.AddString("id", action.id);
        actionMessage.AddString("name", action.name);
        AddStrings(actionMessage, "arguments", action.arguments);
        message.AddMessage("action", &actionMessage);
    }
    AddBytes(message, "icon", icon);
    for (const menu_document_type& type : documentTypes) {
        BMessage typeMessage;
        typeMessage.AddString("type", type.type);
        if (!type.comment.empty())
            typeMessage.AddString("comment", type.comment);
        AddStrings(typeMessage, "globs", type.globs);
        for (const auto& [offset, value] : type.magic) {
            typeMessage.AddInt32("magic_offset", offset);
            typeMessage.AddData("magic_value", B_RAW_TYPE, value.data(), ssize_t(value.size()),
                false);
        }
        AddBytes(typeMessage, "icon", type.icon);
        message.AddMessage("document_type", &typeMessage);
    }
    if (makeDefault)
        message.AddBool("make_default", true);
}


menu_entry_options
menu_entry_options::From(const BMessage& message)
{
    menu_entry_options options;
    options.categories = FindStrings(message, "categories");
    options.comment = message.GetString("comment", "");
    options.genericName = message.GetString("generic_name", "");
    options.keywords = FindStrings(message, "keywords");
    options.terminal = message.GetBool("terminal", false);
    options.startupWMClass = message.GetString("startup_wm_class", "");
    options.workingFolder = message.GetString("working_folder", "");
    BMessage part;
    for (int32 i = 0; message.FindMessage("action", i, &part) == B_OK; i++) {
        menu_entry_action action;
        action.id = part.GetString("id", "");
        action.name = part.GetString("name", "");
        action.arguments = FindStrings(part, "arguments");
        options.actions.push_back(action);
    }
    options.icon = FindBytes(message, "icon");
    for (int32 i = 0; message.FindMessage("document_type", i, &part) == B_OK; i++) {
        menu_document_type type;
        type.type = part.GetString("type", "");
        type.comment = part.GetString("comment", "");
        type.globs = FindStrings(part, "globs");
        int32 offset = 0;
        for (int32 m = 0; part.FindInt32("magic_offset", m, &offset) == B_OK; m++)
            type.magic.emplace_back(offset, FindBytes(part, "magic_value", m));
        type.icon = FindBytes(part, "icon");
        options.documentTypes.push_back(type);
    }
    options.makeDefault = message.GetBool("make_default", false);
    return options;
}


std::vector<std::string>
menu_entry_options::Problems() const
{
    std::vector<std::string> problems;
    std::set<std::string> seen;
    for (size_t i = 0; i < categories.size(); i++) {
        const std::string field = Indexed("categories", i);
        if (!IsRegisteredCategory(categories[i])) {
            problems.push_back(field + ": \"" + categories[i] + "\" is not a category of the desktop "
                "menu (one of its registered categories such as Office or TextEditor; a vendor's own "
                "begins with \"X-\")");
        } else if (!seen.insert(categories[i]).second) {
            problems.push_back(field + ": \"" + categories[i] + "\" is named twice");
        }
    }
    if (!categories.empty()
        && std::none_of(categories.begin(), categories.end(), IsMainCategory)) {
        problems.push_back("categories: names no main category (AudioVideo, Audio, Video, "
            "Development, Education, Game, Graphics, Network, Office, Science, Settings, System or "
            "Utility); the menu would file the entry under \"Other\"");
    }
    CheckText(problems, "comment", comment);
    CheckText(problems, "generic_name", genericName);
    CheckText(problems, "startup_wm_class", startupWMClass);
    for (size_t i = 0; i < keywords.size(); i++) {
        CheckText(problems, Indexed("keywords", i), keywords[i]);
        if (keywords[i].empty())
            problems.push_back(Indexed("keywords", i) + ": is empty");
    }
    if (!workingFolder.empty()) {
        CheckText(problems, "working_folder", workingFolder);
        const std::string padded = "/" + workingFolder + "/";
        if (padded.find("/../") != std::string::npos)
            problems.push_back("working_folder: may not hold \"..\"");
    }
    seen.clear();
    for (size_t i = 0; i < actions.size(); i++) {
        const std::string field = Indexed("actions", i);
        const menu_entry_action& action = actions[i];
        if (!IsValidActionId(action.id)) {
            problems.push_back(field + ".id: \"" + action.id + "\" must be letters, digits and "
                "\"-\" only");
        } else if (action.id == "ondelle-uninstall") {
            problems.push_back(field + ".id: \"ondelle-uninstall\" is the installer's own action "
                "(it starts the deinstaller); choose another id");
        } else if (!seen.insert(action.id).second) {
            problems.push_back(field + ".id: the action \"" + action.id + "\" is named twice");
        }
        if (action.name.empty())
            problems.push_back(field + ".name: is missing or empty");
        CheckText(problems, field + ".name", action.name);
        for (size_t a = 0; a < action.arguments.size(); a++) {
            if (!DesktopEntry::CanCarry(action.arguments[a]))
                problems.push_back(Indexed(field + ".arguments", a) + ": holds a control character "
                    "a menu entry cannot carry");
        }
    }
    if (!icon.empty()) {
        const std::string problem = IconProblem(icon);
        if (!problem.empty())
            problems.push_back("icon: " + problem);
    }
    seen.clear();
    for (size_t i = 0; i < documentTypes.size(); i++) {
        const std::string field = Indexed("document_types", i);
        const menu_document_type& type = documentTypes[i];
        if (!IsValidMimeTypeName(type.type)) {
            problems.push_back(field + ".type: \"" + type.type + "\" is not a type name such as "
                "\"application/x-skylark-note\"");
        } else if (!seen.insert(type.type).second) {
            problems.push_back(field + ".type: \"" + type.type + "\" is named twice");
        }
        CheckText(problems, field + ".comment", type.comment);
        if (type.globs.empty() && type.magic.empty())
            problems.push_back(field + ": names neither globs nor magic; the desktop could not "
                "recognise a file of the type");
        for (size_t g = 0; g < type.globs.size(); g++) {
            const std::string& glob = type.globs[g];
            if (glob.empty() || glob.find('/') != std::string::npos || HasControlCharacter(glob))
                problems.push_back(Indexed(field + ".globs", g) + ": \"" + glob + "\" must be a "
                    "file name pattern such as \"*.note\"");
        }
        for (size_t m = 0; m < type.magic.size(); m++) {
            if (type.magic[m].first < 0)
                problems.push_back(Indexed(field + ".magic", m) + ".offset: may not be negative");
            if (type.magic[m].second.empty())
                problems.push_back(Indexed(field + ".magic", m) + ".value: is empty");
        }
        if (!type.icon.empty()) {
            const std::string problem = IconProblem(type.icon);
            if (!problem.empty())
                problems.push_back(field + ".icon: " + problem);
        }
    }
    if (makeDefault && documentTypes.empty())
        problems.push_back("make_default: the entry declares no document_types to be the default "
            "application of");
    return problems;
}


icon_format
IconFormatOf(const std::string& bytes, int32* width, int32* height)
{
    static const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() >= 24 && bytes.compare(0, 8, kPngSignature, 8) == 0
        && bytes.compare(12, 4, "IHDR") == 0) {
        if (width != nullptr)
            *width = int32(std::min<uint32>(BigEndian32(bytes, 16), 0x7fffffff));
        if (height != nullptr)
            *height = int32(std::min<uint32>(BigEndian32(bytes, 20), 0x7fffffff));
        return icon_format::kPng;
    }
    // An SVG file is XML whose root element is "svg": after an optional
    // byte order mark, blanks, XML declaration, comments and doctype.
    size_t at = bytes.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
    const size_t limit = std::min<size_t>(bytes.size(), 4096);
    while (at < limit) {
        const char c = bytes[at];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            at++;
            continue;
        }
        if (bytes.compare(at, 4, "<svg") == 0 && at + 4 < bytes.size()
            && strchr(" \t\r\n>", bytes[at + 4]) != nullptr)
            return icon_format::kSvg;
        const char* close = nullptr;
        if (bytes.compare(at, 5, "<?xml") == 0)
            close = "?>";
        else if (bytes.compare(at, 4, "<!--") == 0)
            close = "-->";
        else if (bytes.compare(at, 9, "<!DOCTYPE") == 0)
            close = ">";
        if (close == nullptr)
            break;
        const size_t end = bytes.find(close, at);
        if (end == std::string::npos)
            break;
        at = end + strlen(close);
    }
    return icon_format::kNone;
}


bool
IsIconThemeSize(int32 size)
{
    return std::find(std::begin(kIconThemeSizes), std::end(kIconThemeSizes), size)
        != std::end(kIconThemeSizes);
}


bool
IsMainCategory(const std::string& category)
{
    return std::find(std::begin(kMainCategories), std::end(kMainCategories), category)
        != std::end(kMainCategories);
}


bool
IsRegisteredCategory(const std::string& category)
{
    if (category.size() > 2 && category.compare(0, 2, "X-") == 0)
        return category.find_first_of("; \t\n\r") == std::string::npos
            && !HasControlCharacter(category);
    return IsMainCategory(category)
        || std::find(std::begin(kAdditionalCategories), std::end(kAdditionalCategories), category)
            != std::end(kAdditionalCategories);
}


bool
IsValidActionId(const std::string& id)
{
    if (id.empty())
        return false;
    for (unsigned char c : id) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    }
    return true;
}


std::string
ReverseDnsId(const std::string& signature)
{
    const std::string prefix = "application/";
    if (signature.size() <= prefix.size() || signature.compare(0, prefix.size(), prefix) != 0)
        return std::string();
    std::string name = signature.substr(prefix.size());
    if (name.compare(0, 2, "x-") == 0)
        name = name.substr(2);
    std::string id;
    bool elementStart = true;
    for (unsigned char c : name) {
        if (c == '.') {
            if (elementStart)
                continue;
            id += '.';
            elementStart = true;
            continue;
        }
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-';
        if (elementStart && c >= '0' && c <= '9')
            id += '_';
        id += keep ? char(c) : '_';
        elementStart = false;
    }
    while (!id.empty() && id.back() == '.')
        id.pop_back();
    // A reverse-DNS name has at least two elements.
    if (id.empty() || id.find('.') == std::string::npos || id.size() > 200)
        return std::string();
    return id;
}
