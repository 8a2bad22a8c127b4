// Conversion between the platform's bitmaps and Qt images, for the parts of
// the interface kit that draw with Qt. Only platform code includes this.
#pragma once

#include <Bitmap.h>

#include <QImage>

// The bitmap as a non-premultiplied ARGB image of the same size. Palette
// index 255 of B_CMAP8 and alpha 0 of the alpha spaces come out transparent;
// spaces without alpha come out opaque. A null image for an invalid bitmap.
QImage bitmap_to_image(const BBitmap& bitmap);

// Copies an image into an existing bitmap, converting to the bitmap's colour
// space pixel by pixel (B_CMAP8 through the system palette, transparent
// pixels to index 255). The image is not scaled: only the area both share,
// from the top left corner, is written. B_BAD_VALUE for a null image or an
// invalid bitmap.
status_t image_to_bitmap(const QImage& image, BBitmap* bitmap);
