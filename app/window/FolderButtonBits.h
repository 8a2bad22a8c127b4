// FolderButtonBits: the installer window's folder button pictures, drawn as
// 24 x 24 colour-mapped bitmaps: a raised button with a yellow folder, the
// same button pressed, and a greyed one for when it is disabled.
#pragma once

#include <SupportDefs.h>

#include <array>

class FolderButtonBits {
public:
    static constexpr int8 kSize = 24;

    FolderButtonBits();

    const uint8* Up() const { return fUp.data(); }
    const uint8* Down() const { return fDown.data(); }
    const uint8* DisabledUp() const { return fDisabledUp.data(); }

private:
    using Bits = std::array<uint8, kSize * kSize>;

    // Draws the button's face and edges; pressed swaps the light and the
    // shadow and darkens the face.
    static void DrawFrame(Bits& bits, const bool& pressed, const uint8& face);
    // Draws the folder with its top-left corner at (left, top).
    static void DrawFolder(Bits& bits, const int& left, const int& top, const uint8& body, const uint8& tab,
        const uint8& outline);

    Bits fUp;
    Bits fDown;
    Bits fDisabledUp;
};
