// Carrying shell assignments into an environment.d file.
#include "SessionEnvironment.h"

#include <cctype>
#include <sstream>

namespace {

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Reads a reference "$NAME" or "${NAME}" at text[at] (the "$"); appends
// "${NAME}" to value. False for any other expansion.
bool ReadReference(const std::string& text, size_t& at, std::string& value)
{
    size_t i = at + 1;
    const bool braced = i < text.size() && text[i] == '{';
    if (braced)
        i++;
    if (i >= text.size() || !IsNameStart(text[i]))
        return false;
    const size_t start = i;
    while (i < text.size() && IsNameChar(text[i]))
        i++;
    const std::string name = text.substr(start, i - start);
    if (braced) {
        if (i >= text.size() || text[i] != '}')
            return false;
        i++;
    }
    value += "${" + name + "}";
    at = i;
    return true;
}

// A character the file takes literally inside double quotes.
bool IsPlainInValue(char c)
{
    return c != '$' && c != '"' && c != '\\' && c != '`' && c != '\n';
}

// Parses one assignment line into name and value; false when the line is
// anything else.
bool ParseAssignment(const std::string& line, std::string& name, std::string& value)
{
    size_t at = 0;
    if (line.compare(0, 7, "export ") == 0 || line.compare(0, 7, "export\t") == 0) {
        at = 7;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            at++;
    }
    if (at >= line.size() || !IsNameStart(line[at]))
        return false;
    const size_t start = at;
    while (at < line.size() && IsNameChar(line[at]))
        at++;
    if (at >= line.size() || line[at] != '=')
        return false;
    name = line.substr(start, at - start);
    at++;

    value.clear();
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') {
        const char c = line[at];
        if (c == '\'') {
            const size_t end = line.find('\'', at + 1);
            if (end == std::string::npos)
                return false;
            for (size_t i = at + 1; i < end; i++) {
                if (!IsPlainInValue(line[i]))
                    return false;
                value += line[i];
            }
            at = end + 1;
        } else if (c == '"') {
            at++;
            while (at < line.size() && line[at] != '"') {
                if (line[at] == '$') {
                    if (!ReadReference(line, at, value))
                        return false;
                } else if (!IsPlainInValue(line[at])) {
                    return false;
                } else {
                    value += line[at++];
                }
            }
            if (at >= line.size())
                return false;
            at++;
        } else if (c == '$') {
            if (!ReadReference(line, at, value))
                return false;
        } else if (std::string(";&|<>()*?~[#").find(c) != std::string::npos
            || !IsPlainInValue(c)) {
            return false;
        } else {
            value += c;
            at++;
        }
    }
    // Only blanks or a comment may follow the value.
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        at++;
    return at == line.size() || line[at] == '#';
}

} // namespace


session_environment
TranslateSessionEnvironment(const std::string& section)
{
    session_environment result;
    std::istringstream lines(section);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::string trimmed = line.substr(first);
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.pop_back();
        std::string name;
        std::string value;
        if (!ParseAssignment(trimmed, name, value)) {
            result.skipped.push_back(line);
            continue;
        }
        result.text += name + "=\"" + value + "\"\n";
        result.names.push_back(name);
    }
    return result;
}
