#include <EntryRef.h>

#include <ByteOrder.h>

#include <cstdlib>
#include <cstring>

namespace {

char* copy_name(const char* name)
{
    if (name == nullptr)
        return nullptr;
    return strdup(name);
}

} // namespace

entry_ref::entry_ref()
    : device(-1), directory(-1), name(nullptr)
{
}

entry_ref::entry_ref(platform_dev_t dev, platform_ino_t dir, const char* leaf)
    : device(dev), directory(dir), name(copy_name(leaf))
{
}

entry_ref::entry_ref(const entry_ref& other)
    : device(other.device), directory(other.directory), name(copy_name(other.name))
{
}

entry_ref::entry_ref(entry_ref&& other) noexcept
    : device(other.device), directory(other.directory), name(other.name)
{
    other.name = nullptr;
}

entry_ref::~entry_ref()
{
    free(name);
}

entry_ref& entry_ref::operator=(const entry_ref& other)
{
    if (this != &other) {
        char* copy = copy_name(other.name);
        free(name);
        name = copy;
        device = other.device;
        directory = other.directory;
    }
    return *this;
}

entry_ref& entry_ref::operator=(entry_ref&& other) noexcept
{
    if (this != &other) {
        free(name);
        name = other.name;
        other.name = nullptr;
        device = other.device;
        directory = other.directory;
    }
    return *this;
}

status_t entry_ref::set_name(const char* newName)
{
    char* copy = nullptr;
    if (newName != nullptr) {
        copy = strdup(newName);
        if (copy == nullptr)
            return B_NO_MEMORY;
    }
    free(name);
    name = copy;
    return B_OK;
}

bool entry_ref::operator==(const entry_ref& other) const
{
    if (device != other.device || directory != other.directory)
        return false;
    if (name == nullptr || other.name == nullptr)
        return name == other.name;
    return strcmp(name, other.name) == 0;
}

bool entry_ref::operator!=(const entry_ref& other) const
{
    return !(*this == other);
}

bool entry_ref::operator<(const entry_ref& other) const
{
    if (device != other.device)
        return device < other.device;
    if (directory != other.directory)
        return directory < other.directory;
    if (name == nullptr || other.name == nullptr)
        return name == nullptr && other.name != nullptr;
    return strcmp(name, other.name) < 0;
}

namespace BPrivate {

static const size_t kRefHeaderSize = 12;

size_t entry_ref_flattened_size(const entry_ref& ref)
{
    return kRefHeaderSize + (ref.name != nullptr ? strlen(ref.name) : 0) + 1;
}

status_t entry_ref_flatten(const entry_ref& ref, char* buffer, size_t size)
{
    if (buffer == nullptr || size < entry_ref_flattened_size(ref))
        return B_BAD_VALUE;
    if (ref.device < INT32_MIN || ref.device > INT32_MAX)
        return B_BAD_VALUE;
    uint32 device = B_HOST_TO_LENDIAN_INT32(uint32(int32(ref.device)));
    uint64 directory = B_HOST_TO_LENDIAN_INT64(uint64(ref.directory));
    memcpy(buffer, &device, 4);
    memcpy(buffer + 4, &directory, 8);
    size_t nameLength = ref.name != nullptr ? strlen(ref.name) : 0;
    if (nameLength > 0)
        memcpy(buffer + kRefHeaderSize, ref.name, nameLength);
    buffer[kRefHeaderSize + nameLength] = '\0';
    return B_OK;
}

status_t entry_ref_unflatten(entry_ref* ref, const char* buffer, size_t size, bool swapped)
{
    if (ref == nullptr || buffer == nullptr || size < kRefHeaderSize + 1)
        return B_BAD_VALUE;
    const char* name = buffer + kRefHeaderSize;
    size_t nameSpace = size - kRefHeaderSize;
    const void* nul = memchr(name, '\0', nameSpace);
    if (nul == nullptr || static_cast<const char*>(nul) != name + nameSpace - 1)
        return B_BAD_DATA;

    uint32 device;
    uint64 directory;
    memcpy(&device, buffer, 4);
    memcpy(&directory, buffer + 4, 8);
    if (swapped) {
        device = B_BENDIAN_TO_HOST_INT32(device);
        directory = B_BENDIAN_TO_HOST_INT64(directory);
    } else {
        device = B_LENDIAN_TO_HOST_INT32(device);
        directory = B_LENDIAN_TO_HOST_INT64(directory);
    }
    status_t status = ref->set_name(name[0] != '\0' ? name : nullptr);
    if (status != B_OK)
        return status;
    ref->device = int32(device);
    ref->directory = int64(directory);
    return B_OK;
}

} // namespace BPrivate
