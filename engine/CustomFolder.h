// A named destination folder of an installer build: a platform standard
// directory plus a sub-path below it ("Deskbar App" = the user's Deskbar
// folder + "Applications"). Install items name it in their "destination" and
// "link" rules.
//
// Besides the configuration form (Write/Read) a folder has a preference form
// under keys numbered by an index (WritePref/ReadPref) and a one-line
// attribute description "name;parent;sub-folder;replace;".
#pragma once

#include <FindDirectory.h>
#include <LibString.h>
#include <SupportDefs.h>

class BMessage;

class CustomFolder {
public:
                        CustomFolder();
    explicit            CustomFolder(const char* name);
                        CustomFolder(const CustomFolder& other);
    virtual             ~CustomFolder();

    // Setters; each returns the folder.
    CustomFolder&       SetName(const char* name);
    CustomFolder&       ParentFolder(const directory_which& parent);
    CustomFolder&       ParentCode(const int32& code);
    CustomFolder&       SubFolder(const char* subFolder);
    CustomFolder&       Replace(const bool& replace);
    CustomFolder&       CommonDef(const bool& common);

    const LibString&    Name() const { return fName; }
    // The parent as the raw directory code, as stored. Codes read from
    // damaged input need not be one of the platform's directories.
    int32               ParentCode() const { return fParent; }
    // The parent as a directory code; false (which unchanged) when the
    // stored code lies outside the platform's range of codes.
    bool                GetParentFolder(directory_which& which) const;
    const LibString&    SubFolder() const { return fSubFolder; }
    bool                Replace() const { return fReplace; }
    bool                CommonDef() const { return fCommon; }

    // True when subFolder names a folder below the parent folder: after
    // "." and ".." parts are applied it is at least one level down and never
    // climbs above the parent on the way.
    static bool         NamesFolderBelowParent(const char* subFolder);
    // True when the folder's rule would replace its whole standard parent
    // folder: replacing is on and the sub-folder names no folder below it.
    // Such a folder is refused by the build tool and by the install job.
    bool                ReplacesParentFolder() const;

    CustomFolder&       operator=(const CustomFolder& other);
    // Folders are the same when their names are equal, letter case counting;
    // ">" orders by name the same way.
    bool                operator==(const CustomFolder& other) const;
    bool                operator>(const CustomFolder& other) const;

    // Configuration form: "custom_folder_name", "custom_root_dir",
    // "custom_sub_dir", "custom_replace_existing", added in that order.
    status_t            Write(BMessage& message) const;
    // Reads the four fields at index 0. A missing string leaves its member
    // as it is; a missing directory code gives 0, a missing flag false.
    void                Read(const BMessage& message);

    // Preference form at an index n: "custom_folder_name_n",
    // "custom_folder_parent_n", "custom_folder_sub_dir_n",
    // "custom_folder_replace_n". Missing keys read as in Read.
    status_t            WritePref(const int32& index, BMessage& message) const;
    void                ReadPref(const int32& index, const BMessage& message);
    // True when the message holds any preference key of that index.
    static bool         HasPref(const int32& index, const BMessage& message);

    // "name;parent;sub-folder;replace;" with parent and replace (1 or 0) in
    // decimal. The common flag is not part of it.
    LibString           AttrDescription() const;
    // Reads a description made by AttrDescription. Missing fields read as
    // empty text; a directory code or flag that is not a number reads as 0.
    // The common flag is left as it is.
    void                SetFromAttrDescription(const LibString& description);

    void                PrintToStream() const;

private:
    LibString           fName;
    int32               fParent;
    LibString           fSubFolder;
    bool                fReplace;
    bool                fCommon;
};
