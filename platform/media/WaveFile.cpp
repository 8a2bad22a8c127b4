#include <WaveFile.h>

#include <Errors.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Sound files larger than this are not loaded into memory.
constexpr size_t kMaxWaveBytes = size_t(256) << 20;

constexpr uint16 kPcm = 1;
constexpr uint16 kIeeeFloat = 3;
constexpr uint16 kExtensible = 0xfffe;

uint32 Le32(const std::string& bytes, size_t at)
{
    return uint32(uint8(bytes[at])) | uint32(uint8(bytes[at + 1])) << 8 | uint32(uint8(bytes[at + 2])) << 16
        | uint32(uint8(bytes[at + 3])) << 24;
}

uint16 Le16(const std::string& bytes, size_t at)
{
    return uint16(uint8(bytes[at]) | uint8(bytes[at + 1]) << 8);
}

uint32 FormatCode(uint16 tag, uint16 bits)
{
    if (tag == kIeeeFloat)
        return bits == 32 ? media_raw_audio_format::B_AUDIO_FLOAT : 0;
    if (tag != kPcm)
        return 0;
    switch (bits) {
    case 8: return media_raw_audio_format::B_AUDIO_UCHAR;
    case 16: return media_raw_audio_format::B_AUDIO_SHORT;
    case 32: return media_raw_audio_format::B_AUDIO_INT;
    default: return 0;
    }
}

} // namespace

status_t read_wave_file(const char* path, std::vector<uint8>* data, media_raw_audio_format* format)
{
    if (path == nullptr || data == nullptr || format == nullptr)
        return B_BAD_VALUE;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return B_ENTRY_NOT_FOUND;
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (length < 12 || size_t(length) > kMaxWaveBytes)
        return B_BAD_DATA;
    file.seekg(0);
    std::string bytes(size_t(length), '\0');
    if (!file.read(bytes.data(), length))
        return B_BAD_DATA;
    if (bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return B_BAD_DATA;

    media_raw_audio_format found;
    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = Le32(bytes, at + 4);
        const size_t body = at + 8;
        if (size > bytes.size() - body)
            return B_BAD_DATA;
        if (id == "fmt ") {
            if (size < 16)
                return B_BAD_DATA;
            uint16 tag = Le16(bytes, body);
            const uint16 channels = Le16(bytes, body + 2);
            const uint32 rate = Le32(bytes, body + 4);
            const uint16 bits = Le16(bytes, body + 14);
            // The extensible form names the real format in the first two
            // bytes of its sub-format GUID.
            if (tag == kExtensible && size >= 26)
                tag = Le16(bytes, body + 24);
            found.frame_rate = float(rate);
            found.channel_count = channels;
            found.format = FormatCode(tag, bits);
            found.byte_order = B_MEDIA_LITTLE_ENDIAN;
            if (found.format == 0 || channels == 0 || rate == 0)
                return B_BAD_DATA;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return B_BAD_DATA;
            const size_t frame = size_t(found.format & media_raw_audio_format::B_AUDIO_SIZE_MASK)
                * found.channel_count;
            found.buffer_size = std::min<size_t>(size / frame * frame, 4096 / frame * frame);
            if (found.buffer_size == 0)
                found.buffer_size = frame;
            data->assign(bytes.begin() + std::ptrdiff_t(body), bytes.begin() + std::ptrdiff_t(body + size));
            *format = found;
            return B_OK;
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1);
    }
    return B_BAD_DATA;
}
