// The oldest C library that installer builds start on. A program that needs
// a newer symbol version would fail to start on the older desktops builds
// promise to run on, with a loader message the user cannot act on, so the
// build tool refuses to pack it.
#pragma once

#include "ElfImage.h"

#include <string>
#include <vector>

// glibc 2.34: Debian 12, Ubuntu 22.04, Fedora 35 and RHEL 9 and later.
constexpr int kGlibcFloorMajor = 2;
constexpr int kGlibcFloorMinor = 34;

// The numbers of a version name "GLIBC_2.34" ({2, 34}); empty when the
// name is not a numbered C library version.
std::vector<int> GlibcVersionNumbers(const std::string& versionName);

// An empty text when every C library version the image needs is at or below
// the floor (glibc 2.floorMinor); otherwise one line naming the newest
// version needed, the symbol that needs it and the floor.
std::string CheckGlibcFloor(const ElfImage& image, int floorMinor = kGlibcFloorMinor);
