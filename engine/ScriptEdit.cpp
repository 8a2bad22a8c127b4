// The boot-script editor and the deinstaller's section removal.
#include "ScriptEdit.h"

#include <Directory.h>
#include <Entry.h>
#include <Node.h>
#include <InstallConfig.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <Sandbox.h>
#include <StopPoint.h>
#include <SymLink.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

// The editor reads a script in pieces of this buffer's size (one less
// character, since fgets keeps room for the terminating zero).
constexpr int kPieceSize = 512;

const char* const kScriptType = "text/plain";
const char* const kScriptEditor = "application/x-vnd.Be-STEE";
// Marks the backups the editor makes, so that a later edit may replace them
// while a file the user keeps under the same name stays untouched.
const char* const kBackupAttribute = "Ondelle:script_backup";

std::string BeginMarker(const char* tag)
{
    return std::string("#BEGIN_") + tag;
}

std::string EndMarker(const char* tag)
{
    return std::string("#END_") + tag;
}

bool Exists(const std::string& path)
{
    return LibExists(path.c_str());
}

bool WriteAllowed(const std::string& path)
{
    if (sandbox_allows_write(path.c_str()))
        return true;
    fprintf(stderr, "script editor: %s lies outside the sandbox; left unchanged\n", path.c_str());
    return false;
}

// Gives the working copy the permissions of the script it replaces, so that
// an executable script stays executable.
void KeepMode(const std::string& script, const std::string& copy)
{
    BEntry original(script.c_str(), true);
    mode_t permissions;
    if (original.InitCheck() != B_OK || original.GetPermissions(&permissions) != B_OK)
        return;
    BNode node(copy.c_str());
    if (node.InitCheck() == B_OK)
        node.SetPermissions(permissions);
}

// Drops every run from a piece with the begin marker through the next piece
// with the end marker, writing the rest to "<script>.tmp", which then
// replaces the script. endsWithNewline becomes false when the last piece
// kept has no line end (or nothing is kept).
void RemoveSectionPieces(const std::string& script, const std::string& begin,
    const std::string& end, bool& endsWithNewline)
{
    const std::string working = script + ".tmp";
    FILE* out = fopen(working.c_str(), "w");
    if (out == nullptr)
        return;
    FILE* in = fopen(script.c_str(), "r");
    if (in == nullptr) {
        fclose(out);
        return;
    }

    char piece[kPieceSize];
    bool inside = false;
    bool lastHasNewline = false;
    while (fgets(piece, sizeof(piece), in) != nullptr) {
        if (strstr(piece, begin.c_str()) != nullptr)
            inside = true;
        if (!inside) {
            fputs(piece, out);
            lastHasNewline = strchr(piece, '\n') != nullptr;
        }
        if (strstr(piece, end.c_str()) != nullptr)
            inside = false;
    }
    if (!lastHasNewline)
        endsWithNewline = false;
    fclose(in);
    fclose(out);
    KeepMode(script, working);
    LibMove(working.c_str(), script.c_str());
}

// The script's lines, each without its line end; lastHasNewline tells
// whether the last line had one.
bool ReadLines(const char* path, std::vector<std::string>& lines, bool& lastHasNewline)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    lastHasNewline = false;
    while (std::getline(in, line)) {
        lastHasNewline = !in.eof();
        lines.push_back(line);
    }
    return !in.bad();
}

// Marks the lines of complete exact-marker sections; returns how many.
int MarkSections(const std::vector<std::string>& lines, const char* tag,
    std::vector<bool>* drop)
{
    const std::string begin = BeginMarker(tag);
    const std::string end = EndMarker(tag);
    int sections = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i] != begin)
            continue;
        size_t j = i + 1;
        while (j < lines.size() && lines[j] != end)
            j++;
        if (j == lines.size())
            break;
        if (drop != nullptr) {
            for (size_t k = i; k <= j; k++)
                (*drop)[k] = true;
        }
        sections++;
        i = j;
    }
    return sections;
}

} // namespace


std::string ScriptEditTarget(const char* path)
{
    std::string current = path != nullptr ? path : "";
    // A bounded number of hops, so a loop of links ends.
    for (int hop = 0; hop < 32 && !current.empty(); hop++) {
        BEntry entry(current.c_str(), false);
        if (entry.InitCheck() != B_OK || !entry.Exists() || !entry.IsSymLink())
            break;
        BSymLink link(current.c_str());
        char target[B_PATH_NAME_LENGTH];
        const ssize_t length = link.ReadLink(target, sizeof(target));
        if (length <= 0 || size_t(length) >= sizeof(target))
            break;
        if (target[0] == '/') {
            current = target;
        } else {
            const size_t slash = current.rfind('/');
            current = slash == std::string::npos ? std::string(target)
                : current.substr(0, slash + 1) + target;
        }
    }
    return current;
}


std::string BackupScriptPath(const char* script)
{
    if (script == nullptr || *script == '\0')
        return std::string();
    const std::string base = std::string(script) + ".orig";
    const size_t slash = base.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : base.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? base : base.substr(slash + 1);
    for (int32 n = 0; n < 10000; n++) {
        const std::string candidate = folder + static_cast<const char*>(LibCopySeriesName(leaf.c_str(), n));
        BEntry entry(candidate.c_str(), false);
        if (entry.InitCheck() != B_OK || !entry.Exists())
            return candidate;
        // A backup the editor made before may be replaced; anything else
        // under that name is the user's own.
        if (entry.IsFile() && !entry.IsSymLink()) {
            BNode node(candidate.c_str());
            std::string mark;
            if (node.InitCheck() == B_OK && node.ReadAttrString(kBackupAttribute, &mark) == B_OK)
                return candidate;
        }
    }
    return std::string();
}


std::string BackupScript(const char* script)
{
    const std::string backup = BackupScriptPath(script);
    if (backup.empty() || !LibCopy(script, backup.c_str()))
        return std::string();
    BNode node(backup.c_str());
    if (node.InitCheck() == B_OK)
        node.WriteAttrString(kBackupAttribute, "script editor");
    return backup;
}


script_scan ScanScriptFile(const char* path, const char* tag)
{
    script_scan scan;
    if (path == nullptr || tag == nullptr)
        return scan;
    FILE* in = fopen(path, "r");
    if (in == nullptr)
        return scan;
    const std::string begin = BeginMarker(tag);
    const std::string end = EndMarker(tag);
    char piece[kPieceSize];
    bool any = false;
    bool lastHasNewline = false;
    while (fgets(piece, sizeof(piece), in) != nullptr) {
        any = true;
        if (strstr(piece, begin.c_str()) != nullptr)
            scan.beginFound = true;
        else if (strstr(piece, end.c_str()) != nullptr)
            scan.endFound = true;
        lastHasNewline = strchr(piece, '\n') != nullptr;
    }
    fclose(in);
    scan.endsWithNewline = any && lastHasNewline;
    return scan;
}


bool EditScriptPath(const char* path, const char* tag, const char* body)
{
    if (path == nullptr || *path == '\0')
        return false;
    if (tag == nullptr || *tag == '\0') {
        // Empty markers would match every tagged section of every product.
        fprintf(stderr, "script editor: no tag for the section in %s; left unchanged\n", path);
        return false;
    }
    // A script that is a symbolic link keeps its link: the edit goes to the
    // file it points to.
    const std::string script = ScriptEditTarget(path);
    if (!WriteAllowed(script))
        return false;
    stop_point();

    const std::string sample = std::string(path) + ".sample";
    if (!Exists(script) && Exists(sample))
        LibCopy(sample.c_str(), script.c_str());

    const std::string begin = BeginMarker(tag);
    const std::string end = EndMarker(tag);
    script_scan scan = ScanScriptFile(script.c_str(), tag);
    bool endsWithNewline = scan.endsWithNewline;

    if (Exists(script))
        BackupScript(script.c_str());

    if (scan.beginFound && scan.endFound)
        RemoveSectionPieces(script, begin, end, endsWithNewline);

    bool written = true;
    if (body != nullptr) {
        written = false;
        FILE* out = fopen(script.c_str(), "a");
        if (out != nullptr) {
            if (!endsWithNewline) {
                fputs("last line\n", stderr);
                fputs("\n", out);
            }
            fprintf(out, "%s\n%s\n%s\n", begin.c_str(), body, end.c_str());
            written = ferror(out) == 0;
            written = fclose(out) == 0 && written;
        }
    }
    if (Exists(script))
        LibSetFileType(script.c_str(), kScriptType, kScriptEditor);
    return written;
}


bool ScriptPath(const directory_which& folder, const char* script, std::string& path)
{
    BPath directory;
    if (script == nullptr || find_directory(folder, &directory, false) != B_OK)
        return false;
    path = std::string(directory.Path()) + "/" + script;
    return true;
}


void EditScriptFile(const directory_which& folder, const char* script, const char* tag,
    const char* body)
{
    std::string path;
    if (!ScriptPath(folder, script, path)) {
        fprintf(stderr, "EditScriptFile: no folder %d for %s\n", int(folder),
            script != nullptr ? script : "(no script)");
        return;
    }
    if (body != nullptr) {
        // On Linux the user's boot folder does not exist until something is
        // placed in it.
        BPath directory;
        find_directory(folder, &directory, false);
        if (!Exists(directory.Path()) && sandbox_allows_write(directory.Path()))
            create_directory(directory.Path(), 0755);
    }
    EditScriptPath(path.c_str(), tag, body);
}


int CountTaggedSections(const char* path, const char* tag)
{
    if (path == nullptr || tag == nullptr || *tag == '\0')
        return 0;
    std::vector<std::string> lines;
    bool lastHasNewline = false;
    if (!ReadLines(path, lines, lastHasNewline))
        return 0;
    return MarkSections(lines, tag, nullptr);
}


int RemoveTaggedSections(const char* path, const char* tag, std::string* backup)
{
    if (path == nullptr || tag == nullptr || *tag == '\0')
        return 0;
    const std::string target = ScriptEditTarget(path);
    path = target.c_str();
    std::vector<std::string> lines;
    bool lastHasNewline = false;
    if (!ReadLines(path, lines, lastHasNewline))
        return 0;
    std::vector<bool> drop(lines.size(), false);
    const int sections = MarkSections(lines, tag, &drop);
    if (sections == 0)
        return 0;
    const std::string script = path;
    if (!WriteAllowed(script))
        return -1;

    const std::string saved = BackupScript(script.c_str());
    if (saved.empty())
        return -1;
    if (backup != nullptr)
        *backup = saved;
    const std::string working = script + ".tmp";
    FILE* out = fopen(working.c_str(), "w");
    if (out == nullptr)
        return -1;
    for (size_t i = 0; i < lines.size(); i++) {
        if (drop[i])
            continue;
        fwrite(lines[i].data(), 1, lines[i].size(), out);
        // The script's own last line keeps its missing line end.
        if (i + 1 < lines.size() || lastHasNewline)
            fputc('\n', out);
    }
    bool ok = ferror(out) == 0;
    ok = fclose(out) == 0 && ok;
    KeepMode(script, working);
    if (!ok || !LibMove(working.c_str(), script.c_str())) {
        LibUnlink(working.c_str());
        return -1;
    }
    return sections;
}
