// Helpers shared by the storage utility tests.
#pragma once

#include <SupportDefs.h>

#include <filesystem>
#include <string>
#include <vector>

namespace storage_test {

// A name with every character a shell treats specially.
extern const char* const kAwkwardName;

// Sets an attribute through the storage kit; false on failure.
bool SetAttribute(const std::string& path, const char* name, type_code type, const std::string& data);
// Reads an attribute through the storage kit; empty optional value -> found false.
bool GetAttribute(const std::string& path, const char* name, type_code& type, std::string& data);

// Whether the test program may use the platform's tools (cp, mv ...).
bool ToolsAvailable();

// Two folders on different file systems below which a test may write, or
// false when the machine offers none.
bool FindSecondVolume(std::filesystem::path& folder);

} // namespace storage_test
