#include "RdefText.h"

#include <cctype>
#include <cstdlib>

namespace ondelle::test {

namespace {

struct Token {
    enum Kind { kEnd, kWord, kNumber, kString, kHex, kCode, kPunct } kind = kEnd;
    std::string text;
};

class Lexer {
public:
    explicit Lexer(const std::string& text) : fText(text) {}

    Token Next()
    {
        _SkipSpace();
        Token token;
        if (fPos >= fText.size())
            return token;
        char c = fText[fPos];
        if (c == '"') {
            token.kind = Token::kString;
            token.text = _Quoted('"');
        } else if (c == '$' && fPos + 1 < fText.size() && fText[fPos + 1] == '"') {
            fPos++;
            token.kind = Token::kHex;
            token.text = _Quoted('"');
        } else if (c == '#' && fPos + 1 < fText.size() && fText[fPos + 1] == '\'') {
            fPos++;
            token.kind = Token::kCode;
            token.text = _Quoted('\'');
        } else if (isalpha(uint8(c)) || c == '_') {
            token.kind = Token::kWord;
            while (fPos < fText.size() && (isalnum(uint8(fText[fPos])) || fText[fPos] == '_'))
                token.text += fText[fPos++];
        } else if (isdigit(uint8(c)) || c == '-') {
            token.kind = Token::kNumber;
            token.text += fText[fPos++];
            while (fPos < fText.size() && isalnum(uint8(fText[fPos])))
                token.text += fText[fPos++];
        } else {
            token.kind = Token::kPunct;
            token.text = std::string(1, c);
            fPos++;
        }
        return token;
    }

private:
    void _SkipSpace()
    {
        for (;;) {
            while (fPos < fText.size() && isspace(uint8(fText[fPos])))
                fPos++;
            if (fText.compare(fPos, 2, "//") == 0) {
                while (fPos < fText.size() && fText[fPos] != '\n')
                    fPos++;
            } else if (fText.compare(fPos, 2, "/*") == 0) {
                size_t end = fText.find("*/", fPos + 2);
                fPos = end == std::string::npos ? fText.size() : end + 2;
            } else
                return;
        }
    }

    std::string _Quoted(char quote)
    {
        std::string out;
        fPos++;
        while (fPos < fText.size() && fText[fPos] != quote) {
            char c = fText[fPos++];
            if (c == '\\' && fPos < fText.size()) {
                char e = fText[fPos++];
                switch (e) {
                    case 'n': out += '\n'; break;
                    case 't': out += '\t'; break;
                    case '0': out += '\0'; break;
                    default: out += e; break;
                }
            } else
                out += c;
        }
        fPos++;
        return out;
    }

    const std::string& fText;
    size_t fPos = 0;
};

std::string HexToBytes(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return out;
}

uint32 FlagValue(const std::string& word)
{
    if (word == "B_MULTIPLE_LAUNCH")
        return 1;
    if (word == "B_EXCLUSIVE_LAUNCH")
        return 2;
    if (word == "B_BACKGROUND_APP")
        return 4;
    if (word == "B_ARGV_ONLY")
        return 8;
    return 0; // B_SINGLE_LAUNCH
}

type_code CodeOf(const std::string& text)
{
    type_code code = 0;
    for (char c : text)
        code = (code << 8) | uint8(c);
    return code;
}

} // namespace

bool ParseRdef(const std::string& text, std::vector<RdefResource>& resources, std::string& error)
{
    Lexer lexer(text);
    Token token = lexer.Next();
    while (token.kind != Token::kEnd) {
        if (token.kind != Token::kWord || token.text != "resource") {
            error = "expected 'resource', got '" + token.text + "'";
            return false;
        }
        RdefResource res;
        bool typeGiven = false;
        token = lexer.Next();
        if (token.kind == Token::kPunct && token.text == "(") {
            token = lexer.Next();
            res.id = int32(strtol(token.text.c_str(), nullptr, 0));
            token = lexer.Next();
            if (token.text == ",") {
                token = lexer.Next();
                res.name = token.text;
                token = lexer.Next();
            }
            if (token.text != ")") {
                error = "expected ')'";
                return false;
            }
            token = lexer.Next();
        } else if (token.kind == Token::kWord) {
            // Short forms of the application's standard resources.
            static const struct {
                const char* word;
                type_code type;
                int32 id;
                const char* name;
            } kShort[] = {
                {"app_signature", 'MIMS', 1, "BEOS:APP_SIG"},
                {"app_flags", 'APPF', 1, "BEOS:APP_FLAGS"},
                {"app_version", 'APPV', 1, "BEOS:APP_VERSION"},
                {"file_types", 'MSGG', 1, "BEOS:FILE_TYPES"},
                {"large_icon", 'ICON', 101, "BEOS:L:STD_ICON"},
                {"mini_icon", 'MICN', 101, "BEOS:M:STD_ICON"},
            };
            bool known = false;
            for (const auto& entry : kShort) {
                if (token.text == entry.word) {
                    res.type = entry.type;
                    res.id = entry.id;
                    res.name = entry.name;
                    typeGiven = known = true;
                }
            }
            if (!known) {
                error = "unknown resource word " + token.text;
                return false;
            }
            token = lexer.Next();
        }
        if (token.kind == Token::kCode) {
            res.type = CodeOf(token.text);
            typeGiven = true;
            token = lexer.Next();
        }

        // The data.
        if (token.kind == Token::kString) {
            res.kind = RdefResource::kString;
            while (token.kind == Token::kString) {
                res.text += token.text;
                token = lexer.Next();
            }
            if (!typeGiven)
                res.type = 'CSTR';
        } else if (token.kind == Token::kWord && token.text == "array") {
            res.kind = RdefResource::kBytes;
            token = lexer.Next(); // {
            for (token = lexer.Next(); token.kind == Token::kHex; token = lexer.Next())
                res.bytes += HexToBytes(token.text);
            token = lexer.Next(); // after }
        } else if (token.kind == Token::kWord && token.text == "message") {
            res.kind = RdefResource::kMessage;
            token = lexer.Next();
            if (token.text == "{") {
                for (token = lexer.Next(); token.kind != Token::kEnd && token.text != "}"; token = lexer.Next()) {
                    if (token.kind == Token::kString && token.text == "types") {
                        lexer.Next(); // =
                        res.types.push_back(lexer.Next().text);
                    }
                }
                token = lexer.Next();
            }
        } else if (token.kind == Token::kPunct && token.text == "{") {
            res.kind = RdefResource::kVersion;
            for (token = lexer.Next(); token.kind != Token::kEnd && token.text != "}";) {
                std::string field = token.text;
                lexer.Next(); // =
                std::string value;
                for (token = lexer.Next(); token.kind != Token::kEnd && token.text != "," && token.text != "}";
                     token = lexer.Next())
                    value += token.text;
                res.fields[field] = value;
                if (token.text == ",")
                    token = lexer.Next();
            }
            token = lexer.Next();
        } else if (token.kind == Token::kWord) {
            res.kind = RdefResource::kFlags;
            res.flags = FlagValue(token.text);
            for (token = lexer.Next(); token.text == "|"; token = lexer.Next())
                res.flags |= FlagValue(lexer.Next().text);
        } else {
            error = "unknown data for resource " + res.name;
            return false;
        }
        if (token.text != ";") {
            error = "expected ';' after resource " + res.name;
            return false;
        }
        resources.push_back(std::move(res));
        token = lexer.Next();
    }
    return true;
}

} // namespace ondelle::test
