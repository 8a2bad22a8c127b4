// How many bytes each part of an installer build takes: the program image
// that runs, the configuration, every item's archive, the deinstaller, the
// help file and the rest (other resources and the resource tables).
#pragma once

#include <SupportDefs.h>

#include <ostream>
#include <string>
#include <vector>

struct BuildPart {
    std::string label;
    uint64 size = 0;
};

// The parts of the build at path, in file order with the total last; false
// when the file's resources cannot be read.
bool MeasureBuild(const std::string& path, std::vector<BuildPart>& parts);

// Prints the parts as a table under "Sizes:".
void PrintBuildSizes(const std::vector<BuildPart>& parts, std::ostream& out);
