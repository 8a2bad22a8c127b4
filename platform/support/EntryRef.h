// entry_ref: a reference to a directory entry by device, parent directory
// node and leaf name, as the platform's storage kit spells it.
//
// In memory the device and directory numbers are Linux's own 64-bit values.
// In a flattened message (type B_REF_TYPE) a ref is stored in the layout the
// platform used on x86, so that stored messages stay readable by its tools:
//
//     offset 0   int32   device      (little-endian)
//     offset 4   int64   directory   (little-endian)
//     offset 12  char[]  name, NUL-terminated (a NULL name is stored as "")
//
// A device number that does not fit in an int32 cannot be stored in that
// layout; flattening such a ref fails with B_BAD_VALUE instead of silently
// storing a different device.
#pragma once

#include <SupportDefs.h>

struct entry_ref {
    entry_ref();
    entry_ref(platform_dev_t device, platform_ino_t directory, const char* name);
    entry_ref(const entry_ref& other);
    entry_ref(entry_ref&& other) noexcept;
    ~entry_ref();

    entry_ref& operator=(const entry_ref& other);
    entry_ref& operator=(entry_ref&& other) noexcept;

    // Replaces the leaf name (a copy is made; NULL clears it). Returns
    // B_NO_MEMORY when the copy cannot be made.
    status_t set_name(const char* name);

    bool operator==(const entry_ref& other) const;
    bool operator!=(const entry_ref& other) const;
    // Orders by device, then directory, then name (NULL before any name).
    bool operator<(const entry_ref& other) const;

    platform_dev_t device;
    platform_ino_t directory;
    char* name;
};

namespace BPrivate {

// Size of the flattened (x86) form of ref: 12 + strlen(name) + 1.
size_t entry_ref_flattened_size(const entry_ref& ref);

// Writes the flattened form into buffer (size bytes available). Returns
// B_BAD_VALUE when the buffer is too small or the device does not fit.
status_t entry_ref_flatten(const entry_ref& ref, char* buffer, size_t size);

// Reads a flattened ref of exactly size bytes. The name must be
// NUL-terminated within the buffer; bytes after the NUL are not allowed.
// swapped: the numbers are stored in big-endian order.
status_t entry_ref_unflatten(entry_ref* ref, const char* buffer, size_t size,
    bool swapped = false);

} // namespace BPrivate
