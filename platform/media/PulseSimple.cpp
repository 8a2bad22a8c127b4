#include <PulseSimple.h>

#include <Sandbox.h>

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace {

// The parts of the simple API's C declarations this player uses, written
// out here so that building needs no development headers.
struct SampleFormat {
    int format;
    uint32_t rate;
    uint8_t channels;
};

struct BufferAttr {
    uint32_t maxlength;
    uint32_t tlength;
    uint32_t prebuf;
    uint32_t minreq;
    uint32_t fragsize;
};

constexpr int kSampleS16LE = 3;
constexpr int kStreamPlayback = 1;
constexpr uint32_t kServerDefault = uint32_t(-1);
// The server keeps about this much queued ahead of what is heard, so a
// write blocks for at most a few tens of milliseconds.
constexpr uint32_t kTargetMs = 100;

} // namespace

struct PulseSimple::Api {
    void* (*simpleNew)(const char*, const char*, int, const char*, const char*, const SampleFormat*, const void*,
        const BufferAttr*, int*) = nullptr;
    int (*simpleWrite)(void*, const void*, size_t, int*) = nullptr;
    int (*simpleDrain)(void*, int*) = nullptr;
    int (*simpleFlush)(void*, int*) = nullptr;
    uint64_t (*simpleLatency)(void*, int*) = nullptr;
    void (*simpleFree)(void*) = nullptr;
    const char* (*strerror)(int) = nullptr;
};

namespace {

template <typename F>
bool Resolve(void* library, const char* name, F* function)
{
    *function = reinterpret_cast<F>(dlsym(library, name));
    return *function != nullptr;
}

// Inside the sandbox the server is named explicitly: a stream without a
// server name may start a sound server program when none runs.
std::string ServerName()
{
    if (!sandbox_active() || std::getenv("PULSE_SERVER") != nullptr)
        return {};
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime != nullptr && *runtime != '\0' ? runtime : sandbox_root();
    return "unix:" + folder + "/pulse/native";
}

} // namespace

std::string PulseSimple::LibraryName()
{
    const char* name = std::getenv("ONDELLE_PULSE_LIBRARY");
    return name != nullptr && *name != '\0' ? name : kDefaultLibrary;
}

PulseSimple::PulseSimple(const std::string& library, uint32 frameRate, uint32 channels, const char* streamName)
{
    // RTLD_NODELETE: the library keeps threads and handlers of its own that
    // must not lose their code when the last stream closes.
    fLibrary = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (fLibrary == nullptr) {
        const char* why = dlerror();
        fError = why != nullptr ? why : library + ": cannot be opened";
        return;
    }
    auto api = std::make_unique<Api>();
    if (!Resolve(fLibrary, "pa_simple_new", &api->simpleNew) || !Resolve(fLibrary, "pa_simple_write", &api->simpleWrite)
        || !Resolve(fLibrary, "pa_simple_drain", &api->simpleDrain)
        || !Resolve(fLibrary, "pa_simple_flush", &api->simpleFlush)
        || !Resolve(fLibrary, "pa_simple_get_latency", &api->simpleLatency)
        || !Resolve(fLibrary, "pa_simple_free", &api->simpleFree)) {
        fError = library + ": not the sound server's simple API";
        return;
    }
    // The error texts live in the main client library, which the simple
    // one depends on; without them the error number is shown.
    Resolve(fLibrary, "pa_strerror", &api->strerror);
    fApi = std::move(api);

    if (channels == 0 || channels > 32 || frameRate == 0) {
        fError = "unsupported channel count or rate";
        return;
    }
    const SampleFormat format{kSampleS16LE, frameRate, uint8_t(channels)};
    const uint64_t frameBytes = 2 * uint64_t(channels);
    const BufferAttr attr{kServerDefault, uint32_t(frameBytes * frameRate * kTargetMs / 1000), kServerDefault,
        kServerDefault, kServerDefault};
    const std::string server = ServerName();
    int code = 0;
    fStream = fApi->simpleNew(server.empty() ? nullptr : server.c_str(), "Ondelle", kStreamPlayback, nullptr,
        streamName != nullptr ? streamName : "sound", &format, nullptr, &attr, &code);
    if (fStream == nullptr)
        SetError("no connection to the sound server", code);
}

PulseSimple::~PulseSimple()
{
    if (fStream != nullptr)
        fApi->simpleFree(fStream);
    if (fLibrary != nullptr)
        dlclose(fLibrary);
}

void PulseSimple::SetError(const char* what, int code)
{
    fError = what;
    fError += ": ";
    const char* text = fApi->strerror != nullptr ? fApi->strerror(code) : nullptr;
    fError += text != nullptr ? text : "error " + std::to_string(code);
}

bool PulseSimple::Write(const void* data, size_t size)
{
    if (fStream == nullptr)
        return false;
    int code = 0;
    if (fApi->simpleWrite(fStream, data, size, &code) < 0) {
        SetError("the sound server refused the samples", code);
        return false;
    }
    return true;
}

uint64 PulseSimple::Latency()
{
    if (fStream == nullptr)
        return 0;
    int code = 0;
    const uint64_t latency = fApi->simpleLatency(fStream, &code);
    return latency == uint64_t(-1) ? 0 : latency;
}

bool PulseSimple::Drain()
{
    int code = 0;
    if (fStream == nullptr || fApi->simpleDrain(fStream, &code) < 0) {
        if (fStream != nullptr)
            SetError("the sound server did not play out the samples", code);
        return false;
    }
    return true;
}

void PulseSimple::Flush()
{
    int code = 0;
    if (fStream != nullptr)
        fApi->simpleFlush(fStream, &code);
}
