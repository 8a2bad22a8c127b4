// BResources: the typed, numbered and named resources of a file.
//
// Works on the platform's resource container: stand-alone resource files
// (x86 "RS" files and PowerPC-style "Joy!resf" files) and resources after an
// executable image (ELF, 32- and 64-bit, and PEF), at the offset computed
// from the image's headers. Both byte orders are read; new tables are written
// little-endian. Resource contents are never converted.
//
// Changes are kept until Sync() (or Unset()/the destructor, which sync) and
// then written as a complete new file that replaces the old one in one rename
// (see FileReplacer.h); the old file stays whole when that fails. Large new
// contents are kept in an unnamed scratch file, not in memory, and unchanged
// contents are copied from the old file when the new one is written.
//
// The object keeps a descriptor of its own on the file. A BFile handed to
// SetTo() therefore still refers to the replaced file after a Sync().
//
// Pointers returned by LoadResource() and names returned by GetResourceInfo()
// stay valid until that resource is changed or removed, or the object is
// unset. Not thread-safe: use one object from one thread at a time.
#pragma once

#include <SupportDefs.h>
#include <TypeConstants.h>

#include <memory>
#include <string>
#include <vector>

class BFile;

namespace ondelle::resources {
struct ContainerInfo;
}

class BResources {
public:
    BResources();
    explicit BResources(const BFile* file, bool clobber = false);
    explicit BResources(const char* path, bool clobber = false);
    virtual ~BResources();

    BResources(const BResources&) = delete;
    BResources& operator=(const BResources&) = delete;

    // Binds to a file. Without clobber the file must be empty, a resource
    // file or an executable, and its resources are kept; with clobber they
    // are dropped (an executable keeps its image, any other file becomes an
    // empty resource file when synced). A symbolic link is followed. The
    // resources can be changed when the file was opened for writing (a
    // BFile) or is writable (a path; a running program counts as writable,
    // since it is replaced, not written into) and, with an active sandbox
    // (Sandbox.h), lies inside it.
    status_t SetTo(const BFile* file, bool clobber = false);
    status_t SetTo(const char* path, bool clobber = false);
    // Writes pending changes (errors go to standard error) and unbinds.
    void Unset();
    status_t InitCheck() const;

    // The file the resources belong to (its real path).
    const char* Path() const;

    const void* LoadResource(type_code type, int32 id, size_t* _size);
    const void* LoadResource(type_code type, const char* name, size_t* _size);
    // Loads every resource of a type (every resource for type 0) into memory.
    status_t PreloadResourceType(type_code type = 0);

    // Writes the changes to the file; B_OK at once when there are none.
    status_t Sync();
    // Adds every resource of another resource file, replacing equal ones.
    status_t MergeFrom(BFile* fromFile);
    status_t MergeFrom(const char* path);

    // Adds a resource; one with the same type and id is replaced. Adding
    // exactly what is there already changes nothing.
    status_t AddResource(type_code type, int32 id, const void* data, size_t length, const char* name = nullptr);
    bool HasResource(type_code type, int32 id);
    bool HasResource(type_code type, const char* name);

    bool GetResourceInfo(int32 byIndex, type_code* typeFound, int32* idFound, const char** nameFound,
        size_t* lengthFound);
    bool GetResourceInfo(type_code byType, int32 andIndex, int32* idFound, const char** nameFound,
        size_t* lengthFound);
    bool GetResourceInfo(type_code byType, int32 andID, const char** nameFound, size_t* lengthFound);
    bool GetResourceInfo(type_code byType, const char* andName, int32* idFound, size_t* lengthFound);
    bool GetResourceInfo(const void* byPointer, type_code* typeFound, int32* idFound, size_t* lengthFound,
        const char** nameFound);

    status_t RemoveResource(const void* resource);
    status_t RemoveResource(type_code type, int32 id);

    // Writes length bytes at offset into an existing resource, growing it
    // (a gap is filled with zeros).
    status_t WriteResource(type_code type, int32 id, const void* data, off_t offset, size_t length);
    // Reads up to length bytes from offset; bytes past the resource's end are
    // not touched. B_BAD_VALUE when the resource does not exist.
    status_t ReadResource(type_code type, int32 id, void* data, off_t offset, size_t length);

    // A copy of a resource's data in memory from malloc(), which the caller
    // frees; null when there is none.
    void* FindResource(type_code type, int32 id, size_t* lengthFound);
    void* FindResource(type_code type, const char* name, size_t* lengthFound);

    // Not in the platform's class: appends a resource's data to file at its
    // current position, streaming (in the kernel where it can).
    status_t CopyResourceTo(type_code type, int32 id, BFile* file);
    // Not in the platform's class: where a resource's data lies in the file
    // at Path(), for readers that take it in place. B_BAD_VALUE when there
    // is no such resource, B_BUSY when it was changed and its data is not
    // in the file (yet).
    status_t GetResourceFileRange(type_code type, int32 id, off_t* offset, size_t* length) const;
    // The number of resources, and whether the resources can be changed.
    int32 CountResources() const;
    bool IsWritable() const { return fWritable; }
    bool IsModified() const { return fModified; }

private:
    struct Item;

    status_t _Bind(const std::string& path, bool writable, bool clobber);
    Item* _Find(type_code type, int32 id) const;
    Item* _Find(type_code type, const char* name) const;
    int32 _IndexOf(const Item* item) const;
    const void* _Load(Item* item, size_t* _size);
    status_t _ReadItem(const Item& item, uint64 offset, void* buffer, size_t length) const;
    status_t _MakeChangeable(Item& item, uint64 newSize);
    status_t _MoveToScratch(Item& item);
    status_t _CheckChange() const;
    status_t _WriteFile();

    std::string fPath;
    int fFd = -1;
    uint64 fFileSize = 0;
    std::unique_ptr<ondelle::resources::ContainerInfo> fContainer;
    std::vector<std::unique_ptr<Item>> fItems;
    status_t fInitStatus = B_NO_INIT;
    bool fWritable = false;
    bool fModified = false;
};
