#include "SigningKey.h"

#include "DataDigest.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <memory>
#include <unistd.h>

namespace {

EVP_PKEY* KeyOf(void* key)
{
    return static_cast<EVP_PKEY*>(key);
}

struct FileCloser {
    void operator()(FILE* file) const
    {
        if (file != nullptr)
            std::fclose(file);
    }
};
using FilePointer = std::unique_ptr<FILE, FileCloser>;

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

// Opens a new file for writing with mode; an existing entry is refused, so
// that a key is never written through a link someone placed there.
std::string CreateNew(const std::string& path, mode_t mode, FilePointer& file)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0)
        return path + ": cannot be made (" + std::strerror(errno) + ")";
    // The umask may have taken bits away, never added any; make it exact.
    ::fchmod(fd, mode);
    file.reset(::fdopen(fd, "w"));
    if (file == nullptr) {
        ::close(fd);
        ::unlink(path.c_str());
        return path + ": cannot be written";
    }
    return std::string();
}

std::string FinishFile(const std::string& path, FilePointer& file, bool written)
{
    const bool flushed = written && std::fflush(file.get()) == 0 && ::fsync(::fileno(file.get())) == 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (flushed && closed)
        return std::string();
    ::unlink(path.c_str());
    return path + ": cannot be written";
}

} // namespace

SigningKey::~SigningKey()
{
    _Reset();
}

SigningKey::SigningKey(SigningKey&& other) noexcept
    : fKey(other.fKey)
    , fHasPrivate(other.fHasPrivate)
{
    other.fKey = nullptr;
    other.fHasPrivate = false;
}

SigningKey& SigningKey::operator=(SigningKey&& other) noexcept
{
    if (this != &other) {
        _Reset();
        fKey = other.fKey;
        fHasPrivate = other.fHasPrivate;
        other.fKey = nullptr;
        other.fHasPrivate = false;
    }
    return *this;
}

void SigningKey::_Reset()
{
    EVP_PKEY_free(KeyOf(fKey));
    fKey = nullptr;
    fHasPrivate = false;
}

std::string SigningKey::Generate()
{
    _Reset();
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
    if (key == nullptr)
        return "no Ed25519 key could be made";
    fKey = key;
    fHasPrivate = true;
    return std::string();
}

std::string SigningKey::ReadPrivate(const std::string& path)
{
    _Reset();
    const FilePointer file(std::fopen(path.c_str(), "re"));
    if (file == nullptr)
        return path + ": cannot be read (" + std::strerror(errno) + ")";
    // No pass phrase callback: a protected key is refused, never asked for
    // on a terminal the build may not have.
    EVP_PKEY* key = PEM_read_PrivateKey(file.get(), nullptr, [](char*, int, int, void*) { return 0; }, nullptr);
    if (key == nullptr)
        return path + ": is not an unprotected private key in PEM form";
    if (EVP_PKEY_get_id(key) != EVP_PKEY_ED25519) {
        EVP_PKEY_free(key);
        return path + ": is not an Ed25519 key";
    }
    fKey = key;
    fHasPrivate = true;
    return std::string();
}

std::string SigningKey::ReadPublic(const std::string& path)
{
    _Reset();
    const FilePointer file(std::fopen(path.c_str(), "re"));
    if (file == nullptr)
        return path + ": cannot be read (" + std::strerror(errno) + ")";
    EVP_PKEY* key = PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr);
    if (key == nullptr)
        return path + ": is not a public key in PEM form";
    if (EVP_PKEY_get_id(key) != EVP_PKEY_ED25519) {
        EVP_PKEY_free(key);
        return path + ": is not an Ed25519 key";
    }
    fKey = key;
    return std::string();
}

std::string SigningKey::SetPublic(const uint8_t* raw, size_t size)
{
    _Reset();
    if (raw == nullptr || size != kPublicKeySize)
        return "a public key has 32 bytes";
    EVP_PKEY* key = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, raw, size);
    if (key == nullptr)
        return "the public key is not usable";
    fKey = key;
    return std::string();
}

std::string SigningKey::WritePrivate(const std::string& path) const
{
    if (!fHasPrivate)
        return "there is no private key to write";
    FilePointer file;
    const std::string error = CreateNew(path, 0600, file);
    if (!error.empty())
        return error;
    const bool written = PEM_write_PrivateKey(file.get(), KeyOf(fKey), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    return FinishFile(path, file, written);
}

std::string SigningKey::WritePublic(const std::string& path) const
{
    if (fKey == nullptr)
        return "there is no key to write";
    FilePointer file;
    const std::string error = CreateNew(path, 0644, file);
    if (!error.empty())
        return error;
    const bool written = PEM_write_PUBKEY(file.get(), KeyOf(fKey)) == 1;
    return FinishFile(path, file, written);
}

std::vector<uint8_t> SigningKey::PublicBytes() const
{
    std::vector<uint8_t> raw(kPublicKeySize);
    size_t size = raw.size();
    if (fKey == nullptr || EVP_PKEY_get_raw_public_key(KeyOf(fKey), raw.data(), &size) != 1
        || size != kPublicKeySize)
        return {};
    return raw;
}

std::string SigningKey::Fingerprint() const
{
    const std::vector<uint8_t> raw = PublicBytes();
    return raw.empty() ? std::string() : FingerprintOf(raw.data(), raw.size());
}

std::string SigningKey::FingerprintOf(const uint8_t* raw, size_t size)
{
    DataDigest digest;
    digest.Add(raw, size);
    return digest.Finish();
}

std::string SigningKey::NormalizeFingerprint(const std::string& text)
{
    std::string plain;
    for (const char c : text) {
        if (c == ':' || c == ' ')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::string();
        plain += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return plain.size() == 64 ? plain : std::string();
}

std::vector<uint8_t> SigningKey::Sign(const void* data, size_t size) const
{
    if (!fHasPrivate)
        return {};
    const DigestContext context(EVP_MD_CTX_new());
    std::vector<uint8_t> signature(kSignatureSize);
    size_t length = signature.size();
    // Ed25519 hashes the message itself: no digest is named.
    if (context == nullptr || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, KeyOf(fKey)) != 1
        || EVP_DigestSign(context.get(), signature.data(), &length, static_cast<const unsigned char*>(data), size)
            != 1
        || length != kSignatureSize)
        return {};
    return signature;
}

bool SigningKey::Verify(const void* data, size_t size, const uint8_t* signature, size_t signatureSize) const
{
    if (fKey == nullptr || signature == nullptr || signatureSize != kSignatureSize)
        return false;
    const DigestContext context(EVP_MD_CTX_new());
    return context != nullptr
        && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, KeyOf(fKey)) == 1
        && EVP_DigestVerify(context.get(), signature, signatureSize, static_cast<const unsigned char*>(data), size)
            == 1;
}
