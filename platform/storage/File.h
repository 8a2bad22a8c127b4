// BFile: a regular file opened for reading and/or writing. Opening follows
// a symbolic link at the end of the path.
#pragma once

#include <Node.h>

#include <cstdio>

class BFile : public BNode {
public:
    BFile();
    BFile(const BFile& file);
    BFile(const entry_ref* ref, uint32 openMode);
    BFile(const BEntry* entry, uint32 openMode);
    BFile(const char* path, uint32 openMode);
    BFile(const BDirectory* dir, const char* path, uint32 openMode);
    virtual ~BFile();

    // openMode: B_READ_ONLY, B_WRITE_ONLY or B_READ_WRITE, combined with
    // B_CREATE_FILE, B_ERASE_FILE, B_FAIL_IF_EXISTS, B_OPEN_AT_END.
    // Opening a folder gives B_IS_A_DIRECTORY.
    status_t SetTo(const entry_ref* ref, uint32 openMode);
    status_t SetTo(const BEntry* entry, uint32 openMode);
    status_t SetTo(const char* path, uint32 openMode);
    status_t SetTo(const BDirectory* dir, const char* path, uint32 openMode);

    bool IsReadable() const;
    bool IsWritable() const;

    virtual ssize_t Read(void* buffer, size_t size);
    virtual ssize_t ReadAt(off_t location, void* buffer, size_t size);
    virtual ssize_t Write(const void* buffer, size_t size);
    virtual ssize_t WriteAt(off_t location, const void* buffer, size_t size);
    // seekMode: SEEK_SET, SEEK_CUR or SEEK_END. Returns the new position or
    // a status code.
    virtual off_t Seek(off_t offset, uint32 seekMode);
    virtual off_t Position() const;
    virtual status_t SetSize(off_t size);
    virtual status_t GetSize(off_t* size) const;

    BFile& operator=(const BFile& file);

private:
    status_t OpenFile(const std::string& absolutePath, uint32 openMode);

    uint32 fMode;
};
