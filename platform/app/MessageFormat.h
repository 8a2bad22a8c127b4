// Constants of the flattened message formats. Private to the message code.
#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// Magic numbers, as read from the first four bytes in host (little-endian)
// order.
enum : uint32 {
    kMessageMagicR5 = 'FOB1',          // classic format, our byte order
    kMessageMagicR5Swapped = '1BOF',   // classic format, opposite byte order
    kMessageMagicDano = 'FOB2',
    kMessageMagicDanoSwapped = '2BOF',
    kMessageMagicHaiku = '1FMH',       // successor's native format, our order
    kMessageMagicHaikuSwapped = 'HMF1'
};

// Classic format: header flag bits.
enum : uint8 {
    kR5HeaderValid = 0x01,
    kR5HeaderHasTarget = 0x02,
    kR5HeaderHasReply = 0x04,
    kR5HeaderScripting = 0x08
};

// Classic format: field flag bits.
enum : uint8 {
    kR5FieldValid = 0x01,
    kR5FieldMiniData = 0x02,
    kR5FieldFixedSize = 0x04,
    kR5FieldSingleItem = 0x08
};

const size_t kR5HeaderSize = 17;
const size_t kR5TargetSize = 4;
const size_t kR5ReplySize = 16;

// Successor's native format.
const size_t kHaikuHeaderSize = 68;
const size_t kHaikuFieldHeaderSize = 24;
const uint16 kHaikuFieldFixedSize = 0x0002;

// "Dano" format: a 16-byte header (magic, total size, what, padding), then
// sections of an 8-byte header (code, size including the header) and
// contents, each padded to a multiple of 8.
const size_t kDanoHeaderSize = 16;
const size_t kDanoSectionHeaderSize = 8;
enum : uint32 {
    kDanoSingleItem = 'SGDa',
    kDanoFixedArray = 'FADa',
    kDanoVariableArray = 'VADa'
};

inline constexpr uint64 pad8(uint64 n)
{
    return (n + 7) & ~uint64(7);
}

} // namespace BPrivate
