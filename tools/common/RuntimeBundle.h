// The runtime a build carries so that it starts on a desktop without Qt:
// the installer program, the shared libraries it and its Qt plugins need
// beyond those every desktop has (found with the dynamic loader's own view,
// ldd, of each program and plugin), the Qt plugins it loads (the xcb,
// Wayland when installed, and offscreen platforms, the xcb GL integrations,
// the JPEG image format that about images may use) and a qt.conf that
// points Qt at them. Written as one archive (RuntimeArchive.h) in a private
// working folder, removed with the object.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

struct RuntimeBundleOptions {
    // The first stage that starts a build and unpacks its runtime.
    std::string firstStage;
    // Where Qt's plugins are (the Qt the installer was built with).
    std::string qtPluginFolder;
    // The oldest C library the build starts on, glibc 2.glibcFloorMinor:
    // every program and library it carries is held to it, and the first
    // stage checks the machine's C library against it before anything else.
    int glibcFloorMinor = 34;
    // The description's compression level; the runtime is deflated at it,
    // but at most at 6: above that zlib gains less than 1 % of the
    // runtime's size for three times the time.
    int compressionLevel = 6;
};

class RuntimeBundle {
public:
    RuntimeBundle() = default;
    ~RuntimeBundle();
    RuntimeBundle(const RuntimeBundle&) = delete;
    RuntimeBundle& operator=(const RuntimeBundle&) = delete;

    // An empty text on success, otherwise what went wrong (a library the
    // installer needs that is missing here names it).
    std::string Make(const std::string& installer, const RuntimeBundleOptions& options);

    const std::string& ArchivePath() const { return fArchive; }
    // "runtime-<sha256>"
    const std::string& Name() const { return fName; }
    uint64 UnpackedSize() const { return fUnpackedSize; }
    // The paths inside the runtime, in the archive's order.
    const std::vector<std::string>& Files() const { return fFiles; }

private:
    std::string fFolder;
    std::string fArchive;
    std::string fName;
    uint64 fUnpackedSize = 0;
    std::vector<std::string> fFiles;
};

// The libraries ldd reports for program ("name" -> "path"); an empty text
// on success, otherwise what went wrong (a library that is not found).
std::string LoaderDependencies(const std::string& program, std::vector<std::pair<std::string, std::string>>& found);
