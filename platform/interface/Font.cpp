#include "Font.h"

#include "FontEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

const float kMinSize = 1.0f;
const float kMaxSize = 10000.0f;

const char* StyleForFace(uint16 face)
{
    const bool bold = (face & B_BOLD_FACE) != 0;
    const bool italic = (face & B_ITALIC_FACE) != 0;
    if (bold && italic)
        return "Bold Italic";
    if (bold)
        return "Bold";
    if (italic)
        return "Italic";
    return "Regular";
}

uint16 FaceForStyle(const char* style)
{
    uint16 face = 0;
    if (strcasestr(style, "bold") != nullptr)
        face |= B_BOLD_FACE;
    if (strcasestr(style, "italic") != nullptr || strcasestr(style, "oblique") != nullptr)
        face |= B_ITALIC_FACE;
    return face != 0 ? face : uint16(B_REGULAR_FACE);
}

void CopyName(char* target, const std::string& name, size_t capacity)
{
    const size_t length = std::min(name.size(), capacity - 1);
    memcpy(target, name.data(), length);
    target[length] = '\0';
}

} // namespace

BFont::BFont()
    : fStyle("Regular"), fSize(10.0f), fFace(B_REGULAR_FACE), fSpacing(B_BITMAP_SPACING), fFixedDefault(false)
{
    Changed();
}

BFont::BFont(const BFont& font) = default;

BFont::BFont(const BFont* font) : BFont()
{
    if (font != nullptr)
        *this = *font;
}

BFont::~BFont() = default;

BFont& BFont::operator=(const BFont& font) = default;

bool BFont::operator==(const BFont& font) const
{
    return fFamily == font.fFamily && fStyle == font.fStyle && fSize == font.fSize && fFace == font.fFace
        && fSpacing == font.fSpacing && fRotation == font.fRotation && fFixedDefault == font.fFixedDefault;
}

void BFont::Changed()
{
    fEngine = std::make_shared<FontEngine>(*this);
}

status_t BFont::SetFamilyAndStyle(const font_family family, const font_style style)
{
    if (family != nullptr) {
        if (!FontEngine::IsKnownFamily(family))
            return B_NAME_NOT_FOUND;
        fFamily = std::string(family, strnlen(family, B_FONT_FAMILY_LENGTH));
        fFixedDefault = false;
    }
    const char* styleName = style != nullptr ? style : "Regular";
    fStyle = std::string(styleName, strnlen(styleName, B_FONT_STYLE_LENGTH));
    fFace = FaceForStyle(fStyle.c_str());
    Changed();
    return B_OK;
}

status_t BFont::SetFamilyAndFace(const font_family family, uint16 face)
{
    if (family != nullptr) {
        if (!FontEngine::IsKnownFamily(family))
            return B_NAME_NOT_FOUND;
        fFamily = std::string(family, strnlen(family, B_FONT_FAMILY_LENGTH));
        fFixedDefault = false;
    }
    SetFace(face);
    return B_OK;
}

void BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
    if (family != nullptr) {
        const std::string name = fFamily.empty() ? FontEngine::DefaultFamily(fFixedDefault) : fFamily;
        CopyName(*family, name, sizeof(font_family));
    }
    if (style != nullptr)
        CopyName(*style, fStyle, sizeof(font_style));
}

void BFont::SetSize(float size)
{
    // NaN compares false everywhere and ends at the minimum.
    if (!(size >= kMinSize))
        size = kMinSize;
    if (size > kMaxSize)
        size = kMaxSize;
    fSize = size;
    Changed();
}

void BFont::SetFace(uint16 face)
{
    fFace = face != 0 ? face : uint16(B_REGULAR_FACE);
    fStyle = StyleForFace(fFace);
    Changed();
}

void BFont::SetSpacing(uint8 spacing)
{
    fSpacing = spacing;
}

float BFont::StringWidth(const char* string) const
{
    if (string == nullptr)
        return 0.0f;
    return fEngine->StringWidth(string, static_cast<int32>(std::min<size_t>(strlen(string), INT32_MAX)));
}

float BFont::StringWidth(const char* string, int32 length) const
{
    return fEngine->StringWidth(string, length);
}

void BFont::GetStringWidths(const char* stringArray[], const int32 lengthArray[], int32 numStrings,
    float widthArray[]) const
{
    if (stringArray == nullptr || lengthArray == nullptr || widthArray == nullptr)
        return;
    for (int32 i = 0; i < numStrings; i++)
        widthArray[i] = StringWidth(stringArray[i], lengthArray[i]);
}

void BFont::GetHeight(font_height* height) const
{
    fEngine->GetHeight(height);
}

void BFont::TruncateString(std::string* text, uint32 mode, float width) const
{
    if (text != nullptr)
        *text = fEngine->Truncated(*text, mode, width);
}

void BFont::GetTruncatedStrings(const char* stringArray[], int32 numStrings, uint32 mode, float width,
    char* resultArray[]) const
{
    if (stringArray == nullptr || resultArray == nullptr)
        return;
    for (int32 i = 0; i < numStrings; i++) {
        if (resultArray[i] == nullptr)
            continue;
        const std::string source = stringArray[i] != nullptr ? stringArray[i] : "";
        const std::string shortened = fEngine->Truncated(source, mode, width);
        // The caller's buffer holds the source length plus 3 bytes; never
        // write past it, even for an ellipsis wider than what it replaced.
        const size_t room = source.size() + 3;
        const size_t length = std::min(shortened.size(), room - 1);
        std::memcpy(resultArray[i], shortened.data(), length);
        resultArray[i][length] = '\0';
    }
}

void BFont::PrintToStream() const
{
    font_family family;
    font_style style;
    GetFamilyAndStyle(&family, &style);
    fprintf(stderr, "BFont: %s %s, size %g\n", family, style, static_cast<double>(fSize));
}

const BFont* BStandardFont::Get() const
{
    // Created on first use, once for the whole program (thread-safe).
    static const BFont plain;
    static const BFont bold = [] {
        BFont font;
        font.SetFace(B_BOLD_FACE);
        font.SetSize(12.0f);
        return font;
    }();
    static const BFont fixed = [] {
        BFont font;
        font.fFixedDefault = true;
        font.SetSize(12.0f);
        return font;
    }();
    switch (fWhich) {
        case B_BOLD_FONT:
            return &bold;
        case B_FIXED_FONT:
            return &fixed;
        case B_PLAIN_FONT:
        default:
            return &plain;
    }
}

const BStandardFont be_plain_font(B_PLAIN_FONT);
const BStandardFont be_bold_font(B_BOLD_FONT);
const BStandardFont be_fixed_font(B_FIXED_FONT);
