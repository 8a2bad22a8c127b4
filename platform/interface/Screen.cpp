#include <Screen.h>

#include <QGuiApplication>
#include <QScreen>

const screen_id B_MAIN_SCREEN_ID = {0};

namespace {

// Qt reports the bits a pixel uses; true colour shows as 24 (colour bits) or
// 32 (with alpha), both stored in 32-bit pixels as the platform's 32-bit
// colour space.
color_space ColorSpaceForDepth(int depth)
{
    switch (depth) {
        case 32:
        case 24:
            return B_RGB32;
        case 16:
            return B_RGB16;
        case 15:
            return B_RGB15;
        case 8:
            return B_CMAP8;
        case 1:
            return B_GRAY1;
        default:
            return B_NO_COLOR_SPACE;
    }
}

} // namespace

BScreen::BScreen(screen_id id)
    :
    fID(id),
    fValid(false),
    fFrame(),
    fColorSpace(B_NO_COLOR_SPACE)
{
    if (id.id != B_MAIN_SCREEN_ID.id || QGuiApplication::instance() == nullptr)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect geometry = screen->geometry();
    if (geometry.width() <= 0 || geometry.height() <= 0)
        return;
    fValid = true;
    fFrame = BRect(0, 0, float(geometry.width() - 1), float(geometry.height() - 1));
    fColorSpace = ColorSpaceForDepth(screen->depth());
}

bool BScreen::IsValid() const
{
    return fValid;
}

status_t BScreen::SetToNext()
{
    return B_ERROR;
}

screen_id BScreen::ID() const
{
    return fID;
}

BRect BScreen::Frame() const
{
    return fFrame;
}

color_space BScreen::ColorSpace() const
{
    return fColorSpace;
}
