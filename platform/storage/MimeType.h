// BMimeType: a MIME type string, its description, and type guessing.
//
// Descriptions come from the freedesktop shared MIME database (through
// QMimeDatabase); the platform's own types (folders, links, executables,
// volumes) have descriptions of their own.
#pragma once

#include <EntryRef.h>
#include <StorageDefs.h>

#include <string>

#define B_DIRECTORY_MIME_TYPE "application/x-vnd.Be-directory"
#define B_SYMLINK_MIME_TYPE "application/x-vnd.Be-symlink"
#define B_VOLUME_MIME_TYPE "application/x-vnd.Be-volume"
#define B_APP_MIME_TYPE "application/x-vnd.Be-elfexecutable"
#define B_ELF_APP_MIME_TYPE "application/x-vnd.Be-elfexecutable"
#define B_RESOURCE_MIME_TYPE "application/x-be-resource"
#define B_FILE_MIME_TYPE "application/octet-stream"

class BMimeType {
public:
    BMimeType();
    BMimeType(const char* mimeType);
    virtual ~BMimeType();

    // A valid type is "supertype" or "supertype/subtype": at most 239
    // characters, no blanks, controls or any of ()<>@,;:\"[]?= and at most
    // one "/" that is neither first nor last. An invalid one gives
    // B_BAD_VALUE.
    status_t SetTo(const char* mimeType);
    void Unset();
    status_t InitCheck() const;

    const char* Type() const;
    bool IsValid() const;
    static bool IsValid(const char* mimeType);
    bool IsSupertypeOnly() const;
    status_t GetSupertype(BMimeType* supertype) const;
    // True when this type equals type, or is type's supertype.
    bool Contains(const BMimeType* type) const;

    // Short and long description (B_MIME_TYPE_LENGTH bytes);
    // B_ENTRY_NOT_FOUND when none is known.
    status_t GetShortDescription(char* description) const;
    status_t GetLongDescription(char* description) const;
    // The usual file-name extension of the type, without the dot.
    status_t GetPreferredExtension(std::string* extension) const;
    // Whether the type is known to the MIME database.
    bool IsInstalled() const;
    // Not in the platform's class: whether the system's part of the MIME
    // database defines the type (a platform type, or a type of the shared
    // MIME database in the system's data folders), leaving out what only
    // the user's own data folder declares.
    bool IsSystemType() const;

    bool operator==(const BMimeType& type) const;
    bool operator==(const char* type) const;

    // Guesses from the file's contents and name: folders, links, platform
    // executables and resource files get the platform's types, other files
    // what the MIME database makes of them.
    static status_t GuessMimeType(const entry_ref* file, BMimeType* type);
    // From the contents alone.
    static status_t GuessMimeType(const void* buffer, int32 length, BMimeType* type);
    // From contents and name when filename names an existing entry, from
    // the name alone otherwise.
    static status_t GuessMimeType(const char* filename, BMimeType* type);
    // Not in the platform's class: the guess for a file of that name whose
    // contents start with buffer, made without opening anything (for files
    // being written, whose first block is at hand). Same rules as a guess
    // from the file itself.
    static status_t GuessMimeType(const char* name, const void* buffer, int32 length, BMimeType* type);

private:
    std::string fType;
    status_t fStatus;
};

// Sets the file type ("BEOS:TYPE") of path from a guess. recursive: also
// every entry below a folder. force: replace a type already there (without
// it, only untyped entries get one). synchronous is accepted for the
// classic signature; the work is always done before returning.
status_t update_mime_info(const char* path, int recursive, int synchronous, int force);
