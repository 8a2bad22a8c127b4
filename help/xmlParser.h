// xmlParser: a small, line-oriented reader for the tag language of the help
// files. It is not a general XML parser: FindTag looks for an element by
// name anywhere after the current read position and reads that element's
// text, attributes and child elements into an xmlTag.
//
// The file is read one line at a time into a buffer of kLineSize bytes, so
// a line holds at most kLineSize - 1 characters; a longer line arrives in
// pieces, each counted as a line. Line ends are not part of any text.
//
// Hostile input is bounded: tag names longer than kMaxNameLength and
// attribute names or values longer than kMaxModifierLength are cut, a tag
// keeps at most kMaxModifierValues attributes, and a reader stops (as at the
// end of the file, with LimitReached() true) after kMaxInputBytes bytes,
// beyond kMaxDepth nested elements or after kMaxElements elements in one
// search. The tree read up to that point is kept.
#pragma once

#include "xmlTag.h"
#include "xmlTagModifiers.h"

#include <SupportDefs.h>

#include <cstdio>

class xmlParser {
public:
    static constexpr int32 kLineSize = 1024;
    // Callers of NextTag pass a buffer of at least kNameBufferSize bytes.
    static constexpr int32 kMaxNameLength = 255;
    static constexpr int32 kNameBufferSize = kMaxNameLength + 1;
    static constexpr int32 kMaxModifierLength = 79;
    static constexpr int32 kMaxModifierValues = 64;
    static constexpr int32 kMaxDepth = 64;
    static constexpr int32 kMaxElements = 100000;
    static constexpr int64 kMaxInputBytes = 16 * 1024 * 1024;

    xmlParser();
    explicit xmlParser(const char* path);
    virtual bool SkipTag(const char* name);
    virtual ~xmlParser();

    xmlParser(const xmlParser&) = delete;
    xmlParser& operator=(const xmlParser&) = delete;

    // Closes any open file and opens path for reading; IsValid().
    bool Open(const char* path);
    // Closes any open file and takes over stream (already open for
    // reading; the parser closes it); IsValid().
    bool Open(FILE* stream);
    bool IsValid() const;
    // The result of closing the file, 0 when none was open.
    int Close();
    // Back to the start of the file: line and position 0, buffer empty,
    // limits reset.
    void Rewind();

    // Reads up to the next element named name (case-sensitive) and reads it
    // into tag; false (tag cleared) when the input ends first.
    bool FindTag(const char* name, xmlTag& tag);
    // Reads up to and including the next tag name into name (at least
    // kNameBufferSize bytes). hasAttributes tells that the name ended at
    // white space and the tag's '>' is still to come. Declarations and
    // comments (SkipTag) and empty names are passed over. False at the end
    // of the input.
    bool NextTag(char* name, bool& hasAttributes);
    // Reads the attributes of the tag whose name was just read, through its
    // closing '>'.
    void AddModifiers(xmlTagModifiers& mods);
    // Consumes one character; false at the end of the input.
    bool Advance();
    // Reads the next line into the buffer without its line end; false at
    // the end of the input.
    bool ReadLine();
    bool IsWhiteSpace(const char& c) const;

    // Tags without content or closing tag ("?xml" and "!").
    virtual bool NoAnchorTag(const char* name);
    // "xmlParser: line %ld, column %ld\nbuffer <%s>\n" on standard error.
    virtual void PrintToStream() const;

    // A bound of the reader stopped the input early.
    bool LimitReached() const { return fLimitReached; }
    int32 Line() const { return fLine; }
    int32 Position() const { return fPosition; }
    // The character last consumed and the one after it in the line ('\0'
    // at the end of the line).
    char Current() const;
    char LookAhead() const { return fLookAhead; }

private:
    void ResetBuffer();
    // Text and child elements of tag, through its closing tag.
    void ReadContent(xmlTag& tag);
    // Passes over the rest of a tag through its '>'.
    void SkipToTagEnd();
    void UpdateLookAhead();

    FILE* fFile;
    int32 fLine;
    int32 fPosition;
    char fBuffer[kLineSize];
    char fLookAhead;
    int32 fLength;
    int64 fBytesRead;
    int32 fDepth;
    int32 fElements;
    bool fLimitReached;
};
