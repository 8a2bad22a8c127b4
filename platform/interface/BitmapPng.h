// A bitmap as a PNG image (with its transparency), for handing pictures to
// programs outside the platform, such as icons for the desktop's icon theme.
#pragma once

#include <SupportDefs.h>

#include <string>

class BBitmap;

// Encodes bitmap, whatever its colour space, as PNG into data. B_BAD_VALUE
// for a missing or invalid bitmap, B_ERROR when encoding fails.
status_t encode_bitmap_png(const BBitmap* bitmap, std::string* data);

// Reads a PNG (or another image format the image library knows) from data
// and tells its size; false when it cannot be read.
bool decode_image_size(const std::string& data, int32* width, int32* height);
