#include <ByteOrder.h>

#include <TypeConstants.h>

#include <cstring>

namespace {

const size_t kMessengerSize = 24;

// Size of the units that make up a value of the type, 0 when the type is
// not converted.
size_t swap_unit(type_code type)
{
    switch (type) {
    case B_INT16_TYPE:
    case B_UINT16_TYPE:
        return 2;
    case B_INT32_TYPE:
    case B_UINT32_TYPE:
    case B_FLOAT_TYPE:
    case B_SIZE_T_TYPE:
    case B_SSIZE_T_TYPE:
    case B_TIME_TYPE:
    case B_POINTER_TYPE:
    case B_POINT_TYPE:
    case B_RECT_TYPE:
    case B_MESSENGER_TYPE:
        return 4;
    case B_INT64_TYPE:
    case B_UINT64_TYPE:
    case B_DOUBLE_TYPE:
    case B_OFF_T_TYPE:
        return 8;
    default:
        return 0;
    }
}

bool needs_swap(swap_action action)
{
    switch (action) {
    case B_SWAP_HOST_TO_LENDIAN:
    case B_SWAP_LENDIAN_TO_HOST:
        return !BPrivate::kHostIsLittleEndian;
    case B_SWAP_HOST_TO_BENDIAN:
    case B_SWAP_BENDIAN_TO_HOST:
        return BPrivate::kHostIsLittleEndian;
    case B_SWAP_ALWAYS:
        return true;
    }
    return false;
}

template<typename T, T (*Swap)(T)>
void swap_units(char* data, size_t length)
{
    for (size_t offset = 0; offset + sizeof(T) <= length; offset += sizeof(T)) {
        T value;
        memcpy(&value, data + offset, sizeof(T));
        value = Swap(value);
        memcpy(data + offset, &value, sizeof(T));
    }
}

uint16 swap16(uint16 v) { return BPrivate::swap_uint16(v); }
uint32 swap32(uint32 v) { return BPrivate::swap_uint32(v); }
uint64 swap64(uint64 v) { return BPrivate::swap_uint64(v); }

} // namespace

bool is_type_swapped(type_code type)
{
    return swap_unit(type) != 0;
}

status_t swap_data(type_code type, void* data, size_t length, swap_action action)
{
    if (data == nullptr && length > 0)
        return B_BAD_VALUE;
    if (length == 0 || !needs_swap(action))
        return B_OK;

    char* bytes = static_cast<char*>(data);
    switch (swap_unit(type)) {
    case 2:
        swap_units<uint16, swap16>(bytes, length);
        break;
    case 4:
        if (type == B_MESSENGER_TYPE) {
            // A messenger is 24 bytes: three int32 numbers, then reserved
            // words and flag bytes that are left as they are.
            for (size_t offset = 0; offset < length; offset += kMessengerSize) {
                size_t rest = length - offset;
                swap_units<uint32, swap32>(bytes + offset, rest < 12 ? rest : 12);
            }
        } else
            swap_units<uint32, swap32>(bytes, length);
        break;
    case 8:
        swap_units<uint64, swap64>(bytes, length);
        break;
    default:
        break;
    }
    return B_OK;
}
