// A stand-in for the sound server's simple API, loaded by the player in
// place of the real library. It plays nothing: it takes samples at the
// speed a server would (each write blocks for the samples' length) and
// appends what it was asked to FAKE_SOUND_SERVER_LOG ("new <rate>
// <channels>", "flush", "drain", "free") and the samples to the same name
// plus ".pcm". With FAKE_SOUND_SERVER_REFUSE set, no stream opens.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

struct SampleFormat {
    int format;
    uint32_t rate;
    uint8_t channels;
};

struct Stream {
    uint32_t rate;
    uint8_t channels;
};

void Append(const char* suffix, const void* data, size_t size)
{
    const char* log = std::getenv("FAKE_SOUND_SERVER_LOG");
    if (log == nullptr)
        return;
    const std::string path = std::string(log) + suffix;
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

void Note(const std::string& line)
{
    const std::string text = line + "\n";
    Append("", text.data(), text.size());
}

} // namespace

extern "C" {

void* pa_simple_new(const char*, const char*, int, const char*, const char*, const SampleFormat* format, const void*,
    const void*, int* error)
{
    if (std::getenv("FAKE_SOUND_SERVER_REFUSE") != nullptr || format->format != 3) {
        if (error != nullptr)
            *error = 6;
        return nullptr;
    }
    Note("new " + std::to_string(format->rate) + " " + std::to_string(format->channels));
    return new Stream{format->rate, format->channels};
}

int pa_simple_write(void* stream, const void* data, size_t bytes, int*)
{
    auto* s = static_cast<Stream*>(stream);
    Append(".pcm", data, bytes);
    const uint64_t frames = bytes / (2u * s->channels);
    std::this_thread::sleep_for(std::chrono::microseconds(frames * 1000000 / s->rate));
    return 0;
}

uint64_t pa_simple_get_latency(void*, int*)
{
    return 0;
}

int pa_simple_drain(void*, int*)
{
    Note("drain");
    return 0;
}

int pa_simple_flush(void*, int*)
{
    Note("flush");
    return 0;
}

void pa_simple_free(void* stream)
{
    Note("free");
    delete static_cast<Stream*>(stream);
}

const char* pa_strerror(int error)
{
    return error == 6 ? "Connection refused" : "unknown error";
}
}
