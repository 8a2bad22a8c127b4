#include "InstallItemIndex.h"

#include <ConfigFields.h>
#include <InstallItem.h>
#include <Message.h>

InstallItemIndex::InstallItemIndex()
    :
    fValid(false),
    fInstructions(nullptr),
    fCount(0)
{
}


void
InstallItemIndex::Invalidate()
{
    fValid = false;
    fInstructions = nullptr;
    fCount = 0;
    fFirstByLeaf.clear();
}


int32
InstallItemIndex::CountItems(const BMessage* instructions)
{
    if (instructions == nullptr)
        return 0;
    type_code type = 0;
    int32 count = 0;
    if (instructions->GetInfo(kFieldInstallFile, &type, &count) != B_OK
        || type != B_MESSAGE_TYPE) {
        return 0;
    }
    return count;
}


int32
InstallItemIndex::Find(const BMessage* instructions, const char* leaf, const BMessage** item)
{
    if (item != nullptr)
        *item = nullptr;
    if (leaf == nullptr)
        return -1;

    int32 count = CountItems(instructions);
    if (!_IsCurrent(instructions, count))
        _Build(instructions, count);

    for (int attempt = 0; attempt < 2; attempt++) {
        auto found = fFirstByLeaf.find(leaf);
        if (found == fFirstByLeaf.end())
            return -1;

        // The item must still carry that name; if not, the items were
        // changed without notice and the index is built again.
        const BMessage* candidate
            = instructions->FindMessagePointer(kFieldInstallFile, found->second);
        std::string_view candidateLeaf;
        if (_LeafOf(candidate, candidateLeaf) && candidateLeaf == leaf) {
            if (item != nullptr)
                *item = candidate;
            return found->second;
        }
        _Build(instructions, count);
    }
    return -1;
}


bool
InstallItemIndex::_LeafOf(const BMessage* item, std::string_view& leaf)
{
    const char* path = nullptr;
    if (item == nullptr || item->FindString(kFieldFileName, 0, &path) != B_OK)
        return false;
    leaf = InstallItem::LeafOf(path);
    return true;
}


bool
InstallItemIndex::_IsCurrent(const BMessage* instructions, int32 count) const
{
    return fValid && fInstructions == instructions && fCount == count;
}


void
InstallItemIndex::_Build(const BMessage* instructions, int32 count)
{
    fFirstByLeaf.clear();
    fFirstByLeaf.reserve(count);
    for (int32 index = 0; index < count; index++) {
        std::string_view leaf;
        if (!_LeafOf(instructions->FindMessagePointer(kFieldInstallFile, index), leaf))
            continue;
        // emplace keeps the first item of a name.
        fFirstByLeaf.emplace(std::string(leaf), index);
    }
    fInstructions = instructions;
    fCount = count;
    fValid = true;
}
