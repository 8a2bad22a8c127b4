// A SHA-256 digest of data handed over in pieces, so that a file's checksum
// can be taken while its bytes pass through memory on their way to disk.
#pragma once

#include <cstddef>
#include <string>

class DataDigest {
public:
    DataDigest();
    ~DataDigest();
    DataDigest(const DataDigest&) = delete;
    DataDigest& operator=(const DataDigest&) = delete;

    // Adds the next size bytes of the data.
    void Add(const void* data, size_t size);
    // The digest of everything added, as 64 lower-case hexadecimal digits,
    // and a fresh start for the next data. Empty when the digest could not
    // be computed.
    std::string Finish();

private:
    void Start();

    // The digest library's context, opaque here.
    void* fContext;
    bool fFailed = false;
};
