// Writes a BMessage in the classic little-endian flattened format. Private
// to the message code.
#pragma once

#include <Message.h>

#include <vector>

namespace BPrivate {

class MessageWriter {
public:
    // Computes the sizes of the message, its fields and nested messages.
    // Returns the flattened size, or a negative status when the message is
    // too large for the format.
    ssize_t Measure(const BMessage& message);
    // Writes the message measured last into buffer (at least the measured
    // size).
    void Write(const BMessage& message, char* buffer);

private:
    uint64 _Measure(const BMessage& message);
    char* _Write(const BMessage& message, char* out);

    // Sizes in the order the writer needs them: for every message its total
    // size, then for each of its fields the size of the data block followed
    // by the sizes of nested messages, depth first.
    std::vector<uint64> fSizes;
    size_t fNext = 0;
};

} // namespace BPrivate
