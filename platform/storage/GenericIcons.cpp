// Generic desktop icons for entries without an icon of their own, drawn in
// the platform's 8-bit palette.
#include <NodeInfo.h>

#include <cstring>

namespace {

// Palette indices.
constexpr uint8 kTransparent = 255;
constexpr uint8 kBlack = 0;
constexpr uint8 kDarkGray = 12;   // (96, 96, 96)
constexpr uint8 kLightGray = 26;  // (208, 208, 208)
constexpr uint8 kWhite = 63;
constexpr uint8 kFolderBody = 249; // (255, 203, 0)
constexpr uint8 kFolderTab = 248;  // (255, 203, 51)
constexpr uint8 kBlue = 94;        // (0, 102, 255)
constexpr uint8 kLightBlue = 114;  // (51, 203, 255)

struct Canvas {
    uint8 pixels[32 * 32];

    Canvas() { std::memset(pixels, kTransparent, sizeof(pixels)); }

    void Fill(int left, int top, int right, int bottom, uint8 color)
    {
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                if (x >= 0 && x < 32 && y >= 0 && y < 32)
                    pixels[y * 32 + x] = color;
            }
        }
    }

    void Frame(int left, int top, int right, int bottom, uint8 color)
    {
        Fill(left, top, right, top, color);
        Fill(left, bottom, right, bottom, color);
        Fill(left, top, left, bottom, color);
        Fill(right, top, right, bottom, color);
    }
};

void DrawDocument(Canvas& canvas)
{
    canvas.Fill(6, 2, 25, 29, kWhite);
    canvas.Frame(6, 2, 25, 29, kBlack);
    // Folded corner.
    for (int i = 0; i < 6; ++i) {
        canvas.Fill(20 + i, 2, 25, 2 + i, kTransparent);
        canvas.Fill(20, 2 + i, 20 + i, 2 + i, kLightGray);
        canvas.Fill(20 + i, 2 + i, 20 + i, 2 + i, kBlack);
    }
    canvas.Fill(20, 2, 20, 8, kBlack);
    canvas.Fill(20, 8, 25, 8, kBlack);
    for (int line = 12; line <= 24; line += 3)
        canvas.Fill(10, line, 21, line, kDarkGray);
}

void DrawFolder(Canvas& canvas)
{
    canvas.Fill(3, 6, 13, 9, kFolderTab);
    canvas.Frame(3, 6, 13, 9, kBlack);
    canvas.Fill(2, 9, 29, 27, kFolderBody);
    canvas.Frame(2, 9, 29, 27, kBlack);
    canvas.Fill(3, 10, 28, 10, kFolderTab);
}

void DrawApplication(Canvas& canvas)
{
    // A diamond.
    for (int y = 0; y < 28; ++y) {
        int half = y < 14 ? y : 27 - y;
        canvas.Fill(16 - half, y + 2, 15 + half, y + 2, kBlue);
        canvas.Fill(16 - half, y + 2, 16 - half, y + 2, kBlack);
        canvas.Fill(15 + half, y + 2, 15 + half, y + 2, kBlack);
    }
    canvas.Fill(12, 12, 19, 19, kLightBlue);
}

void DrawLinkArrow(Canvas& canvas)
{
    canvas.Fill(2, 20, 13, 30, kWhite);
    canvas.Frame(2, 20, 13, 30, kBlack);
    canvas.Fill(5, 27, 10, 27, kBlack);
    canvas.Fill(10, 23, 10, 27, kBlack);
    canvas.Fill(8, 24, 12, 24, kBlack);
    canvas.Fill(9, 23, 11, 23, kBlack);
}

} // namespace

status_t get_generic_icon(generic_icon_kind kind, uint8* data, int32 size)
{
    if (data == nullptr || (size != 32 && size != 16))
        return B_BAD_VALUE;
    Canvas canvas;
    switch (kind) {
    case B_GENERIC_DOCUMENT_ICON: DrawDocument(canvas); break;
    case B_GENERIC_FOLDER_ICON: DrawFolder(canvas); break;
    case B_GENERIC_APPLICATION_ICON: DrawApplication(canvas); break;
    case B_GENERIC_SYMLINK_ICON:
        DrawDocument(canvas);
        DrawLinkArrow(canvas);
        break;
    default: return B_BAD_VALUE;
    }
    if (size == 32) {
        std::memcpy(data, canvas.pixels, sizeof(canvas.pixels));
        return B_OK;
    }
    // The small icon: every second pixel, preferring an opaque one of each
    // 2x2 block so that thin outlines survive.
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            uint8 chosen = kTransparent;
            const int offsets[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
            for (const auto& offset : offsets) {
                uint8 pixel = canvas.pixels[(y * 2 + offset[1]) * 32 + x * 2 + offset[0]];
                if (pixel != kTransparent) {
                    chosen = pixel;
                    break;
                }
            }
            data[y * 16 + x] = chosen;
        }
    }
    return B_OK;
}
