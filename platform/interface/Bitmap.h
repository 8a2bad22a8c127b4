// An off-screen picture in one of the platform's colour spaces, with the
// platform's archived form (a message with "class", "_frame", "_cspace",
// "_bmflags", "_rowbytes" and "_data").
#pragma once

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <vector>

class BMessage;

enum { B_ANY_BYTES_PER_ROW = -1 };

class BBitmap {
public:
    BBitmap(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow = B_ANY_BYTES_PER_ROW);
    BBitmap(BRect bounds, color_space space, bool acceptsViews = false, bool needsContiguous = false);
    BBitmap(const BBitmap& source);
    // Rebuilds a bitmap from its archived form. A damaged archive leaves the
    // bitmap invalid (InitCheck() reports why); pixel data whose size does
    // not match the frame is ignored, the pixels stay cleared.
    explicit BBitmap(const BMessage* archive);
    virtual ~BBitmap();

    BBitmap& operator=(const BBitmap& source);

    status_t InitCheck() const { return fInitStatus; }
    bool IsValid() const { return fInitStatus == B_OK; }

    BRect Bounds() const { return fBounds; }
    color_space ColorSpace() const { return fColorSpace; }
    uint32 Flags() const { return fFlags; }
    int32 BytesPerRow() const { return fBytesPerRow; }
    int32 BitsLength() const { return int32(fBits.size()); }
    void* Bits() { return fBits.empty() ? nullptr : fBits.data(); }
    const void* Bits() const { return fBits.empty() ? nullptr : fBits.data(); }

    // Copies raw pixels in the bitmap's own colour space, starting at a byte
    // offset; at most the bitmap's length is written.
    void SetBits(const void* data, int32 length, int32 offset, color_space space);

    // Copies pixels of another layout into this bitmap, converting the colour
    // space; rows of bytesPerRow bytes. Returns B_BAD_VALUE for an unknown
    // space or a length that does not hold whole rows.
    status_t ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset, color_space space);
    // Converts another bitmap of the same size into this one's colour space.
    status_t ImportBits(const BBitmap* source);

    // The colour of one pixel (converted from the bitmap's colour space);
    // transparent outside the bounds.
    rgb_color ColorAt(int32 x, int32 y) const;
    // Sets one pixel, converting to the bitmap's colour space.
    void SetColorAt(int32 x, int32 y, const rgb_color& color);

    status_t Archive(BMessage* archive, bool deep = true) const;

private:
    void Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow);

    status_t fInitStatus = B_NO_INIT;
    BRect fBounds;
    color_space fColorSpace = B_NO_COLOR_SPACE;
    uint32 fFlags = 0;
    int32 fBytesPerRow = 0;
    std::vector<uint8> fBits;
};

// Reads an image file (PNG, JPEG and the other formats the image library
// knows) into a new B_RGBA32 bitmap; null when the file cannot be read.
// The caller owns the result.
BBitmap* read_bitmap_file(const char* path);

// A new bitmap of the given size and colour space holding the source scaled
// smoothly to fit (the aspect ratio is kept and the rest left transparent
// when keepAspect is true). The caller owns the result; null on failure.
BBitmap* scale_bitmap(const BBitmap* source, int32 width, int32 height, color_space space, bool keepAspect);
