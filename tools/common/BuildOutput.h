// Checks the place a build is to be written to before anything is made.
// The finished build is renamed over the output, so an output that is one
// of the build's own inputs would be destroyed, and one that is a folder,
// device, FIFO or socket must not be replaced by a file.
#pragma once

#include "ProductDescription.h"

#include <string>

// An empty text when output may receive the build; otherwise why not,
// naming the output and, for an input, which input it is. Files are
// compared by device and inode after links are resolved.
std::string CheckBuildOutput(const ProductDescription& description, const std::string& installerProgram,
    const std::string& deinstallerProgram, const std::string& output);
