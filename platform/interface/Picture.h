// BPicture: a recorded sequence of drawing, replayed wherever a view draws
// it (picture buttons draw their states from pictures). The recording is
// kept in Qt's picture form; only the platform layer draws or records it.
#pragma once

#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

class BBitmap;
class PictureData;

class BPicture {
public:
    BPicture();
    BPicture(const BPicture& other);
    BPicture& operator=(const BPicture& other);
    virtual ~BPicture();

    // The area the recorded drawing covers, in the coordinates it was
    // recorded in; an invalid rectangle for an empty picture (extension).
    BRect Bounds() const;
    // True when nothing was recorded (extension).
    bool IsEmpty() const;

    // The recording, for the platform's drawing code.
    PictureData& Data() { return *fData; }
    const PictureData& Data() const { return *fData; }

private:
    std::unique_ptr<PictureData> fData;
};

// A new picture that draws the bitmap with its top left corner at the
// origin, transparent pixels left undrawn (extension: the platform records
// this through a view drawing into an off-screen bitmap). Null for a
// missing or invalid bitmap; the caller owns the result.
BPicture* picture_from_bitmap(const BBitmap* bitmap);
