// One playback stream to the sound server through the PulseAudio simple
// API (PipeWire desktops provide it too). The library is opened with dlopen
// when a stream is made, never at program start, so a program that plays no
// sound never loads it and a machine without it is silent, not broken.
//
// Samples are signed 16-bit little-endian, interleaved, at the stream's
// rate and channel count.
#pragma once

#include <SupportDefs.h>

#include <cstddef>
#include <memory>
#include <string>

class PulseSimple {
public:
    // The library every stream uses unless ONDELLE_PULSE_LIBRARY names
    // another file (a missing name gives the silent no-library case).
    static constexpr const char* kDefaultLibrary = "libpulse-simple.so.0";
    static std::string LibraryName();

    // Opens the library and a stream; IsOpen() tells whether both worked,
    // Error() says why not.
    PulseSimple(const std::string& library, uint32 frameRate, uint32 channels, const char* streamName);
    ~PulseSimple();

    PulseSimple(const PulseSimple&) = delete;
    PulseSimple& operator=(const PulseSimple&) = delete;

    bool IsOpen() const { return fStream != nullptr; }
    const std::string& Error() const { return fError; }

    // Writes bytes (whole frames), blocking while the server's buffer is
    // full. False with Error() set on failure.
    bool Write(const void* data, size_t size);
    // Microseconds until the last written sample is heard (0 on error).
    uint64 Latency();
    // Waits until everything written was played.
    bool Drain();
    // Drops what the server has not played yet.
    void Flush();

private:
    struct Api;
    void SetError(const char* what, int code);

    void* fLibrary = nullptr;
    std::unique_ptr<Api> fApi;
    void* fStream = nullptr;
    std::string fError;
};
