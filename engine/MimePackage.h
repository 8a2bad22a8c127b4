// A shared-mime-info package: the XML file through which the desktop learns
// document types (placed in "<data>/mime/packages", then compiled into the
// MIME database by update-mime-database).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct mime_type_declaration {
    std::string type;
    std::string comment;
    // File name patterns such as "*.vondl"; may be empty.
    std::vector<std::string> globs;
    // A type this one is a kind of ("text/plain"); may be empty.
    std::string subclassOf;
    // Byte strings that mark a file of the type at a given offset ("magic"
    // matches of priority 50; any one of them counts).
    std::vector<std::pair<int32_t, std::string>> magic;
    // The name of the type's icon in the icon theme; empty: the desktop's
    // generic one.
    std::string icon;
};

// True for a usable type name: "media/subtype", both parts of letters,
// digits and "!#$&-^_.+", the media part without "." or "+".
bool IsValidMimeTypeName(const std::string& type);

// The package's XML text. Declarations with an invalid type name are left
// out, as are repeated types (the first one counts).
std::string MimePackageText(const std::vector<mime_type_declaration>& types);
