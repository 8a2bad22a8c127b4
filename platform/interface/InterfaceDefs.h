// Constants and small helpers shared by the interface kit: system colours
// and tints, alignment and border styles, keys and modifiers, resizing
// modes, view flags, drawing modes and patterns.
#pragma once

#include <GraphicsDefs.h>
#include <SupportDefs.h>

// --- System colours -----------------------------------------------------------

enum color_which {
    B_PANEL_BACKGROUND_COLOR = 1,
    B_MENU_BACKGROUND_COLOR = 2,
    B_WINDOW_TAB_COLOR = 3,
    B_KEYBOARD_NAVIGATION_COLOR = 4,
    B_DESKTOP_COLOR = 5,
    B_MENU_SELECTION_BACKGROUND_COLOR = 6,
    B_MENU_ITEM_TEXT_COLOR = 7,
    B_MENU_SELECTED_ITEM_TEXT_COLOR = 8,
    B_PANEL_TEXT_COLOR = 10,
    B_DOCUMENT_BACKGROUND_COLOR = 11,
    B_DOCUMENT_TEXT_COLOR = 12,
    B_CONTROL_BACKGROUND_COLOR = 13,
    B_CONTROL_TEXT_COLOR = 14,
    B_CONTROL_BORDER_COLOR = 15,
    B_CONTROL_HIGHLIGHT_COLOR = 16,
    B_NAVIGATION_PULSE_COLOR = 17,
    B_SHINE_COLOR = 18,
    B_SHADOW_COLOR = 19,
    B_TOOL_TIP_BACKGROUND_COLOR = 20,
    B_TOOL_TIP_TEXT_COLOR = 21,
    B_WINDOW_TEXT_COLOR = 22,
    B_WINDOW_INACTIVE_TAB_COLOR = 23,
    B_WINDOW_INACTIVE_TEXT_COLOR = 24,
    B_CONTROL_MARK_COLOR = 27,
    B_LIST_BACKGROUND_COLOR = 28,
    B_LIST_SELECTED_BACKGROUND_COLOR = 29,
    B_STATUS_BAR_COLOR = 37,
    B_SUCCESS_COLOR = 100,
    B_FAILURE_COLOR = 101
};

// The colour of a system colour constant; black for an unknown one.
rgb_color ui_color(color_which which);

// Tints applied to a colour with tint_color(); the classic results for
// grey 216 are given beside each.
constexpr float B_LIGHTEN_MAX_TINT = 0.0f;   // 255
constexpr float B_LIGHTEN_2_TINT = 0.385f;   // 240
constexpr float B_LIGHTEN_1_TINT = 0.590f;   // 232
constexpr float B_NO_TINT = 1.0f;            // 216
constexpr float B_DARKEN_1_TINT = 1.147f;    // 184
constexpr float B_DARKEN_2_TINT = 1.295f;    // 152
constexpr float B_DARKEN_3_TINT = 1.407f;    // 128
constexpr float B_DARKEN_4_TINT = 1.555f;    // 96
constexpr float B_DARKEN_MAX_TINT = 2.0f;    // 0
constexpr float B_DISABLED_LABEL_TINT = B_DARKEN_3_TINT;
constexpr float B_HIGHLIGHT_BACKGROUND_TINT = B_DARKEN_2_TINT;
constexpr float B_DISABLED_MARK_TINT = B_LIGHTEN_2_TINT;

// Lightens (tint < 1) or darkens (tint > 1) each of red, green and blue;
// alpha is kept. Rounds to the nearest value, so grey 216 gives the
// classic table above.
rgb_color tint_color(rgb_color color, float tint);

// How far apart two colours stand for the eye: the ratio of their relative
// luminances (each plus 0.05), from 1 (equal) to 21 (black on white).
float contrast_ratio(rgb_color a, rgb_color b);

// The background of a selected row in a list drawn on background: the
// list selection colour (B_LIST_SELECTED_BACKGROUND_COLOR), darkened step
// by step until it stands at least 3:1 against background so that the
// selection can be told apart; lightened instead on a dark background.
rgb_color list_selection_color(rgb_color background);

// --- Layout enumerations ------------------------------------------------------

enum alignment {
    B_ALIGN_LEFT = 0,
    B_ALIGN_RIGHT = 1,
    B_ALIGN_CENTER = 2
};

enum border_style {
    B_PLAIN_BORDER = 0,
    B_FANCY_BORDER = 1,
    B_NO_BORDER = 2
};

enum orientation {
    B_HORIZONTAL = 0,
    B_VERTICAL = 1
};

// --- Keys and modifiers -------------------------------------------------------

enum {
    B_BACKSPACE = 0x08,
    B_RETURN = 0x0a,
    B_ENTER = 0x0a,
    B_SPACE = 0x20,
    B_TAB = 0x09,
    B_ESCAPE = 0x1b,
    B_LEFT_ARROW = 0x1c,
    B_RIGHT_ARROW = 0x1d,
    B_UP_ARROW = 0x1e,
    B_DOWN_ARROW = 0x1f,
    B_INSERT = 0x05,
    B_DELETE = 0x7f,
    B_HOME = 0x01,
    B_END = 0x04,
    B_PAGE_UP = 0x0b,
    B_PAGE_DOWN = 0x0c,
    B_FUNCTION_KEY = 0x10
};

// Raw key codes that the "key" field of a key message holds when the first
// byte is B_FUNCTION_KEY.
enum {
    B_F1_KEY = 0x02,
    B_F2_KEY = 0x03,
    B_F3_KEY = 0x04,
    B_F4_KEY = 0x05,
    B_F5_KEY = 0x06,
    B_F6_KEY = 0x07,
    B_F7_KEY = 0x08,
    B_F8_KEY = 0x09,
    B_F9_KEY = 0x0a,
    B_F10_KEY = 0x0b,
    B_F11_KEY = 0x0c,
    B_F12_KEY = 0x0d,
    B_PRINT_KEY = 0x0e,
    B_SCROLL_KEY = 0x0f,
    B_PAUSE_KEY = 0x10
};

// On this system the command key is Ctrl and the option key is Alt; the
// control key stands for the Super (Meta) key.
enum {
    B_SHIFT_KEY = 0x00000001,
    B_COMMAND_KEY = 0x00000002,
    B_CONTROL_KEY = 0x00000004,
    B_CAPS_LOCK = 0x00000008,
    B_SCROLL_LOCK = 0x00000010,
    B_NUM_LOCK = 0x00000020,
    B_OPTION_KEY = 0x00000040,
    B_MENU_KEY = 0x00000080,
    B_LEFT_SHIFT_KEY = 0x00000100,
    B_RIGHT_SHIFT_KEY = 0x00000200,
    B_LEFT_COMMAND_KEY = 0x00000400,
    B_RIGHT_COMMAND_KEY = 0x00000800,
    B_LEFT_CONTROL_KEY = 0x00001000,
    B_RIGHT_CONTROL_KEY = 0x00002000,
    B_LEFT_OPTION_KEY = 0x00004000,
    B_RIGHT_OPTION_KEY = 0x00008000
};

// The modifier keys held now (0 without a display).
uint32 modifiers();

// --- Mouse --------------------------------------------------------------------

enum {
    B_PRIMARY_MOUSE_BUTTON = 0x01,
    B_SECONDARY_MOUSE_BUTTON = 0x02,
    B_TERTIARY_MOUSE_BUTTON = 0x04
};

enum {
    B_ENTERED_VIEW = 0,
    B_INSIDE_VIEW = 1,
    B_EXITED_VIEW = 2,
    B_OUTSIDE_VIEW = 3
};

// --- Resizing modes: which parent edge each of the view's edges follows ------

constexpr uint32 _rule_(uint32 top, uint32 left, uint32 bottom, uint32 right)
{
    return (top << 12) | (left << 8) | (bottom << 4) | right;
}

enum {
    _VIEW_TOP_ = 1,
    _VIEW_LEFT_ = 2,
    _VIEW_BOTTOM_ = 3,
    _VIEW_RIGHT_ = 4,
    _VIEW_CENTER_ = 5
};

enum {
    B_FOLLOW_NONE = 0,
    B_FOLLOW_ALL_SIDES = 0x1234,
    B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
    B_FOLLOW_LEFT = 0x0202,
    B_FOLLOW_RIGHT = 0x0404,
    B_FOLLOW_LEFT_RIGHT = 0x0204,
    B_FOLLOW_H_CENTER = 0x0505,
    B_FOLLOW_TOP = 0x1010,
    B_FOLLOW_BOTTOM = 0x3030,
    B_FOLLOW_TOP_BOTTOM = 0x1030,
    B_FOLLOW_V_CENTER = 0x5050
};

// --- View flags ---------------------------------------------------------------

enum {
    B_FULL_UPDATE_ON_RESIZE = 0x80000000,
    B_WILL_DRAW = 0x20000000,
    B_PULSE_NEEDED = 0x10000000,
    B_NAVIGABLE_JUMP = 0x08000000,
    B_FRAME_EVENTS = 0x04000000,
    B_NAVIGABLE = 0x02000000,
    B_SUBPIXEL_PRECISE = 0x01000000,
    B_DRAW_ON_CHILDREN = 0x00800000,
    B_INPUT_METHOD_AWARE = 0x00400000
};

// --- Drawing ------------------------------------------------------------------

enum drawing_mode {
    B_OP_COPY = 0,
    B_OP_OVER = 1,
    B_OP_ERASE = 2,
    B_OP_INVERT = 3,
    B_OP_ADD = 4,
    B_OP_SUBTRACT = 5,
    B_OP_BLEND = 6,
    B_OP_MIN = 7,
    B_OP_MAX = 8,
    B_OP_SELECT = 9,
    B_OP_ALPHA = 10
};

// An 8 x 8 pattern, one byte per row, the highest bit leftmost: set bits
// draw in the high colour, clear bits in the low colour.
struct pattern {
    uint8 data[8];

    bool operator==(const pattern& other) const
    {
        for (int i = 0; i < 8; i++) {
            if (data[i] != other.data[i])
                return false;
        }
        return true;
    }
    bool operator!=(const pattern& other) const { return !(*this == other); }
};

constexpr pattern B_SOLID_HIGH = {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
constexpr pattern B_SOLID_LOW = {{0, 0, 0, 0, 0, 0, 0, 0}};
constexpr pattern B_MIXED_COLORS = {{0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}};

// Which parts of a font SetFont() takes over.
enum {
    B_FONT_FAMILY_AND_STYLE = 0x0001,
    B_FONT_SIZE = 0x0002,
    B_FONT_SHEAR = 0x0004,
    B_FONT_ROTATION = 0x0008,
    B_FONT_SPACING = 0x0010,
    B_FONT_ENCODING = 0x0020,
    B_FONT_FACE = 0x0040,
    B_FONT_FLAGS = 0x0080,
    B_FONT_ALL = 0x00ff
};

// Messages of the interface kit that code may test for.
enum {
    B_WINDOW_RESIZED = '_WRS',
    B_WINDOW_MOVED = '_WMV',
    B_VIEW_RESIZED = '_VRS',
    B_VIEW_MOVED = '_VMV',
    B_KEY_UP = '_KYU',
    B_MODIFIERS_CHANGED = '_MCH',
    B_WORKSPACES_CHANGED = '_WCG',
    B_SCREEN_CHANGED = '_SCH',
    B_MINIMIZE = '_WMN',
    B_ZOOM = '_WZM'
};
