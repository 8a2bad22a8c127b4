// LibStringIterator: a LibString with a read position that splits its text
// into fields at separator characters.
#pragma once

#include <LibString.h>

class LibStringIterator : public LibString {
public:
    LibStringIterator();
    LibStringIterator(const char* text);
    LibStringIterator(const LibString& text);
    LibStringIterator(const LibStringIterator& other);  // copies the position too
    LibStringIterator(const int32& size);
    ~LibStringIterator() override;

    // New text, position 0.
    LibStringIterator& operator=(const char* text);
    LibStringIterator& operator=(const LibString& text);
    // Text and position copied.
    LibStringIterator& operator=(const LibStringIterator& other);
    // The number's text (as LibString), position 0.
    LibStringIterator& operator=(const int32& value);
    LibStringIterator& operator=(const float& value);
    LibStringIterator& operator=(const double& value);

    // Sets the position (a negative one counts as 0; one past the end
    // counts as the end).
    void Reset(const int& position = 0);
    int32 Position() const { return fPosition; }

    // The characters from the position up to the next separator, which is
    // consumed; true. Adjacent separators give an empty field. Without a
    // further separator the rest of the text is the last field (true, the
    // position moves to the end). At the end of the text: empty field, false.
    bool GetNextField(const char& separator, LibString& field);
    // As above with any character of separators ending a field (a null or
    // empty set ends none). Without a further separator the rest of the
    // text goes into field, the result is false and the position stays.
    bool GetNextField(const char* separators, LibString& field);
    // The index-th (0-based) field, reading from the start; false (empty
    // field) when there are fewer fields or index is negative.
    bool GetIndexField(const char& separator, const int32& index, LibString& field);

    // The LibString line, then "position <n>", on standard error.
    void PrintToStream() const override;

private:
    int32 StartPosition() const;

    int32 fPosition;
};
