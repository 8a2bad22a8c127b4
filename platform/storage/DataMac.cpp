#include "DataMac.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

namespace {

std::string Hex(const unsigned char* bytes, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; i++) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0f];
    }
    return text;
}

} // namespace


std::string make_mac_key()
{
    unsigned char bytes[32];
    if (RAND_bytes(bytes, sizeof(bytes)) != 1)
        return std::string();
    return Hex(bytes, sizeof(bytes));
}


std::string data_mac(const std::string& key, const std::string& data)
{
    if (key.empty())
        return std::string();
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (HMAC(EVP_sha256(), key.data(), int(key.size()),
            reinterpret_cast<const unsigned char*>(data.data()), data.size(), mac, &length)
        == nullptr)
        return std::string();
    return Hex(mac, length);
}


bool mac_equal(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < a.size(); i++)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}
