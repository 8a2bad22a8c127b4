// Finds install items of a configuration by leaf name in constant time.
//
// The installer looks items up by leaf name once per item (sizes, group
// membership, selection marks), so a linear search per lookup would make
// those passes quadratic for large builds. The index maps each leaf name to
// the first item that has it and is built on the first lookup.
//
// Keeping it current: the owner calls Invalidate() whenever the items may
// have changed in a way that affects names or positions (InstallConfig does
// so for every change it makes or that goes through its own message calls).
// As a safety net each lookup also checks that the instructions message is
// the same object with the same number of items as when the index was
// built, and that the item found still carries the leaf name; otherwise the
// index is rebuilt. Changing a "file_name" behind the owner's back through
// a nested message pointer is the one change these checks may miss.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include <SupportDefs.h>

class BMessage;

class InstallItemIndex {
public:
                        InstallItemIndex();

    void                Invalidate();
    // Index of the first "install_file" of instructions (may be null) whose
    // "file_name" has this leaf name; -1 when none has. When item is given
    // it receives that item message (null when none has the name).
    int32               Find(const BMessage* instructions, const char* leaf,
                            const BMessage** item = nullptr);

    // Number of items in instructions (0 when it is null or holds no
    // "install_file" messages).
    static int32        CountItems(const BMessage* instructions);

private:
    // The leaf name of an item's "file_name"; false when it has none.
    static bool         _LeafOf(const BMessage* item, std::string_view& leaf);
    void                _Build(const BMessage* instructions, int32 count);
    bool                _IsCurrent(const BMessage* instructions, int32 count) const;

    bool                fValid;
    const BMessage*     fInstructions;
    int32               fCount;
    std::unordered_map<std::string, int32> fFirstByLeaf;
};
