// Describes a file of the platform's formats in readable text: an installer
// build (resources, configuration, every item's archive, verified entry by
// entry), any resource file or executable with resources (resources,
// application signature, version records, flattened messages), or a
// flattened message.
#pragma once

#include <ostream>
#include <string>

// Writes the description to out and every problem found to err. Returns 0
// when the file is whole, 1 when it is damaged or cannot be read.
int InspectFile(const std::string& path, std::ostream& out, std::ostream& err);

// Checks one zip archive held in memory with the installer's own checks
// (names that leave the target, links that point out, a NUL in a name, a
// local header naming another file, damage, truncation, checksums). Lists
// the entries on out; returns false and names each problem on err when the
// installer would not unpack it whole. A non-empty topName is the entry the
// installer takes out of the archive, which must be there.
bool VerifyZipArchive(const void* data, size_t size, const std::string& label, std::ostream& out,
    std::ostream& err, const std::string& topName = std::string());
