#include <LibBitmap.h>

#include <Entry.h>
#include <FileIcon.h>
#include <Node.h>
#include <Path.h>

LibBitmap::LibBitmap(BRect frame, color_space space, bool acceptsViews, bool needsContiguous)
    : BBitmap(frame, space, acceptsViews, needsContiguous)
{
}

LibBitmap::LibBitmap(BRect frame, const void* bits, color_space space, bool acceptsViews, bool needsContiguous)
    : BBitmap(frame, space, acceptsViews, needsContiguous)
{
    if (bits == nullptr || !IsValid())
        return;
    // The source is always one byte per pixel, rows padded to four bytes.
    const int32 width = Bounds().IntegerWidth() + 1;
    const int32 height = Bounds().IntegerHeight() + 1;
    const int32 rowBytes = (width + 3) / 4 * 4;
    if (space == B_CMAP8 || space == B_GRAY8)
        ImportBits(bits, rowBytes * height, rowBytes, 0, space);
    else
        ImportBits(bits, rowBytes * height, rowBytes, 0, B_CMAP8);
}

LibBitmap::LibBitmap(const BMessage* archive)
    : BBitmap(archive)
{
}

LibBitmap::~LibBitmap() = default;

status_t LibBitmap::SetTo(BNode& node, const icon_size& size)
{
    return get_file_icon(node, size, this);
}

status_t LibBitmap::SetTo(const BEntry& entry, const icon_size& size)
{
    BPath path;
    const status_t status = entry.GetPath(&path);
    if (status != B_OK)
        return status;
    return SetTo(path.Path(), size);
}

status_t LibBitmap::SetTo(const char* path, const icon_size& size)
{
    return get_file_icon(path, size, this);
}

rgb_color lib_nearest_system_color(const rgb_color& color)
{
    return system_palette()[index_for_color(color)];
}

rgb_color lib_nearest_system_color(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
    return lib_nearest_system_color(make_color(red, green, blue, alpha));
}
