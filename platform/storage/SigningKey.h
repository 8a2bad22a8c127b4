// An Ed25519 key pair, or only its public half, for signing installer
// builds and checking their signatures. Keys are kept in PEM files: the
// private key as PKCS #8, the public key as SubjectPublicKeyInfo, so that
// the usual tools can read them. The private key never leaves this class
// except into its own file, which is made only for its owner (mode 0600).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SigningKey {
public:
    static constexpr size_t kPublicKeySize = 32;
    static constexpr size_t kSignatureSize = 64;

    SigningKey() = default;
    ~SigningKey();
    SigningKey(SigningKey&& other) noexcept;
    SigningKey& operator=(SigningKey&& other) noexcept;
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    // A fresh key pair. Empty text on success, else what went wrong.
    std::string Generate();
    // Reads a private key file (which also gives the public key) or a
    // public key file. Errors name the file, never its contents.
    std::string ReadPrivate(const std::string& path);
    std::string ReadPublic(const std::string& path);
    // The public key from its 32 raw bytes.
    std::string SetPublic(const uint8_t* raw, size_t size);

    // Writes the private key to a new file made with mode 0600 (an existing
    // file is never overwritten), or the public key to a new file.
    std::string WritePrivate(const std::string& path) const;
    std::string WritePublic(const std::string& path) const;

    bool HasPrivate() const { return fHasPrivate; }
    bool IsSet() const { return fKey != nullptr; }
    // The 32 raw bytes of the public key; empty when there is no key.
    std::vector<uint8_t> PublicBytes() const;
    // The public key's fingerprint: the SHA-256 of its raw bytes, as 64
    // lower-case hexadecimal digits.
    std::string Fingerprint() const;

    // Signs data with the private key; empty on failure.
    std::vector<uint8_t> Sign(const void* data, size_t size) const;
    // Whether signature is a valid signature of data under the public key.
    bool Verify(const void* data, size_t size, const uint8_t* signature, size_t signatureSize) const;

    // The fingerprint of raw public key bytes.
    static std::string FingerprintOf(const uint8_t* raw, size_t size);
    // A fingerprint as typed by a person: hexadecimal digits in either case,
    // with ":" or spaces between groups, made lower-case and plain. Empty
    // when it is not 64 hexadecimal digits.
    static std::string NormalizeFingerprint(const std::string& text);

private:
    void _Reset();

    // The library's key object, opaque here.
    void* fKey = nullptr;
    bool fHasPrivate = false;
};
