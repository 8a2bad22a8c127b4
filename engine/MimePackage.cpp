// Writing shared-mime-info packages.
#include "MimePackage.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

std::string XmlEscape(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&apos;"; break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n')
                    escaped += c;
                break;
        }
    }
    return escaped;
}

bool IsTokenChar(char c, bool media)
{
    if (std::isalnum(static_cast<unsigned char>(c)))
        return true;
    const char* allowed = media ? "!#$&-^_" : "!#$&-^_.+";
    return c != '\0' && strchr(allowed, c) != nullptr;
}

// A magic string as shared-mime-info reads it: a backslash and bytes
// outside printable ASCII written as C escapes ("\x7f"), since XML cannot
// carry control bytes.
std::string MagicValue(const std::string& value)
{
    std::string text;
    for (unsigned char c : value) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", unsigned(c));
            text += escaped;
        } else {
            text += char(c);
        }
    }
    return text;
}

} // namespace


bool
IsValidMimeTypeName(const std::string& type)
{
    const size_t slash = type.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 >= type.size() || type.size() > 255)
        return false;
    for (size_t i = 0; i < type.size(); i++) {
        if (i != slash && !IsTokenChar(type[i], i < slash))
            return false;
    }
    return true;
}


std::string
MimePackageText(const std::vector<mime_type_declaration>& types)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    std::set<std::string> seen;
    for (const mime_type_declaration& declaration : types) {
        if (!IsValidMimeTypeName(declaration.type) || !seen.insert(declaration.type).second)
            continue;
        text += "  <mime-type type=\"" + XmlEscape(declaration.type) + "\">\n";
        text += "    <comment>"
            + XmlEscape(declaration.comment.empty() ? declaration.type : declaration.comment)
            + "</comment>\n";
        if (IsValidMimeTypeName(declaration.subclassOf))
            text += "    <sub-class-of type=\"" + XmlEscape(declaration.subclassOf) + "\"/>\n";
        if (!declaration.icon.empty())
            text += "    <icon name=\"" + XmlEscape(declaration.icon) + "\"/>\n";
        for (const std::string& glob : declaration.globs) {
            if (!glob.empty())
                text += "    <glob pattern=\"" + XmlEscape(glob) + "\"/>\n";
        }
        bool magicOpen = false;
        for (const auto& [offset, value] : declaration.magic) {
            if (value.empty() || offset < 0)
                continue;
            if (!magicOpen)
                text += "    <magic priority=\"50\">\n";
            magicOpen = true;
            text += "      <match type=\"string\" offset=\"" + std::to_string(offset) + "\" value=\""
                + XmlEscape(MagicValue(value)) + "\"/>\n";
        }
        if (magicOpen)
            text += "    </magic>\n";
        text += "  </mime-type>\n";
    }
    text += "</mime-info>\n";
    return text;
}
