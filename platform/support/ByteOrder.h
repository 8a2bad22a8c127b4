// Byte-order helpers as the platform's support kit spells them: swapping of
// 16/32/64-bit values and conversion between host, little- and big-endian
// order, and swapping typed data in place by its type code.
#pragma once

#include <SupportDefs.h>

#include <bit>
#include <cstring>

namespace BPrivate {

constexpr uint16 swap_uint16(uint16 v) { return uint16((v >> 8) | (v << 8)); }
constexpr uint32 swap_uint32(uint32 v)
{
    return (v >> 24) | ((v >> 8) & 0x0000ff00u) | ((v << 8) & 0x00ff0000u) | (v << 24);
}
constexpr uint64 swap_uint64(uint64 v)
{
    return (uint64(swap_uint32(uint32(v))) << 32) | swap_uint32(uint32(v >> 32));
}
inline float swap_float(float v)
{
    uint32 bits;
    std::memcpy(&bits, &v, 4);
    bits = swap_uint32(bits);
    std::memcpy(&v, &bits, 4);
    return v;
}
inline double swap_double(double v)
{
    uint64 bits;
    std::memcpy(&bits, &v, 8);
    bits = swap_uint64(bits);
    std::memcpy(&v, &bits, 8);
    return v;
}

constexpr bool kHostIsLittleEndian = std::endian::native == std::endian::little;

template<typename T> constexpr T to_little(T v);
template<> constexpr uint16 to_little(uint16 v) { return kHostIsLittleEndian ? v : swap_uint16(v); }
template<> constexpr uint32 to_little(uint32 v) { return kHostIsLittleEndian ? v : swap_uint32(v); }
template<> constexpr uint64 to_little(uint64 v) { return kHostIsLittleEndian ? v : swap_uint64(v); }
template<typename T> constexpr T to_big(T v);
template<> constexpr uint16 to_big(uint16 v) { return kHostIsLittleEndian ? swap_uint16(v) : v; }
template<> constexpr uint32 to_big(uint32 v) { return kHostIsLittleEndian ? swap_uint32(v) : v; }
template<> constexpr uint64 to_big(uint64 v) { return kHostIsLittleEndian ? swap_uint64(v) : v; }

} // namespace BPrivate

#define B_HOST_IS_LENDIAN (BPrivate::kHostIsLittleEndian ? 1 : 0)
#define B_HOST_IS_BENDIAN (BPrivate::kHostIsLittleEndian ? 0 : 1)

#define B_SWAP_INT16(arg) BPrivate::swap_uint16(uint16(arg))
#define B_SWAP_INT32(arg) BPrivate::swap_uint32(uint32(arg))
#define B_SWAP_INT64(arg) BPrivate::swap_uint64(uint64(arg))
#define B_SWAP_FLOAT(arg) BPrivate::swap_float(arg)
#define B_SWAP_DOUBLE(arg) BPrivate::swap_double(arg)

#define B_HOST_TO_LENDIAN_INT16(arg) BPrivate::to_little<uint16>(uint16(arg))
#define B_HOST_TO_LENDIAN_INT32(arg) BPrivate::to_little<uint32>(uint32(arg))
#define B_HOST_TO_LENDIAN_INT64(arg) BPrivate::to_little<uint64>(uint64(arg))
#define B_LENDIAN_TO_HOST_INT16(arg) BPrivate::to_little<uint16>(uint16(arg))
#define B_LENDIAN_TO_HOST_INT32(arg) BPrivate::to_little<uint32>(uint32(arg))
#define B_LENDIAN_TO_HOST_INT64(arg) BPrivate::to_little<uint64>(uint64(arg))
#define B_HOST_TO_BENDIAN_INT16(arg) BPrivate::to_big<uint16>(uint16(arg))
#define B_HOST_TO_BENDIAN_INT32(arg) BPrivate::to_big<uint32>(uint32(arg))
#define B_HOST_TO_BENDIAN_INT64(arg) BPrivate::to_big<uint64>(uint64(arg))
#define B_BENDIAN_TO_HOST_INT16(arg) BPrivate::to_big<uint16>(uint16(arg))
#define B_BENDIAN_TO_HOST_INT32(arg) BPrivate::to_big<uint32>(uint32(arg))
#define B_BENDIAN_TO_HOST_INT64(arg) BPrivate::to_big<uint64>(uint64(arg))

#define B_HOST_TO_LENDIAN_FLOAT(arg) (BPrivate::kHostIsLittleEndian ? (arg) : B_SWAP_FLOAT(arg))
#define B_HOST_TO_LENDIAN_DOUBLE(arg) (BPrivate::kHostIsLittleEndian ? (arg) : B_SWAP_DOUBLE(arg))
#define B_LENDIAN_TO_HOST_FLOAT(arg) B_HOST_TO_LENDIAN_FLOAT(arg)
#define B_LENDIAN_TO_HOST_DOUBLE(arg) B_HOST_TO_LENDIAN_DOUBLE(arg)
#define B_HOST_TO_BENDIAN_FLOAT(arg) (BPrivate::kHostIsLittleEndian ? B_SWAP_FLOAT(arg) : (arg))
#define B_HOST_TO_BENDIAN_DOUBLE(arg) (BPrivate::kHostIsLittleEndian ? B_SWAP_DOUBLE(arg) : (arg))
#define B_BENDIAN_TO_HOST_FLOAT(arg) B_HOST_TO_BENDIAN_FLOAT(arg)
#define B_BENDIAN_TO_HOST_DOUBLE(arg) B_HOST_TO_BENDIAN_DOUBLE(arg)

enum swap_action {
    B_SWAP_HOST_TO_LENDIAN,
    B_SWAP_HOST_TO_BENDIAN,
    B_SWAP_LENDIAN_TO_HOST,
    B_SWAP_BENDIAN_TO_HOST,
    B_SWAP_ALWAYS
};

// True when data of this type is made of multi-byte numbers that swap_data
// converts (int16..uint64, float, double, size_t, ssize_t, time, off_t,
// pointer, point, rect, messenger).
bool is_type_swapped(type_code type);

// Swaps length bytes of data of the given type in place when the action
// requires it on this host. Types that are not swapped (strings, raw data,
// 8-bit types, unknown codes) are left alone. Messengers: only the first
// three int32 words are swapped. Trailing bytes that do not make up a whole
// unit are left alone. B_BAD_VALUE for a NULL data pointer with length > 0.
status_t swap_data(type_code type, void* data, size_t length, swap_action action);
