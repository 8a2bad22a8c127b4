// Readers of small typed resources: each looks up (type, id), checks the
// size and copies the value out. True when the resource exists with the
// required size (the string readers: when it exists); otherwise false with
// the output left as it was (the string readers empty it first).
#pragma once

#include <GraphicsDefs.h>
#include <Rect.h>
#include <Resources.h>
#include <SupportDefs.h>

// 'RGBC', 4 bytes: red, green, blue, alpha.
bool LibFindRGBResource(BResources& resources, const int32& id, rgb_color& color);
// 'RECT', 16 bytes: four 32-bit floats left, top, right, bottom.
bool LibFindRectResource(BResources& resources, const int32& id, BRect& rect);
// 'CSTR', any size: the text up to its NUL (or the resource's end) into
// text, which must have room for the resource's size plus one byte.
bool LibFindStringResource(BResources& resources, const int32& id, char* text);
// The same into a buffer of size bytes; a longer text is cut to fit.
bool LibFindStringResource(BResources& resources, const int32& id, char* text, size_t size);
// 'BYTE', 1 byte.
bool LibFindShortResource(BResources& resources, const int32& id, int8& value);
// 'LONG', 4 bytes.
bool LibFindLongResource(BResources& resources, const int32& id, int32& value);
// 'BOOL', 1 byte.
bool LibFindBoolResource(BResources& resources, const int32& id, bool& value);
