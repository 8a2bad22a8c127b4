// The setup-environment section as a session manager's environment file
// (an "environment.d" file: one NAME="value" line per variable, where
// "${OTHER}" refers to a variable set before).
//
// Only plain assignments are carried over: "NAME=value" or "export
// NAME=value", the value unquoted, in double quotes or in single quotes,
// with "$NAME" and "${NAME}" references. Anything the file format cannot
// express the same way (commands, other expansions, a literal "$", quote or
// backslash in the value, several assignments on a line) is left out and
// reported, so a login shell (which runs the section itself) and the
// session never disagree silently.
#pragma once

#include <string>
#include <vector>

struct session_environment {
    // The file's contents: one line per carried variable.
    std::string text;
    // Names of the variables carried over, in order.
    std::vector<std::string> names;
    // The section's lines that were left out (blank lines and comments are
    // not counted).
    std::vector<std::string> skipped;
};

session_environment TranslateSessionEnvironment(const std::string& section);
