// SHA-256 (FIPS 180-4), for the runtime a build carries: the first stage
// that starts a build has no library beside the C and C++ ones, so it
// carries its own digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    using Digest = std::array<uint8_t, 32>;

    Sha256();
    void Update(const void* data, size_t length);
    Digest Finish();

    // Lower-case hexadecimal of a digest.
    static std::string Hex(const Digest& digest);

private:
    void _Block(const uint8_t* block);

    std::array<uint32_t, 8> fState;
    std::array<uint8_t, 64> fBuffer{};
    size_t fBuffered = 0;
    uint64_t fLength = 0;
};
