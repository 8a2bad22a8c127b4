// Colours, colour spaces and the system palette of the platform's
// interface kit.
#pragma once

#include <SupportDefs.h>

struct rgb_color {
    uint8 red;
    uint8 green;
    uint8 blue;
    uint8 alpha;

    bool operator==(const rgb_color& other) const
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }
    bool operator!=(const rgb_color& other) const { return !(*this == other); }
};

inline rgb_color make_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
    return rgb_color{red, green, blue, alpha};
}

// A fixed underlying type: archives and attributes may carry any 32-bit
// value, which must be representable (and then refused) without harm.
enum color_space : uint32 {
    B_NO_COLOR_SPACE = 0x0000,
    B_GRAY1 = 0x0001,
    B_GRAY8 = 0x0002,
    B_RGB24 = 0x0003,
    B_CMAP8 = 0x0004,
    B_RGB16 = 0x0005,
    B_RGB32 = 0x0008,
    B_RGB15 = 0x0010,
    B_RGB24_BIG = 0x1003,
    B_RGB16_BIG = 0x1005,
    B_RGB32_BIG = 0x1008,
    B_RGB15_BIG = 0x1010,
    B_RGBA32 = 0x2008,
    B_RGBA15 = 0x2010,
    B_RGBA32_BIG = 0x3008,
    B_RGBA15_BIG = 0x3010,

    B_MONOCHROME_1_BIT = B_GRAY1,
    B_GRAYSCALE_8_BIT = B_GRAY8,
    B_COLOR_8_BIT = B_CMAP8,
    B_RGB_32_BIT = B_RGB32,
    B_RGB_16_BIT = B_RGB15,
    B_BIG_RGB_32_BIT = B_RGB32_BIG,
    B_BIG_RGB_16_BIT = B_RGB15_BIG
};

enum {
    B_BITMAP_CLEAR_TO_WHITE = 0x001,
    B_BITMAP_ACCEPTS_VIEWS = 0x002,
    B_BITMAP_IS_AREA = 0x004,
    B_BITMAP_IS_LOCKED = 0x008 | B_BITMAP_IS_AREA,
    B_BITMAP_IS_CONTIGUOUS = 0x010 | B_BITMAP_IS_LOCKED,
    B_BITMAP_IS_OFFSCREEN = 0x020,
    B_BITMAP_WILL_OVERLAY = 0x040 | B_BITMAP_IS_OFFSCREEN,
    B_BITMAP_RESERVE_OVERLAY_CHANNEL = 0x080,
    B_BITMAP_NO_SERVER_LINK = 0x100
};

constexpr uint8 B_TRANSPARENT_MAGIC_CMAP8 = 0xff;
constexpr uint8 B_TRANSPARENT_8_BIT = 0xff;
constexpr rgb_color B_TRANSPARENT_COLOR = {0x77, 0x74, 0x77, 0x00};
constexpr rgb_color B_TRANSPARENT_32_BIT = B_TRANSPARENT_COLOR;
constexpr uint32 B_TRANSPARENT_MAGIC_RGBA32 = 0x00777477;

enum icon_size {
    B_LARGE_ICON = 32,
    B_MINI_ICON = 16
};

// The 256 colours of the system palette (index 255 is the transparent index).
const rgb_color* system_palette();

// The palette index the screen picks for a colour: the exact transparent
// colour gives 255, any other colour the nearest palette entry.
uint8 index_for_color(const rgb_color& color);
uint8 index_for_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);

// Bytes of one pixel row for a colour space and width, rounded up to a
// multiple of four as the platform lays out bitmaps; 0 for an unknown space.
int32 get_bytes_per_row(color_space space, int32 width);

// Bits per pixel of a colour space; 0 for an unknown space.
int32 get_bits_per_pixel(color_space space);
