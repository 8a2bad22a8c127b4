// A keyed checksum (HMAC-SHA-256) of data, to tell later whether text was
// written by whoever holds the key, and random keys for it.
#pragma once

#include <string>

// A fresh random key of 32 bytes as 64 lower-case hexadecimal digits; empty
// when the system's random source fails.
std::string make_mac_key();

// The HMAC-SHA-256 of data under key (any text, used as bytes), as 64
// lower-case hexadecimal digits; empty when key is empty or the checksum
// could not be computed.
std::string data_mac(const std::string& key, const std::string& data);

// Compares two checksums in a time that does not depend on where they
// differ.
bool mac_equal(const std::string& a, const std::string& b);
