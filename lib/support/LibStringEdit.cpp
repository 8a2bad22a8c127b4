// LibString: cutting and editing in place, case changes and truncation to a
// pixel width.
#include "LibString.h"

#include "LibStringPrivate.h"

#include <Font.h>
#include <Rect.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace libstring;

namespace {

// Index of the n-th (0-based) occurrence of c, or -1.
int32 NthIndex(const char* text, char c, int32 n)
{
    if (text == nullptr || c == '\0' || n < 0)
        return -1;
    for (const char* p = text; *p != '\0'; p++) {
        if (*p == c && n-- == 0)
            return static_cast<int32>(p - text);
    }
    return -1;
}

// Index of the last c among indices length-1 down to 1; 0 when there is
// none there (index 0 itself is not examined).
int32 LastIndexFromOne(const char* text, int32 length, char c)
{
    for (int32 i = length - 1; i >= 1; i--) {
        if (text[i] == c)
            return i;
    }
    return 0;
}

bool IsUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A text fits when the integer part of its width is less than width.
bool Fits(const BFont& font, const char* text, int32 length, int width)
{
    return std::floor(static_cast<double>(font.StringWidth(text, length))) < width;
}

} // namespace

void LibString::FromIndex(const int32& index)
{
    const int32 length = TextLength();
    if (index < 0 || fBuffer == nullptr)
        return;
    if (index >= length) {
        fBuffer[0] = '\0';
        return;
    }
    memmove(fBuffer, fBuffer + index, length - index + 1);
}

void LibString::ToIndex(const int32& index)
{
    const int32 length = TextLength();
    if (index < -1 || index >= length || fBuffer == nullptr)
        return;
    fBuffer[index + 1] = '\0';
}

void LibString::Remove(const int32& from, const int32& to)
{
    const int32 length = TextLength();
    if (from < 0 || from > length || to < 0 || fBuffer == nullptr)
        return;
    if (to >= length) {
        fBuffer[from] = '\0';
        return;
    }
    // A reversed range names no characters.
    if (to < from)
        return;
    memmove(fBuffer + from, fBuffer + to + 1, length - to);
}

void LibString::RemoveChar(const int32& index)
{
    if (index >= 0 && index < TextLength())
        Remove(index, index);
}

void LibString::ShiftFrom(const int32& to, const int32& from)
{
    const int32 length = TextLength();
    if (to < 0 || to > from || from > length || fBuffer == nullptr)
        return;
    memmove(fBuffer + to, fBuffer + from, length - from + 1);
}

LibString LibString::Extract(const int32& from, const int32& to) const
{
    LibString result;
    const int32 length = TextLength();
    const int32 first = std::max<int32>(from, 0);
    const int32 last = std::min<int32>(to, length - 1);
    if (first <= last)
        result.SetTo(fBuffer + first, last - first + 1);
    return result;
}

LibString LibString::Extract(const char& open, const char& close, const bool& stripDelimiters) const
{
    LibString result;
    const int32 start = Index(open);
    if (start < 0)
        return result;
    const int32 length = TextLength();
    int32 end = length;  // one past the span
    bool closed = false;
    if (close != '\0') {
        const char* found = strchr(fBuffer + start + 1, close);
        if (found != nullptr) {
            end = static_cast<int32>(found - fBuffer) + 1;
            closed = true;
        }
    }
    int32 first = start;
    if (stripDelimiters) {
        first++;
        if (closed)
            end--;
    }
    result.SetTo(fBuffer + first, end - first);
    return result;
}

bool LibString::FromChar(const char& c, const int32& n, const int& /*offset*/)
{
    const int32 index = NthIndex(fBuffer, c, n);
    if (index < 0)
        return false;
    FromIndex(index);
    return true;
}

bool LibString::ToChar(const char& c, const int32& n, const int& offset)
{
    const int32 index = NthIndex(fBuffer, c, n);
    if (index < 0)
        return false;
    const int64 cut = int64(index) + offset;
    if (cut < 0 || cut > TextLength())
        return false;
    fBuffer[cut] = '\0';
    return true;
}

void LibString::FromLast(const char& c, const int32& offset)
{
    const int32 length = TextLength();
    if (length == 0)
        return;
    const int64 start = int64(LastIndexFromOne(fBuffer, length, c)) + offset;
    if (start < 0 || start >= length)
        fBuffer[0] = '\0';
    else
        FromIndex(static_cast<int32>(start));
}

void LibString::ToLast(const char& c, const int32& offset)
{
    const int32 length = TextLength();
    if (length == 0)
        return;
    const int64 last = int64(LastIndexFromOne(fBuffer, length, c)) + offset;
    if (last < -1 || last >= length - 1)
        return;
    fBuffer[last + 1] = '\0';
}

int32 LibString::Replace(const char* find, const char* with)
{
    if (find == nullptr || find[0] == '\0' || fBuffer == nullptr)
        return -1;
    const char* found = strstr(fBuffer, find);
    if (found == nullptr)
        return -1;
    if (with == nullptr)
        with = "";
    const int32 index = static_cast<int32>(found - fBuffer);
    const int32 findLength = static_cast<int32>(strlen(find));
    const int32 length = TextLength();
    std::string result(fBuffer, index);
    result.append(with);
    result.append(fBuffer + index + findLength, length - index - findLength);
    if (result.size() > size_t(kMaxLength))
        return -1;
    SetText(result.data(), static_cast<int32>(result.size()));
    return index;
}

int32 LibString::ReplaceAll(const char* find, const char* with)
{
    if (find == nullptr || find[0] == '\0' || fBuffer == nullptr)
        return 0;
    if (with == nullptr)
        with = "";
    const size_t findLength = strlen(find);
    const size_t withLength = strlen(with);
    // Searching again from the start after each replacement finds the next
    // occurrence no earlier than findLength - 1 characters before the last
    // one, so the search resumes there. When the replacement holds the
    // searched text itself, searching from the start would never end: then
    // the search resumes after the inserted text.
    const bool selfContaining = strstr(with, find) != nullptr;

    std::string text(fBuffer);
    size_t start = 0;
    int32 count = 0;
    for (;;) {
        const size_t index = text.find(find, start, findLength);
        if (index == std::string::npos)
            break;
        if (text.size() - findLength + withLength > size_t(kMaxLength))
            break;
        text.replace(index, findLength, with, withLength);
        count++;
        start = selfContaining ? index + withLength : (index >= findLength - 1 ? index - (findLength - 1) : 0);
    }
    if (count > 0)
        SetText(text.data(), static_cast<int32>(text.size()));
    return count;
}

void LibString::ReplaceAll(const char& a, const char& b)
{
    if (a == '\0' || fBuffer == nullptr)
        return;
    for (char* p = fBuffer; *p != '\0'; p++) {
        if (*p == a)
            *p = b;
    }
}

void LibString::SwapChar(const char& a, const char& b)
{
    ReplaceAll(a, b);
}

void LibString::RemoveRepeatingChar(const char& c)
{
    if (c == '\0' || fBuffer == nullptr)
        return;
    char* out = fBuffer;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        if (*p == c && out > fBuffer && out[-1] == c)
            continue;
        *out++ = *p;
    }
    *out = '\0';
}

bool LibString::RemoveWord(const char* word)
{
    const int32 wordLength = word != nullptr ? static_cast<int32>(strlen(word)) : 0;
    if (wordLength == 0 || fBuffer == nullptr)
        return false;
    const int32 length = TextLength();
    int32 start = 0;
    for (int32 i = 0; i <= length; i++) {
        if (i < length && !IsSpace(fBuffer[i]))
            continue;
        // A word ends at i.
        if (i - start == wordLength && memcmp(fBuffer + start, word, wordLength) == 0) {
            int32 from = start;
            int32 to = i;  // one past the removed span
            if (start > 0)
                from--;  // the white space before the word
            else if (i < length)
                to++;    // the first word takes the white space after it
            memmove(fBuffer + from, fBuffer + to, length - to + 1);
            return true;
        }
        start = i + 1;
    }
    return false;
}

int32 LibString::RemoveAllWords(const char* word)
{
    int32 count = 0;
    while (RemoveWord(word))
        count++;
    return count;
}

void LibString::StripLeadingChar(const char& c)
{
    if (c != '\0' && fBuffer != nullptr && fBuffer[0] == c)
        FromIndex(1);
}

void LibString::StripTrailingChar(const char& c)
{
    const int32 length = TextLength();
    if (c != '\0' && length > 0 && fBuffer[length - 1] == c)
        fBuffer[length - 1] = '\0';
}

void LibString::StripLeadingSpaces()
{
    if (fBuffer == nullptr)
        return;
    int32 count = 0;
    while (fBuffer[count] != '\0' && IsSpace(fBuffer[count]))
        count++;
    if (count > 0)
        FromIndex(count);
}

void LibString::StripTrailingSpaces()
{
    int32 length = TextLength();
    while (length > 0 && IsSpace(fBuffer[length - 1]))
        length--;
    if (fBuffer != nullptr)
        fBuffer[length] = '\0';
}

void LibString::StripAllSpaces()
{
    if (fBuffer == nullptr)
        return;
    char* out = fBuffer;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        if (!IsSpace(*p))
            *out++ = *p;
    }
    *out = '\0';
}

void LibString::StripPunct()
{
    if (fBuffer == nullptr)
        return;
    char* out = fBuffer;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        if (!IsPunct(*p) || *p == '_')
            *out++ = *p;
    }
    *out = '\0';
}

void LibString::ToLowerCase()
{
    if (fBuffer == nullptr)
        return;
    for (char* p = fBuffer; *p != '\0'; p++)
        *p = ToLower(*p);
}

void LibString::ToUpperCase()
{
    if (fBuffer == nullptr)
        return;
    for (char* p = fBuffer; *p != '\0'; p++)
        *p = ToUpper(*p);
}

void LibString::ToProperCase()
{
    ToLowerCase();
    const int32 length = TextLength();
    char* s = fBuffer;
    for (int32 i = 0; i < length; i++) {
        bool upper = i == 0;
        if (i >= 1) {
            const char before = s[i - 1];
            upper = upper || IsSpace(before) || before == '&' || (before == '.' && s[i + 1] == '.');
            upper = upper || (i == 1 && s[0] == '\'');
        }
        if (i >= 2)
            upper = upper || (IsSpace(s[i - 2]) && s[i - 1] == '\'' && s[i] != 's');
        if (upper)
            s[i] = ToUpper(s[i]);
    }
}

int32 LibString::Truncate(const BFont& font, const int& width, BRect& bounds)
{
    const int32 length = TextLength();
    if (length == 0 || Fits(font, fBuffer, length, width))
        return length;

    // The kept prefix is the longest one (at most length - 1 characters,
    // at least one character) that fits together with "...". A prefix
    // never ends inside a multi-byte UTF-8 character; a text of one
    // character keeps nothing.
    const std::string original(fBuffer, length);
    std::vector<int32> prefixes;  // candidate prefix lengths, ascending
    for (int32 i = 1; i < length; i++) {
        if (!IsUtf8Continuation(original[i]))
            prefixes.push_back(i);
    }
    std::string candidate;
    auto fitsWithEllipsis = [&](int32 prefix) {
        candidate.assign(original, 0, prefix);
        candidate.append("...");
        return Fits(font, candidate.data(), static_cast<int32>(candidate.size()), width);
    };

    int32 kept = 0;
    if (!prefixes.empty()) {
        const int32 count = static_cast<int32>(prefixes.size());
        int32 found = -1;  // index of the longest fitting prefix
        // Texts a little too wide are common: the longest prefixes first.
        int32 high = count;  // prefixes from here on are known not to fit
        while (high > 0 && count - high < 4) {
            if (fitsWithEllipsis(prefixes[high - 1])) {
                found = high - 1;
                break;
            }
            high--;
        }
        if (found < 0 && high > 0) {
            // Measuring is costly, so the rest is searched by halving: the
            // width grows with every character kept. Kerning against the
            // "..." can shift widths by a fraction of a pixel, so a few
            // prefixes longer than the one found are measured as well.
            const int32 tooWide = high;  // measured above
            int32 low = -1;
            while (high - low > 1) {
                const int32 middle = low + (high - low) / 2;
                if (fitsWithEllipsis(prefixes[middle]))
                    low = middle;
                else
                    high = middle;
            }
            found = low;
            for (int32 i = high + 1; i < tooWide && i <= high + 3; i++) {
                if (fitsWithEllipsis(prefixes[i]))
                    found = i;
            }
        }
        // Nothing fits: one character is kept.
        kept = prefixes[found >= 0 ? found : 0];
    }

    candidate.assign(original, 0, kept);
    candidate.append("...");
    SetText(candidate.data(), static_cast<int32>(candidate.size()));
    bounds.left = 0;
    bounds.right = font.StringWidth(original.data(), kept);
    return length - kept;
}
