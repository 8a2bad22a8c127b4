#include "LibResourceReaders.h"

#include <cstring>

namespace {

// The resource's bytes when it exists with exactly size bytes.
const void* Fixed(BResources& resources, type_code type, int32 id, size_t size)
{
    size_t found = 0;
    const void* data = resources.LoadResource(type, id, &found);
    return data != nullptr && found == size ? data : nullptr;
}

} // namespace

bool LibFindRGBResource(BResources& resources, const int32& id, rgb_color& color)
{
    const uint8* data = static_cast<const uint8*>(Fixed(resources, B_RGB_COLOR_TYPE, id, 4));
    if (data == nullptr)
        return false;
    color.red = data[0];
    color.green = data[1];
    color.blue = data[2];
    color.alpha = data[3];
    return true;
}

bool LibFindRectResource(BResources& resources, const int32& id, BRect& rect)
{
    const void* data = Fixed(resources, B_RECT_TYPE, id, 16);
    if (data == nullptr)
        return false;
    float values[4];
    memcpy(values, data, sizeof(values));
    rect.Set(values[0], values[1], values[2], values[3]);
    return true;
}

bool LibFindStringResource(BResources& resources, const int32& id, char* text, size_t size)
{
    if (text == nullptr || size == 0)
        return false;
    text[0] = '\0';
    size_t found = 0;
    const char* data = static_cast<const char*>(resources.LoadResource(B_STRING_TYPE, id, &found));
    if (data == nullptr)
        return false;
    size_t length = strnlen(data, found);
    if (length > size - 1)
        length = size - 1;
    memcpy(text, data, length);
    text[length] = '\0';
    return true;
}

bool LibFindStringResource(BResources& resources, const int32& id, char* text)
{
    if (text == nullptr)
        return false;
    size_t size = 0;
    text[0] = '\0';
    if (!resources.GetResourceInfo(B_STRING_TYPE, id, static_cast<const char**>(nullptr), &size))
        return false;
    return LibFindStringResource(resources, id, text, size + 1);
}

bool LibFindShortResource(BResources& resources, const int32& id, int8& value)
{
    const void* data = Fixed(resources, B_INT8_TYPE, id, 1);
    if (data == nullptr)
        return false;
    memcpy(&value, data, 1);
    return true;
}

bool LibFindLongResource(BResources& resources, const int32& id, int32& value)
{
    const void* data = Fixed(resources, B_INT32_TYPE, id, 4);
    if (data == nullptr)
        return false;
    memcpy(&value, data, 4);
    return true;
}

bool LibFindBoolResource(BResources& resources, const int32& id, bool& value)
{
    const uint8* data = static_cast<const uint8*>(Fixed(resources, B_BOOL_TYPE, id, 1));
    if (data == nullptr)
        return false;
    value = data[0] != 0;
    return true;
}
