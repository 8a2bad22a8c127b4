#include "MessageField.h"

#include <cstring>

namespace BPrivate {

MessageField::MessageField(std::string name, type_code type, bool fixedSize)
    : fName(std::move(name)), fType(type), fFixedSize(fixedSize)
{
}

MessageField::MessageField(const MessageField& other)
    : fName(other.fName),
      fType(other.fType),
      fFixedSize(other.fFixedSize),
      fCount(other.fCount),
      fItemSize(other.fItemSize),
      fData(other.fData),
      fEnds(other.fEnds)
{
    fMessages.reserve(other.fMessages.size());
    for (const auto& message : other.fMessages)
        fMessages.push_back(std::make_unique<BMessage>(*message));
}

const void* MessageField::ItemData(int32 index, size_t* size) const
{
    if (HoldsMessages()) {
        if (fFlatCache.size() < fMessages.size())
            fFlatCache.resize(fMessages.size());
        std::string& flat = fFlatCache[index];
        // Flatten into the same buffer each time, so that the pointer stays
        // put while the value does not change size.
        std::string fresh;
        if (fMessages[index]->Flatten(&fresh) != B_OK)
            fresh.clear();
        flat.assign(fresh);
        *size = flat.size();
        return flat.data();
    }
    if (fFixedSize) {
        *size = fItemSize;
        return fData.data() + size_t(index) * fItemSize;
    }
    size_t start = _ItemStart(index);
    *size = _ItemEnd(index) - start;
    // Values read from files may be empty; hand out a valid pointer even
    // when no value has any bytes.
    static const char kNoBytes[1] = {0};
    if (fData.empty())
        return kNoBytes;
    return fData.data() + start;
}

size_t MessageField::ItemByteSize(int32 index) const
{
    if (HoldsMessages()) {
        ssize_t size = fMessages[index]->FlattenedSize();
        return size > 0 ? size_t(size) : 0;
    }
    if (fFixedSize)
        return fItemSize;
    return _ItemEnd(index) - _ItemStart(index);
}

status_t MessageField::AddBytes(const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    if (fFixedSize) {
        if (fCount == 0)
            fItemSize = size;
        fData.insert(fData.end(), bytes, bytes + size);
    } else {
        if (fCount > 0)
            fEnds.push_back(fData.size());
        fData.insert(fData.end(), bytes, bytes + size);
    }
    fCount++;
    return B_OK;
}

status_t MessageField::AddMessage(std::unique_ptr<BMessage> message)
{
    fMessages.push_back(std::move(message));
    fCount++;
    return B_OK;
}

status_t MessageField::ReplaceBytes(int32 index, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    if (fFixedSize) {
        memcpy(fData.data() + size_t(index) * fItemSize, bytes, size);
        return B_OK;
    }
    size_t start = _ItemStart(index);
    size_t oldSize = _ItemEnd(index) - start;
    if (size == oldSize) {
        memcpy(fData.data() + start, bytes, size);
        return B_OK;
    }
    fData.erase(fData.begin() + start, fData.begin() + start + oldSize);
    fData.insert(fData.begin() + start, bytes, bytes + size);
    for (size_t i = size_t(index); i < fEnds.size(); i++)
        fEnds[i] = fEnds[i] - oldSize + size;
    return B_OK;
}

void MessageField::ReplaceMessage(int32 index, std::unique_ptr<BMessage> message)
{
    fMessages[index] = std::move(message);
}

void MessageField::RemoveItem(int32 index)
{
    if (HoldsMessages()) {
        fMessages.erase(fMessages.begin() + index);
        if (size_t(index) < fFlatCache.size())
            fFlatCache.erase(fFlatCache.begin() + index);
    } else if (fFixedSize) {
        size_t start = size_t(index) * fItemSize;
        fData.erase(fData.begin() + start, fData.begin() + start + fItemSize);
    } else {
        size_t start = _ItemStart(index);
        size_t size = _ItemEnd(index) - start;
        fData.erase(fData.begin() + start, fData.begin() + start + size);
        if (index == fCount - 1) {
            // The value before becomes the last one and ends with the buffer.
            if (index > 0)
                fEnds.erase(fEnds.begin() + (index - 1));
        } else {
            fEnds.erase(fEnds.begin() + index);
            for (size_t i = size_t(index); i < fEnds.size(); i++)
                fEnds[i] -= size;
        }
    }
    fCount--;
}

void MessageField::Reserve(int32 count, size_t bytes)
{
    if (count <= 1)
        return;
    if (HoldsMessages()) {
        fMessages.reserve(size_t(count));
        return;
    }
    fData.reserve(bytes);
    if (!fFixedSize)
        fEnds.reserve(size_t(count) - 1);
}

bool MessageField::SameData(const MessageField& other, bool ignoreFieldOrder, bool deep) const
{
    if (fName != other.fName || fType != other.fType || fFixedSize != other.fFixedSize
        || fCount != other.fCount)
        return false;
    if (HoldsMessages()) {
        for (int32 i = 0; i < fCount; i++) {
            const BMessage& a = *fMessages[i];
            const BMessage& b = *other.fMessages[i];
            if (deep) {
                if (!a.HasSameData(b, ignoreFieldOrder, true))
                    return false;
            } else {
                std::string flatA;
                std::string flatB;
                if (a.Flatten(&flatA) != B_OK || b.Flatten(&flatB) != B_OK || flatA != flatB)
                    return false;
            }
        }
        return true;
    }
    return fItemSize == other.fItemSize && fData == other.fData && fEnds == other.fEnds;
}

} // namespace BPrivate
