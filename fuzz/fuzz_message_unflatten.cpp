// Reads arbitrary bytes as a flattened message. Whatever is accepted must
// print, flatten, read back to the same data and flatten to the same bytes
// again; every value must be reachable through the typed look-ups.

#include <Message.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

void touch_values(const BMessage& message)
{
    const char* name = nullptr;
    type_code type = 0;
    int32 count = 0;
    for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
        for (int32 j = 0; j < count; j++) {
            const void* data = nullptr;
            ssize_t size = 0;
            if (message.FindData(name, type, j, &data, &size) != B_OK || size < 0)
                abort();
            if (type == B_STRING_TYPE) {
                const char* text = nullptr;
                if (message.FindString(name, j, &text) == B_OK && strlen(text) >= size_t(size))
                    abort();
            } else if (type == B_MESSAGE_TYPE) {
                BMessage nested;
                message.FindMessage(name, j, &nested);
            } else if (type == B_REF_TYPE) {
                entry_ref ref;
                message.FindRef(name, j, &ref);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BMessage message;
    if (message.Unflatten(reinterpret_cast<const char*>(data), ssize_t(size)) != B_OK) {
        if (!message.IsEmpty() || message.what != 0)
            abort();
        return 0;
    }

    std::ostringstream dump;
    message.PrintToStream(dump);
    touch_values(message);

    std::string flat;
    if (message.Flatten(&flat) != B_OK || ssize_t(flat.size()) != message.FlattenedSize())
        abort();
    BMessage again;
    if (again.Unflatten(flat.data(), ssize_t(flat.size())) != B_OK)
        abort();
    if (!message.HasSameData(again, false, true) || !again.HasSameData(message, false, false))
        abort();
    std::string flatAgain;
    if (again.Flatten(&flatAgain) != B_OK || flatAgain != flat)
        abort();

    // The form without a size reads no further than the declared size; the
    // sized read has checked that size against the input.
    std::vector<char> copy(data, data + size);
    if (size >= 68) {
        BMessage unsized;
        if (unsized.Unflatten(copy.data()) != B_OK || !unsized.HasSameData(message))
            abort();
    }

    BMessage copied(message);
    if (!copied.HasSameData(message))
        abort();
    return 0;
}
