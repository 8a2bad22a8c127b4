// A freedesktop desktop entry (a ".desktop" file): the menu entries and
// login entries through which the Linux desktop sees an installed product.
//
// Values are written with the entry format's escapes (\s, \n, \t, \r, \\);
// the format has none for other control characters, so in a text value
// (a name, a comment) each becomes U+FFFD. A command line holding one
// cannot be written at all (see CanCarry)
// and the command line of "Exec" with its own quoting: an argument holding
// a reserved character (blank, tab, line end, quotes, backslash, >, <, ~,
// |, &, ;, $, *, ?, #, parentheses, backtick) is put in double quotes, in
// which ", `, $ and \ take a backslash; a literal "%" is written "%%" so
// that it is not taken for a field code. The string escapes apply on top of
// the quoting, so a backslash in a path becomes four in the file.
#pragma once

#include <string>
#include <utility>
#include <vector>

class DesktopEntry {
public:
    // type: the entry's "Type" ("Application").
    explicit DesktopEntry(const std::string& type = "Application");

    void SetName(const std::string& name) { fName = name; }
    // The program and its arguments, each one word of the command line.
    void SetCommand(const std::vector<std::string>& arguments) { fCommand = arguments; }
    void SetIcon(const std::string& icon) { fIcon = icon; }
    void SetComment(const std::string& comment) { fComment = comment; }
    void SetCategories(const std::vector<std::string>& categories) { fCategories = categories; }
    void SetMimeTypes(const std::vector<std::string>& types) { fMimeTypes = types; }
    void SetGenericName(const std::string& name) { fGenericName = name; }
    void SetKeywords(const std::vector<std::string>& keywords) { fKeywords = keywords; }
    // A command-line program: the desktop starts it in a terminal.
    void SetTerminal(bool terminal) { fTerminal = terminal; }
    void SetStartupWMClass(const std::string& windowClass) { fStartupWMClass = windowClass; }
    // The folder the program starts in ("Path").
    void SetWorkingFolder(const std::string& folder) { fWorkingFolder = folder; }
    // A further action of the entry (a "[Desktop Action id]" group, listed
    // in "Actions"): id is its identifier, name what the menu shows,
    // arguments its command line.
    void AddAction(const std::string& id, const std::string& name,
        const std::vector<std::string>& arguments);
    // Any other key of the group, in the order added (for example
    // "X-Ondelle-Signature").
    void AddKey(const std::string& key, const std::string& value);

    // The whole file.
    std::string Text() const;

    // One argument of an Exec value, quoted when needed and with "%"
    // doubled; without the string escapes.
    static std::string QuoteArgument(const std::string& argument);
    // The Exec value for arguments, with the string escapes applied: the
    // text that follows "Exec=" in the file.
    static std::string ExecValue(const std::vector<std::string>& arguments);
    // A string value with the entry format's escapes; other control
    // characters become U+FFFD.
    static std::string EscapeValue(const std::string& value);
    // False when text holds a control character other than tab, line end
    // and carriage return: the entry format cannot carry it, so a command
    // line with such an argument cannot be written.
    static bool CanCarry(const std::string& text);
    // A list value: each item escaped, ";" inside an item as "\;", each
    // item followed by ";".
    static std::string ListValue(const std::vector<std::string>& items);
    // A name usable as a desktop file id or icon name: letters, digits,
    // ".", "_" and "-" kept, every other byte a "-"; never empty.
    static std::string SafeName(const std::string& name);
    // A name as unique as the text it stands for: SafeName(name) when that
    // is the name itself and at most limit bytes long; otherwise SafeName
    // cut to leave room, then "-" and eight hexadecimal digits of a hash
    // of the whole name. So names that SafeName alone would map to one
    // file ("My App" and "My-App", or two names in another script) get
    // different ones, and a long name still fits a file name.
    static std::string UniqueName(const std::string& name, size_t limit);

private:
    std::string fType;
    std::string fName;
    std::vector<std::string> fCommand;
    std::string fIcon;
    std::string fComment;
    std::vector<std::string> fCategories;
    std::vector<std::string> fMimeTypes;
    std::vector<std::pair<std::string, std::string>> fKeys;
    std::string fGenericName;
    std::vector<std::string> fKeywords;
    bool fTerminal = false;
    std::string fStartupWMClass;
    std::string fWorkingFolder;
    struct Action {
        std::string id;
        std::string name;
        std::vector<std::string> arguments;
    };
    std::vector<Action> fActions;
};
