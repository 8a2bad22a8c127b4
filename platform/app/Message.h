// BMessage: a container of named, typed, indexed fields with a command code
// ("what"), and its flattened form, as the platform's application kit spells
// it.
//
// Fields keep the order in which they were first added, and values keep the
// order in which they were added. Every field has one type code, a
// fixed-size flag (all values of a fixed field have the same size) and one
// or more values. Nested messages are kept as BMessage objects, so that
// FindMessagePointer()/EditMessagePointer() can reach them without copying.
//
// Flatten() writes the platform's classic little-endian message format (the
// one its x86 release wrote and reads). Unflatten() reads that format, the
// later "Dano" format and the native format of the platform's successor,
// each in both byte orders; see docs/message-format.md. Unflatten never trusts the input: on any error
// the message is left empty (what = 0, no fields) and an error is returned.
//
// Pointers returned by FindData()/FindString() point into the message and
// stay valid until the message is changed, assigned or destroyed.
#pragma once

#include <EntryRef.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class BHandler;
class BLooper;
class BMessenger;
class BMessageQueue;
class BApplication;

namespace BPrivate {
class MessageField;
class MessageReader;
class MessageWriter;
struct MessageDelivery;
} // namespace BPrivate

// Message "what" codes of the system that code may test for.
enum {
    B_NO_REPLY = '_NRP',
    B_MESSAGE_NOT_UNDERSTOOD = '_NUN',
    B_QUIT_REQUESTED = '_QRQ',
    B_READY_TO_RUN = '_RTR',
    B_ARGV_RECEIVED = '_ARG',
    B_REFS_RECEIVED = '_RRC',
    B_ABOUT_REQUESTED = '_ABR',
    B_PULSE = '_PUL',
    B_APP_ACTIVATED = '_ACT',
    B_SIMPLE_DATA = 'DATA',
    B_MIME_DATA = 'MIME',
    B_ARCHIVED_OBJECT = 'ARCV',
    B_CUT = 'CCUT',
    B_COPY = 'COPY',
    B_PASTE = 'PSTE',
    B_SELECT_ALL = 'SALL',
    B_SAVE_REQUESTED = 'SAVE',
    B_CANCEL = '_CNC',
    B_KEY_DOWN = '_KYD',
    B_MOUSE_DOWN = '_MDN',
    B_MOUSE_UP = '_MUP',
    B_MOUSE_MOVED = '_MMV',
    B_MOUSE_WHEEL_CHANGED = '_MWC',
    B_NODE_MONITOR = 'NDMN',
    B_WINDOW_ACTIVATED = '_ACT',
    B_CONTROL_INVOKED = '_CIV',
    B_CONTROL_MODIFIED = '_CMD'
};

// Limits that protect readers against hostile input.
enum {
    // Deepest nesting of messages inside messages that Unflatten accepts.
    B_MESSAGE_MAX_NESTING_DEPTH = 64,
    // Longest field name: the classic format stores the length in one byte.
    B_MESSAGE_MAX_NAME_LENGTH = 255
};

class BMessage {
public:
    uint32 what;

    BMessage();
    explicit BMessage(uint32 what);
    BMessage(const BMessage& other);
    BMessage(BMessage&& other) noexcept;
    virtual ~BMessage();

    BMessage& operator=(const BMessage& other);
    BMessage& operator=(BMessage&& other) noexcept;

    // --- Information about fields ---------------------------------------

    // The index-th field (counting only fields of the given type, or all
    // fields for B_ANY_TYPE): its name (pointer into the message), type and
    // value count. B_BAD_INDEX when there are not so many fields, B_BAD_TYPE
    // when the message has no field of that type at all.
    status_t GetInfo(type_code typeRequested, int32 index, char** nameFound,
        type_code* typeFound, int32* countFound = nullptr) const;
    status_t GetInfo(type_code typeRequested, int32 index, const char** nameFound,
        type_code* typeFound, int32* countFound = nullptr) const;
    // The named field's type and count, or its type and fixed-size flag.
    status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = nullptr) const;
    status_t GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const;
    status_t GetInfo(const char* name, type_code* typeFound, int32* countFound,
        bool* fixedSize) const;

    // Number of fields of the given type (B_ANY_TYPE: all fields).
    int32 CountNames(type_code type) const;
    bool IsEmpty() const;
    // A system message: "what" starts with '_' followed by an upper-case
    // letter, like the platform's own command codes.
    bool IsSystem() const;

    // Readable multi-line dump of every field and nested message, to stderr.
    void PrintToStream() const;
    // The same dump into any stream (extension).
    void PrintToStream(std::ostream& out) const;

    // Renames a field. B_NAME_NOT_FOUND, or B_NAME_IN_USE when newName exists.
    status_t Rename(const char* oldName, const char* newName);

    // --- Flattening --------------------------------------------------------

    // Size of the flattened form; negative status when the message cannot be
    // flattened (a field with more data than the format can hold).
    ssize_t FlattenedSize() const;
    // Writes the flattened form into buffer; B_BAD_VALUE when size is too
    // small (nothing meaningful is left in the buffer then).
    status_t Flatten(char* buffer, ssize_t size) const;
    // Replaces *out with the flattened form (extension).
    status_t Flatten(std::string* out) const;
    status_t Flatten(std::vector<char>* out) const;

    // Reads a flattened message of exactly the bytes [buffer, buffer + size);
    // trailing bytes after the declared message size are ignored. On error
    // the message is empty and the status says what was wrong:
    // B_NOT_A_MESSAGE (unknown magic), B_BAD_DATA (damaged or truncated
    // data), B_NO_MEMORY.
    status_t Unflatten(const char* buffer, ssize_t size);
    // Reads a message from a buffer of unknown length: the length is taken
    // from the message's own header and nothing beyond it is read. The
    // caller must guarantee that the buffer really holds that many bytes
    // (it may read up to 68 header bytes to learn the length); prefer the
    // sized form for data that comes from outside the process.
    status_t Unflatten(const char* flatBuffer);

    // --- Adding values -------------------------------------------------

    // Adds one value of numBytes bytes to the named field, creating the field
    // (as fixed-size or variable-size per isFixedSize) when it does not
    // exist. count is a hint for the expected number of values.
    // B_BAD_VALUE: NULL name or data, numBytes <= 0, name too long, or a
    // value of another size added to a fixed-size field. B_BAD_TYPE: the
    // field exists with another type. Values of B_MESSAGE_TYPE in a
    // variable-size field must be a flattened message (it is parsed).
    status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
        bool isFixedSize = true, int32 count = 1);

    status_t AddRect(const char* name, BRect rect);
    status_t AddPoint(const char* name, BPoint point);
    status_t AddString(const char* name, const char* string);
    status_t AddString(const char* name, const std::string& string);
    status_t AddInt8(const char* name, int8 value);
    status_t AddUInt8(const char* name, uint8 value);
    status_t AddInt16(const char* name, int16 value);
    status_t AddUInt16(const char* name, uint16 value);
    status_t AddInt32(const char* name, int32 value);
    status_t AddUInt32(const char* name, uint32 value);
    status_t AddInt64(const char* name, int64 value);
    status_t AddUInt64(const char* name, uint64 value);
    status_t AddBool(const char* name, bool value);
    status_t AddFloat(const char* name, float value);
    status_t AddDouble(const char* name, double value);
    status_t AddPointer(const char* name, const void* pointer);
    status_t AddRef(const char* name, const entry_ref* ref);
    status_t AddMessage(const char* name, const BMessage* message);
    // Moves message into the field without copying (extension).
    status_t AddMessage(const char* name, BMessage&& message);

    // Appends every value of every field of other (what is kept).
    status_t Append(const BMessage& other);

    // --- Removing ------------------------------------------------------

    // Removes one value; the field goes away with its last value.
    status_t RemoveData(const char* name, int32 index = 0);
    status_t RemoveName(const char* name);
    status_t MakeEmpty();

    // --- Finding values --------------------------------------------------
    // The index-less forms look at index 0. Errors: B_BAD_VALUE (NULL
    // argument), B_NAME_NOT_FOUND, B_BAD_TYPE (field of another type),
    // B_BAD_INDEX (no value at that index). *value is left unchanged on error.

    status_t FindData(const char* name, type_code type, const void** data,
        ssize_t* numBytes) const;
    status_t FindData(const char* name, type_code type, int32 index, const void** data,
        ssize_t* numBytes) const;

    status_t FindRect(const char* name, BRect* rect) const;
    status_t FindRect(const char* name, int32 index, BRect* rect) const;
    status_t FindPoint(const char* name, BPoint* point) const;
    status_t FindPoint(const char* name, int32 index, BPoint* point) const;
    status_t FindString(const char* name, const char** string) const;
    status_t FindString(const char* name, int32 index, const char** string) const;
    status_t FindString(const char* name, std::string* string) const;
    status_t FindString(const char* name, int32 index, std::string* string) const;
    status_t FindInt8(const char* name, int8* value) const;
    status_t FindInt8(const char* name, int32 index, int8* value) const;
    status_t FindUInt8(const char* name, uint8* value) const;
    status_t FindUInt8(const char* name, int32 index, uint8* value) const;
    status_t FindInt16(const char* name, int16* value) const;
    status_t FindInt16(const char* name, int32 index, int16* value) const;
    status_t FindUInt16(const char* name, uint16* value) const;
    status_t FindUInt16(const char* name, int32 index, uint16* value) const;
    status_t FindInt32(const char* name, int32* value) const;
    status_t FindInt32(const char* name, int32 index, int32* value) const;
    status_t FindUInt32(const char* name, uint32* value) const;
    status_t FindUInt32(const char* name, int32 index, uint32* value) const;
    status_t FindInt64(const char* name, int64* value) const;
    status_t FindInt64(const char* name, int32 index, int64* value) const;
    status_t FindUInt64(const char* name, uint64* value) const;
    status_t FindUInt64(const char* name, int32 index, uint64* value) const;
    status_t FindBool(const char* name, bool* value) const;
    status_t FindBool(const char* name, int32 index, bool* value) const;
    status_t FindFloat(const char* name, float* value) const;
    status_t FindFloat(const char* name, int32 index, float* value) const;
    status_t FindDouble(const char* name, double* value) const;
    status_t FindDouble(const char* name, int32 index, double* value) const;
    status_t FindPointer(const char* name, void** pointer) const;
    status_t FindPointer(const char* name, int32 index, void** pointer) const;
    status_t FindRef(const char* name, entry_ref* ref) const;
    status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
    status_t FindMessage(const char* name, BMessage* message) const;
    status_t FindMessage(const char* name, int32 index, BMessage* message) const;

    // Non-copying access to a nested message value (extension): NULL when
    // the field is missing, not a message field or index is out of range.
    // The pointer stays valid until that value or its field is removed, or
    // the message is emptied, assigned, unflattened or destroyed; adding
    // values does not move nested messages.
    const BMessage* FindMessagePointer(const char* name, int32 index = 0) const;
    BMessage* EditMessagePointer(const char* name, int32 index = 0);

    // --- Replacing values ------------------------------------------------
    // Replaces the value at index (index-less forms: index 0). Same errors
    // as the Find calls; a fixed-size field only takes a value of its size.

    status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
    status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
        ssize_t numBytes);

    status_t ReplaceRect(const char* name, BRect rect);
    status_t ReplaceRect(const char* name, int32 index, BRect rect);
    status_t ReplacePoint(const char* name, BPoint point);
    status_t ReplacePoint(const char* name, int32 index, BPoint point);
    status_t ReplaceString(const char* name, const char* string);
    status_t ReplaceString(const char* name, int32 index, const char* string);
    status_t ReplaceString(const char* name, const std::string& string);
    status_t ReplaceString(const char* name, int32 index, const std::string& string);
    status_t ReplaceInt8(const char* name, int8 value);
    status_t ReplaceInt8(const char* name, int32 index, int8 value);
    status_t ReplaceUInt8(const char* name, uint8 value);
    status_t ReplaceUInt8(const char* name, int32 index, uint8 value);
    status_t ReplaceInt16(const char* name, int16 value);
    status_t ReplaceInt16(const char* name, int32 index, int16 value);
    status_t ReplaceUInt16(const char* name, uint16 value);
    status_t ReplaceUInt16(const char* name, int32 index, uint16 value);
    status_t ReplaceInt32(const char* name, int32 value);
    status_t ReplaceInt32(const char* name, int32 index, int32 value);
    status_t ReplaceUInt32(const char* name, uint32 value);
    status_t ReplaceUInt32(const char* name, int32 index, uint32 value);
    status_t ReplaceInt64(const char* name, int64 value);
    status_t ReplaceInt64(const char* name, int32 index, int64 value);
    status_t ReplaceUInt64(const char* name, uint64 value);
    status_t ReplaceUInt64(const char* name, int32 index, uint64 value);
    status_t ReplaceBool(const char* name, bool value);
    status_t ReplaceBool(const char* name, int32 index, bool value);
    status_t ReplaceFloat(const char* name, float value);
    status_t ReplaceFloat(const char* name, int32 index, float value);
    status_t ReplaceDouble(const char* name, double value);
    status_t ReplaceDouble(const char* name, int32 index, double value);
    status_t ReplacePointer(const char* name, const void* pointer);
    status_t ReplacePointer(const char* name, int32 index, const void* pointer);
    status_t ReplaceRef(const char* name, const entry_ref* ref);
    status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
    status_t ReplaceMessage(const char* name, const BMessage* message);
    status_t ReplaceMessage(const char* name, int32 index, const BMessage* message);

    // --- Tests -----------------------------------------------------------

    // True when both messages have the same "what" and the same fields
    // (names, types, fixed-size flags, values). ignoreFieldOrder: fields may
    // come in any order (values must still be in the same order). deep:
    // nested messages are compared with the same rules recursively;
    // otherwise by their flattened bytes (which include field order).
    bool HasSameData(const BMessage& other, bool ignoreFieldOrder = false,
        bool deep = true) const;

    bool HasData(const char* name, type_code type, int32 index = 0) const;
    bool HasRect(const char* name, int32 index = 0) const;
    bool HasPoint(const char* name, int32 index = 0) const;
    bool HasString(const char* name, int32 index = 0) const;
    bool HasInt8(const char* name, int32 index = 0) const;
    bool HasUInt8(const char* name, int32 index = 0) const;
    bool HasInt16(const char* name, int32 index = 0) const;
    bool HasUInt16(const char* name, int32 index = 0) const;
    bool HasInt32(const char* name, int32 index = 0) const;
    bool HasUInt32(const char* name, int32 index = 0) const;
    bool HasInt64(const char* name, int32 index = 0) const;
    bool HasUInt64(const char* name, int32 index = 0) const;
    bool HasBool(const char* name, int32 index = 0) const;
    bool HasFloat(const char* name, int32 index = 0) const;
    bool HasDouble(const char* name, int32 index = 0) const;
    bool HasPointer(const char* name, int32 index = 0) const;
    bool HasRef(const char* name, int32 index = 0) const;
    bool HasMessage(const char* name, int32 index = 0) const;

    // --- Convenience getters and setters ------------------------------------
    // Get*: the value at index (or 0), or defaultValue when it cannot be
    // found. Set*: replaces the value at index 0, or adds it when the field
    // does not exist.

    const char* GetString(const char* name, const char* defaultValue = nullptr) const;
    const char* GetString(const char* name, int32 index, const char* defaultValue) const;
    bool GetBool(const char* name, bool defaultValue = false) const;
    bool GetBool(const char* name, int32 index, bool defaultValue) const;
    int8 GetInt8(const char* name, int8 defaultValue) const;
    int8 GetInt8(const char* name, int32 index, int8 defaultValue) const;
    uint8 GetUInt8(const char* name, uint8 defaultValue) const;
    uint8 GetUInt8(const char* name, int32 index, uint8 defaultValue) const;
    int16 GetInt16(const char* name, int16 defaultValue) const;
    int16 GetInt16(const char* name, int32 index, int16 defaultValue) const;
    uint16 GetUInt16(const char* name, uint16 defaultValue) const;
    uint16 GetUInt16(const char* name, int32 index, uint16 defaultValue) const;
    int32 GetInt32(const char* name, int32 defaultValue) const;
    int32 GetInt32(const char* name, int32 index, int32 defaultValue) const;
    uint32 GetUInt32(const char* name, uint32 defaultValue) const;
    uint32 GetUInt32(const char* name, int32 index, uint32 defaultValue) const;
    int64 GetInt64(const char* name, int64 defaultValue) const;
    int64 GetInt64(const char* name, int32 index, int64 defaultValue) const;
    uint64 GetUInt64(const char* name, uint64 defaultValue) const;
    uint64 GetUInt64(const char* name, int32 index, uint64 defaultValue) const;
    float GetFloat(const char* name, float defaultValue) const;
    float GetFloat(const char* name, int32 index, float defaultValue) const;
    double GetDouble(const char* name, double defaultValue) const;
    double GetDouble(const char* name, int32 index, double defaultValue) const;
    BPoint GetPoint(const char* name, const BPoint& defaultValue) const;
    BPoint GetPoint(const char* name, int32 index, const BPoint& defaultValue) const;
    BRect GetRect(const char* name, const BRect& defaultValue) const;
    BRect GetRect(const char* name, int32 index, const BRect& defaultValue) const;
    const void* GetPointer(const char* name, const void* defaultValue = nullptr) const;
    const void* GetPointer(const char* name, int32 index, const void* defaultValue) const;

    status_t SetString(const char* name, const char* string);
    status_t SetString(const char* name, const std::string& string);
    status_t SetBool(const char* name, bool value);
    status_t SetInt8(const char* name, int8 value);
    status_t SetUInt8(const char* name, uint8 value);
    status_t SetInt16(const char* name, int16 value);
    status_t SetUInt16(const char* name, uint16 value);
    status_t SetInt32(const char* name, int32 value);
    status_t SetUInt32(const char* name, uint32 value);
    status_t SetInt64(const char* name, int64 value);
    status_t SetUInt64(const char* name, uint64 value);
    status_t SetFloat(const char* name, float value);
    status_t SetDouble(const char* name, double value);
    status_t SetPoint(const char* name, const BPoint& value);
    status_t SetRect(const char* name, const BRect& value);
    status_t SetPointer(const char* name, const void* pointer);
    status_t SetData(const char* name, type_code type, const void* data, ssize_t numBytes,
        bool fixedSize = true, int32 count = 1);

private:
    friend class BPrivate::MessageReader;
    friend class BPrivate::MessageWriter;
    // The looper and messenger code keeps delivery state (reply target,
    // source waiting, ...) in fDelivery; BMessage itself never looks at it
    // beyond copying the handle along with the message.
    friend class BLooper;
    friend class BHandler;
    friend class BMessenger;
    friend class BMessageQueue;
    friend class BApplication;

    BPrivate::MessageField* _FindField(const char* name) const;
    status_t _FindValue(const char* name, type_code type, int32 index,
        const BPrivate::MessageField** field) const;
    status_t _AddValue(const char* name, type_code type, const void* data, ssize_t numBytes,
        bool isFixedSize);
    status_t _ReplaceValue(const char* name, type_code type, int32 index, const void* data,
        ssize_t numBytes);
    status_t _SetValue(const char* name, type_code type, const void* data, ssize_t numBytes,
        bool isFixedSize);
    template<typename T>
    status_t _FindFixed(const char* name, type_code type, int32 index, T* value) const;
    void _PrintToStream(std::ostream& out, int depth) const;
    bool _HasSameData(const BMessage& other, bool ignoreFieldOrder, bool deep) const;

    std::vector<std::unique_ptr<BPrivate::MessageField>> fFields;
    std::shared_ptr<BPrivate::MessageDelivery> fDelivery;
};
