// One named field of a BMessage: its type code, fixed-size flag and values.
// Private to the message code.
//
// Values of a variable-size B_MESSAGE_TYPE field are kept as BMessage
// objects; every other field keeps its values as bytes, one after another,
// in a single buffer (fixed-size fields: count x item size; variable-size
// fields: with the end offsets of the values kept aside).
#pragma once

#include <Message.h>

#include <memory>
#include <string>
#include <vector>

namespace BPrivate {

class MessageField {
public:
    MessageField(std::string name, type_code type, bool fixedSize);
    MessageField(const MessageField& other);
    MessageField& operator=(const MessageField&) = delete;

    const std::string& Name() const { return fName; }
    void SetName(std::string name) { fName = std::move(name); }
    type_code Type() const { return fType; }
    bool IsFixedSize() const { return fFixedSize; }
    // True when values are kept as BMessage objects.
    bool HoldsMessages() const { return fType == B_MESSAGE_TYPE && !fFixedSize; }
    int32 CountItems() const { return fCount; }
    // Size of every value of a fixed-size field (0 before the first value).
    size_t ItemSize() const { return fItemSize; }

    // Bytes of value index (index must be valid). For message values the
    // flattened form is produced into a per-value buffer that stays valid
    // until the value is replaced or removed, or bytes are asked for again.
    const void* ItemData(int32 index, size_t* size) const;
    // Size of value index in bytes (flattened size for message values).
    size_t ItemByteSize(int32 index) const;
    BMessage* ItemMessage(int32 index) const { return fMessages[index].get(); }

    // Adds raw bytes (never for HoldsMessages() fields). The caller has
    // checked the size of fixed-size values.
    status_t AddBytes(const void* data, size_t size);
    status_t AddMessage(std::unique_ptr<BMessage> message);
    status_t ReplaceBytes(int32 index, const void* data, size_t size);
    void ReplaceMessage(int32 index, std::unique_ptr<BMessage> message);
    void RemoveItem(int32 index);

    // Reserves room for count values of total bytes (a hint).
    void Reserve(int32 count, size_t bytes);

    // Same type, fixed-size flag and values. deep: nested messages are
    // compared with HasSameData(ignoreFieldOrder, deep); otherwise by their
    // flattened bytes.
    bool SameData(const MessageField& other, bool ignoreFieldOrder, bool deep) const;

private:
    // Variable-size values: fEnds holds the end offset of every value but
    // the last, which ends with the buffer (so single values need no list).
    size_t _ItemStart(int32 index) const { return index == 0 ? 0 : fEnds[index - 1]; }
    size_t _ItemEnd(int32 index) const
    {
        return index == fCount - 1 ? fData.size() : fEnds[index];
    }

    std::string fName;
    type_code fType;
    bool fFixedSize;
    int32 fCount = 0;
    size_t fItemSize = 0;
    std::vector<char> fData;
    std::vector<size_t> fEnds;
    std::vector<std::unique_ptr<BMessage>> fMessages;
    mutable std::vector<std::string> fFlatCache;
};

} // namespace BPrivate
