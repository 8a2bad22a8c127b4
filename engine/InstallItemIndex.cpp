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
InstallItemIndex::Find(const BMessage* instructions, const char* leaf)
{
    if (leaf == nullptr)
        return -1;

    int32 count = CountItems(instructions);
    if (!_IsCurrent(instructions, count))
        _Build(instructions, count);

    auto found = fFirstByLeaf.find(leaf);
    if (found == fFirstByLeaf.end())
        return -1;

    // The item must still carry that name; if not, the items were changed
    // without notice and the index is built again.
    InstallItem item(instructions->FindMessagePointer(kFieldInstallFile, found->second));
    if (item.HasFileName() && InstallItem::LeafOf(item.FileName()) == leaf)
        return found->second;

    _Build(instructions, count);
    found = fFirstByLeaf.find(leaf);
    return found != fFirstByLeaf.end() ? found->second : -1;
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
        InstallItem item(instructions->FindMessagePointer(kFieldInstallFile, index));
        if (!item.HasFileName())
            continue;
        // emplace keeps the first item of a name.
        fFirstByLeaf.emplace(std::string(InstallItem::LeafOf(item.FileName())), index);
    }
    fInstructions = instructions;
    fCount = count;
    fValid = true;
}
