// Basic types of the platform: fixed-width integers, status codes and
// small helpers, as the platform's kits spell them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

typedef int8_t int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;

typedef int32 status_t;
typedef int64 bigtime_t;
typedef uint32 type_code;
typedef uint32 perform_code;

typedef int32 thread_id;
typedef int32 team_id;
typedef int32 port_id;
typedef int32 sem_id;

// Device and node numbers are Linux's own (64-bit), not the platform's
// 32-bit dev_t; they only live in memory and in flattened refs.
typedef int64 platform_dev_t;
typedef int64 platform_ino_t;

#include <Errors.h>

#ifndef B_COUNT_OF
#define B_COUNT_OF(a) (sizeof(a) / sizeof((a)[0]))
#endif

// Four-character constant helper for code that builds codes at run time.
constexpr uint32 B_FOUR_CC(char a, char b, char c, char d)
{
    return (uint32(uint8(a)) << 24) | (uint32(uint8(b)) << 16) | (uint32(uint8(c)) << 8) | uint32(uint8(d));
}
