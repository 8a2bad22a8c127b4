#include "WaveFile.h"

#include <Message.h>
#include <TypeConstants.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// Sample format codes and byte order of the platform's raw audio format.
constexpr int32 kAudioFloat = 0x24;
constexpr int32 kAudioInt = 0x04;
constexpr int32 kAudioShort = 0x02;
constexpr int32 kAudioUChar = 0x11;
constexpr int32 kLittleEndian = 2;
constexpr int32 kFramesPerBuffer = 1024;
// Start-up sounds are short; refuse anything that would bloat a build.
constexpr size_t kMaxSoundBytes = 64 * 1024 * 1024;

uint32 Le32(const uint8* p)
{
    return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24);
}

uint16 Le16(const uint8* p)
{
    return uint16(p[0] | (p[1] << 8));
}

} // namespace

std::string ReadWaveAsAudioMessage(const std::string& path, BMessage& audio)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot be read";
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    if (fileSize < 12)
        return "is not a WAVE file (too short)";
    if (size_t(fileSize) > kMaxSoundBytes)
        return "is larger than 64 MB; a start-up sound should be short";
    in.seekg(0);
    std::vector<uint8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return "is not a WAVE file (no RIFF/WAVE header)";

    bool haveFormat = false;
    uint16 encoding = 0;
    uint16 channels = 0;
    uint32 rate = 0;
    uint16 bits = 0;
    const uint8* data = nullptr;
    size_t dataSize = 0;
    size_t position = 12;
    while (position + 8 <= bytes.size()) {
        const uint8* chunk = bytes.data() + position;
        const uint32 size = Le32(chunk + 4);
        const size_t available = bytes.size() - position - 8;
        const size_t length = size <= available ? size : available;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16)
                return "has a damaged format chunk";
            encoding = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            bits = Le16(chunk + 22);
            if (encoding == 0xFFFE && length >= 26)
                encoding = Le16(chunk + 32);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = chunk + 8;
            dataSize = length;
        }
        position += 8 + size + (size & 1);
        if (position > bytes.size())
            break;
    }
    if (!haveFormat)
        return "has no format chunk";
    if (data == nullptr)
        return "has no sample data";
    if (channels == 0 || channels > 8)
        return "has an unusable channel count (" + std::to_string(channels) + ")";
    if (rate < 1000 || rate > 384000)
        return "has an unusable sample rate (" + std::to_string(rate) + ")";

    int32 format = 0;
    std::vector<uint8> samples;
    if (encoding == 3 && bits == 32) {
        format = kAudioFloat;
        samples.assign(data, data + dataSize);
    } else if (encoding == 1 && bits == 8) {
        format = kAudioUChar;
        samples.assign(data, data + dataSize);
    } else if (encoding == 1 && bits == 16) {
        format = kAudioShort;
        samples.assign(data, data + dataSize);
    } else if (encoding == 1 && bits == 32) {
        format = kAudioInt;
        samples.assign(data, data + dataSize);
    } else if (encoding == 1 && bits == 24) {
        format = kAudioInt;
        const size_t count = dataSize / 3;
        samples.resize(count * 4);
        for (size_t i = 0; i < count; i++) {
            samples[i * 4] = 0;
            std::memcpy(&samples[i * 4 + 1], data + i * 3, 3);
        }
    } else {
        return "uses an unsupported sample encoding (" + std::to_string(encoding) + ", "
            + std::to_string(bits) + " bits); use PCM or 32-bit float";
    }
    const size_t frameSize = size_t(format & 0x0f) * channels;
    samples.resize(samples.size() / frameSize * frameSize);
    if (samples.empty())
        return "holds no complete sample frame";

    audio.AddData("data", B_ANY_TYPE, samples.data(), ssize_t(samples.size()), false);
    audio.AddFloat("frame_rate", float(rate));
    audio.AddInt32("channel_count", int32(channels));
    audio.AddInt32("format", format);
    audio.AddInt32("byte_order", kLittleEndian);
    audio.AddInt32("buffer_size", int32(frameSize) * kFramesPerBuffer);
    return std::string();
}
