// A reader for the resource definition texts that come with some sample
// resource files: enough of the language to list each resource's type, id
// and name and its simple values (strings, byte arrays, application flags,
// version records, lists of supported types).
#pragma once

#include <SupportDefs.h>

#include <map>
#include <string>
#include <vector>

namespace ondelle::test {

struct RdefResource {
    type_code type = 0;
    int32 id = 0;
    std::string name;
    enum Kind { kString, kBytes, kFlags, kVersion, kMessage, kOther } kind = kOther;
    std::string text;              // kString: the string without its NUL
    std::string bytes;             // kBytes
    uint32 flags = 0;              // kFlags
    std::map<std::string, std::string> fields; // kVersion: field = value text
    std::vector<std::string> types; // kMessage: the "types" strings
};

// Parses the text; false with an explanation in error when it cannot.
bool ParseRdef(const std::string& text, std::vector<RdefResource>& resources, std::string& error);

} // namespace ondelle::test
