// Finding and neutralising control characters.
#include "ControlCharacters.h"

#include <cstdio>

namespace {

// The length of the control character at text[at] (1 for C0 and DEL, 2
// for a C1 character in UTF-8), or 0 when there is none.
size_t ControlLength(const std::string& text, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x20 || c == 0x7f)
        return 1;
    if (c == 0xc2 && at + 1 < text.size()) {
        const unsigned char next = static_cast<unsigned char>(text[at + 1]);
        if (next >= 0x80 && next <= 0x9f)
            return 2;
    }
    return 0;
}

// Control characters as \xNN. message: a message's line ends and tabs
// and its backslashes stay; otherwise they are shown too.
std::string ShownText(const std::string& text, bool message)
{
    std::string shown;
    char hex[8];
    for (size_t i = 0; i < text.size(); i++) {
        size_t length = ControlLength(text, i);
        if (message && (text[i] == '\n' || text[i] == '\t'))
            length = 0;
        else if (!message && text[i] == '\\')
            length = 1;
        if (length == 0) {
            shown += text[i];
            continue;
        }
        for (size_t k = 0; k < length; k++) {
            std::snprintf(hex, sizeof(hex), "\\x%02x", static_cast<unsigned char>(text[i + k]));
            shown += hex;
        }
        i += length - 1;
    }
    return shown;
}

} // namespace


bool
HasControlCharacter(const std::string& text)
{
    for (size_t i = 0; i < text.size(); i++) {
        if (ControlLength(text, i) != 0)
            return true;
    }
    return false;
}


std::string
TerminalText(const std::string& text)
{
    return ShownText(text, false);
}


std::string
TerminalMessageText(const std::string& text)
{
    return ShownText(text, true);
}


std::string
CommentText(const std::string& text)
{
    std::string comment;
    for (size_t i = 0; i < text.size(); i++) {
        const size_t length = text[i] == '\\' ? 1 : ControlLength(text, i);
        if (length == 0) {
            comment += text[i];
            continue;
        }
        comment += '?';
        i += length - 1;
    }
    return comment;
}
