// The custom destination folders known to a build tool, in order. The list
// owns its folders. Each folder is either one of the user's own definitions
// or one of the common (shared) set; the preference form stores the two sets
// separately.
#pragma once

#include <CustomFolder.h>
#include <LinkList.h>

class BMessage;

class CustomFolders : public LinkList<CustomFolder> {
public:
                        CustomFolders();
    virtual             ~CustomFolders();

    bool                IsCustom(const char* name);
    // The list's own folder of that name (letter case counting), or null.
    CustomFolder*       Find(const char* name);
    int32               CountCommonCustom();

    // Writes one set: the user's own folders (user true) or the common ones
    // (user false), numbered from 0 without gaps, and their number as
    // "custom_folder_qty". Returns the first failure of the message.
    status_t            WritePref(BMessage& message, bool user);
    // Appends the set stored in message, marking each folder as common when
    // user is false. A common folder whose name is already in the list
    // renames the list's folder to that name followed by " Renamed".
    void                ReadPref(const BMessage& message, bool user);

    void                PrintToStream();
};
