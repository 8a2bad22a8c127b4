#include "FolderButtonBits.h"

#include <GraphicsDefs.h>

namespace {

constexpr int kSize = FolderButtonBits::kSize;

void Put(std::array<uint8, kSize * kSize>& bits, const int& x, const int& y, const uint8& index)
{
    if (x >= 0 && x < kSize && y >= 0 && y < kSize)
        bits[size_t(y * kSize + x)] = index;
}

} // namespace

FolderButtonBits::FolderButtonBits()
{
    const uint8 face = index_for_color(216, 216, 216);
    const uint8 pressedFace = index_for_color(184, 184, 184);
    const uint8 yellow = index_for_color(255, 203, 0);
    const uint8 darkYellow = index_for_color(203, 152, 0);
    const uint8 brown = index_for_color(102, 51, 0);
    const uint8 lightGrey = index_for_color(232, 232, 232);
    const uint8 midGrey = index_for_color(168, 168, 168);
    const uint8 darkGrey = index_for_color(128, 128, 128);

    DrawFrame(fUp, false, face);
    DrawFolder(fUp, 5, 6, yellow, darkYellow, brown);
    DrawFrame(fDown, true, pressedFace);
    DrawFolder(fDown, 6, 7, yellow, darkYellow, brown);
    DrawFrame(fDisabledUp, false, face);
    DrawFolder(fDisabledUp, 5, 6, lightGrey, midGrey, darkGrey);
}

void FolderButtonBits::DrawFrame(Bits& bits, const bool& pressed, const uint8& face)
{
    const uint8 white = index_for_color(255, 255, 255);
    const uint8 shadow = index_for_color(128, 128, 128);
    const uint8 black = index_for_color(0, 0, 0);
    bits.fill(face);
    const uint8 light = pressed ? shadow : white;
    const uint8 dark = pressed ? white : shadow;
    for (int i = 0; i < kSize; i++) {
        Put(bits, i, 0, black);
        Put(bits, i, kSize - 1, black);
        Put(bits, 0, i, black);
        Put(bits, kSize - 1, i, black);
    }
    for (int i = 1; i < kSize - 1; i++) {
        Put(bits, i, 1, light);
        Put(bits, 1, i, light);
        Put(bits, i, kSize - 2, dark);
        Put(bits, kSize - 2, i, dark);
    }
}

void FolderButtonBits::DrawFolder(Bits& bits, const int& left, const int& top, const uint8& body, const uint8& tab,
    const uint8& outline)
{
    // The tab: a strip over the left half of the folder's back.
    for (int x = left + 1; x < left + 6; x++)
        Put(bits, x, top, outline);
    for (int x = left + 1; x < left + 6; x++)
        Put(bits, x, top + 1, tab);
    Put(bits, left, top + 1, outline);
    Put(bits, left + 6, top + 1, outline);
    // The body: 13 x 9, outlined.
    const int width = 13;
    const int height = 9;
    for (int y = top + 2; y < top + 2 + height; y++) {
        for (int x = left; x < left + width; x++) {
            const bool edge = y == top + 2 || y == top + 1 + height || x == left || x == left + width - 1;
            Put(bits, x, y, edge ? outline : body);
        }
    }
}
