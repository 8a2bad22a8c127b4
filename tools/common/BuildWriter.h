// Makes an installer build: a copy of the installer program with the
// configuration, every item's archive, the deinstaller and the help file
// added as resources. The build is made in a temporary file beside the
// output and renamed into place only when complete, so that an error never
// leaves a half-made build behind.
#pragma once

#include "ManifestWriter.h"
#include "ProductDescription.h"
#include "RuntimeBundle.h"

#include <functional>
#include <string>

struct BuildProgress {
    int32 step = 0;
    int32 steps = 0;
    std::string text;
};

// Returns an empty text on success, otherwise what went wrong. progress, if
// given, is told about every step. With bundle, the build starts with the
// first stage and carries the installer with its runtime (RuntimeBundle.h)
// so that it starts on a desktop without Qt. Every build carries a manifest
// of its parts' digests; with signing, the manifest is also signed.
std::string MakeInstallerBuild(const ProductDescription& description, const std::string& installerProgram,
    const std::string& deinstallerProgram, const std::string& output,
    const std::function<void(const BuildProgress&)>& progress = nullptr,
    const RuntimeBundleOptions* bundle = nullptr, const BuildSigning* signing = nullptr);
