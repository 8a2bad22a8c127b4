// LibAppResource: the resources of a file, normally the running program's
// own, with packing of files and folders into raw resources as zip archives
// and extraction back to disk.
//
// Changes reach the file when the object is destroyed or Sync() is called;
// the file is then replaced as a whole (see Resources.h), so nothing is
// written into a running program.
#pragma once

#include <File.h>
#include <Resources.h>
#include <SupportDefs.h>

// Name prefixes of the working folders in the temporary folder: archives
// being packed, and archives being unpacked.
constexpr const char* kPackFolderPrefix = "ondelle-pack-";
constexpr const char* kUnpackFolderPrefix = "ondelle-unpack-";

class LibAppResource : public BResources {
public:
    // Opens the running program's own file with openMode. A running program
    // cannot be opened for writing on this system; it is then opened for
    // reading, and its resources can still be changed (the file is replaced).
    LibAppResource(const uint32& openMode);
    // Opens the file at path (a symbolic link at its end is followed). When
    // the path cannot be opened the object holds no file (InitCheck fails).
    LibAppResource(const char* path, const uint32& openMode);
    virtual ~LibAppResource();

    // Packs the file or folder at path, under its leaf name, as a zip archive
    // of compression level level into the raw resource id named name,
    // replacing that resource. The archive is staged in a private folder and
    // stored in chunks of 8192 bytes. False when the archive could not be
    // made whole (an entry that cannot be read or packed) or stored; nothing
    // is stored then.
    bool AddEntry(const char* path, const int32& id, const char* name, const int& level);
    // Writes the raw resource id to path; with unzip it is unpacked in a
    // private folder in the common temporary folder first and the entry
    // named like the resource is moved to path. True also when there is no such resource (nothing is
    // written) or the archive holds no entry of that name; false when the
    // resource could not be written out or its name is not a plain leaf name.
    bool ExtractEntry(const int32& id, const char* path, bool unzip);
    // A copy of the string resource id (new[]; the caller deletes it with
    // delete[]), or null when there is none.
    char* FindString(const int32& id);
    // Copies the resource (type, id) with its name into target, replacing a
    // resource of the same type and id there. True when the source lacks it
    // (nothing happens) or the copy is made; false when target refused it.
    bool CopyResource(const int32& id, const uint32& type, LibAppResource& target);

    // One-line description of the object on standard error.
    void PrintToStream() const;

private:
    void _Open(const char* path, const uint32& openMode);

    BFile fFile;
};
