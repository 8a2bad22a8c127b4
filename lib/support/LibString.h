// LibString: the owning 8-bit string of the foundation library. Every path,
// field, message text and configuration value passes through it.
//
// The object owns one heap buffer holding a NUL-terminated text. The buffer
// is never grown geometrically: an operation that needs more room allocates
// a fresh block of exactly the size it needs (appending reallocates only
// when old length + added length reaches the capacity). The length is the
// position of the first NUL and is recomputed on every call.
//
// After Clear() (or construction from a null text) the buffer is null and
// the capacity 0. Such a string reads as an empty text everywhere, except
// that the conversions return null; an operation that writes text gives it
// a buffer again.
//
// All operations work on bytes, classified by the C library (isspace,
// isdigit, ispunct, toupper, tolower). No operation throws: results are
// bools, indices (-1 for "not found") and counts. Out-of-range indices do
// nothing or empty the text as documented per operation; none reads or
// writes outside the buffer.
#pragma once

#include <SupportDefs.h>

class BFont;
class BRect;

class LibString {
public:
    // Empty text in a 1-byte buffer.
    LibString();
    // Empty text with room for size characters (capacity size + 1).
    LibString(const int32& size);
    // Copy of text (capacity strlen + 1); a null text leaves the buffer null.
    LibString(const char* text);
    // Copy with the source's capacity.
    LibString(const LibString& other);
    virtual ~LibString();

    virtual operator const char*() const;
    virtual operator char*();
    // "LibString:: <text>, buffer <capacity>" on standard error.
    virtual void PrintToStream() const;

    // Assignment. A null text changes nothing; otherwise the buffer is
    // reallocated to exactly strlen + 1 bytes.
    LibString& operator=(const char* text);
    // Self-assignment does nothing; otherwise the source's capacity.
    LibString& operator=(const LibString& other);
    // At most length bytes of text (less at an earlier NUL); as assignment.
    LibString& SetTo(const char* text, const int32& length);
    LibString& operator=(const int32& value);   // "%ld" form
    LibString& operator=(const float& value);   // "%f" form
    LibString& operator=(const double& value);  // "%f" form

    // Text equality (same bytes), as Compare() == 0.
    bool operator==(const LibString& other) const;
    bool operator==(const char* text) const;

    // Appending.
    LibString& operator+=(const char* text);
    LibString& operator+=(const int32& value);   // "%ld" form
    LibString& operator+=(const float& value);   // "%f" form
    LibString& operator+=(const double& value);  // "%f" form

    // Storage.
    void SetBuffer(const int32& size);  // empty text, capacity size + 1 (size < 0 counts as 0)
    void Clear();                       // frees the buffer: null, capacity 0
    int32 Length() const;               // position of the first NUL
    int32 Capacity() const { return fCapacity; }
    int32 PackSize() const;             // Length() + 4
    // Appends the file's text, read line by line in pieces of lineSize - 1
    // bytes (the text is not cleared first). False, text unchanged, when
    // the file cannot be opened.
    bool Read(const char* path, const int32& lineSize);

    // Appending and inserting.
    LibString& Concat(const char* text);
    LibString& Concat(const char& c);
    LibString& PrePend(const char* text);
    // old[0..index] + text + old[index+1..]: the text goes after the
    // character at index. Index -1 (or less) inserts at the front; an index
    // at or past the end appends; on an empty string it is an assignment.
    LibString& Insert(const int& index, const char* text);
    // printf-style; the result is limited to 511 characters.
    LibString& Formatted(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Comparison: -1, 0 or 1 (this before, equal to, after the argument),
    // bytes ordered as signed 8-bit values, a proper prefix first. A null
    // argument counts as an empty text. Ignoring case maps both sides
    // through toupper.
    int Compare(const char* text, const bool& ignoreCase = false) const;
    int Compare(const LibString& text, const bool& ignoreCase = false) const;
    // Compares the text from index offset with other. count -1 compares
    // whole texts, otherwise at most count characters. Case-sensitive: the
    // strcmp / strncmp result as is; ignoring case: -1, 0 or 1. An offset
    // past the end compares an empty text; a negative one counts as 0.
    int CompareSub(const char* other, const bool& ignoreCase = false, const int32& count = -1,
        const int32& offset = 0) const;
    int CompareSub(const LibString& other, const bool& ignoreCase = false, const int32& count = -1,
        const int32& offset = 0) const;
    bool BeginsWith(const char* text, const bool& ignoreCase = false) const;
    bool BeginsWith(const LibString& text, const bool& ignoreCase = false) const;
    bool EndsWith(const char* text, const bool& ignoreCase = false) const;
    bool EndsWith(const LibString& text, const bool& ignoreCase = false) const;
    // An empty argument is contained in any text.
    bool Contain(const char* text, const bool& ignoreCase = false) const;
    bool Contain(const LibString& text, const bool& ignoreCase = false) const;
    bool Contain(const char& c) const;
    int32 Index(const char* text) const;
    int32 Index(const LibString& text) const;
    int32 Index(const char& c) const;
    int32 IndexOfAny(const char* set) const;
    int32 Count(const char& c) const;
    bool IsBlank() const;

    // Wildcard matching of the whole text: "*" any run (also none), "?"
    // exactly one character, anything else itself (case-sensitive).
    bool IsWildCard(const char* pattern) const;
    bool IsWildCard(const LibString& pattern) const;
    static bool CompareWildCard(const char* text, const char* pattern);

    // Words are maximal runs of non-white-space characters.
    int32 Words() const;
    // The n-th word (1-based) into out; false with out empty when there is
    // no such word.
    bool Word(const int32& n, LibString& out) const;

    // Cutting and editing in place; indices are 0-based.
    void FromIndex(const int32& index);            // keep index..end
    void ToIndex(const int32& index);              // keep 0..index
    void Remove(const int32& from, const int32& to);  // remove from..to
    void RemoveChar(const int32& index);
    // Moves the tail that starts at from so that it starts at to (removes
    // to..from-1); nothing happens unless 0 <= to <= from <= length.
    void ShiftFrom(const int32& to, const int32& from);
    // Characters from..to inclusive, clipped to the text; empty when the
    // range holds none.
    LibString Extract(const int32& from, const int32& to) const;
    // The span from the first open character to the next close character.
    LibString Extract(const char& open, const char& close, const bool& stripDelimiters) const;
    // Keeps the text from the n-th (0-based) occurrence of c on; offset is
    // accepted for compatibility and has no effect.
    bool FromChar(const char& c, const int32& n = 0, const int& offset = 0);
    // Cuts the text at k + offset, k being the index of the n-th (0-based)
    // occurrence of c; false (no change) when there is none or the cut
    // would fall outside 0..length.
    bool ToChar(const char& c, const int32& n = 0, const int& offset = 0);
    void FromLast(const char& c, const int32& offset = 0);
    void ToLast(const char& c, const int32& offset = 0);
    // Replaces the first occurrence; its index, or -1 (no change). An empty
    // find text is never found.
    int32 Replace(const char* find, const char* with);
    // Replaces every occurrence, as repeated Replace from the start would;
    // returns the number of replacements. Occurrences created by the
    // replacement text itself are not replaced again.
    int32 ReplaceAll(const char* find, const char* with);
    void ReplaceAll(const char& a, const char& b);
    void SwapChar(const char& a, const char& b);
    void RemoveRepeatingChar(const char& c);
    // Removes the first word equal to word with the white-space character
    // before it (the one after it for the first word of the text).
    bool RemoveWord(const char* word);
    int32 RemoveAllWords(const char* word);
    void StripLeadingChar(const char& c);
    void StripTrailingChar(const char& c);
    void StripLeadingSpaces();
    void StripTrailingSpaces();
    void StripAllSpaces();
    void StripPunct();  // every punctuation character except "_"
    void ToLowerCase();
    void ToUpperCase();
    void ToProperCase();
    // Fits the text into width pixels of font, ending it in "..." when it
    // had to be cut; returns the number of characters removed (the length
    // when nothing was cut). A multi-byte UTF-8 character is never split.
    int32 Truncate(const BFont& font, const int& width, BRect& bounds);

    // Numbers. The text must consist of decimal digits, "+" or "-" at index
    // 0 only, and at most one "."; anything else (white space included)
    // gives false and 0. The integer getters convert the part before ".",
    // saturated to the signed 32-bit range, then narrowed.
    bool GetInt8(int8& value) const;
    bool GetUint8(uint8& value) const;
    bool GetInt16(int16& value) const;
    bool GetUint16(uint16& value) const;
    bool GetInt32(int32& value) const;
    bool GetUint32(uint32& value) const;
    bool GetFloat64(double& value) const;
    bool GetFloat32(float& value) const;
    bool IsNumeric() const;  // true for an empty or null text
    void SetFloat64(const double& value, const int& decimals);  // "%.*f"
    void SetFloat32(const float& value, const int& decimals);
    void SetHex(const uint8& value);  // two upper-case hexadecimal digits
    uint8 GetHex() const;             // 0 unless the length is 2
    static uint8 HexValue(const char& c);

protected:
    // Length of the text, 0 for a null buffer.
    int32 TextLength() const;
    // Makes room for newLength characters: reallocates to exactly
    // newLength + 1 bytes when the capacity is too small, keeping the text.
    void Reserve(int32 newLength);
    // Replaces the buffer with an exact copy of text (length bytes).
    void Assign(const char* text, int32 length);
    // Sets the text to length bytes of data, in place when the capacity
    // holds them, otherwise in a buffer of exactly length + 1 bytes. data
    // may point into the current buffer.
    void SetText(const char* data, int32 length);

    char* fBuffer;
    int32 fCapacity;
};
