#include "LibStringIterator.h"

#include <cstdio>
#include <cstring>

LibStringIterator::LibStringIterator() : fPosition(0)
{
}

LibStringIterator::LibStringIterator(const char* text) : LibString(text), fPosition(0)
{
}

LibStringIterator::LibStringIterator(const LibString& text) : LibString(text), fPosition(0)
{
}

LibStringIterator::LibStringIterator(const LibStringIterator& other)
    : LibString(other), fPosition(other.fPosition)
{
}

LibStringIterator::LibStringIterator(const int32& size) : LibString(size), fPosition(0)
{
}

LibStringIterator::~LibStringIterator()
{
}

LibStringIterator& LibStringIterator::operator=(const char* text)
{
    LibString::operator=(text);
    fPosition = 0;
    return *this;
}

LibStringIterator& LibStringIterator::operator=(const LibString& text)
{
    LibString::operator=(text);
    fPosition = 0;
    return *this;
}

LibStringIterator& LibStringIterator::operator=(const LibStringIterator& other)
{
    if (&other != this) {
        LibString::operator=(other);
        fPosition = other.fPosition;
    }
    return *this;
}

LibStringIterator& LibStringIterator::operator=(const int32& value)
{
    LibString::operator=(value);
    fPosition = 0;
    return *this;
}

LibStringIterator& LibStringIterator::operator=(const float& value)
{
    LibString::operator=(value);
    fPosition = 0;
    return *this;
}

LibStringIterator& LibStringIterator::operator=(const double& value)
{
    LibString::operator=(value);
    fPosition = 0;
    return *this;
}

void LibStringIterator::Reset(const int& position)
{
    fPosition = position < 0 ? 0 : position;
}

int32 LibStringIterator::StartPosition() const
{
    const int32 length = TextLength();
    if (fPosition < 0)
        return 0;
    return fPosition > length ? length : fPosition;
}

bool LibStringIterator::GetNextField(const char& separator, LibString& field)
{
    const int32 length = TextLength();
    const int32 start = StartPosition();
    if (start >= length) {
        field = "";
        return false;
    }
    const char* found = separator != '\0' ? strchr(fBuffer + start, separator) : nullptr;
    if (found == nullptr) {
        // The rest of the text is the last field.
        field.SetTo(fBuffer + start, length - start);
        fPosition = length;
        return true;
    }
    const int32 end = static_cast<int32>(found - fBuffer);
    field.SetTo(fBuffer + start, end - start);
    fPosition = end + 1;
    return true;
}

bool LibStringIterator::GetNextField(const char* separators, LibString& field)
{
    const int32 length = TextLength();
    const int32 start = StartPosition();
    const char* found = nullptr;
    if (separators != nullptr && separators[0] != '\0' && start < length)
        found = strpbrk(fBuffer + start, separators);
    if (found == nullptr) {
        // No further separator: the remaining characters, position kept.
        if (start < length)
            field.SetTo(fBuffer + start, length - start);
        else
            field = "";
        return false;
    }
    const int32 end = static_cast<int32>(found - fBuffer);
    field.SetTo(fBuffer + start, end - start);
    fPosition = end + 1;
    return true;
}

bool LibStringIterator::GetIndexField(const char& separator, const int32& index, LibString& field)
{
    fPosition = 0;
    if (index < 0) {
        field = "";
        return false;
    }
    for (int32 i = 0; i <= index; i++) {
        if (!GetNextField(separator, field))
            return false;
    }
    return true;
}

void LibStringIterator::PrintToStream() const
{
    LibString::PrintToStream();
    fprintf(stderr, "position %d\n", static_cast<int>(fPosition));
}
