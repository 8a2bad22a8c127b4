#include "CustomFolder.h"

#include <cstdio>
#include <cstring>

#include <LibStringIterator.h>
#include <Message.h>

namespace {

const char*
Text(const LibString& string)
{
    const char* text = string;
    return text != nullptr ? text : "";
}


// Preference key of one member at an index: "<base>_<index>".
struct PrefKey {
    PrefKey(const char* base, int32 index)
    {
        snprintf(key, sizeof(key), "%s_%d", base, (int)index);
    }

    operator const char*() const { return key; }

    char key[64];
};

const char* const kNameKey = "custom_folder_name";
const char* const kParentKey = "custom_folder_parent";
const char* const kSubDirKey = "custom_folder_sub_dir";
const char* const kReplaceKey = "custom_folder_replace";

}  // namespace


CustomFolder::CustomFolder()
    :
    fName(""),
    fParent(0),
    fSubFolder(""),
    fReplace(true),
    fCommon(false)
{
}


bool
CustomFolder::NamesFolderBelowParent(const char* subFolder)
{
    if (subFolder == nullptr || subFolder[0] == '/')
        return false;
    int depth = 0;
    const char* part = subFolder;
    while (*part != '\0') {
        const char* end = strchr(part, '/');
        const size_t length = end != nullptr ? size_t(end - part) : strlen(part);
        if (length == 2 && strncmp(part, "..", 2) == 0) {
            if (--depth < 0)
                return false;
        } else if (length > 0 && !(length == 1 && part[0] == '.')) {
            depth++;
        }
        part += length;
        if (*part == '/')
            part++;
    }
    return depth > 0;
}


bool
CustomFolder::ReplacesParentFolder() const
{
    return fReplace && !NamesFolderBelowParent(Text(fSubFolder));
}


CustomFolder::CustomFolder(const char* name)
    :
    CustomFolder()
{
    SetName(name);
}


CustomFolder::CustomFolder(const CustomFolder& other)
    :
    fName(Text(other.fName)),
    fParent(other.fParent),
    fSubFolder(Text(other.fSubFolder)),
    fReplace(other.fReplace),
    fCommon(other.fCommon)
{
}


CustomFolder::~CustomFolder()
{
}


CustomFolder&
CustomFolder::SetName(const char* name)
{
    fName = name != nullptr ? name : "";
    return *this;
}


CustomFolder&
CustomFolder::ParentFolder(const directory_which& parent)
{
    fParent = (int32)parent;
    return *this;
}


CustomFolder&
CustomFolder::ParentCode(const int32& code)
{
    fParent = code;
    return *this;
}


bool
CustomFolder::GetParentFolder(directory_which& which) const
{
    // Only codes within the enumeration's range may be converted to it.
    if (fParent < B_DESKTOP_DIRECTORY || fParent > B_UTILITIES_DIRECTORY)
        return false;
    which = (directory_which)fParent;
    return true;
}


CustomFolder&
CustomFolder::SubFolder(const char* subFolder)
{
    fSubFolder = subFolder != nullptr ? subFolder : "";
    return *this;
}


CustomFolder&
CustomFolder::Replace(const bool& replace)
{
    fReplace = replace;
    return *this;
}


CustomFolder&
CustomFolder::CommonDef(const bool& common)
{
    fCommon = common;
    return *this;
}


CustomFolder&
CustomFolder::operator=(const CustomFolder& other)
{
    if (this != &other) {
        fName = Text(other.fName);
        fParent = other.fParent;
        fSubFolder = Text(other.fSubFolder);
        fReplace = other.fReplace;
        fCommon = other.fCommon;
    }
    return *this;
}


bool
CustomFolder::operator==(const CustomFolder& other) const
{
    return fName.Compare(other.fName, false) == 0;
}


bool
CustomFolder::operator>(const CustomFolder& other) const
{
    return fName.Compare(other.fName, false) > 0;
}


status_t
CustomFolder::Write(BMessage& message) const
{
    status_t status = message.AddString("custom_folder_name", Text(fName));
    if (status == B_OK)
        status = message.AddInt32("custom_root_dir", fParent);
    if (status == B_OK)
        status = message.AddString("custom_sub_dir", Text(fSubFolder));
    if (status == B_OK)
        status = message.AddBool("custom_replace_existing", fReplace);
    return status;
}


void
CustomFolder::Read(const BMessage& message)
{
    const char* text = nullptr;
    if (message.FindString("custom_folder_name", 0, &text) == B_OK)
        fName = text;
    if (message.FindInt32("custom_root_dir", 0, &fParent) != B_OK)
        fParent = 0;
    if (message.FindString("custom_sub_dir", 0, &text) == B_OK)
        fSubFolder = text;
    if (message.FindBool("custom_replace_existing", 0, &fReplace) != B_OK)
        fReplace = false;
}


status_t
CustomFolder::WritePref(const int32& index, BMessage& message) const
{
    status_t status = message.AddString(PrefKey(kNameKey, index), Text(fName));
    if (status == B_OK)
        status = message.AddInt32(PrefKey(kParentKey, index), fParent);
    if (status == B_OK)
        status = message.AddString(PrefKey(kSubDirKey, index), Text(fSubFolder));
    if (status == B_OK)
        status = message.AddBool(PrefKey(kReplaceKey, index), fReplace);
    return status;
}


void
CustomFolder::ReadPref(const int32& index, const BMessage& message)
{
    const char* text = nullptr;
    if (message.FindString(PrefKey(kNameKey, index), 0, &text) == B_OK)
        fName = text;
    if (message.FindInt32(PrefKey(kParentKey, index), 0, &fParent) != B_OK)
        fParent = 0;
    if (message.FindString(PrefKey(kSubDirKey, index), 0, &text) == B_OK)
        fSubFolder = text;
    if (message.FindBool(PrefKey(kReplaceKey, index), 0, &fReplace) != B_OK)
        fReplace = false;
}


bool
CustomFolder::HasPref(const int32& index, const BMessage& message)
{
    const char* keys[] = { kNameKey, kParentKey, kSubDirKey, kReplaceKey };
    for (const char* base : keys) {
        type_code type = 0;
        if (message.GetInfo(PrefKey(base, index), &type) == B_OK)
            return true;
    }
    return false;
}


LibString
CustomFolder::AttrDescription() const
{
    char number[16];
    LibString description(Text(fName));
    description.Concat(";");
    snprintf(number, sizeof(number), "%d;", (int)fParent);
    description.Concat(number);
    description.Concat(Text(fSubFolder));
    description.Concat(";");
    description.Concat(fReplace ? "1;" : "0;");
    return description;
}


void
CustomFolder::SetFromAttrDescription(const LibString& description)
{
    LibStringIterator fields(Text(description));
    LibString field;

    // Each call leaves field empty once the text has run out, so missing
    // trailing fields read as empty text and as 0.
    fields.GetNextField(';', field);
    fName = Text(field);

    fields.GetNextField(';', field);
    int32 parent = 0;
    field.GetInt32(parent);
    fParent = parent;

    fields.GetNextField(';', field);
    fSubFolder = Text(field);

    fields.GetNextField(';', field);
    int32 replace = 0;
    field.GetInt32(replace);
    fReplace = replace != 0;
}


void
CustomFolder::PrintToStream() const
{
    fprintf(stderr, "CustomFolder name (%s), sub (%s), replace %d, common %d\n", Text(fName),
        Text(fSubFolder), fReplace ? 1 : 0, fCommon ? 1 : 0);
}
