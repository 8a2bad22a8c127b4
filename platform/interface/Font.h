// BFont: a font description (family, style, size, face) with the text
// measurements the interface code needs, as the platform's interface kit
// spells it. Measuring is done by Qt's font engine.
//
// Sizes are in the platform's units: one point is one pixel (72 dpi), so a
// 10-point font has a 10-pixel em. Family names are those the caller gives;
// the platform's classic family names ("Swis721 BT", "Dutch801 Rm BT",
// "Courier10 BT", ...) are accepted and drawn with the matching generic
// family of this system (sans-serif, serif, monospace).
//
// Measuring (StringWidth, GetHeight) and the standard fonts be_plain_font,
// be_bold_font and be_fixed_font need the Qt GUI application object: use
// them only once a QGuiApplication (or QApplication) exists. Without one,
// widths and heights are reported as 0. Creating, copying and changing a
// BFont is always safe. One BFont object may be measured from several
// threads at once (the standard fonts are shared by every thread); changing
// a font while another thread uses the same object is not allowed.
#pragma once

#include <SupportDefs.h>

#include <memory>
#include <string>

#define B_FONT_FAMILY_LENGTH 63
#define B_FONT_STYLE_LENGTH 63

typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

// Face flags.
enum {
    B_ITALIC_FACE = 0x0001,
    B_UNDERSCORE_FACE = 0x0002,
    B_NEGATIVE_FACE = 0x0004,
    B_OUTLINED_FACE = 0x0008,
    B_STRIKEOUT_FACE = 0x0010,
    B_BOLD_FACE = 0x0020,
    B_REGULAR_FACE = 0x0040,
};

// Spacing modes.
enum {
    B_CHAR_SPACING = 0,
    B_STRING_SPACING = 1,
    B_BITMAP_SPACING = 2,
    B_FIXED_SPACING = 3,
};

// How text that is too wide is shortened: the ellipsis replaces the end,
// the beginning or the middle. B_TRUNCATE_SMART shortens a single text in
// the middle, where a path or name is least telling.
enum {
    B_TRUNCATE_END = 0,
    B_TRUNCATE_BEGINNING = 1,
    B_TRUNCATE_MIDDLE = 2,
    B_TRUNCATE_SMART = 3
};

// Which of the standard fonts.
enum font_which {
    B_PLAIN_FONT = 1,
    B_BOLD_FONT = 2,
    B_FIXED_FONT = 3,
};

struct font_height {
    float ascent;
    float descent;
    float leading;
};

class BStandardFont;
class FontEngine;

class BFont {
public:
    // A copy of the plain font (see be_plain_font); before the GUI
    // application exists, the system's general family at 10 points.
    BFont();
    BFont(const BFont& font);
    BFont(const BFont* font);
    ~BFont();

    BFont& operator=(const BFont& font);
    bool operator==(const BFont& font) const;
    bool operator!=(const BFont& font) const { return !(*this == font); }

    // A null family keeps the current family; a null style means
    // "Regular". Returns B_NAME_NOT_FOUND (font unchanged) when the family
    // is neither installed nor one of the platform's classic families.
    // The face follows from the style ("Bold", "Italic", "Bold Italic" ...).
    status_t SetFamilyAndStyle(const font_family family, const font_style style);
    status_t SetFamilyAndFace(const font_family family, uint16 face);
    void GetFamilyAndStyle(font_family* family, font_style* style) const;

    // Sizes below 1 or above 10000 are clamped into that range.
    void SetSize(float size);
    float Size() const { return fSize; }

    // The face flags; the style name follows ("Regular", "Bold", "Italic",
    // "Bold Italic").
    void SetFace(uint16 face);
    uint16 Face() const { return fFace; }

    void SetSpacing(uint8 spacing);
    uint8 Spacing() const { return fSpacing; }

    // Degrees, counter-clockwise: text drawn with the font is turned by
    // this angle around its starting point. Measuring is not affected.
    void SetRotation(float rotation) { fRotation = rotation; }
    float Rotation() const { return fRotation; }

    // Horizontal advance of UTF-8 text in pixels. A null text is 0 wide;
    // the length form measures at most length bytes (stopping at a NUL).
    float StringWidth(const char* string) const;
    float StringWidth(const char* string, int32 length) const;
    void GetStringWidths(const char* stringArray[], const int32 lengthArray[], int32 numStrings,
        float widthArray[]) const;

    void GetHeight(font_height* height) const;

    // Shortens *text (UTF-8) with an ellipsis so that it is at most width
    // pixels wide; a text that fits is left as it is. An unknown mode counts
    // as B_TRUNCATE_END. Without a GUI application texts are left as they
    // are (nothing can be measured).
    void TruncateString(std::string* text, uint32 mode, float width) const;
    // The same for several texts. Each result buffer must hold the length
    // of its text plus 3 bytes: the ellipsis takes 3 bytes and may replace
    // a single one-byte character.
    void GetTruncatedStrings(const char* stringArray[], int32 numStrings, uint32 mode, float width,
        char* resultArray[]) const;

    // "BFont: <family> <style>, size <size>" on standard error.
    void PrintToStream() const;

private:
    friend class FontEngine;
    friend class BStandardFont;

    void Changed();

    std::string fFamily;   // empty: the system's general (or fixed) family
    std::string fStyle;
    float fSize;
    uint16 fFace;
    uint8 fSpacing;
    float fRotation = 0.0f;
    bool fFixedDefault;    // empty family means the system's fixed family
    // Measuring state for this description, shared by copies; replaced on
    // every change.
    std::shared_ptr<FontEngine> fEngine;
};

// The standard fonts. They stand for `const BFont*` values, as on the
// platform (be_plain_font->StringWidth(...), BFont font(be_bold_font),
// view->SetFont(be_fixed_font)); each is created on first use from the
// system's fonts and needs the Qt GUI application object to exist by then.
class BStandardFont {
public:
    constexpr explicit BStandardFont(font_which which) : fWhich(which) {}
    const BFont* Get() const;
    operator const BFont*() const { return Get(); }
    const BFont* operator->() const { return Get(); }
    const BFont& operator*() const { return *Get(); }

private:
    font_which fWhich;
};

extern const BStandardFont be_plain_font;
extern const BStandardFont be_bold_font;
extern const BStandardFont be_fixed_font;
