// Deinstaller: finds and removes what an installation tagged, and the
// sections it added to the user's scripts. The program ondelle-deinstall
// (app/deinstall) runs it with the configuration stored in its own file;
// docs/deinstaller.md describes the rules.
//
// An entry belongs to the product when its "InstallBy" attribute equals
// the deinstall tag rebuilt from the configuration. A symbolic link belongs
// to it when it carries the tag itself, when its target carries it, or when
// the folder holding it carries it: Linux keeps no attributes on links, so
// the installer cannot tag them there.
//
// The folders looked through are the standard folders of the boot volume
// and of the installation folder's volume, and the installation folder;
// each tree is walked whole, without following links and without entering
// other mounted volumes, the Trash or the installation's "Saved Files".
//
// When the installation kept a record of what it placed (InstallRecord),
// only the entries of that record that are unchanged are removed; a tagged
// entry the record does not list, or one that changed since, is kept and
// listed with the reason. Only record lines whose keyed checksum holds
// (the key is in the configuration) are believed, and only for entries
// below the folders looked through; a record that is damaged, missing
// where one was kept, or not a plain file of the user's keeps every
// tagged entry in doubt. Entries are looked at and removed one name at a
// time from their folder's descriptor, never through a link, and only
// while they are still the entry that was listed (AnchoredPath).
#pragma once

#include <InstallRecord.h>
#include <Message.h>

#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

enum deinstall_entry_kind {
    DEINSTALL_FILE,
    DEINSTALL_FOLDER,
    DEINSTALL_LINK
};

// "file", "folder" or "link", as the lists of what goes and stays say it.
const char* deinstall_entry_kind_name(deinstall_entry_kind kind);

struct deinstall_entry {
    std::string path;
    deinstall_entry_kind kind = DEINSTALL_FILE;
    // Why the entry stays although it looks like the product's: it is not
    // in the installation's record (a copy that carries the tag, a link the
    // user made) or changed since it was placed. Empty: it is removed.
    std::string keep;
    // The folder looked through that holds it, and what stood there when
    // it was found: it is removed only while it is still that entry.
    std::string root;
    struct stat node {};
};

// How far the installation's record can be believed.
enum deinstall_record_state {
    // Installed before records were kept, and no record is there: entries
    // are judged by their tag alone.
    DEINSTALL_RECORD_NONE,
    // A record whose lines carry their checksum: it says what was placed.
    DEINSTALL_RECORD_TRUSTED,
    // A record without checksums (an earlier installer): it can only keep
    // more, never add an entry.
    DEINSTALL_RECORD_UNCHECKED,
    // A record was kept but is missing, damaged or not a plain file of the
    // user's: every entry is kept in doubt.
    DEINSTALL_RECORD_IN_DOUBT
};

// Tagged sections found in one of the user's scripts.
struct deinstall_section {
    std::string script;
    std::string tag;
    int count = 0;
};

// What happened to one entry or script.
struct deinstall_report {
    std::string path;
    // For a script: the tag of the sections removed from it; empty for an
    // entry.
    std::string tag;
    // For a script: where its previous text was kept.
    std::string backup;
    // B_OK: removed. B_DIRECTORY_NOT_EMPTY: a folder kept because it holds
    // entries the product did not install. Anything else: the removal's
    // error.
    status_t status = B_OK;
};

class Deinstaller {
public:
    // configuration: the deinstaller's own configuration message.
    explicit Deinstaller(const BMessage& configuration);

    // B_BAD_VALUE when the configuration names no product ("app_name"
    // missing or empty): its tag would match too much.
    status_t InitCheck() const;
    const std::string& Tag() const { return fTag; }
    // "<app_name> <version>".
    std::string ProductName() const;
    const BMessage& Configuration() const { return fConfiguration; }

    // Adds a folder to look through (ignored when it does not exist).
    void AddFolder(const char* path);
    // A folder that is never entered.
    void SkipFolder(const char* path);
    // The standard folders of the boot volume and of installFolder's
    // volume, and installFolder itself, whose "Saved Files" is skipped.
    void AddStandardFolders(const char* installFolder);

    // Reads the record of what the installation placed from installFolder
    // (see InstallRecord). Without one (an installation made before records
    // were kept) entries are judged by their tag alone. True when read.
    bool LoadRecord(const char* installFolder);
    bool HasRecord() const { return fHasRecord; }
    deinstall_record_state RecordState() const { return fRecordState; }
    // Lines of the record whose checksum did not hold (added or edited
    // after the installation); they are ignored.
    int32 RejectedRecordLines() const { return fRecord.Rejected(); }

    // Walks the folders and collects the product's entries, in the order
    // found (a folder before its contents). progress, if given, is told
    // each folder tree as it is begun.
    void Scan(const std::function<void(const std::string&)>& progress = nullptr);
    // Finds the sections the configuration names ("edit_bootscript",
    // "edit_setup_env", "edit_profile" with their tags) in the user's
    // scripts.
    void FindScriptSections();

    const std::vector<deinstall_entry>& Entries() const { return fEntries; }
    const std::vector<deinstall_section>& Sections() const { return fSections; }

    // Removes the collected entries that are not to be kept, contents
    // before their folders (a folder that still holds other entries is
    // kept), then the script sections.
    // report, if given, is told of each entry and script as it is done.
    // Returns the number of entries and scripts that could not be done
    // (kept folders do not count).
    int32 Remove(const std::function<void(const deinstall_report&)>& report = nullptr);

private:
    bool _Skipped(const std::string& path) const;
    bool _LinkBelongs(const std::string& path, bool parentTagged) const;
    void _CompareWithRecord();
    // The root of fRoots that path lies below, or an empty text.
    std::string _RootOf(const std::string& path) const;
    // The entry at path reached without following links, or false.
    bool _Anchored(const std::string& root, const std::string& path, struct stat& st) const;
    bool _Describe(const std::string& root, const std::string& path, const struct stat& st,
        install_record_entry& entry) const;

    BMessage fConfiguration;
    std::string fTag;
    std::vector<std::string> fRoots;
    // Each root's device and node when it was added.
    std::vector<std::pair<dev_t, ino_t>> fRootNodes;
    std::vector<std::string> fSkipped;
    std::vector<deinstall_entry> fEntries;
    std::vector<deinstall_section> fSections;
    InstallRecord fRecord;
    bool fHasRecord = false;
    deinstall_record_state fRecordState = DEINSTALL_RECORD_NONE;
};
