// Composing desktop entries.
#include "DesktopEntry.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool IsReserved(char c)
{
    return c != '\0' && strchr(" \t\n\"'\\><~|&;$*?#()`", c) != nullptr;
}

// The length of the control character at text[at] that the entry format
// has no escape for (C0 but tab, line end and carriage return; DEL; C1 as
// UTF-8), or 0.
size_t UncarriedControlLength(const std::string& text, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f)
        return 1;
    if (c == 0xc2 && at + 1 < text.size()) {
        const unsigned char next = static_cast<unsigned char>(text[at + 1]);
        if (next >= 0x80 && next <= 0x9f)
            return 2;
    }
    return 0;
}

// FNV-1a, 32 bits: a short, stable fingerprint of a name.
uint32_t NameHash(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

} // namespace


DesktopEntry::DesktopEntry(const std::string& type)
    :
    fType(type)
{
}


void
DesktopEntry::AddKey(const std::string& key, const std::string& value)
{
    fKeys.emplace_back(key, value);
}


void
DesktopEntry::AddAction(const std::string& id, const std::string& name,
    const std::vector<std::string>& arguments)
{
    fActions.push_back({id, name, arguments});
}


std::string
DesktopEntry::QuoteArgument(const std::string& argument)
{
    bool quote = argument.empty();
    for (char c : argument) {
        if (IsReserved(c))
            quote = true;
    }
    std::string text;
    if (quote)
        text += '"';
    for (char c : argument) {
        if (c == '%') {
            text += "%%";
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            text += '\\';
        text += c;
    }
    if (quote)
        text += '"';
    return text;
}


std::string
DesktopEntry::ExecValue(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += QuoteArgument(argument);
    }
    return EscapeValue(line);
}


std::string
DesktopEntry::EscapeValue(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); i++) {
        const char c = value[i];
        if (const size_t length = UncarriedControlLength(value, i)) {
            text += "\xef\xbf\xbd";
            i += length - 1;
            continue;
        }
        switch (c) {
            case '\\': text += "\\\\"; break;
            case '\n': text += "\\n"; break;
            case '\t': text += "\\t"; break;
            case '\r': text += "\\r"; break;
            case ' ':
                // Only a leading blank would be lost when the value is read.
                text += i == 0 ? "\\s" : " ";
                break;
            default: text += c; break;
        }
    }
    return text;
}


bool
DesktopEntry::CanCarry(const std::string& text)
{
    for (size_t i = 0; i < text.size(); i++) {
        if (UncarriedControlLength(text, i) != 0)
            return false;
    }
    return true;
}


std::string
DesktopEntry::ListValue(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) {
        for (char c : EscapeValue(item)) {
            if (c == ';')
                text += '\\';
            text += c;
        }
        text += ';';
    }
    return text;
}


std::string
DesktopEntry::SafeName(const std::string& name)
{
    std::string safe;
    for (unsigned char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '.' || c == '_' || c == '-';
        safe += keep ? char(c) : '-';
    }
    if (safe.empty() || safe[0] == '.' || safe[0] == '-')
        safe = "x" + safe;
    return safe;
}


std::string
DesktopEntry::UniqueName(const std::string& name, size_t limit)
{
    const std::string safe = SafeName(name);
    if (safe == name && safe.size() <= limit)
        return safe;
    char hash[16];
    std::snprintf(hash, sizeof(hash), "-%08x", unsigned(NameHash(name)));
    const size_t room = limit > 9 ? limit - 9 : 0;
    return safe.substr(0, room) + hash;
}


std::string
DesktopEntry::Text() const
{
    std::string text = "[Desktop Entry]\n";
    text += "Type=" + fType + "\n";
    text += "Name=" + EscapeValue(fName) + "\n";
    if (!fGenericName.empty())
        text += "GenericName=" + EscapeValue(fGenericName) + "\n";
    if (!fComment.empty())
        text += "Comment=" + EscapeValue(fComment) + "\n";
    if (!fCommand.empty())
        text += "Exec=" + ExecValue(fCommand) + "\n";
    if (!fIcon.empty())
        text += "Icon=" + EscapeValue(fIcon) + "\n";
    if (!fCategories.empty())
        text += "Categories=" + ListValue(fCategories) + "\n";
    if (!fMimeTypes.empty())
        text += "MimeType=" + ListValue(fMimeTypes) + "\n";
    if (!fKeywords.empty())
        text += "Keywords=" + ListValue(fKeywords) + "\n";
    if (fTerminal)
        text += "Terminal=true\n";
    if (!fStartupWMClass.empty())
        text += "StartupWMClass=" + EscapeValue(fStartupWMClass) + "\n";
    if (!fWorkingFolder.empty())
        text += "Path=" + EscapeValue(fWorkingFolder) + "\n";
    if (!fActions.empty()) {
        std::vector<std::string> ids;
        for (const Action& action : fActions)
            ids.push_back(action.id);
        text += "Actions=" + ListValue(ids) + "\n";
    }
    for (const auto& [key, value] : fKeys)
        text += key + "=" + EscapeValue(value) + "\n";
    for (const Action& action : fActions) {
        text += "\n[Desktop Action " + action.id + "]\n";
        text += "Name=" + EscapeValue(action.name) + "\n";
        if (!action.arguments.empty())
            text += "Exec=" + ExecValue(action.arguments) + "\n";
    }
    return text;
}
