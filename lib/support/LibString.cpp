// LibString: storage, assignment, appending, comparison and search.
#include "LibString.h"

#include "LibStringPrivate.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace libstring;

namespace {

int32 LengthOf(const char* text)
{
    if (text == nullptr)
        return 0;
    const size_t length = strlen(text);
    return length > size_t(kMaxLength) ? kMaxLength : static_cast<int32>(length);
}

// -1, 0 or 1 over at most count bytes (count < 0: whole texts). Bytes are
// ordered as signed 8-bit values, except that the end of a text orders
// before any byte, so that a proper prefix comes first.
int CompareBytes(const char* a, const char* b, bool ignoreCase, int64 count)
{
    for (int64 i = 0; count < 0 || i < count; i++) {
        char ca = a[i];
        char cb = b[i];
        if (ignoreCase && ca != cb) {
            ca = ToUpper(ca);
            cb = ToUpper(cb);
        }
        if (ca == '\0' || cb == '\0') {
            if (ca == cb)
                return 0;
            return ca == '\0' ? -1 : 1;
        }
        if (ca != cb)
            return static_cast<signed char>(ca) < static_cast<signed char>(cb) ? -1 : 1;
    }
    return 0;
}

bool EqualBytes(const char* a, const char* b, int32 count, bool ignoreCase)
{
    if (!ignoreCase)
        return memcmp(a, b, count) == 0;
    for (int32 i = 0; i < count; i++) {
        if (a[i] != b[i] && ToUpper(a[i]) != ToUpper(b[i]))
            return false;
    }
    return true;
}

} // namespace

// #pragma mark - Construction and storage

LibString::LibString() : fBuffer(new char[1]), fCapacity(1)
{
    fBuffer[0] = '\0';
}

LibString::LibString(const int32& size) : fBuffer(nullptr), fCapacity(0)
{
    SetBuffer(size);
}

LibString::LibString(const char* text) : fBuffer(nullptr), fCapacity(0)
{
    if (text != nullptr)
        Assign(text, LengthOf(text));
}

LibString::LibString(const LibString& other) : fBuffer(nullptr), fCapacity(0)
{
    if (other.fBuffer != nullptr) {
        fBuffer = new char[other.fCapacity];
        fCapacity = other.fCapacity;
        memcpy(fBuffer, other.fBuffer, other.TextLength() + 1);
    }
}

LibString::~LibString()
{
    delete[] fBuffer;
}

LibString::operator const char*() const
{
    return fBuffer;
}

LibString::operator char*()
{
    return fBuffer;
}

void LibString::PrintToStream() const
{
    fprintf(stderr, "LibString:: <%s>, buffer %ld\n", fBuffer != nullptr ? fBuffer : "(null)",
        static_cast<long>(fCapacity));
}

int32 LibString::TextLength() const
{
    return fBuffer != nullptr ? LengthOf(fBuffer) : 0;
}

int32 LibString::Length() const
{
    return TextLength();
}

void LibString::Assign(const char* text, int32 length)
{
    char* buffer = new char[length + 1];
    memcpy(buffer, text, length);
    buffer[length] = '\0';
    delete[] fBuffer;
    fBuffer = buffer;
    fCapacity = length + 1;
}

void LibString::SetText(const char* data, int32 length)
{
    if (fBuffer != nullptr && length + 1 <= fCapacity) {
        memmove(fBuffer, data, length);
        fBuffer[length] = '\0';
    } else {
        Assign(data, length);
    }
}

void LibString::Reserve(int32 newLength)
{
    if (fBuffer != nullptr && newLength + 1 <= fCapacity)
        return;
    char* buffer = new char[newLength + 1];
    const int32 length = std::min(TextLength(), newLength);
    if (length > 0)
        memcpy(buffer, fBuffer, length);
    buffer[length] = '\0';
    delete[] fBuffer;
    fBuffer = buffer;
    fCapacity = newLength + 1;
}

void LibString::SetBuffer(const int32& size)
{
    const int32 room = std::clamp<int32>(size, 0, kMaxLength);
    char* buffer = new char[room + 1];
    buffer[0] = '\0';
    delete[] fBuffer;
    fBuffer = buffer;
    fCapacity = room + 1;
}

void LibString::Clear()
{
    delete[] fBuffer;
    fBuffer = nullptr;
    fCapacity = 0;
}

int32 LibString::PackSize() const
{
    return TextLength() + 4;
}

bool LibString::Read(const char* path, const int32& lineSize)
{
    if (path == nullptr)
        return false;
    FILE* file = fopen(path, "r");
    if (file == nullptr)
        return false;

    // The pieces are appended as fgets delivers them; the working size only
    // sets how much is read at once (at least one byte per call).
    std::vector<char> line(std::clamp<int32>(lineSize, 2, 1 << 20));
    std::string text;
    while (fgets(line.data(), static_cast<int>(line.size()), file) != nullptr)
        text.append(line.data(), strlen(line.data()));
    fclose(file);

    if (text.size() > size_t(kMaxLength - TextLength()))
        text.resize(kMaxLength - TextLength());
    Concat(text.c_str());
    return true;
}

// #pragma mark - Assignment

LibString& LibString::operator=(const char* text)
{
    if (text != nullptr)
        Assign(text, LengthOf(text));
    return *this;
}

LibString& LibString::operator=(const LibString& other)
{
    if (&other == this)
        return *this;
    if (other.fBuffer == nullptr) {
        Clear();
        return *this;
    }
    char* buffer = new char[other.fCapacity];
    memcpy(buffer, other.fBuffer, other.TextLength() + 1);
    delete[] fBuffer;
    fBuffer = buffer;
    fCapacity = other.fCapacity;
    return *this;
}

LibString& LibString::SetTo(const char* text, const int32& length)
{
    if (text == nullptr)
        return *this;
    const int32 count = length > 0 ? static_cast<int32>(strnlen(text, length)) : 0;
    Assign(text, count);
    return *this;
}

LibString& LibString::operator=(const int32& value)
{
    const std::string text = Format("%ld", static_cast<long>(value));
    Assign(text.data(), static_cast<int32>(text.size()));
    return *this;
}

LibString& LibString::operator=(const float& value)
{
    return *this = static_cast<double>(value);
}

LibString& LibString::operator=(const double& value)
{
    const std::string text = Format("%f", value);
    Assign(text.data(), static_cast<int32>(text.size()));
    return *this;
}

bool LibString::operator==(const LibString& other) const
{
    return Compare(other) == 0;
}

bool LibString::operator==(const char* text) const
{
    return Compare(text) == 0;
}

// #pragma mark - Appending and inserting

LibString& LibString::operator+=(const char* text)
{
    return Concat(text);
}

LibString& LibString::operator+=(const int32& value)
{
    return Concat(Format("%ld", static_cast<long>(value)).c_str());
}

LibString& LibString::operator+=(const float& value)
{
    return *this += static_cast<double>(value);
}

LibString& LibString::operator+=(const double& value)
{
    return Concat(Format("%f", value).c_str());
}

LibString& LibString::Concat(const char* text)
{
    if (text == nullptr)
        return *this;
    const int32 length = TextLength();
    const int32 added = std::min(LengthOf(text), kMaxLength - length);
    if (length + added >= fCapacity) {
        // Exactly the room needed; text may point into the old buffer.
        char* buffer = new char[length + added + 1];
        if (length > 0)
            memcpy(buffer, fBuffer, length);
        memcpy(buffer + length, text, added);
        buffer[length + added] = '\0';
        delete[] fBuffer;
        fBuffer = buffer;
        fCapacity = length + added + 1;
    } else {
        memmove(fBuffer + length, text, added);
        fBuffer[length + added] = '\0';
    }
    return *this;
}

LibString& LibString::Concat(const char& c)
{
    if (c == '\0')
        return *this;
    const char text[2] = {c, '\0'};
    return Concat(text);
}

LibString& LibString::PrePend(const char* text)
{
    return Insert(-1, text);
}

LibString& LibString::Insert(const int& index, const char* text)
{
    if (text == nullptr)
        return *this;
    const int32 length = TextLength();
    if (length == 0)
        return *this = text;

    const int32 split = index < 0 ? 0 : (index >= length ? length : index + 1);
    const int32 added = std::min(LengthOf(text), kMaxLength - length);
    std::string result;
    result.reserve(length + added);
    result.append(fBuffer, split);
    result.append(text, added);
    result.append(fBuffer + split, length - split);
    SetText(result.data(), static_cast<int32>(result.size()));
    return *this;
}

LibString& LibString::Formatted(const char* format, ...)
{
    // The result is limited to what fits a 512-byte working buffer.
    char buffer[512];
    buffer[0] = '\0';
    if (format != nullptr) {
        CLocaleScope locale;
        va_list args;
        va_start(args, format);
        vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
    }
    return *this = buffer;
}

// #pragma mark - Comparison and search

int LibString::Compare(const char* text, const bool& ignoreCase) const
{
    return CompareBytes(fBuffer != nullptr ? fBuffer : "", text != nullptr ? text : "", ignoreCase, -1);
}

int LibString::Compare(const LibString& text, const bool& ignoreCase) const
{
    return Compare(text.fBuffer, ignoreCase);
}

int LibString::CompareSub(const char* other, const bool& ignoreCase, const int32& count,
    const int32& offset) const
{
    const char* self = fBuffer != nullptr ? fBuffer : "";
    const int32 length = TextLength();
    self += std::clamp<int32>(offset, 0, length);
    if (other == nullptr)
        other = "";

    if (!ignoreCase)
        return count < 0 ? strcmp(self, other) : strncmp(self, other, count);
    // Ignoring case: equal within count characters (whole texts: within the
    // longer of the two) is 0.
    return CompareBytes(self, other, true, count < 0 ? -1 : count);
}

int LibString::CompareSub(const LibString& other, const bool& ignoreCase, const int32& count,
    const int32& offset) const
{
    return CompareSub(other.fBuffer, ignoreCase, count, offset);
}

bool LibString::BeginsWith(const char* text, const bool& ignoreCase) const
{
    const int32 count = LengthOf(text);
    if (count > TextLength())
        return false;
    return count == 0 || EqualBytes(fBuffer, text, count, ignoreCase);
}

bool LibString::BeginsWith(const LibString& text, const bool& ignoreCase) const
{
    return BeginsWith(text.fBuffer, ignoreCase);
}

bool LibString::EndsWith(const char* text, const bool& ignoreCase) const
{
    const int32 count = LengthOf(text);
    const int32 length = TextLength();
    if (count > length)
        return false;
    return count == 0 || EqualBytes(fBuffer + length - count, text, count, ignoreCase);
}

bool LibString::EndsWith(const LibString& text, const bool& ignoreCase) const
{
    return EndsWith(text.fBuffer, ignoreCase);
}

bool LibString::Contain(const char* text, const bool& ignoreCase) const
{
    const int32 count = LengthOf(text);
    if (count == 0)
        return true;
    const int32 length = TextLength();
    if (!ignoreCase)
        return count <= length && strstr(fBuffer, text) != nullptr;
    // A failed partial match resumes at the next character.
    for (int32 start = 0; start + count <= length; start++) {
        if (EqualBytes(fBuffer + start, text, count, true))
            return true;
    }
    return false;
}

bool LibString::Contain(const LibString& text, const bool& ignoreCase) const
{
    return Contain(text.fBuffer, ignoreCase);
}

bool LibString::Contain(const char& c) const
{
    return Index(c) >= 0;
}

int32 LibString::Index(const char* text) const
{
    if (text == nullptr)
        return -1;
    if (fBuffer == nullptr)
        return text[0] == '\0' ? 0 : -1;
    const char* found = strstr(fBuffer, text);
    return found != nullptr ? static_cast<int32>(found - fBuffer) : -1;
}

int32 LibString::Index(const LibString& text) const
{
    return Index(text.fBuffer);
}

int32 LibString::Index(const char& c) const
{
    if (c == '\0' || fBuffer == nullptr)
        return -1;
    const char* found = strchr(fBuffer, c);
    return found != nullptr ? static_cast<int32>(found - fBuffer) : -1;
}

int32 LibString::IndexOfAny(const char* set) const
{
    if (set == nullptr || set[0] == '\0' || fBuffer == nullptr)
        return -1;
    const char* found = strpbrk(fBuffer, set);
    return found != nullptr ? static_cast<int32>(found - fBuffer) : -1;
}

int32 LibString::Count(const char& c) const
{
    if (c == '\0' || fBuffer == nullptr)
        return 0;
    int32 count = 0;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        if (*p == c)
            count++;
    }
    return count;
}

bool LibString::IsBlank() const
{
    if (fBuffer == nullptr)
        return true;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        if (!IsSpace(*p))
            return false;
    }
    return true;
}

// #pragma mark - Wildcards and words

bool LibString::IsWildCard(const char* pattern) const
{
    return CompareWildCard(fBuffer, pattern);
}

bool LibString::IsWildCard(const LibString& pattern) const
{
    return CompareWildCard(fBuffer, pattern.fBuffer);
}

bool LibString::CompareWildCard(const char* text, const char* pattern)
{
    if (text == nullptr)
        text = "";
    if (pattern == nullptr)
        pattern = "";

    // Matching with backtracking to the most recent "*" only: a later star
    // can absorb whatever an earlier one would, so this finds a match
    // whenever one exists, in time proportional to text × pattern.
    const char* starPattern = nullptr;
    const char* starText = nullptr;
    while (*text != '\0') {
        if (*pattern == '*') {
            while (*pattern == '*')
                pattern++;
            starPattern = pattern;
            starText = text;
        } else if (*pattern == '?' || *pattern == *text) {
            pattern++;
            text++;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            text = ++starText;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        pattern++;
    return *pattern == '\0';
}

int32 LibString::Words() const
{
    if (fBuffer == nullptr)
        return 0;
    int32 words = 0;
    bool inWord = false;
    for (const char* p = fBuffer; *p != '\0'; p++) {
        const bool space = IsSpace(*p);
        if (!space && !inWord)
            words++;
        inWord = !space;
    }
    return words;
}

bool LibString::Word(const int32& n, LibString& out) const
{
    if (&out == this) {
        // The word replaces the text it was taken from.
        LibString word;
        const bool found = Word(n, word);
        out = word;
        return found;
    }
    out = "";
    if (n <= 0 || fBuffer == nullptr)
        return false;
    int32 words = 0;
    const char* p = fBuffer;
    while (*p != '\0') {
        while (*p != '\0' && IsSpace(*p))
            p++;
        if (*p == '\0')
            break;
        const char* start = p;
        while (*p != '\0' && !IsSpace(*p))
            p++;
        if (++words == n) {
            out.SetTo(start, static_cast<int32>(p - start));
            out.StripLeadingSpaces();
            out.StripTrailingSpaces();
            return true;
        }
    }
    return false;
}
