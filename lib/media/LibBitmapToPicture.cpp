#include <LibBitmapToPicture.h>

#include <Bitmap.h>
#include <Picture.h>

BPicture* LibBitmapToPicture(BBitmap* bitmap)
{
    return picture_from_bitmap(bitmap);
}

BPicture* LibBitmapToPicture(BRect frame, const void* bits, const color_space& space)
{
    if (bits == nullptr)
        return nullptr;
    BBitmap bitmap(frame, space);
    if (!bitmap.IsValid())
        return nullptr;
    bitmap.SetBits(bits, bitmap.BitsLength(), 0, space);
    return picture_from_bitmap(&bitmap);
}
