#include "MessageReader.h"

#include "MessageField.h"
#include "MessageFormat.h"

#include <ByteOrder.h>

#include <cstring>
#include <limits>

namespace BPrivate {

namespace {

// Number of fields up to which duplicate names are found by a plain scan.
const size_t kScanLimit = 16;

// A bounds-checked view of input bytes; every read fails instead of going
// past the end.
class Input {
public:
    Input(const uint8* data, size_t size, bool swapped)
        : fData(data), fSize(size), fSwapped(swapped)
    {
    }

    size_t Remaining() const { return fSize - fPosition; }
    size_t Position() const { return fPosition; }
    const uint8* Current() const { return fData + fPosition; }

    bool Read8(uint8* value)
    {
        if (Remaining() < 1)
            return false;
        *value = fData[fPosition++];
        return true;
    }

    bool Read16(uint16* value)
    {
        if (Remaining() < 2)
            return false;
        memcpy(value, fData + fPosition, 2);
        fPosition += 2;
        if (fSwapped)
            *value = swap_uint16(*value);
        return true;
    }

    bool Read32(uint32* value)
    {
        if (Remaining() < 4)
            return false;
        memcpy(value, fData + fPosition, 4);
        fPosition += 4;
        if (fSwapped)
            *value = swap_uint32(*value);
        return true;
    }

    bool Skip(size_t count)
    {
        if (Remaining() < count)
            return false;
        fPosition += count;
        return true;
    }

private:
    const uint8* fData;
    size_t fSize;
    size_t fPosition = 0;
    bool fSwapped;
};

uint32 read_magic(const uint8* data)
{
    uint32 magic;
    memcpy(&magic, data, 4);
    return B_LENDIAN_TO_HOST_INT32(magic);
}

uint32 read32(const uint8* data, bool swapped)
{
    uint32 value;
    memcpy(&value, data, 4);
    return swapped ? swap_uint32(value) : value;
}

} // namespace

ssize_t MessageReader::DeclaredSize(const uint8* data)
{
    if (data == nullptr)
        return B_BAD_VALUE;
    uint32 magic = read_magic(data);
    switch (magic) {
    case kMessageMagicR5:
    case kMessageMagicR5Swapped: {
        int32 size = int32(read32(data + 8, magic == kMessageMagicR5Swapped));
        if (size < int32(kR5HeaderSize + 1))
            return B_BAD_DATA;
        return size;
    }
    case kMessageMagicDano:
    case kMessageMagicDanoSwapped: {
        int32 size = int32(read32(data + 4, magic == kMessageMagicDanoSwapped));
        if (size < 8)
            return B_BAD_DATA;
        return size;
    }
    case kMessageMagicHaiku:
    case kMessageMagicHaikuSwapped: {
        bool swapped = magic == kMessageMagicHaikuSwapped;
        uint64 dataSize = read32(data + 36, swapped);
        uint64 fieldCount = read32(data + 40, swapped);
        uint64 size = kHaikuHeaderSize + fieldCount * kHaikuFieldHeaderSize + dataSize;
        if (size > uint64(std::numeric_limits<int32>::max()))
            return B_BAD_DATA;
        return ssize_t(size);
    }
    default:
        return B_NOT_A_MESSAGE;
    }
}

status_t MessageReader::Read(BMessage* message, const uint8* data, size_t size, int depth)
{
    if (depth > B_MESSAGE_MAX_NESTING_DEPTH)
        return B_BAD_DATA;
    if (data == nullptr)
        return B_BAD_VALUE;
    if (size < 4)
        return B_NOT_A_MESSAGE;
    MessageReader reader(message, depth);
    switch (read_magic(data)) {
    case kMessageMagicR5:
        return reader._ReadR5(data, size, false);
    case kMessageMagicR5Swapped:
        return reader._ReadR5(data, size, true);
    case kMessageMagicHaiku:
        return reader._ReadHaiku(data, size, false);
    case kMessageMagicHaikuSwapped:
        return reader._ReadHaiku(data, size, true);
    case kMessageMagicDano:
        return reader._ReadDano(data, size, false);
    case kMessageMagicDanoSwapped:
        return reader._ReadDano(data, size, true);
    default:
        return B_NOT_A_MESSAGE;
    }
}

status_t MessageReader::_ReadR5(const uint8* data, size_t size, bool swapped)
{
    Input header(data, size, swapped);
    uint32 magic;
    uint32 checksum;
    uint32 declaredSize;
    uint32 what;
    uint8 flags;
    if (!header.Read32(&magic) || !header.Read32(&checksum) || !header.Read32(&declaredSize)
        || !header.Read32(&what) || !header.Read8(&flags))
        return B_BAD_DATA;
    // The checksum is not checked: the platform's readers never did.
    (void)checksum;
    if (declaredSize > size || declaredSize < kR5HeaderSize + 1)
        return B_BAD_DATA;

    // Everything below stays within the declared size.
    Input in(data, declaredSize, swapped);
    in.Skip(kR5HeaderSize);
    if ((flags & kR5HeaderHasTarget) != 0 && !in.Skip(kR5TargetSize))
        return B_BAD_DATA;
    if ((flags & kR5HeaderHasReply) != 0 && !in.Skip(kR5ReplySize))
        return B_BAD_DATA;
    fMessage->what = what;

    while (true) {
        uint8 fieldFlags;
        if (!in.Read8(&fieldFlags))
            return B_BAD_DATA;          // no end marker
        if ((fieldFlags & kR5FieldValid) == 0)
            break;

        bool mini = (fieldFlags & kR5FieldMiniData) != 0;
        bool fixedSize = (fieldFlags & kR5FieldFixedSize) != 0;
        uint32 type;
        if (!in.Read32(&type))
            return B_BAD_DATA;

        uint32 count = 1;
        if ((fieldFlags & kR5FieldSingleItem) == 0) {
            if (mini) {
                uint8 small;
                if (!in.Read8(&small))
                    return B_BAD_DATA;
                count = small;
            } else if (!in.Read32(&count))
                return B_BAD_DATA;
        }
        uint32 dataSize;
        if (mini) {
            uint8 small;
            if (!in.Read8(&small))
                return B_BAD_DATA;
            dataSize = small;
        } else if (!in.Read32(&dataSize))
            return B_BAD_DATA;

        uint8 nameLength;
        if (!in.Read8(&nameLength) || in.Remaining() < nameLength)
            return B_BAD_DATA;
        std::string_view name(reinterpret_cast<const char*>(in.Current()), nameLength);
        in.Skip(nameLength);

        if (count == 0 || count > uint32(std::numeric_limits<int32>::max())
            || int32(dataSize) <= 0 || dataSize > in.Remaining())
            return B_BAD_DATA;
        const uint8* block = in.Current();
        in.Skip(dataSize);

        MessageField* field = nullptr;
        status_t status = _FieldFor(name, type, fixedSize, &field);
        if (status != B_OK)
            return status;

        if (fixedSize) {
            status = _AddFixedItems(field, block, dataSize, count, swapped);
            if (status != B_OK)
                return status;
            continue;
        }

        // Variable-size values: length, bytes, zero padding to a multiple
        // of 8 counted from the length. The padding of the last value may be
        // missing; anything else left over means the count is wrong.
        Input items(block, dataSize, swapped);
        for (uint32 i = 0; i < count; i++) {
            size_t itemStart = items.Position();
            uint32 itemSize;
            if (!items.Read32(&itemSize) || itemSize > items.Remaining())
                return B_BAD_DATA;
            const uint8* item = items.Current();
            items.Skip(itemSize);
            uint64 padded = pad8(4 + uint64(itemSize));
            uint64 used = items.Position() - itemStart;
            size_t padding = size_t(padded - used);
            items.Skip(padding <= items.Remaining() ? padding : items.Remaining());
            status = _AddItem(field, item, itemSize, swapped);
            if (status != B_OK)
                return status;
        }
        if (items.Remaining() != 0)
            return B_BAD_DATA;
    }
    return B_OK;
}

status_t MessageReader::_ReadHaiku(const uint8* data, size_t size, bool swapped)
{
    if (size < kHaikuHeaderSize)
        return B_BAD_DATA;
    Input header(data, kHaikuHeaderSize, swapped);
    uint32 values[12];
    for (uint32& value : values)
        header.Read32(&value);
    uint32 what = values[1];
    uint64 dataSize = values[9];
    uint64 fieldCount = values[10];
    // Header flags, target, specifier and reply data only mean something
    // on the system that sent the message.
    uint64 total = kHaikuHeaderSize + fieldCount * kHaikuFieldHeaderSize + dataSize;
    if (total > size)
        return B_BAD_DATA;
    fMessage->what = what;

    const uint8* fieldHeaders = data + kHaikuHeaderSize;
    const uint8* dataArea = fieldHeaders + fieldCount * kHaikuFieldHeaderSize;
    for (uint64 index = 0; index < fieldCount; index++) {
        Input in(fieldHeaders + index * kHaikuFieldHeaderSize, kHaikuFieldHeaderSize, swapped);
        uint16 flags;
        uint16 nameLength;
        uint32 type;
        uint32 count;
        uint32 fieldDataSize;
        uint32 offset;
        in.Read16(&flags);
        in.Read16(&nameLength);
        in.Read32(&type);
        in.Read32(&count);
        in.Read32(&fieldDataSize);
        in.Read32(&offset);

        // The name (with its NUL) and then the values lie in the data area.
        if (nameLength == 0 || uint64(offset) + nameLength + fieldDataSize > dataSize)
            return B_BAD_DATA;
        const char* nameStart = reinterpret_cast<const char*>(dataArea + offset);
        if (nameStart[nameLength - 1] != '\0')
            return B_BAD_DATA;
        std::string_view name(nameStart, nameLength - 1u);
        if (name.size() > B_MESSAGE_MAX_NAME_LENGTH)
            return B_BAD_DATA;      // cannot be stored in the classic format
        if (count == 0) {
            if (fieldDataSize != 0)
                return B_BAD_DATA;
            continue;               // an empty field holds nothing
        }
        if (fieldDataSize == 0 || count > uint32(std::numeric_limits<int32>::max()))
            return B_BAD_DATA;
        const uint8* block = dataArea + offset + nameLength;
        bool fixedSize = (flags & kHaikuFieldFixedSize) != 0;

        MessageField* field = nullptr;
        status_t status = _FieldFor(name, type, fixedSize, &field);
        if (status != B_OK)
            return status;

        if (fixedSize) {
            status = _AddFixedItems(field, block, fieldDataSize, count, swapped);
            if (status != B_OK)
                return status;
            continue;
        }

        // Variable-size values: length and bytes, no padding.
        Input items(block, fieldDataSize, swapped);
        for (uint32 i = 0; i < count; i++) {
            uint32 itemSize;
            if (!items.Read32(&itemSize) || itemSize > items.Remaining())
                return B_BAD_DATA;
            const uint8* item = items.Current();
            items.Skip(itemSize);
            status = _AddItem(field, item, itemSize, swapped);
            if (status != B_OK)
                return status;
        }
        if (items.Remaining() != 0)
            return B_BAD_DATA;
    }
    return B_OK;
}

status_t MessageReader::_ReadDano(const uint8* data, size_t size, bool swapped)
{
    Input header(data, size, swapped);
    uint32 magic;
    uint32 declaredSize;
    uint32 what;
    if (!header.Read32(&magic) || !header.Read32(&declaredSize) || !header.Read32(&what)
        || !header.Skip(4))
        return B_BAD_DATA;
    if (declaredSize > size || declaredSize < kDanoHeaderSize)
        return B_BAD_DATA;
    fMessage->what = what;

    // Sections up to the declared size; the last one may lack its padding.
    size_t offset = kDanoHeaderSize;
    while (offset < declaredSize) {
        Input section(data + offset, declaredSize - offset, swapped);
        uint32 code;
        uint32 sectionSize;
        if (!section.Read32(&code) || !section.Read32(&sectionSize))
            return B_BAD_DATA;
        if (sectionSize < kDanoSectionHeaderSize || sectionSize > declaredSize - offset)
            return B_BAD_DATA;
        status_t status = _ReadDanoSection(code, data + offset + kDanoSectionHeaderSize,
            sectionSize - kDanoSectionHeaderSize, swapped);
        if (status != B_OK)
            return status;
        uint64 padded = pad8(sectionSize);
        offset = padded < declaredSize - offset ? offset + size_t(padded) : declaredSize;
    }
    return B_OK;
}

status_t MessageReader::_ReadDanoSection(uint32 code, const uint8* data, size_t size,
    bool swapped)
{
    if (code != kDanoSingleItem && code != kDanoFixedArray && code != kDanoVariableArray)
        return B_OK;        // offset tables, indexes, target and end marks

    // Every data section starts with the type, a size word (value size,
    // size per value, or unused), the name length and the name with its
    // NUL, padded to a multiple of 8.
    Input in(data, size, swapped);
    uint32 type;
    uint32 sizeWord;
    uint8 nameLength;
    if (!in.Read32(&type) || !in.Read32(&sizeWord) || !in.Read8(&nameLength)
        || in.Remaining() < size_t(nameLength) + 1)
        return B_BAD_DATA;
    const char* name = reinterpret_cast<const char*>(in.Current());
    if (name[nameLength] != '\0')
        return B_BAD_DATA;
    size_t valuesStart = size_t(pad8(9 + size_t(nameLength) + 1));
    if (valuesStart > size)
        return B_BAD_DATA;
    Input values(data + valuesStart, size - valuesStart, swapped);
    std::string_view fieldName(name, nameLength);
    MessageField* field = nullptr;
    status_t status;

    if (code == kDanoSingleItem) {
        // The format does not record the fixed-size flag of a single value;
        // the numeric types are taken as fixed, as the typed adders make them.
        bool fixedSize = false;
        switch (type) {
        case B_RECT_TYPE: case B_POINT_TYPE: case B_BOOL_TYPE:
        case B_INT8_TYPE: case B_INT16_TYPE: case B_INT32_TYPE: case B_INT64_TYPE:
        case B_UINT8_TYPE: case B_UINT16_TYPE: case B_UINT32_TYPE: case B_UINT64_TYPE:
        case B_FLOAT_TYPE: case B_DOUBLE_TYPE: case B_POINTER_TYPE: case B_MESSENGER_TYPE:
            fixedSize = true;
            break;
        default:
            break;
        }
        if (sizeWord > values.Remaining())
            return B_BAD_DATA;
        status = _FieldFor(fieldName, type, fixedSize, &field);
        if (status != B_OK)
            return status;
        return _AddItem(field, values.Current(), sizeWord, swapped);
    }

    uint32 count;
    if (code == kDanoFixedArray) {
        // Count, 4 padding bytes, then the values back to back.
        if (!values.Read32(&count) || !values.Skip(4))
            return B_BAD_DATA;
        uint64 total = uint64(count) * sizeWord;
        if (count == 0 || sizeWord == 0 || total > values.Remaining())
            return B_BAD_DATA;
        status = _FieldFor(fieldName, type, true, &field);
        if (status != B_OK)
            return status;
        field->Reserve(int32(count), size_t(total));
        for (uint32 i = 0; i < count; i++) {
            status = _AddItem(field, values.Current() + size_t(i) * sizeWord, sizeWord, swapped);
            if (status != B_OK)
                return status;
        }
        return B_OK;
    }

    // Variable array: count, total size of the value area, the values (each
    // starting at a multiple of 8), then a table of the values' end offsets.
    uint32 totalSize;
    if (!values.Read32(&count) || !values.Read32(&totalSize))
        return B_BAD_DATA;
    if (count == 0 || totalSize > values.Remaining()
        || uint64(count) * 4 > values.Remaining() - totalSize)
        return B_BAD_DATA;
    const uint8* area = values.Current();
    Input ends(area + totalSize, size_t(count) * 4, swapped);
    status = _FieldFor(fieldName, type, false, &field);
    if (status != B_OK)
        return status;
    uint64 start = 0;
    for (uint32 i = 0; i < count; i++) {
        uint32 end = 0;
        ends.Read32(&end);
        if (end < start || end > totalSize)
            return B_BAD_DATA;
        status = _AddItem(field, area + start, size_t(end - start), swapped);
        if (status != B_OK)
            return status;
        start = pad8(end);
    }
    return B_OK;
}

status_t MessageReader::_FieldFor(std::string_view name, type_code type, bool fixedSize,
    MessageField** fieldFound)
{
    // Names are looked up as C strings; a name with a NUL inside could never
    // be reached, so such input is taken as damaged.
    if (name.find('\0') != std::string_view::npos)
        return B_BAD_DATA;

    auto& fields = fMessage->fFields;
    MessageField* existing = nullptr;
    if (fields.size() <= kScanLimit) {
        for (const auto& field : fields) {
            if (field->Name() == name) {
                existing = field.get();
                break;
            }
        }
    } else {
        if (fIndex.empty()) {
            for (const auto& field : fields)
                fIndex.emplace(std::string_view(field->Name()), field.get());
        }
        auto found = fIndex.find(name);
        if (found != fIndex.end())
            existing = found->second;
    }

    if (existing != nullptr) {
        // The formats never repeat a name; a repeated entry of the same kind
        // is taken as more values of the field.
        if (existing->Type() != type || existing->IsFixedSize() != fixedSize)
            return B_BAD_DATA;
        if (existing->CountItems() == std::numeric_limits<int32>::max())
            return B_BAD_DATA;
        *fieldFound = existing;
        return B_OK;
    }

    fields.push_back(std::make_unique<MessageField>(std::string(name), type, fixedSize));
    MessageField* field = fields.back().get();
    // Once built, the index must know every field.
    if (!fIndex.empty())
        fIndex.emplace(std::string_view(field->Name()), field);
    *fieldFound = field;
    return B_OK;
}

// Splits a block of count fixed-size values into the field; the values of
// one field must all have the same size.
status_t MessageReader::_AddFixedItems(MessageField* field, const uint8* block, size_t size, uint32 count,
    bool swapped)
{
    if (size % count != 0)
        return B_BAD_DATA;
    const size_t itemSize = size / count;
    if (field->CountItems() > 0 && field->ItemSize() != itemSize)
        return B_BAD_DATA;
    field->Reserve(int32(count), size);
    for (uint32 i = 0; i < count; i++) {
        status_t status = _AddItem(field, block + size_t(i) * itemSize, itemSize, swapped);
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

status_t MessageReader::_AddItem(MessageField* field, const uint8* data, size_t size,
    bool swapped)
{
    if (field->CountItems() == std::numeric_limits<int32>::max())
        return B_BAD_DATA;
    // All values of a fixed-size field have one size, and it is not 0.
    if (field->IsFixedSize()
        && (size == 0 || (field->CountItems() > 0 && field->ItemSize() != size)))
        return B_BAD_DATA;
    if (field->HoldsMessages()) {
        auto nested = std::make_unique<BMessage>();
        status_t status = Read(nested.get(), data, size, fDepth + 1);
        if (status != B_OK)
            return status == B_NO_MEMORY ? status : B_BAD_DATA;
        return field->AddMessage(std::move(nested));
    }
    if (!swapped || (!is_type_swapped(field->Type()) && field->Type() != B_REF_TYPE))
        return field->AddBytes(data, size);

    // Values from the opposite byte order are converted to ours.
    std::string copy(reinterpret_cast<const char*>(data), size);
    if (field->Type() == B_REF_TYPE) {
        // A ref starts with an int32 device and an int64 directory.
        if (size >= 4)
            swap_data(B_INT32_TYPE, copy.data(), 4, B_SWAP_ALWAYS);
        if (size >= 12)
            swap_data(B_INT64_TYPE, copy.data() + 4, 8, B_SWAP_ALWAYS);
    } else
        swap_data(field->Type(), copy.data(), size, B_SWAP_ALWAYS);
    return field->AddBytes(copy.data(), size);
}

} // namespace BPrivate

using BPrivate::MessageReader;

status_t BMessage::Unflatten(const char* buffer, ssize_t size)
{
    // The buffer may point into this very message, so the old contents go
    // only after the new ones have been read.
    BMessage result;
    status_t status = B_BAD_VALUE;
    if (buffer != nullptr && size >= 0) {
        status = MessageReader::Read(&result, reinterpret_cast<const uint8*>(buffer),
            size_t(size), 0);
    }
    if (status != B_OK) {
        what = 0;
        fFields.clear();
        return status;
    }
    what = result.what;
    fFields = std::move(result.fFields);
    return B_OK;
}

status_t BMessage::Unflatten(const char* flatBuffer)
{
    if (flatBuffer == nullptr) {
        what = 0;
        fFields.clear();
        return B_BAD_VALUE;
    }
    ssize_t size = MessageReader::DeclaredSize(reinterpret_cast<const uint8*>(flatBuffer));
    if (size < 0) {
        what = 0;
        fFields.clear();
        return status_t(size);
    }
    return Unflatten(flatBuffer, size);
}
