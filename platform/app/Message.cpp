#include <Message.h>

#include "MessageField.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>

using BPrivate::MessageField;

namespace {

bool valid_name(const char* name)
{
    return name != nullptr && strlen(name) <= B_MESSAGE_MAX_NAME_LENGTH;
}

} // namespace

BMessage::BMessage()
    : what(0)
{
}

BMessage::BMessage(uint32 command)
    : what(command)
{
}

BMessage::BMessage(const BMessage& other)
    : what(other.what), fDelivery(other.fDelivery)
{
    fFields.reserve(other.fFields.size());
    for (const auto& field : other.fFields)
        fFields.push_back(std::make_unique<MessageField>(*field));
}

BMessage::BMessage(BMessage&& other) noexcept
    : what(other.what), fFields(std::move(other.fFields)), fDelivery(std::move(other.fDelivery))
{
    other.what = 0;
    other.fFields.clear();
}

BMessage::~BMessage() = default;

BMessage& BMessage::operator=(const BMessage& other)
{
    if (this != &other) {
        BMessage copy(other);
        *this = std::move(copy);
    }
    return *this;
}

BMessage& BMessage::operator=(BMessage&& other) noexcept
{
    if (this != &other) {
        what = other.what;
        fFields = std::move(other.fFields);
        fDelivery = std::move(other.fDelivery);
        other.what = 0;
        other.fFields.clear();
    }
    return *this;
}

// #pragma mark - Information

status_t BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound,
    type_code* typeFound, int32* countFound) const
{
    const char* name = nullptr;
    status_t status = GetInfo(typeRequested, index, &name, typeFound, countFound);
    if (nameFound != nullptr)
        *nameFound = const_cast<char*>(name);
    return status;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, const char** nameFound,
    type_code* typeFound, int32* countFound) const
{
    if (index < 0)
        return B_BAD_INDEX;
    int32 seen = 0;
    for (const auto& field : fFields) {
        if (typeRequested != B_ANY_TYPE && field->Type() != typeRequested)
            continue;
        if (seen++ == index) {
            if (nameFound != nullptr)
                *nameFound = field->Name().c_str();
            if (typeFound != nullptr)
                *typeFound = field->Type();
            if (countFound != nullptr)
                *countFound = field->CountItems();
            return B_OK;
        }
    }
    if (seen == 0 && typeRequested != B_ANY_TYPE)
        return B_BAD_TYPE;
    return B_BAD_INDEX;
}

status_t BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
    return GetInfo(name, typeFound, countFound, nullptr);
}

status_t BMessage::GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const
{
    return GetInfo(name, typeFound, nullptr, fixedSize);
}

status_t BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound,
    bool* fixedSize) const
{
    if (name == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = _FindField(name);
    if (field == nullptr) {
        if (typeFound != nullptr)
            *typeFound = 0;
        if (countFound != nullptr)
            *countFound = 0;
        return B_NAME_NOT_FOUND;
    }
    if (typeFound != nullptr)
        *typeFound = field->Type();
    if (countFound != nullptr)
        *countFound = field->CountItems();
    if (fixedSize != nullptr)
        *fixedSize = field->IsFixedSize();
    return B_OK;
}

int32 BMessage::CountNames(type_code type) const
{
    if (type == B_ANY_TYPE)
        return int32(fFields.size());
    int32 count = 0;
    for (const auto& field : fFields) {
        if (field->Type() == type)
            count++;
    }
    return count;
}

bool BMessage::IsEmpty() const
{
    return fFields.empty();
}

bool BMessage::IsSystem() const
{
    char first = char(what >> 24);
    char second = char(what >> 16);
    return first == '_' && second >= 'A' && second <= 'Z';
}

status_t BMessage::Rename(const char* oldName, const char* newName)
{
    if (oldName == nullptr || !valid_name(newName))
        return B_BAD_VALUE;
    MessageField* field = _FindField(oldName);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (strcmp(oldName, newName) == 0)
        return B_OK;
    if (_FindField(newName) != nullptr)
        return B_NAME_IN_USE;
    field->SetName(newName);
    return B_OK;
}

// #pragma mark - Internal helpers

MessageField* BMessage::_FindField(const char* name) const
{
    size_t length = strlen(name);
    for (const auto& field : fFields) {
        const std::string& fieldName = field->Name();
        if (fieldName.size() == length && memcmp(fieldName.data(), name, length) == 0)
            return field.get();
    }
    return nullptr;
}

status_t BMessage::_FindValue(const char* name, type_code type, int32 index,
    const MessageField** fieldFound) const
{
    if (name == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = _FindField(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (type != B_ANY_TYPE && field->Type() != type)
        return B_BAD_TYPE;
    if (index < 0 || index >= field->CountItems())
        return B_BAD_INDEX;
    *fieldFound = field;
    return B_OK;
}

status_t BMessage::_AddValue(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool isFixedSize)
{
    if (!valid_name(name) || data == nullptr || numBytes <= 0)
        return B_BAD_VALUE;
    MessageField* field = _FindField(name);
    if (field != nullptr) {
        if (field->Type() != type)
            return B_BAD_TYPE;
        if (field->CountItems() == std::numeric_limits<int32>::max())
            return B_NO_MEMORY;
        if (field->IsFixedSize() && size_t(numBytes) != field->ItemSize())
            return B_BAD_VALUE;
    }

    std::unique_ptr<BMessage> message;
    bool holdsMessages = type == B_MESSAGE_TYPE
        && (field != nullptr ? field->HoldsMessages() : !isFixedSize);
    if (holdsMessages) {
        message = std::make_unique<BMessage>();
        status_t status = message->Unflatten(static_cast<const char*>(data), numBytes);
        if (status != B_OK)
            return B_BAD_VALUE;
    }

    if (field == nullptr) {
        fFields.push_back(std::make_unique<MessageField>(std::string(name), type, isFixedSize));
        field = fFields.back().get();
    }
    if (holdsMessages)
        return field->AddMessage(std::move(message));
    return field->AddBytes(data, size_t(numBytes));
}

status_t BMessage::_ReplaceValue(const char* name, type_code type, int32 index, const void* data,
    ssize_t numBytes)
{
    if (data == nullptr || numBytes <= 0)
        return B_BAD_VALUE;
    const MessageField* found = nullptr;
    status_t status = _FindValue(name, type, index, &found);
    if (status != B_OK)
        return status;
    MessageField* field = const_cast<MessageField*>(found);
    if (field->IsFixedSize() && size_t(numBytes) != field->ItemSize())
        return B_BAD_VALUE;
    if (field->HoldsMessages()) {
        auto message = std::make_unique<BMessage>();
        if (message->Unflatten(static_cast<const char*>(data), numBytes) != B_OK)
            return B_BAD_VALUE;
        field->ReplaceMessage(index, std::move(message));
        return B_OK;
    }
    return field->ReplaceBytes(index, data, size_t(numBytes));
}

status_t BMessage::_SetValue(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool isFixedSize)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    if (_FindField(name) != nullptr)
        return _ReplaceValue(name, type, 0, data, numBytes);
    return _AddValue(name, type, data, numBytes, isFixedSize);
}

template<typename T>
status_t BMessage::_FindFixed(const char* name, type_code type, int32 index, T* value) const
{
    if (value == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = nullptr;
    status_t status = _FindValue(name, type, index, &field);
    if (status != B_OK)
        return status;
    size_t size = 0;
    const void* data = field->ItemData(index, &size);
    if (size != sizeof(T))
        return B_BAD_DATA;
    memcpy(value, data, sizeof(T));
    return B_OK;
}

// #pragma mark - Adding

status_t BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool isFixedSize, int32 count)
{
    MessageField* field = name != nullptr ? _FindField(name) : nullptr;
    bool isNew = field == nullptr;
    status_t status = _AddValue(name, type, data, numBytes, isFixedSize);
    if (status == B_OK && isNew && count > 1) {
        // Room for the values the caller announced, but never more than a
        // modest amount up front: the count is only a hint.
        const size_t kMaxReserve = 1 << 20;
        size_t hint = size_t(count < 4096 ? count : 4096);
        if (size_t(numBytes) <= kMaxReserve / hint)
            fFields.back()->Reserve(int32(hint), size_t(numBytes) * hint);
    }
    return status;
}

status_t BMessage::AddRect(const char* name, BRect rect)
{
    return _AddValue(name, B_RECT_TYPE, &rect, sizeof(rect), true);
}

status_t BMessage::AddPoint(const char* name, BPoint point)
{
    return _AddValue(name, B_POINT_TYPE, &point, sizeof(point), true);
}

status_t BMessage::AddString(const char* name, const char* string)
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return _AddValue(name, B_STRING_TYPE, string, ssize_t(strlen(string) + 1), false);
}

status_t BMessage::AddString(const char* name, const std::string& string)
{
    // Stored as a C string: the value ends at the first NUL.
    return AddString(name, string.c_str());
}

#define ONDELLE_FIXED_TYPE(Name, Type, Code) \
    status_t BMessage::Add##Name(const char* name, Type value) \
    { \
        return _AddValue(name, Code, &value, sizeof(value), true); \
    } \
    status_t BMessage::Find##Name(const char* name, Type* value) const \
    { \
        return _FindFixed(name, Code, 0, value); \
    } \
    status_t BMessage::Find##Name(const char* name, int32 index, Type* value) const \
    { \
        return _FindFixed(name, Code, index, value); \
    } \
    status_t BMessage::Replace##Name(const char* name, Type value) \
    { \
        return _ReplaceValue(name, Code, 0, &value, sizeof(value)); \
    } \
    status_t BMessage::Replace##Name(const char* name, int32 index, Type value) \
    { \
        return _ReplaceValue(name, Code, index, &value, sizeof(value)); \
    } \
    bool BMessage::Has##Name(const char* name, int32 index) const \
    { \
        return HasData(name, Code, index); \
    }

ONDELLE_FIXED_TYPE(Int8, int8, B_INT8_TYPE)
ONDELLE_FIXED_TYPE(UInt8, uint8, B_UINT8_TYPE)
ONDELLE_FIXED_TYPE(Int16, int16, B_INT16_TYPE)
ONDELLE_FIXED_TYPE(UInt16, uint16, B_UINT16_TYPE)
ONDELLE_FIXED_TYPE(Int32, int32, B_INT32_TYPE)
ONDELLE_FIXED_TYPE(UInt32, uint32, B_UINT32_TYPE)
ONDELLE_FIXED_TYPE(Int64, int64, B_INT64_TYPE)
ONDELLE_FIXED_TYPE(UInt64, uint64, B_UINT64_TYPE)
ONDELLE_FIXED_TYPE(Float, float, B_FLOAT_TYPE)
ONDELLE_FIXED_TYPE(Double, double, B_DOUBLE_TYPE)

#undef ONDELLE_FIXED_TYPE

status_t BMessage::AddBool(const char* name, bool value)
{
    uint8 byte = value ? 1 : 0;
    return _AddValue(name, B_BOOL_TYPE, &byte, 1, true);
}

status_t BMessage::AddPointer(const char* name, const void* pointer)
{
    return _AddValue(name, B_POINTER_TYPE, &pointer, sizeof(pointer), true);
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    std::string flat(BPrivate::entry_ref_flattened_size(*ref), '\0');
    status_t status = BPrivate::entry_ref_flatten(*ref, flat.data(), flat.size());
    if (status != B_OK)
        return status;
    return _AddValue(name, B_REF_TYPE, flat.data(), ssize_t(flat.size()), false);
}

status_t BMessage::AddMessage(const char* name, const BMessage* message)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return AddMessage(name, BMessage(*message));
}

status_t BMessage::AddMessage(const char* name, BMessage&& message)
{
    if (!valid_name(name))
        return B_BAD_VALUE;
    MessageField* field = _FindField(name);
    if (field != nullptr) {
        if (field->Type() != B_MESSAGE_TYPE)
            return B_BAD_TYPE;
        if (!field->HoldsMessages()) {
            // A fixed-size message field made by AddData keeps raw bytes.
            std::string flat;
            status_t status = message.Flatten(&flat);
            if (status != B_OK)
                return status;
            return _AddValue(name, B_MESSAGE_TYPE, flat.data(), ssize_t(flat.size()), true);
        }
        if (field->CountItems() == std::numeric_limits<int32>::max())
            return B_NO_MEMORY;
    } else {
        fFields.push_back(std::make_unique<MessageField>(std::string(name), B_MESSAGE_TYPE, false));
        field = fFields.back().get();
    }
    return field->AddMessage(std::make_unique<BMessage>(std::move(message)));
}

status_t BMessage::Append(const BMessage& other)
{
    if (&other == this) {
        BMessage copy(other);
        return Append(copy);
    }
    // Check first, so that a type clash leaves this message unchanged.
    for (const auto& field : other.fFields) {
        const MessageField* mine = _FindField(field->Name().c_str());
        if (mine == nullptr)
            continue;
        if (mine->Type() != field->Type() || mine->HoldsMessages() != field->HoldsMessages())
            return B_BAD_TYPE;
        if (mine->IsFixedSize() && field->ItemSize() != mine->ItemSize())
            return B_BAD_VALUE;
    }
    for (const auto& field : other.fFields) {
        const char* name = field->Name().c_str();
        for (int32 i = 0; i < field->CountItems(); i++) {
            status_t status;
            if (field->HoldsMessages()) {
                status = AddMessage(name, field->ItemMessage(i));
            } else {
                size_t size = 0;
                const void* data = field->ItemData(i, &size);
                status = _AddValue(name, field->Type(), data, ssize_t(size), field->IsFixedSize());
            }
            if (status != B_OK)
                return status;
        }
    }
    return B_OK;
}

// #pragma mark - Removing

status_t BMessage::RemoveData(const char* name, int32 index)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    for (auto it = fFields.begin(); it != fFields.end(); ++it) {
        if ((*it)->Name() != name)
            continue;
        if (index < 0 || index >= (*it)->CountItems())
            return B_BAD_INDEX;
        if ((*it)->CountItems() == 1)
            fFields.erase(it);
        else
            (*it)->RemoveItem(index);
        return B_OK;
    }
    return B_NAME_NOT_FOUND;
}

status_t BMessage::RemoveName(const char* name)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    for (auto it = fFields.begin(); it != fFields.end(); ++it) {
        if ((*it)->Name() == name) {
            fFields.erase(it);
            return B_OK;
        }
    }
    return B_NAME_NOT_FOUND;
}

status_t BMessage::MakeEmpty()
{
    fFields.clear();
    return B_OK;
}

// #pragma mark - Finding

status_t BMessage::FindData(const char* name, type_code type, const void** data,
    ssize_t* numBytes) const
{
    return FindData(name, type, 0, data, numBytes);
}

status_t BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
    ssize_t* numBytes) const
{
    if (data == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = nullptr;
    status_t status = _FindValue(name, type, index, &field);
    if (status != B_OK) {
        *data = nullptr;
        return status;
    }
    size_t size = 0;
    *data = field->ItemData(index, &size);
    if (numBytes != nullptr)
        *numBytes = ssize_t(size);
    return B_OK;
}

status_t BMessage::FindRect(const char* name, BRect* rect) const
{
    return _FindFixed(name, B_RECT_TYPE, 0, rect);
}

status_t BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
    return _FindFixed(name, B_RECT_TYPE, index, rect);
}

status_t BMessage::FindPoint(const char* name, BPoint* point) const
{
    return _FindFixed(name, B_POINT_TYPE, 0, point);
}

status_t BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
    return _FindFixed(name, B_POINT_TYPE, index, point);
}

status_t BMessage::FindString(const char* name, const char** string) const
{
    return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, const char** string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = nullptr;
    status_t status = _FindValue(name, B_STRING_TYPE, index, &field);
    if (status != B_OK)
        return status;
    size_t size = 0;
    const char* data = static_cast<const char*>(field->ItemData(index, &size));
    // A string read from a file may lack its terminator; such a value is
    // not handed out as a C string.
    if (size == 0 || memchr(data, '\0', size) == nullptr)
        return B_BAD_DATA;
    *string = data;
    return B_OK;
}

status_t BMessage::FindString(const char* name, std::string* string) const
{
    return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, std::string* string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const char* value = nullptr;
    status_t status = FindString(name, index, &value);
    if (status != B_OK)
        return status;
    string->assign(value);
    return B_OK;
}

status_t BMessage::FindBool(const char* name, bool* value) const
{
    return FindBool(name, 0, value);
}

status_t BMessage::FindBool(const char* name, int32 index, bool* value) const
{
    if (value == nullptr)
        return B_BAD_VALUE;
    uint8 byte = 0;
    status_t status = _FindFixed(name, B_BOOL_TYPE, index, &byte);
    if (status == B_OK)
        *value = byte != 0;
    return status;
}

status_t BMessage::FindPointer(const char* name, void** pointer) const
{
    return _FindFixed(name, B_POINTER_TYPE, 0, pointer);
}

status_t BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
    return _FindFixed(name, B_POINTER_TYPE, index, pointer);
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const
{
    return FindRef(name, 0, ref);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = nullptr;
    status_t status = _FindValue(name, B_REF_TYPE, index, &field);
    if (status != B_OK)
        return status;
    size_t size = 0;
    const char* data = static_cast<const char*>(field->ItemData(index, &size));
    return BPrivate::entry_ref_unflatten(ref, data, size);
}

status_t BMessage::FindMessage(const char* name, BMessage* message) const
{
    return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    const MessageField* field = nullptr;
    status_t status = _FindValue(name, B_MESSAGE_TYPE, index, &field);
    if (status != B_OK)
        return status;
    if (field->HoldsMessages()) {
        if (message != field->ItemMessage(index))
            *message = *field->ItemMessage(index);
        return B_OK;
    }
    size_t size = 0;
    const char* data = static_cast<const char*>(field->ItemData(index, &size));
    return message->Unflatten(data, ssize_t(size));
}

const BMessage* BMessage::FindMessagePointer(const char* name, int32 index) const
{
    const MessageField* field = nullptr;
    if (_FindValue(name, B_MESSAGE_TYPE, index, &field) != B_OK || !field->HoldsMessages())
        return nullptr;
    return field->ItemMessage(index);
}

BMessage* BMessage::EditMessagePointer(const char* name, int32 index)
{
    return const_cast<BMessage*>(FindMessagePointer(name, index));
}

// #pragma mark - Replacing

status_t BMessage::ReplaceData(const char* name, type_code type, const void* data,
    ssize_t numBytes)
{
    return _ReplaceValue(name, type, 0, data, numBytes);
}

status_t BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
    ssize_t numBytes)
{
    return _ReplaceValue(name, type, index, data, numBytes);
}

status_t BMessage::ReplaceRect(const char* name, BRect rect)
{
    return _ReplaceValue(name, B_RECT_TYPE, 0, &rect, sizeof(rect));
}

status_t BMessage::ReplaceRect(const char* name, int32 index, BRect rect)
{
    return _ReplaceValue(name, B_RECT_TYPE, index, &rect, sizeof(rect));
}

status_t BMessage::ReplacePoint(const char* name, BPoint point)
{
    return _ReplaceValue(name, B_POINT_TYPE, 0, &point, sizeof(point));
}

status_t BMessage::ReplacePoint(const char* name, int32 index, BPoint point)
{
    return _ReplaceValue(name, B_POINT_TYPE, index, &point, sizeof(point));
}

status_t BMessage::ReplaceString(const char* name, const char* string)
{
    return ReplaceString(name, 0, string);
}

status_t BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return _ReplaceValue(name, B_STRING_TYPE, index, string, ssize_t(strlen(string) + 1));
}

status_t BMessage::ReplaceString(const char* name, const std::string& string)
{
    return ReplaceString(name, 0, string.c_str());
}

status_t BMessage::ReplaceString(const char* name, int32 index, const std::string& string)
{
    return ReplaceString(name, index, string.c_str());
}

status_t BMessage::ReplaceBool(const char* name, bool value)
{
    return ReplaceBool(name, 0, value);
}

status_t BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
    uint8 byte = value ? 1 : 0;
    return _ReplaceValue(name, B_BOOL_TYPE, index, &byte, 1);
}

status_t BMessage::ReplacePointer(const char* name, const void* pointer)
{
    return _ReplaceValue(name, B_POINTER_TYPE, 0, &pointer, sizeof(pointer));
}

status_t BMessage::ReplacePointer(const char* name, int32 index, const void* pointer)
{
    return _ReplaceValue(name, B_POINTER_TYPE, index, &pointer, sizeof(pointer));
}

status_t BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
    return ReplaceRef(name, 0, ref);
}

status_t BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    std::string flat(BPrivate::entry_ref_flattened_size(*ref), '\0');
    status_t status = BPrivate::entry_ref_flatten(*ref, flat.data(), flat.size());
    if (status != B_OK)
        return status;
    return _ReplaceValue(name, B_REF_TYPE, index, flat.data(), ssize_t(flat.size()));
}

status_t BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
    return ReplaceMessage(name, 0, message);
}

status_t BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    const MessageField* found = nullptr;
    status_t status = _FindValue(name, B_MESSAGE_TYPE, index, &found);
    if (status != B_OK)
        return status;
    MessageField* field = const_cast<MessageField*>(found);
    if (field->HoldsMessages()) {
        // Copy first: message may be the very value being replaced.
        auto copy = std::make_unique<BMessage>(*message);
        field->ReplaceMessage(index, std::move(copy));
        return B_OK;
    }
    std::string flat;
    status = message->Flatten(&flat);
    if (status != B_OK)
        return status;
    return _ReplaceValue(name, B_MESSAGE_TYPE, index, flat.data(), ssize_t(flat.size()));
}

// #pragma mark - Tests

bool BMessage::HasData(const char* name, type_code type, int32 index) const
{
    const MessageField* field = nullptr;
    return _FindValue(name, type, index, &field) == B_OK;
}

bool BMessage::HasRect(const char* name, int32 index) const
{
    return HasData(name, B_RECT_TYPE, index);
}

bool BMessage::HasPoint(const char* name, int32 index) const
{
    return HasData(name, B_POINT_TYPE, index);
}

bool BMessage::HasString(const char* name, int32 index) const
{
    return HasData(name, B_STRING_TYPE, index);
}

bool BMessage::HasBool(const char* name, int32 index) const
{
    return HasData(name, B_BOOL_TYPE, index);
}

bool BMessage::HasPointer(const char* name, int32 index) const
{
    return HasData(name, B_POINTER_TYPE, index);
}

bool BMessage::HasRef(const char* name, int32 index) const
{
    return HasData(name, B_REF_TYPE, index);
}

bool BMessage::HasMessage(const char* name, int32 index) const
{
    return HasData(name, B_MESSAGE_TYPE, index);
}

bool BMessage::HasSameData(const BMessage& other, bool ignoreFieldOrder, bool deep) const
{
    return _HasSameData(other, ignoreFieldOrder, deep);
}

bool BMessage::_HasSameData(const BMessage& other, bool ignoreFieldOrder, bool deep) const
{
    if (this == &other)
        return true;
    if (what != other.what || fFields.size() != other.fFields.size())
        return false;
    for (size_t i = 0; i < fFields.size(); i++) {
        const MessageField* mine = fFields[i].get();
        const MessageField* theirs = other.fFields[i].get();
        if (ignoreFieldOrder) {
            theirs = other._FindField(mine->Name().c_str());
            // Names with an embedded NUL cannot be looked up by C string.
            if (theirs == nullptr || theirs->Name() != mine->Name()) {
                theirs = nullptr;
                for (const auto& field : other.fFields) {
                    if (field->Name() == mine->Name()) {
                        theirs = field.get();
                        break;
                    }
                }
            }
            if (theirs == nullptr)
                return false;
        }
        if (!mine->SameData(*theirs, ignoreFieldOrder, deep))
            return false;
    }
    return true;
}

// #pragma mark - Convenience getters and setters

const char* BMessage::GetString(const char* name, const char* defaultValue) const
{
    return GetString(name, 0, defaultValue);
}

const char* BMessage::GetString(const char* name, int32 index, const char* defaultValue) const
{
    const char* value = nullptr;
    if (FindString(name, index, &value) != B_OK)
        return defaultValue;
    return value;
}

bool BMessage::GetBool(const char* name, bool defaultValue) const
{
    return GetBool(name, 0, defaultValue);
}

bool BMessage::GetBool(const char* name, int32 index, bool defaultValue) const
{
    bool value = false;
    if (FindBool(name, index, &value) != B_OK)
        return defaultValue;
    return value;
}

#define ONDELLE_GETTER(Name, Type) \
    Type BMessage::Get##Name(const char* name, Type defaultValue) const \
    { \
        return Get##Name(name, 0, defaultValue); \
    } \
    Type BMessage::Get##Name(const char* name, int32 index, Type defaultValue) const \
    { \
        Type value; \
        if (Find##Name(name, index, &value) != B_OK) \
            return defaultValue; \
        return value; \
    }

ONDELLE_GETTER(Int8, int8)
ONDELLE_GETTER(UInt8, uint8)
ONDELLE_GETTER(Int16, int16)
ONDELLE_GETTER(UInt16, uint16)
ONDELLE_GETTER(Int32, int32)
ONDELLE_GETTER(UInt32, uint32)
ONDELLE_GETTER(Int64, int64)
ONDELLE_GETTER(UInt64, uint64)
ONDELLE_GETTER(Float, float)
ONDELLE_GETTER(Double, double)

#undef ONDELLE_GETTER

BPoint BMessage::GetPoint(const char* name, const BPoint& defaultValue) const
{
    return GetPoint(name, 0, defaultValue);
}

BPoint BMessage::GetPoint(const char* name, int32 index, const BPoint& defaultValue) const
{
    BPoint value;
    if (FindPoint(name, index, &value) != B_OK)
        return defaultValue;
    return value;
}

BRect BMessage::GetRect(const char* name, const BRect& defaultValue) const
{
    return GetRect(name, 0, defaultValue);
}

BRect BMessage::GetRect(const char* name, int32 index, const BRect& defaultValue) const
{
    BRect value;
    if (FindRect(name, index, &value) != B_OK)
        return defaultValue;
    return value;
}

const void* BMessage::GetPointer(const char* name, const void* defaultValue) const
{
    return GetPointer(name, 0, defaultValue);
}

const void* BMessage::GetPointer(const char* name, int32 index, const void* defaultValue) const
{
    void* value = nullptr;
    if (FindPointer(name, index, &value) != B_OK)
        return defaultValue;
    return value;
}

status_t BMessage::SetString(const char* name, const char* string)
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return _SetValue(name, B_STRING_TYPE, string, ssize_t(strlen(string) + 1), false);
}

status_t BMessage::SetString(const char* name, const std::string& string)
{
    return SetString(name, string.c_str());
}

status_t BMessage::SetBool(const char* name, bool value)
{
    uint8 byte = value ? 1 : 0;
    return _SetValue(name, B_BOOL_TYPE, &byte, 1, true);
}

#define ONDELLE_SETTER(Name, Type, Code) \
    status_t BMessage::Set##Name(const char* name, Type value) \
    { \
        return _SetValue(name, Code, &value, sizeof(value), true); \
    }

ONDELLE_SETTER(Int8, int8, B_INT8_TYPE)
ONDELLE_SETTER(UInt8, uint8, B_UINT8_TYPE)
ONDELLE_SETTER(Int16, int16, B_INT16_TYPE)
ONDELLE_SETTER(UInt16, uint16, B_UINT16_TYPE)
ONDELLE_SETTER(Int32, int32, B_INT32_TYPE)
ONDELLE_SETTER(UInt32, uint32, B_UINT32_TYPE)
ONDELLE_SETTER(Int64, int64, B_INT64_TYPE)
ONDELLE_SETTER(UInt64, uint64, B_UINT64_TYPE)
ONDELLE_SETTER(Float, float, B_FLOAT_TYPE)
ONDELLE_SETTER(Double, double, B_DOUBLE_TYPE)
ONDELLE_SETTER(Point, const BPoint&, B_POINT_TYPE)
ONDELLE_SETTER(Rect, const BRect&, B_RECT_TYPE)

#undef ONDELLE_SETTER

status_t BMessage::SetPointer(const char* name, const void* pointer)
{
    return _SetValue(name, B_POINTER_TYPE, &pointer, sizeof(pointer), true);
}

status_t BMessage::SetData(const char* name, type_code type, const void* data, ssize_t numBytes,
    bool fixedSize, int32 /*count*/)
{
    return _SetValue(name, type, data, numBytes, fixedSize);
}
