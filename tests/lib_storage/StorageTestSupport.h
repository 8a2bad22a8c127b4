// Helpers shared by the storage utility tests.
#pragma once

#include <SupportDefs.h>

#include <string>

namespace storage_test {

// A name with every character a shell treats specially.
extern const char* const kAwkwardName;

// Sets an attribute through the storage kit; false on failure.
bool SetAttribute(const std::string& path, const char* name, type_code type, const std::string& data);
// Reads an attribute through the storage kit; false when it is missing.
bool GetAttribute(const std::string& path, const char* name, type_code& type, std::string& data);

} // namespace storage_test
