// LibBitmap: a bitmap that can be filled with a file's desktop icon or with
// raw 8-bit pixel data, and the free functions that map colours onto the
// system palette. Pictures from bitmaps: LibBitmapToPicture.h.
#pragma once

#include <Bitmap.h>
#include <GraphicsDefs.h>

class BEntry;
class BMessage;
class BNode;

class LibBitmap : public BBitmap {
public:
    LibBitmap(BRect frame, color_space space, bool acceptsViews = false, bool needsContiguous = false);
    // As above, then copies the pixels: ((width + 3) / 4 * 4) * height
    // bytes, one byte per pixel with rows padded to four bytes (the layout
    // of 8-bit icon data), converted when the bitmap's space differs.
    // A null pointer leaves the pixels cleared.
    LibBitmap(BRect frame, const void* bits, color_space space, bool acceptsViews = false,
        bool needsContiguous = false);
    // Rebuilds a bitmap from its archived form ("class", "_frame",
    // "_cspace", "_bmflags", "_rowbytes", "_data").
    explicit LibBitmap(const BMessage* archive);
    ~LibBitmap() override;

    // Fills the bitmap with the node's desktop icon of that size (the
    // node's own icon, else the icon theme's icon for its type, else a
    // generic one). The bitmap must be size x size pixels; when the icon
    // cannot be read the bitmap keeps its previous pixels and the error is
    // returned.
    status_t SetTo(BNode& node, const icon_size& size);
    status_t SetTo(const BEntry& entry, const icon_size& size);
    status_t SetTo(const char* path, const icon_size& size);
};

// The system palette entry that the screen's index-for-colour lookup picks
// for the colour (the transparent colour gives entry 255).
rgb_color lib_nearest_system_color(const rgb_color& color);
rgb_color lib_nearest_system_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
