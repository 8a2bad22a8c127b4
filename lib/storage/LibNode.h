// LibNode: a file-system node with typed-attribute operations and the
// storage of a zipped file inside an attribute.
//
// Attribute encodings: messages as flattened BMessage data ('RAWT'),
// booleans as 1 byte ('BOOL'), 32-bit integers as 4 bytes in host order
// ('LONG'), strings as their characters without a NUL ('CSTR'), and a
// compressed file as a zip archive holding that one file ('RAWT'). Every
// write removes an attribute of the same name first, so a new value never
// mixes with an older, longer one.
#pragma once

#include <LibString.h>
#include <Node.h>

class BEntry;
class BMessage;
struct entry_ref;

class LibNode : public BNode {
public:
    LibNode();
    LibNode(const BEntry* entry);
    LibNode(const entry_ref* ref);
    LibNode(const char* path);
    virtual ~LibNode();

    // False when the attribute is missing or does not hold a message.
    bool ReadMessageAttr(const char* name, BMessage& message);
    void WriteMessageAttr(const char* name, const BMessage& message);
    // True when exactly 1 byte was read.
    bool ReadBoolAttr(const char* name, bool& value);
    void WriteBoolAttr(const char* name, const bool& value);
    // True when 4 bytes were read; value is unchanged otherwise.
    bool ReadInt32Attr(const char* name, int32& value);
    void WriteInt32Attr(const char* name, const int32& value);
    // The whole attribute as text; the number of bytes read, negative on
    // error (value unchanged then).
    ssize_t ReadStringAttr(const char* name, LibString& value);
    status_t WriteStringAttr(const char* name, const char* value);

    // Stores a zip archive of file (compression level 9) in the attribute
    // name. False when file does not exist or the archive cannot be made.
    bool CompressFile(const char* name, const char* file);
    // Writes the attribute name back out to file: unpacked (the archive's
    // entry called name, or its only entry) with unzip set, as the raw
    // bytes otherwise. False when the attribute is missing or the file
    // cannot be written.
    bool UncompressFile(const char* file, const char* name, bool unzip);
};
