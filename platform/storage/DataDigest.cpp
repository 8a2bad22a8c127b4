#include "DataDigest.h"

#include <openssl/evp.h>

// OpenSSL's digest uses the processor's SHA instructions where there are
// any, which keeps the checksum far below the cost of writing the bytes.
DataDigest::DataDigest() : fContext(EVP_MD_CTX_new())
{
    Start();
}

DataDigest::~DataDigest()
{
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(fContext));
}

void DataDigest::Start()
{
    fFailed = fContext == nullptr
        || EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(fContext), EVP_sha256(), nullptr) != 1;
}

void DataDigest::Add(const void* data, size_t size)
{
    if (!fFailed && size > 0)
        fFailed = EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(fContext), data, size) != 1;
}

std::string DataDigest::Finish()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const bool ok = !fFailed && EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(fContext), digest, &length) == 1;
    Start();
    if (!ok)
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(size_t(length) * 2);
    for (unsigned int i = 0; i < length; i++) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0f];
    }
    return text;
}
