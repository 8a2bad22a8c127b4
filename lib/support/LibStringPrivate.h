// Helpers shared by the LibString sources: byte classification through the
// C library and number formatting that does not depend on the locale.
#pragma once

#include <SupportDefs.h>

#include <cctype>
#include <string>

namespace libstring {

inline bool IsSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }
inline bool IsDigit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }
inline bool IsPunct(char c) { return ispunct(static_cast<unsigned char>(c)) != 0; }
inline char ToUpper(char c) { return static_cast<char>(toupper(static_cast<unsigned char>(c))); }
inline char ToLower(char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); }

// Switches the calling thread to the "C" locale while it lives, so that
// numbers are written and read with "." whatever locale the program's
// toolkit has set.
class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    void* fPrevious;
    bool fSwitched;
};

// printf into a string of whatever size the result needs ("C" locale).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Texts longer than this are not produced by growing operations.
constexpr int32 kMaxLength = 0x7ffffff0;

} // namespace libstring
