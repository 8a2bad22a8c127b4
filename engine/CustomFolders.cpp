#include "CustomFolders.h"

#include <Message.h>

CustomFolders::CustomFolders()
{
}


CustomFolders::~CustomFolders()
{
}


bool
CustomFolders::IsCustom(const char* name)
{
    return Find(name) != nullptr;
}


CustomFolder*
CustomFolders::Find(const char* name)
{
    if (name == nullptr)
        return nullptr;
    CustomFolder probe(name);
    for (CustomFolder* folder = First(); folder != nullptr; folder = Next()) {
        if (*folder == probe)
            return folder;
    }
    return nullptr;
}


int32
CustomFolders::CountCommonCustom()
{
    int32 count = 0;
    for (CustomFolder* folder = First(); folder != nullptr; folder = Next()) {
        if (folder->CommonDef())
            count++;
    }
    return count;
}


status_t
CustomFolders::WritePref(BMessage& message, bool user)
{
    int32 common = CountCommonCustom();
    int32 count = user ? Size() - common : common;
    status_t result = message.AddInt32("custom_folder_qty", count);

    int32 index = 0;
    for (CustomFolder* folder = First(); folder != nullptr; folder = Next()) {
        if (folder->CommonDef() == user)
            continue;
        status_t status = folder->WritePref(index, message);
        if (status != B_OK && result == B_OK)
            result = status;
        index++;
    }
    return result;
}


void
CustomFolders::ReadPref(const BMessage& message, bool user)
{
    int32 count = 0;
    if (message.FindInt32("custom_folder_qty", 0, &count) != B_OK)
        count = 0;

    for (int32 index = 0; index < count; index++) {
        // A count larger than the stored folders (a damaged or hand-edited
        // preference) must not add empty folders, nor run for billions of
        // rounds: reading stops at the first index without any key.
        if (!CustomFolder::HasPref(index, message))
            break;

        if (!user) {
            CustomFolder incoming;
            incoming.ReadPref(index, message);
            CustomFolder* existing = Find(incoming.Name());
            if (existing != nullptr) {
                LibString renamed(existing->Name());
                renamed.Concat(" Renamed");
                existing->SetName(renamed);
            }
        }

        CustomFolder* folder = new CustomFolder;
        folder->ReadPref(index, message);
        folder->CommonDef(!user);
        Insert(folder);
    }
}


void
CustomFolders::PrintToStream()
{
    for (CustomFolder* folder = First(); folder != nullptr; folder = Next())
        folder->PrintToStream();
}
