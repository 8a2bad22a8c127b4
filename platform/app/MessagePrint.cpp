// The readable dump of a message: one line per value, nested messages
// indented below their field.

#include <Message.h>

#include "MessageField.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

using BPrivate::MessageField;

namespace {

const size_t kMaxShownStringBytes = 256;
const size_t kMaxShownRawBytes = 32;

std::string format_code(uint32 code)
{
    char text[16];
    bool printable = true;
    for (int shift = 24; shift >= 0; shift -= 8) {
        uint8 c = uint8(code >> shift);
        if (c < 0x20 || c > 0x7e)
            printable = false;
    }
    if (printable) {
        snprintf(text, sizeof(text), "'%c%c%c%c'", char(code >> 24), char(code >> 16),
            char(code >> 8), char(code));
    } else
        snprintf(text, sizeof(text), "0x%08" PRIx32, code);
    return text;
}

// Quoted, escaped text. A string value ends at its first NUL (cString);
// a field name is shown whole.
void append_quoted(std::string& out, const char* data, size_t size, bool cString = true)
{
    const void* nul = cString ? memchr(data, '\0', size) : nullptr;
    size_t length = nul != nullptr ? size_t(static_cast<const char*>(nul) - data) : size;
    size_t shown = length < kMaxShownStringBytes ? length : kMaxShownStringBytes;
    out += '"';
    for (size_t i = 0; i < shown; i++) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                snprintf(escaped, sizeof(escaped), "\\x%02x", c);
                out += escaped;
            } else
                out += char(c);
        }
    }
    out += '"';
    if (shown < length)
        out += "...";
    if (cString && nul == nullptr)
        out += " (no terminator)";
}

void append_hex(std::string& out, const uint8* data, size_t size)
{
    size_t shown = size < kMaxShownRawBytes ? size : kMaxShownRawBytes;
    char byte[4];
    for (size_t i = 0; i < shown; i++) {
        snprintf(byte, sizeof(byte), i == 0 ? "%02x" : " %02x", data[i]);
        out += byte;
    }
    if (shown < size)
        out += " ...";
}

template<typename T>
T load(const void* data)
{
    T value;
    memcpy(&value, data, sizeof(T));
    return value;
}

// One value in readable form; false when the type is not one of the known
// fixed layouts (or has an unexpected size), so that it is shown as bytes.
bool format_value(std::string& out, type_code type, const void* data, size_t size)
{
    char text[160];
    switch (type) {
    case B_STRING_TYPE:
    case B_MIME_TYPE:
    case B_MIME_STRING_TYPE:
    case B_ASCII_TYPE:
        out += type == B_STRING_TYPE ? "string(" : (format_code(type) + " string(");
        append_quoted(out, static_cast<const char*>(data), size);
        snprintf(text, sizeof(text), ", %zu bytes)", size);
        out += text;
        return true;
    case B_BOOL_TYPE:
        if (size != 1)
            return false;
        out += load<uint8>(data) != 0 ? "bool(true)" : "bool(false)";
        return true;
    case B_INT8_TYPE:
    case B_CHAR_TYPE:
        if (size != 1)
            return false;
        snprintf(text, sizeof(text), "%s(%d or 0x%02x)", type == B_INT8_TYPE ? "int8" : "char",
            int(load<int8>(data)), unsigned(load<uint8>(data)));
        break;
    case B_UINT8_TYPE:
        if (size != 1)
            return false;
        snprintf(text, sizeof(text), "uint8(%u or 0x%02x)", unsigned(load<uint8>(data)),
            unsigned(load<uint8>(data)));
        break;
    case B_INT16_TYPE:
        if (size != 2)
            return false;
        snprintf(text, sizeof(text), "int16(%d or 0x%04x)", int(load<int16>(data)),
            unsigned(load<uint16>(data)));
        break;
    case B_UINT16_TYPE:
        if (size != 2)
            return false;
        snprintf(text, sizeof(text), "uint16(%u or 0x%04x)", unsigned(load<uint16>(data)),
            unsigned(load<uint16>(data)));
        break;
    case B_INT32_TYPE:
    case B_SSIZE_T_TYPE:
    case B_TIME_TYPE:
        if (size != 4)
            return false;
        snprintf(text, sizeof(text), "%s(%" PRId32 " or 0x%08" PRIx32 ")",
            type == B_INT32_TYPE ? "int32" : (type == B_TIME_TYPE ? "time" : "ssize_t"),
            load<int32>(data), load<uint32>(data));
        break;
    case B_UINT32_TYPE:
    case B_SIZE_T_TYPE:
        if (size != 4)
            return false;
        snprintf(text, sizeof(text), "%s(%" PRIu32 " or 0x%08" PRIx32 ")",
            type == B_UINT32_TYPE ? "uint32" : "size_t", load<uint32>(data),
            load<uint32>(data));
        break;
    case B_INT64_TYPE:
    case B_OFF_T_TYPE:
        if (size != 8)
            return false;
        snprintf(text, sizeof(text), "%s(%" PRId64 " or 0x%016" PRIx64 ")",
            type == B_INT64_TYPE ? "int64" : "off_t", load<int64>(data), load<uint64>(data));
        break;
    case B_UINT64_TYPE:
        if (size != 8)
            return false;
        snprintf(text, sizeof(text), "uint64(%" PRIu64 " or 0x%016" PRIx64 ")",
            load<uint64>(data), load<uint64>(data));
        break;
    case B_FLOAT_TYPE:
        if (size != 4)
            return false;
        snprintf(text, sizeof(text), "float(%.9g)", double(load<float>(data)));
        break;
    case B_DOUBLE_TYPE:
        if (size != 8)
            return false;
        snprintf(text, sizeof(text), "double(%.17g)", load<double>(data));
        break;
    case B_POINT_TYPE: {
        if (size != 8)
            return false;
        BPoint point = load<BPoint>(data);
        snprintf(text, sizeof(text), "BPoint(x:%g, y:%g)", double(point.x), double(point.y));
        break;
    }
    case B_RECT_TYPE: {
        if (size != 16)
            return false;
        BRect rect = load<BRect>(data);
        snprintf(text, sizeof(text), "BRect(l:%g, t:%g, r:%g, b:%g)", double(rect.left),
            double(rect.top), double(rect.right), double(rect.bottom));
        break;
    }
    case B_RGB_COLOR_TYPE: {
        if (size != 4)
            return false;
        const uint8* c = static_cast<const uint8*>(data);
        snprintf(text, sizeof(text), "rgb_color(r:%u, g:%u, b:%u, a:%u)", c[0], c[1], c[2],
            c[3]);
        break;
    }
    case B_POINTER_TYPE:
        if (size == 8)
            snprintf(text, sizeof(text), "pointer(0x%016" PRIx64 ")", load<uint64>(data));
        else if (size == 4)
            snprintf(text, sizeof(text), "pointer(0x%08" PRIx32 ")", load<uint32>(data));
        else
            return false;
        break;
    case B_REF_TYPE: {
        entry_ref ref;
        if (BPrivate::entry_ref_unflatten(&ref, static_cast<const char*>(data), size) != B_OK)
            return false;
        snprintf(text, sizeof(text), "entry_ref(device:%" PRId64 ", directory:%" PRId64
            ", name:", ref.device, ref.directory);
        out += text;
        const char* name = ref.name != nullptr ? ref.name : "";
        append_quoted(out, name, strlen(name) + 1);
        out += ")";
        return true;
    }
    default:
        return false;
    }
    out += text;
    return true;
}

} // namespace

void BMessage::PrintToStream() const
{
    std::ostringstream text;
    _PrintToStream(text, 0);
    std::string dump = text.str();
    fwrite(dump.data(), 1, dump.size(), stderr);
    fflush(stderr);
}

void BMessage::PrintToStream(std::ostream& out) const
{
    _PrintToStream(out, 0);
}

void BMessage::_PrintToStream(std::ostream& out, int depth) const
{
    std::string indent(size_t(depth) * 4, ' ');
    out << "BMessage(" << format_code(what) << ") {\n";
    for (const auto& fieldPointer : fFields) {
        const MessageField& field = *fieldPointer;
        for (int32 i = 0; i < field.CountItems(); i++) {
            out << indent << "    ";
            std::string name;
            append_quoted(name, field.Name().data(), field.Name().size(), false);
            out << name;
            if (field.CountItems() > 1)
                out << '[' << i << ']';
            out << " = ";
            if (field.HoldsMessages()) {
                field.ItemMessage(i)->_PrintToStream(out, depth + 1);
                continue;
            }
            size_t size = 0;
            const void* data = field.ItemData(i, &size);
            std::string value;
            if (!format_value(value, field.Type(), data, size)) {
                value = format_code(field.Type());
                value += field.IsFixedSize() ? " fixed(" : " (";
                value += std::to_string(size);
                value += " bytes: ";
                append_hex(value, static_cast<const uint8*>(data), size);
                value += ')';
            }
            out << value << '\n';
        }
    }
    out << indent << "}\n";
}
