#include "MessageWriter.h"

#include "MessageField.h"
#include "MessageFormat.h"

#include <ByteOrder.h>

#include <cstring>
#include <string>

// The in-memory values are kept in host order and written as they are.
static_assert(BPrivate::kHostIsLittleEndian,
    "the message writer stores values in host order and must write little-endian data");

namespace BPrivate {

namespace {

const uint64 kMaxFlatSize = 0x7fffffff;

bool use_mini(const MessageField& field, uint64 dataSize)
{
    // The platform's x86 writer used one-byte count and size whenever both
    // fit in a byte.
    return dataSize <= 255 && field.CountItems() <= 255;
}

uint64 entry_size(const MessageField& field, uint64 dataSize)
{
    bool mini = use_mini(field, dataSize);
    uint64 size = 1 + 4;                                    // flags, type
    if (field.CountItems() != 1)
        size += mini ? 1 : 4;                               // count
    size += mini ? 1 : 4;                                   // data size
    size += 1 + field.Name().size();                        // name
    return size + dataSize;
}

char* put32(char* out, uint32 value)
{
    value = B_HOST_TO_LENDIAN_INT32(value);
    memcpy(out, &value, 4);
    return out + 4;
}

// The header checksum: the bytes from offset 8 to the end of the header,
// taken as big-endian 32-bit groups and added up; the bytes left over are
// added as one big-endian number.
uint32 header_checksum(const uint8* bytes, size_t length)
{
    uint32 sum = 0;
    size_t i = 0;
    for (; i + 4 <= length; i += 4)
        sum += (uint32(bytes[i]) << 24) | (uint32(bytes[i + 1]) << 16)
            | (uint32(bytes[i + 2]) << 8) | uint32(bytes[i + 3]);
    uint32 rest = 0;
    for (; i < length; i++)
        rest = (rest << 8) | bytes[i];
    return sum + rest;
}

} // namespace

ssize_t MessageWriter::Measure(const BMessage& message)
{
    fSizes.clear();
    fNext = 0;
    uint64 size = _Measure(message);
    if (size > kMaxFlatSize)
        return B_BAD_VALUE;
    return ssize_t(size);
}

uint64 MessageWriter::_Measure(const BMessage& message)
{
    size_t slot = fSizes.size();
    fSizes.push_back(0);
    uint64 total = kR5HeaderSize + 1;
    for (const auto& fieldPointer : message.fFields) {
        const MessageField& field = *fieldPointer;
        size_t fieldSlot = fSizes.size();
        fSizes.push_back(0);
        uint64 dataSize = 0;
        if (field.HoldsMessages()) {
            for (int32 i = 0; i < field.CountItems(); i++)
                dataSize += pad8(4 + _Measure(*field.ItemMessage(i)));
        } else if (field.IsFixedSize()) {
            dataSize = uint64(field.CountItems()) * field.ItemSize();
        } else {
            for (int32 i = 0; i < field.CountItems(); i++)
                dataSize += pad8(4 + uint64(field.ItemByteSize(i)));
        }
        fSizes[fieldSlot] = dataSize;
        total += entry_size(field, dataSize);
    }
    fSizes[slot] = total;
    return total;
}

void MessageWriter::Write(const BMessage& message, char* buffer)
{
    fNext = 0;
    _Write(message, buffer);
}

char* MessageWriter::_Write(const BMessage& message, char* out)
{
    char* start = out;
    uint64 size = fSizes[fNext++];

    out = put32(out, kMessageMagicR5);
    char* checksum = out;
    out += 4;
    out = put32(out, uint32(size));
    out = put32(out, message.what);
    *out++ = char(kR5HeaderValid);
    put32(checksum, header_checksum(reinterpret_cast<const uint8*>(start) + 8,
        kR5HeaderSize - 8));

    for (const auto& fieldPointer : message.fFields) {
        const MessageField& field = *fieldPointer;
        uint64 dataSize = fSizes[fNext++];
        bool mini = use_mini(field, dataSize);
        uint8 flags = kR5FieldValid;
        if (mini)
            flags |= kR5FieldMiniData;
        if (field.IsFixedSize())
            flags |= kR5FieldFixedSize;
        if (field.CountItems() == 1)
            flags |= kR5FieldSingleItem;
        *out++ = char(flags);
        out = put32(out, field.Type());
        if (field.CountItems() != 1) {
            if (mini)
                *out++ = char(uint8(field.CountItems()));
            else
                out = put32(out, uint32(field.CountItems()));
        }
        if (mini)
            *out++ = char(uint8(dataSize));
        else
            out = put32(out, uint32(dataSize));
        *out++ = char(uint8(field.Name().size()));
        memcpy(out, field.Name().data(), field.Name().size());
        out += field.Name().size();

        if (field.HoldsMessages()) {
            for (int32 i = 0; i < field.CountItems(); i++) {
                uint64 itemSize = fSizes[fNext];
                char* itemStart = out;
                out = put32(out, uint32(itemSize));
                out = _Write(*field.ItemMessage(i), out);
                size_t padded = pad8(4 + itemSize);
                memset(out, 0, padded - size_t(out - itemStart));
                out = itemStart + padded;
            }
        } else if (field.IsFixedSize()) {
            for (int32 i = 0; i < field.CountItems(); i++) {
                size_t itemSize = 0;
                const void* data = field.ItemData(i, &itemSize);
                memcpy(out, data, itemSize);
                out += itemSize;
            }
        } else {
            for (int32 i = 0; i < field.CountItems(); i++) {
                size_t itemSize = 0;
                const void* data = field.ItemData(i, &itemSize);
                char* itemStart = out;
                out = put32(out, uint32(itemSize));
                memcpy(out, data, itemSize);
                out += itemSize;
                size_t padded = pad8(4 + itemSize);
                memset(out, 0, padded - size_t(out - itemStart));
                out = itemStart + padded;
            }
        }
    }
    *out++ = 0;
    return out;
}

} // namespace BPrivate

using BPrivate::MessageWriter;

ssize_t BMessage::FlattenedSize() const
{
    MessageWriter writer;
    return writer.Measure(*this);
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    MessageWriter writer;
    ssize_t needed = writer.Measure(*this);
    if (needed < 0)
        return status_t(needed);
    if (size < needed)
        return B_BAD_VALUE;
    writer.Write(*this, buffer);
    return B_OK;
}

status_t BMessage::Flatten(std::string* out) const
{
    if (out == nullptr)
        return B_BAD_VALUE;
    MessageWriter writer;
    ssize_t needed = writer.Measure(*this);
    if (needed < 0)
        return status_t(needed);
    out->resize(size_t(needed));
    writer.Write(*this, out->data());
    return B_OK;
}

status_t BMessage::Flatten(std::vector<char>* out) const
{
    if (out == nullptr)
        return B_BAD_VALUE;
    MessageWriter writer;
    ssize_t needed = writer.Measure(*this);
    if (needed < 0)
        return status_t(needed);
    out->resize(size_t(needed));
    writer.Write(*this, out->data());
    return B_OK;
}
