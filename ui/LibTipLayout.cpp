#include "LibTipLayout.h"

#include <Font.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Lines of one paragraph (no line feeds) of length bytes.
int32 CountParagraphLines(const char* text, int32 length, float width, const LibTipLayout::Measure& measure)
{
    int32 lines = 1;
    int32 lineStart = 0;
    int32 index = 0;
    while (index < length) {
        // The next word and the blanks before it.
        int32 wordEnd = index;
        while (wordEnd < length && IsBlank(text[wordEnd]))
            wordEnd++;
        while (wordEnd < length && !IsBlank(text[wordEnd]))
            wordEnd++;
        if (measure(text + lineStart, wordEnd - lineStart) <= width) {
            index = wordEnd;
            continue;
        }
        // The word does not fit: it starts a new line, without its blanks.
        if (index > lineStart) {
            lines++;
            while (index < length && IsBlank(text[index]))
                index++;
            lineStart = index;
            continue;
        }
        // Alone on its line and still too wide: break between characters,
        // keeping at least one character per line.
        int32 end = lineStart + 1;
        while (end < wordEnd && measure(text + lineStart, end + 1 - lineStart) <= width)
            end++;
        if (end >= length)
            break;
        lines++;
        lineStart = end;
        index = end;
    }
    return lines;
}

bool CoversPointer(const BPoint& corner, const BPoint& size, const BPoint& pointer)
{
    const float right = corner.x + size.x;
    const float bottom = corner.y + size.y;
    return corner.x <= pointer.x + LibTipLayout::kPointerSize && right >= pointer.x
        && corner.y <= pointer.y + LibTipLayout::kPointerSize && bottom >= pointer.y;
}

BPoint OntoScreen(const BPoint& corner, const BPoint& size, const BRect& screen)
{
    // A tip larger than the screen keeps its top-left corner on it.
    const float x = std::max(screen.left, std::min(corner.x, screen.right - size.x));
    const float y = std::max(screen.top, std::min(corner.y, screen.bottom - size.y));
    return BPoint(x, y);
}

} // namespace

int32 LibTipLayout::CountLines(const char* text, const float& width, const Measure& measure)
{
    if (text == nullptr)
        return 1;
    int32 lines = 0;
    const char* paragraph = text;
    while (true) {
        const char* end = strchr(paragraph, '\n');
        const int32 length = end != nullptr ? static_cast<int32>(end - paragraph) : static_cast<int32>(strlen(paragraph));
        lines += CountParagraphLines(paragraph, length, width, measure);
        if (end == nullptr)
            break;
        paragraph = end + 1;
    }
    return lines;
}

BPoint LibTipLayout::WindowSize(const char* text, const int32& width, const float& lineHeight,
    const Measure& measure)
{
    const char* tip = text != nullptr ? text : "";
    if (width > 0)
        return BPoint(width + 3, CountLines(tip, width, measure) * lineHeight + 2);
    return BPoint(std::ceil(measure(tip, static_cast<int32>(strlen(tip)))) + 3, kSingleLineHeight);
}

BPoint LibTipLayout::WindowSize(const char* text, const int32& width, const BFont& font)
{
    font_height height;
    font.GetHeight(&height);
    const float lineHeight = std::ceil(height.ascent + height.descent + height.leading);
    return WindowSize(text, width, lineHeight,
        [&font](const char* part, int32 length) { return font.StringWidth(part, length); });
}

BPoint LibTipLayout::Place(const BPoint& wanted, const BPoint& size, const BRect& screen, const BPoint& pointer)
{
    const float gap = kPointerSize + kPointerGap;
    const BPoint candidates[] = {
        wanted,
        BPoint(wanted.x, pointer.y + gap),
        BPoint(wanted.x, pointer.y - kPointerGap - size.y),
        BPoint(pointer.x + gap, wanted.y),
        BPoint(pointer.x - kPointerGap - size.x, wanted.y),
    };
    for (const BPoint& candidate : candidates) {
        const BPoint corner = OntoScreen(candidate, size, screen);
        if (!CoversPointer(corner, size, pointer))
            return corner;
    }
    return OntoScreen(wanted, size, screen);
}
