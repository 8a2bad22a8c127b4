#include "ReplaceQuestion.h"

#include <LibAppVersion.h>
#include <LibConversions.h>
#include <LibEntryDates.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <LibLocaleDateTime.h>
#include <StorageDefs.h>

#include <sys/stat.h>

#include <string>

const char* const kReplaceFactLabels[6]
    = {"Created :", "Modified :", "Size :", "Kind :", "Path :", "Version :"};

namespace {

const char* Text(const LibString& text)
{
    const char* value = text;
    return value != nullptr ? value : "";
}

// The kind word of the entry itself, a link not followed.
const char* KindWord(const char* path)
{
    struct stat st;
    if (::lstat(path, &st) != 0 || S_ISREG(st.st_mode))
        return "file";
    if (S_ISDIR(st.st_mode))
        return "folder";
    if (S_ISLNK(st.st_mode))
        return "symbolic link";
    return "file";
}

void AddFacts(const char* path, BAlert& alert)
{
    // An entry that is not there has no dates, size, kind or version to
    // show (rather than the fallbacks of 1970 and 0 bytes); its folder is
    // still known.
    struct stat st;
    if (::lstat(path, &st) != 0) {
        LibString parent;
        LibGetParentPath(path, parent);
        for (int row = 0; row < 6; row++)
            alert.AddFact(kReplaceFactLabels[row], row == 4 ? Text(parent) : "");
        return;
    }

    LibLocaleDateTime format;
    format.SetSeperator(", ");
    format.SetFormat("W, M D Y");
    format.LocaleTime().SetShowSeconds(true);

    LibString created = format.Format(LibCreationDate(path, true));
    LibString modified = format.Format(LibLastModifiedDate(path, true));
    LibString size;
    LibBytesToString(uint64(LibEntrySize(path, true)), size, 1);
    char kind[B_MIME_TYPE_LENGTH] = "";
    entry_ref ref;
    if (LibGetEntryRef(path, ref))
        LibGetMimeType(ref, kind, true);
    LibString parent;
    LibGetParentPath(path, parent);
    LibString version = LibGetAppVersion(path);

    const char* values[6] = {Text(created), Text(modified), Text(size), kind, Text(parent),
        Text(version)};
    for (int row = 0; row < 6; row++)
        alert.AddFact(kReplaceFactLabels[row], values[row]);
}

} // namespace


void
BuildReplaceQuestion(const char* incoming, const char* existing, BAlert& alert)
{
    std::string leaf = existing;
    size_t slash = leaf.rfind('/');
    if (slash != std::string::npos)
        leaf = leaf.substr(slash + 1);
    std::string text = std::string("The ") + KindWord(existing) + " '" + leaf
        + "' already exists. Do you wish to replace existing";
    alert = BAlert("ReplaceAlert", text.c_str(), "Don't Replace", "Replace", nullptr,
        B_WIDTH_FROM_WIDEST, B_WARNING_ALERT);
    alert.SetKind("replace");
    alert.SetShortcut(0, 'd');
    alert.SetShortcut(1, 'r');
    alert.SetDefaultButton(1);
    AddFacts(existing, alert);
    alert.AddFact("With", "");
    AddFacts(incoming, alert);
    alert.SetCheckBox("Apply to all future collisions", false);
}


BAlertAnswer
AskReplaceQuestion(const char* incoming, const char* existing)
{
    BAlert alert("", "", "OK");
    BuildReplaceQuestion(incoming, existing, alert);
    return alert.Ask();
}
