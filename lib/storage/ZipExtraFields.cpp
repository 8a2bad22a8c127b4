#include "ZipExtraFields.h"

#include <TypeConstants.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace ZipExtra {

namespace {

void PutLE16(std::string& out, uint32 value)
{
    out.push_back(char(value & 0xff));
    out.push_back(char((value >> 8) & 0xff));
}

void PutLE32(std::string& out, uint32 value)
{
    PutLE16(out, value & 0xffff);
    PutLE16(out, value >> 16);
}

void PutBE32(std::string& out, uint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xff));
}

void PutBE64(std::string& out, uint64 value)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xff));
}

uint32 GetLE16(const uint8* p)
{
    return uint32(p[0]) | (uint32(p[1]) << 8);
}

uint32 GetLE32(const uint8* p)
{
    return GetLE16(p) | (GetLE16(p + 2) << 16);
}

uint32 GetBE32(const uint8* p)
{
    return (uint32(p[0]) << 24) | (uint32(p[1]) << 16) | (uint32(p[2]) << 8) | uint32(p[3]);
}

uint64 GetBE64(const uint8* p)
{
    return (uint64(GetBE32(p)) << 32) | GetBE32(p + 4);
}

void ReverseUnits(std::string& data, size_t unit, size_t limit)
{
    const size_t end = std::min(data.size(), limit) / unit * unit;
    for (size_t i = 0; i < end; i += unit)
        std::reverse(data.begin() + i, data.begin() + i + unit);
}

// Raw deflate (no zlib header), as the attribute block is stored.
bool Deflate(const std::string& in, std::string& out)
{
    z_stream stream = {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.resize(deflateBound(&stream, in.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream.avail_in = uInt(in.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

bool Inflate(const uint8* in, size_t inSize, size_t outSize, std::string& out)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    out.assign(outSize, '\0');
    stream.next_in = const_cast<Bytef*>(in);
    stream.avail_in = uInt(inSize);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    int result = inflate(&stream, Z_FINISH);
    // An empty block inflates to nothing; a block that ends early is damage.
    const bool complete = result == Z_STREAM_END && stream.total_out == outSize;
    inflateEnd(&stream);
    return complete;
}

} // namespace

void SwapAttributeData(type_code type, std::string& data)
{
    switch (type) {
    case B_INT16_TYPE:
    case B_UINT16_TYPE:
        ReverseUnits(data, 2, data.size());
        break;
    case B_INT32_TYPE:
    case B_UINT32_TYPE:
    case B_FLOAT_TYPE:
    case B_SIZE_T_TYPE:
    case B_SSIZE_T_TYPE:
    case B_TIME_TYPE:
    case B_POINTER_TYPE:
    case B_POINT_TYPE:
    case B_RECT_TYPE:
        ReverseUnits(data, 4, data.size());
        break;
    case B_INT64_TYPE:
    case B_UINT64_TYPE:
    case B_DOUBLE_TYPE:
    case B_OFF_T_TYPE:
        ReverseUnits(data, 8, data.size());
        break;
    case B_MESSENGER_TYPE:
        // Port, handler token and team; the rest is bytes.
        ReverseUnits(data, 4, 12);
        break;
    default:
        break;
    }
}

std::string EncodeAttributeBlock(const ZipAttributeList& attributes)
{
    std::string block;
    for (const ZipAttribute& attribute : attributes) {
        block.append(attribute.name.c_str(), strlen(attribute.name.c_str()) + 1);
        PutBE32(block, attribute.type);
        PutBE64(block, attribute.data.size());
        std::string data = attribute.data;
        SwapAttributeData(attribute.type, data);
        block += data;
    }
    return block;
}

status_t DecodeAttributeBlock(const void* data, size_t size, ZipAttributeList& attributes)
{
    const uint8* p = static_cast<const uint8*>(data);
    const uint8* end = p + size;
    while (p < end) {
        const uint8* nul = static_cast<const uint8*>(memchr(p, 0, size_t(end - p)));
        if (nul == nullptr || size_t(end - nul - 1) < 12)
            return B_BAD_DATA;
        ZipAttribute attribute;
        attribute.name.assign(reinterpret_cast<const char*>(p), size_t(nul - p));
        attribute.type = GetBE32(nul + 1);
        const uint64 length = GetBE64(nul + 5);
        p = nul + 13;
        if (length > uint64(end - p))
            return B_BAD_DATA;
        attribute.data.assign(reinterpret_cast<const char*>(p), size_t(length));
        SwapAttributeData(attribute.type, attribute.data);
        p += length;
        if (attribute.name.empty())
            return B_BAD_DATA;
        attributes.push_back(std::move(attribute));
    }
    return B_OK;
}

bool BuildBeFields(const std::string& block, size_t room, std::string& local, std::string& central)
{
    std::string payload;
    uint8 flags = 0;
    std::string deflated;
    if (Deflate(block, deflated) && deflated.size() + 6 <= block.size()) {
        PutLE16(payload, 8);
        PutLE32(payload, uint32(crc32(0L, reinterpret_cast<const Bytef*>(block.data()), uInt(block.size()))));
        payload += deflated;
    } else {
        flags = 1;
        payload = block;
    }
    // Header (4) + BSize (4) + flags (1) + payload.
    if (payload.size() + 9 > room || payload.size() + 5 > 0xffff)
        return false;

    local.clear();
    PutLE16(local, kBeFieldId);
    PutLE16(local, uint32(payload.size() + 5));
    PutLE32(local, uint32(block.size()));
    local.push_back(char(flags));
    local += payload;

    central.clear();
    PutLE16(central, kBeFieldId);
    PutLE16(central, 5);
    PutLE32(central, uint32(payload.size()));
    central.push_back(char(flags));
    return true;
}

bool FindField(const void* extra, size_t size, uint16 id, const uint8*& data, size_t& length)
{
    const uint8* p = static_cast<const uint8*>(extra);
    const uint8* end = p + size;
    while (end - p >= 4) {
        const uint32 fieldId = GetLE16(p);
        const size_t fieldSize = GetLE16(p + 2);
        if (fieldSize > size_t(end - p - 4))
            return false;
        if (fieldId == id) {
            data = p + 4;
            length = fieldSize;
            return true;
        }
        p += 4 + fieldSize;
    }
    return false;
}

status_t ParseBeField(const void* extra, size_t size, std::string& block)
{
    const uint8* field = nullptr;
    size_t length = 0;
    if (!FindField(extra, size, kBeFieldId, field, length))
        return B_NAME_NOT_FOUND;
    if (length < 5)
        return B_BAD_DATA;
    const size_t blockSize = GetLE32(field);
    const uint8 flags = field[4];
    const uint8* payload = field + 5;
    const size_t payloadSize = length - 5;
    if ((flags & 0xfe) != 0)
        return B_UNSUPPORTED;
    if ((flags & 1) != 0) {
        if (blockSize > payloadSize)
            return B_BAD_DATA;
        block.assign(reinterpret_cast<const char*>(payload), blockSize);
        return B_OK;
    }
    if (payloadSize < 6)
        return B_BAD_DATA;
    const uint32 method = GetLE16(payload);
    const uint32 crc = GetLE32(payload + 2);
    if (method == 0) {
        if (blockSize > payloadSize - 6)
            return B_BAD_DATA;
        block.assign(reinterpret_cast<const char*>(payload + 6), blockSize);
    } else if (method == 8) {
        // The field is at most 64 KiB; a sane block is not more than the
        // deflate limit of about 1032:1 times that.
        if (blockSize > (payloadSize - 6) * 1040 + 16)
            return B_BAD_DATA;
        if (!Inflate(payload + 6, payloadSize - 6, blockSize, block))
            return B_BAD_DATA;
    } else {
        return B_UNSUPPORTED;
    }
    if (crc32(0L, reinterpret_cast<const Bytef*>(block.data()), uInt(block.size())) != crc)
        return B_BAD_DATA;
    return B_OK;
}

std::string BuildTimeField(bool local, uint32 modified, uint32 accessed)
{
    std::string field;
    PutLE16(field, kTimeFieldId);
    PutLE16(field, local ? 9 : 5);
    field.push_back(char(0x03));
    PutLE32(field, modified);
    if (local)
        PutLE32(field, accessed);
    return field;
}

std::string BuildUnix2Field(bool local, uint32 uid, uint32 gid)
{
    std::string field;
    PutLE16(field, kUnix2FieldId);
    PutLE16(field, local ? 4 : 0);
    if (local) {
        PutLE16(field, uid & 0xffff);
        PutLE16(field, gid & 0xffff);
    }
    return field;
}

bool FindModificationTime(const void* extra, size_t size, int64& modified)
{
    const uint8* field = nullptr;
    size_t length = 0;
    if (!FindField(extra, size, kTimeFieldId, field, length) || length < 5 || (field[0] & 1) == 0)
        return false;
    // Unsigned, as Info-ZIP reads it on 64-bit systems (dates past 2038).
    modified = int64(GetLE32(field + 1));
    return true;
}

} // namespace ZipExtra
