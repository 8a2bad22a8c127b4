// Reads flattened messages: the classic format, the successor's native
// format and the "Dano" format, each in both byte orders. Private to the message
// code. Every count, size, offset and name is checked against the bytes
// actually given; nothing is allocated beyond what those bytes justify.
#pragma once

#include <Message.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace BPrivate {

class MessageField;

class MessageReader {
public:
    // Reads the message in [data, data + size) into *message, which must be
    // empty. depth: nesting level of this message (0 for the outermost).
    // On error *message may hold part of the data; the caller clears it.
    static status_t Read(BMessage* message, const uint8* data, size_t size, int depth);

    // The size a flattened message declares for itself, read from at most
    // the first 68 bytes of data (size of the buffer unknown). Negative
    // status for an unknown format or an impossible size.
    static ssize_t DeclaredSize(const uint8* data);

private:
    MessageReader(BMessage* message, int depth) : fMessage(message), fDepth(depth) {}

    status_t _ReadR5(const uint8* data, size_t size, bool swapped);
    status_t _ReadHaiku(const uint8* data, size_t size, bool swapped);
    status_t _ReadDano(const uint8* data, size_t size, bool swapped);
    status_t _ReadDanoSection(uint32 code, const uint8* data, size_t size, bool swapped);

    // The field to add the values of a field entry to: a new field, or an
    // existing field of the same name when its type and kind agree.
    status_t _FieldFor(std::string_view name, type_code type, bool fixedSize,
        MessageField** field);
    // Adds one value of the field, converting its byte order when needed.
    status_t _AddItem(MessageField* field, const uint8* data, size_t size, bool swapped);
    status_t _AddFixedItems(MessageField* field, const uint8* block, size_t size, uint32 count, bool swapped);

    BMessage* fMessage;
    int fDepth;
    // Name index, built once a message has many fields, so that files with
    // very many fields do not take quadratic time.
    std::unordered_map<std::string_view, MessageField*> fIndex;
};

} // namespace BPrivate
