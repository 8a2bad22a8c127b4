#include "xmlParser.h"

#include <cstring>

xmlParser::xmlParser()
    : fFile(nullptr),
      fLine(0),
      fPosition(0),
      fLookAhead('\0'),
      fLength(0),
      fBytesRead(0),
      fDepth(0),
      fElements(0),
      fLimitReached(false)
{
    fBuffer[0] = '\0';
}

xmlParser::xmlParser(const char* path) : xmlParser()
{
    Open(path);
}

xmlParser::~xmlParser()
{
    Close();
}

bool xmlParser::Open(const char* path)
{
    Close();
    ResetBuffer();
    if (path != nullptr)
        fFile = fopen(path, "r");
    return IsValid();
}

bool xmlParser::Open(FILE* stream)
{
    Close();
    ResetBuffer();
    fFile = stream;
    return IsValid();
}

bool xmlParser::IsValid() const
{
    return fFile != nullptr;
}

int xmlParser::Close()
{
    if (fFile == nullptr)
        return 0;
    const int result = fclose(fFile);
    fFile = nullptr;
    return result;
}

void xmlParser::Rewind()
{
    if (fFile == nullptr)
        return;
    ResetBuffer();
    rewind(fFile);
}

void xmlParser::ResetBuffer()
{
    fLine = 0;
    fPosition = 0;
    fBuffer[0] = '\0';
    fLength = 0;
    fLookAhead = '\0';
    fBytesRead = 0;
    fDepth = 0;
    fElements = 0;
    fLimitReached = false;
}

char xmlParser::Current() const
{
    return fPosition >= 0 && fPosition < fLength ? fBuffer[fPosition] : '\0';
}

void xmlParser::UpdateLookAhead()
{
    fLookAhead = fPosition + 1 >= 0 && fPosition + 1 < fLength ? fBuffer[fPosition + 1] : '\0';
}

bool xmlParser::ReadLine()
{
    if (fFile == nullptr || fLimitReached)
        return false;
    int32 length = 0;
    bool readAny = false;
    int c = EOF;
    // One piece of at most kLineSize - 1 characters; a longer line leaves
    // its rest for the next call.
    while (length < kLineSize - 1 && (c = getc(fFile)) != EOF) {
        readAny = true;
        if (++fBytesRead > kMaxInputBytes) {
            fLimitReached = true;
            return false;
        }
        if (c == '\n')
            break;
        // A NUL would end the text early; binary input loses nothing else.
        if (c != '\0')
            fBuffer[length++] = static_cast<char>(c);
    }
    if (!readAny)
        return false;
    // Files written with CR LF line ends read like LF files.
    if (c == '\n' && length > 0 && fBuffer[length - 1] == '\r')
        length--;
    fBuffer[length] = '\0';
    fLength = length;
    fLine++;
    fPosition = 0;
    UpdateLookAhead();
    return true;
}

bool xmlParser::Advance()
{
    if (fFile == nullptr || fLimitReached)
        return false;
    fPosition++;
    while (fPosition >= fLength) {
        if (!ReadLine()) {
            fPosition = fLength;
            fLookAhead = '\0';
            return false;
        }
    }
    UpdateLookAhead();
    return true;
}

bool xmlParser::IsWhiteSpace(const char& c) const
{
    return c == ' ' || c == '\t';
}

bool xmlParser::SkipTag(const char* name)
{
    return name != nullptr && (strcmp(name, "?xml") == 0 || strcmp(name, "!") == 0);
}

bool xmlParser::NoAnchorTag(const char* name)
{
    return name != nullptr && (strcmp(name, "?xml") == 0 || strcmp(name, "!") == 0);
}

bool xmlParser::NextTag(char* name, bool& hasAttributes)
{
    name[0] = '\0';
    hasAttributes = false;
    int32 length = 0;
    bool inTag = false;
    while (Advance()) {
        const char c = Current();
        if (c == '<') {
            inTag = true;
            length = 0;
            continue;
        }
        if (!inTag)
            continue;
        if (IsWhiteSpace(c) || c == '>') {
            name[length] = '\0';
            inTag = false;
            hasAttributes = c != '>';
            // An empty name ("<>", "< ") is no tag; declarations and
            // comments are passed over.
            if (length > 0 && !SkipTag(name))
                return true;
            hasAttributes = false;
            continue;
        }
        if (length < kMaxNameLength)
            name[length++] = c;
    }
    name[0] = '\0';
    hasAttributes = false;
    return false;
}

void xmlParser::AddModifiers(xmlTagModifiers& mods)
{
    char attribute[kMaxModifierLength + 1];
    char value[kMaxModifierLength + 1];
    int32 attributeLength = 0;
    int32 valueLength = 0;
    bool inValue = false;
    char closing = ' ';
    int32 stored = 0;

    auto store = [&]() {
        attribute[attributeLength] = '\0';
        value[valueLength] = '\0';
        if (attributeLength > 0 && valueLength > 0 && stored < kMaxModifierValues) {
            mods.AddString(attribute, value);
            stored++;
        }
        attributeLength = 0;
        valueLength = 0;
        inValue = false;
    };

    while (Advance()) {
        char c = Current();
        if (c == '>') {
            if (inValue)
                store();
            return;
        }
        if (!inValue) {
            if (IsWhiteSpace(c))
                continue;
            if (c != '=') {
                if (attributeLength < kMaxModifierLength)
                    attribute[attributeLength++] = c;
                continue;
            }
            // The character after '=' tells a quoted value from a bare one.
            inValue = true;
            closing = ' ';
            if (!Advance())
                break;
            c = Current();
            if (c == '"' || c == '\'') {
                closing = c;
                continue;
            }
            if (c == '>') {
                store();
                return;
            }
        }
        if (c == closing) {
            store();
            continue;
        }
        if (valueLength < kMaxModifierLength)
            value[valueLength++] = c;
    }
    if (inValue)
        store();
}

void xmlParser::SkipToTagEnd()
{
    while (Advance()) {
        if (Current() == '>')
            return;
    }
}

bool xmlParser::FindTag(const char* name, xmlTag& tag)
{
    tag.Clear();
    if (fDepth == 0)
        fElements = 0;
    if (name == nullptr)
        return false;

    char found[kNameBufferSize];
    bool hasAttributes = false;
    bool matched = false;
    while (NextTag(found, hasAttributes)) {
        if (strcmp(found, name) == 0) {
            matched = true;
            break;
        }
    }
    if (!matched)
        return false;

    if (hasAttributes)
        AddModifiers(tag.Modifiers());
    tag.SetName(name);
    if (!NoAnchorTag(name))
        ReadContent(tag);
    tag.StripTrailingContent();
    return true;
}

void xmlParser::ReadContent(xmlTag& tag)
{
    char childName[kNameBufferSize];
    bool hasAttributes = false;
    while (Advance()) {
        const char c = Current();
        if (c != '<') {
            tag.AddContent(c);
            continue;
        }
        // Step back onto the '<' (always in the current line, it was just
        // read) so that NextTag reads the tag from its start.
        const bool closing = fLookAhead == '/';
        const int32 location = tag.ContentLength();
        fPosition--;
        if (!NextTag(childName, hasAttributes))
            return;
        if (closing || childName[0] == '/') {
            // The first closing tag at this level ends the element, whatever
            // its name; one written as "</B >" is read through its '>'.
            if (hasAttributes)
                SkipToTagEnd();
            return;
        }
        if (fDepth >= kMaxDepth || ++fElements > kMaxElements) {
            fLimitReached = true;
            return;
        }

        xmlTag* child = new xmlTag;
        const size_t length = strlen(childName);
        if (childName[length - 1] == '/') {
            // An empty element such as "<BR/>": a name and nothing else.
            childName[length - 1] = '\0';
            child->SetName(childName);
            if (hasAttributes)
                SkipToTagEnd();
        } else {
            child->SetName(childName);
            if (hasAttributes)
                AddModifiers(child->Modifiers());
            if (!NoAnchorTag(childName)) {
                fDepth++;
                ReadContent(*child);
                fDepth--;
            }
            child->StripTrailingContent();
        }
        child->SetParentLocation(location);
        tag.AdoptChild(child);
    }
}

void xmlParser::PrintToStream() const
{
    fprintf(stderr, "xmlParser: line %ld, column %ld\nbuffer <%s>\n", static_cast<long>(fLine),
        static_cast<long>(fPosition), fBuffer);
}
