#include <InterfaceDefs.h>

#include "InputMessages.h"

#include <QGuiApplication>

#include <cmath>

rgb_color ui_color(color_which which)
{
    switch (which) {
        case B_PANEL_BACKGROUND_COLOR:
        case B_MENU_BACKGROUND_COLOR:
            return make_color(216, 216, 216);
        case B_WINDOW_TAB_COLOR:
            return make_color(255, 203, 0);
        case B_KEYBOARD_NAVIGATION_COLOR:
            return make_color(0, 0, 229);
        case B_DESKTOP_COLOR:
            return make_color(51, 102, 152);
        case B_MENU_SELECTION_BACKGROUND_COLOR:
            return make_color(152, 152, 152);
        case B_MENU_ITEM_TEXT_COLOR:
        case B_MENU_SELECTED_ITEM_TEXT_COLOR:
        case B_PANEL_TEXT_COLOR:
        case B_DOCUMENT_TEXT_COLOR:
        case B_CONTROL_TEXT_COLOR:
        case B_NAVIGATION_PULSE_COLOR:
        case B_SHADOW_COLOR:
        case B_TOOL_TIP_TEXT_COLOR:
        case B_WINDOW_TEXT_COLOR:
            return make_color(0, 0, 0);
        case B_DOCUMENT_BACKGROUND_COLOR:
        case B_SHINE_COLOR:
        case B_LIST_BACKGROUND_COLOR:
            return make_color(255, 255, 255);
        case B_CONTROL_BACKGROUND_COLOR:
            return make_color(222, 222, 222);
        case B_CONTROL_BORDER_COLOR:
            return make_color(172, 172, 172);
        case B_CONTROL_HIGHLIGHT_COLOR:
            return make_color(102, 152, 203);
        case B_TOOL_TIP_BACKGROUND_COLOR:
            return make_color(255, 255, 216);
        case B_WINDOW_INACTIVE_TAB_COLOR:
            return make_color(232, 232, 232);
        case B_WINDOW_INACTIVE_TEXT_COLOR:
            return make_color(80, 80, 80);
        case B_CONTROL_MARK_COLOR:
            return make_color(27, 82, 140);
        case B_LIST_SELECTED_BACKGROUND_COLOR:
            return make_color(190, 190, 190);
        case B_STATUS_BAR_COLOR:
            return make_color(50, 150, 255);
        case B_SUCCESS_COLOR:
            return make_color(46, 204, 64);
        case B_FAILURE_COLOR:
            return make_color(255, 65, 54);
    }
    return make_color(0, 0, 0);
}

namespace {

uint8 TintComponent(uint8 value, float tint)
{
    float result = tint < 1.0f ? 255.0f - (255.0f - float(value)) * tint : float(value) * (2.0f - tint);
    result = std::round(result);
    if (result < 0.0f)
        return 0;
    if (result > 255.0f)
        return 255;
    return uint8(result);
}

} // namespace

rgb_color tint_color(rgb_color color, float tint)
{
    return make_color(TintComponent(color.red, tint), TintComponent(color.green, tint),
        TintComponent(color.blue, tint), color.alpha);
}

namespace {

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
float Luminance(rgb_color colour)
{
    const auto linear = [](uint8 component) {
        const float value = float(component) / 255.0f;
        return value <= 0.03928f ? value / 12.92f : std::pow((value + 0.055f) / 1.055f, 2.4f);
    };
    return 0.2126f * linear(colour.red) + 0.7152f * linear(colour.green) + 0.0722f * linear(colour.blue);
}

} // namespace

float contrast_ratio(rgb_color a, rgb_color b)
{
    const float first = Luminance(a) + 0.05f;
    const float second = Luminance(b) + 0.05f;
    return first > second ? first / second : second / first;
}

rgb_color list_selection_color(rgb_color background)
{
    const float kMinimumContrast = 3.0f;
    rgb_color selection = ui_color(B_LIST_SELECTED_BACKGROUND_COLOR);
    // On a dark background the selection is lightened instead.
    const bool darken = Luminance(background) >= 0.18f;
    for (int step = 0; step < 16 && contrast_ratio(selection, background) < kMinimumContrast; step++)
        selection = tint_color(selection, darken ? B_DARKEN_1_TINT : B_LIGHTEN_1_TINT);
    return selection;
}

uint32 modifiers()
{
    if (QGuiApplication::instance() == nullptr)
        return 0;
    return BPrivate::ModifiersOf(QGuiApplication::queryKeyboardModifiers());
}
