// BTranslationUtils: reads an image file of any format Qt's image readers
// know (PNG, JPEG, GIF, BMP, ...) into a new B_RGBA32 bitmap.
#pragma once

class BBitmap;

class BTranslationUtils {
public:
    // The caller owns the bitmap; null when the file cannot be read as an
    // image.
    static BBitmap* GetBitmap(const char* path);
};
