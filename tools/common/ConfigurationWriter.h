// Turns a product description into the configuration message that an
// installer build carries, and each payload into the install item message
// that the installer's item list reads back.
#pragma once

#include "ProductDescription.h"

#include <string>

class BMessage;

// The install item message of one payload, in the field order the item
// list writes: "file_name", "file_type", "file_size" (data plus
// attributes), "file_creation", "file_modified", "file_accessed",
// "file_icon" (archived 16 x 16 icon), "groups" (each name followed by
// ";"), a second "file_size" (the listed size), then "install_meta" with
// the placement rules. Returns an empty text or what went wrong.
std::string WriteInstallItem(const ProductItem& item, BMessage& message);

// The whole configuration. deinstallerSize is the deinstaller program's
// size in bytes, or a negative value when the build carries none.
std::string WriteConfiguration(const ProductDescription& description, int64 deinstallerSize,
    BMessage& configuration);

// The archived about image: the picture scaled to 150 x 200 pixels.
std::string WriteAboutImage(const std::string& path, BMessage& archive);
