// Control characters in texts that come from a build (product and item
// names, paths made of them) and end up in a format that gives them a
// meaning: a line end in a script or a comment starts a new command, an
// escape sequence on a terminal moves the cursor or retitles the window.
//
// Control characters here are the C0 range (0x00-0x1f), DEL (0x7f) and the
// C1 range as UTF-8 encodes it (0xc2 0x80 - 0xc2 0x9f), which terminals
// also take as escapes.
#pragma once

#include <string>

// True when text holds a control character.
bool HasControlCharacter(const std::string& text);

// The text for a terminal: every control character, and the backslash
// that introduces the notation, written as \xNN (a C1 character as
// \xc2\xNN).
std::string TerminalText(const std::string& text);

// The same for a message of several lines: its line ends, tabs and
// backslashes stay as they are.
std::string TerminalMessageText(const std::string& text);

// The text with every control character, and every backslash, replaced by
// "?": for a one-line comment, where a line end or carriage return would
// start a new line and a trailing backslash would join the next one.
std::string CommentText(const std::string& text);
