// Pictures from bitmaps, for picture buttons: the bitmap drawn at the
// origin, its transparent pixels left undrawn.
#pragma once

#include <GraphicsDefs.h>
#include <Rect.h>

class BBitmap;
class BPicture;

// A new picture of the bitmap; null for a missing or invalid bitmap. The
// caller owns the result.
BPicture* LibBitmapToPicture(BBitmap* bitmap);
// A new picture of a bitmap of that frame and colour space made from bits
// (as many bytes as such a bitmap holds, rows padded to four bytes); null
// when the bitmap cannot be made or bits is null.
BPicture* LibBitmapToPicture(BRect frame, const void* bits, const color_space& space);
