#include "InstallRecord.h"

#include <Directory.h>
#include <Entry.h>
#include <FileDigest.h>
#include <StopPoint.h>
#include <SymLink.h>
#include <ZipExtractor.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const kRecordName = "Install Record";
const char* const kHeader = "ondelle install record 1";

// Paths and link targets may hold any byte but NUL; tabs, line ends and
// backslashes are escaped so that each entry stays one line.
std::string Escape(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\\')
            result += "\\\\";
        else if (c == '\t')
            result += "\\t";
        else if (c == '\n')
            result += "\\n";
        else
            result += c;
    }
    return result;
}

bool Unescape(const std::string& text, std::string& result)
{
    result.clear();
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        if (text[i] == '\\')
            result += '\\';
        else if (text[i] == 't')
            result += '\t';
        else if (text[i] == 'n')
            result += '\n';
        else
            return false;
    }
    return true;
}

char KindLetter(install_record_entry::kind_t kind)
{
    return kind == install_record_entry::FOLDER ? 'd' : kind == install_record_entry::LINK ? 'l' : 'f';
}

install_record_entry::kind_t KindOf(ZipEntrySummary::Kind kind)
{
    return kind == ZipEntrySummary::kFolder ? install_record_entry::FOLDER
        : kind == ZipEntrySummary::kLink    ? install_record_entry::LINK
                                            : install_record_entry::FILE;
}

std::string Line(const std::string& path, const install_record_entry& entry)
{
    return std::string(1, KindLetter(entry.kind)) + '\t' + std::to_string(entry.size) + '\t'
        + std::to_string(entry.modified) + '\t' + Escape(entry.detail) + '\t' + Escape(path) + '\n';
}

} // namespace


std::string
InstallRecord::PathIn(const char* installFolder)
{
    return std::string(installFolder != nullptr ? installFolder : "") + "/" + kRecordName;
}


status_t
InstallRecord::Create(const char* path)
{
    fEntries.clear();
    fPath = path != nullptr ? path : "";
    std::ofstream out(fPath, std::ios::binary | std::ios::trunc);
    if (!out)
        return B_ERROR;
    out << kHeader << '\n';
    out.flush();
    return out ? B_OK : B_ERROR;
}


bool
InstallRecord::Describe(const char* path, install_record_entry& entry)
{
    BEntry node(path, false);
    struct stat st;
    if (node.InitCheck() != B_OK || node.GetStat(&st) != B_OK)
        return false;
    entry = install_record_entry();
    entry.modified = int64(st.st_mtime);
    if (S_ISLNK(st.st_mode)) {
        entry.kind = install_record_entry::LINK;
        BSymLink link(path);
        char target[B_PATH_NAME_LENGTH];
        const ssize_t length = link.ReadLink(target, sizeof(target));
        if (length >= 0)
            entry.detail.assign(target, size_t(length) < sizeof(target) ? size_t(length) : 0);
    } else if (S_ISDIR(st.st_mode)) {
        entry.kind = install_record_entry::FOLDER;
    } else {
        entry.kind = install_record_entry::FILE;
        entry.size = int64(st.st_size);
        if (file_digest(path, &entry.detail) != B_OK)
            entry.detail.clear();
    }
    return true;
}


status_t
InstallRecord::AddTree(const char* path)
{
    if (path == nullptr || fPath.empty())
        return B_NO_INIT;
    std::vector<std::string> pending{path};
    status_t result = B_OK;
    while (!pending.empty()) {
        stop_point();
        const std::string current = pending.back();
        pending.pop_back();
        install_record_entry entry;
        if (!Describe(current.c_str(), entry))
            continue;
        const status_t status = _Append(current, entry);
        if (status != B_OK)
            result = status;
        if (entry.kind != install_record_entry::FOLDER)
            continue;
        BDirectory directory(current.c_str());
        BEntry child;
        while (directory.InitCheck() == B_OK && directory.GetNextEntry(&child, false) == B_OK) {
            if (child.PathName() != nullptr)
                pending.push_back(child.PathName());
        }
    }
    return result;
}


status_t
InstallRecord::AddPlaced(const char* path, const std::vector<ZipPlacedEntry>& entries)
{
    if (path == nullptr || fPath.empty())
        return B_NO_INIT;
    stop_point();
    const std::string item = path;
    std::vector<std::pair<std::string, install_record_entry>> lines;
    lines.reserve(entries.size());
    for (const ZipPlacedEntry& placed : entries) {
        install_record_entry entry;
        entry.kind = KindOf(placed.kind);
        entry.modified = placed.modified;
        if (entry.kind == install_record_entry::FILE)
            entry.size = int64(placed.size);
        if (entry.kind != install_record_entry::FOLDER)
            entry.detail = placed.detail;
        if (!placed.name.empty()) {
            lines.emplace_back(item + "/" + placed.name, entry);
            continue;
        }
        // The job dated the item itself after unpacking; what stands there
        // must still be what was unpacked, else it is described afresh.
        struct stat st;
        BEntry node(path, false);
        if (node.InitCheck() != B_OK || node.GetStat(&st) != B_OK)
            continue;
        const bool sameKind = S_ISDIR(st.st_mode) ? entry.kind == install_record_entry::FOLDER
            : S_ISLNK(st.st_mode)                ? entry.kind == install_record_entry::LINK
                                                 : entry.kind == install_record_entry::FILE;
        if (!sameKind || (entry.kind == install_record_entry::FILE && st.st_size != entry.size)) {
            if (!Describe(path, entry))
                continue;
        }
        entry.modified = int64(st.st_mtime);
        lines.emplace_back(item, entry);
    }
    return _AppendAll(lines);
}


status_t
InstallRecord::_Append(const std::string& path, const install_record_entry& entry)
{
    return _AppendAll({{path, entry}});
}


status_t
InstallRecord::_AppendAll(const std::vector<std::pair<std::string, install_record_entry>>& entries)
{
    if (entries.empty())
        return B_OK;
    std::string text;
    for (const auto& [path, entry] : entries) {
        fEntries[path] = entry;
        text += Line(path, entry);
    }
    FILE* out = fopen(fPath.c_str(), "a");
    if (out == nullptr)
        return B_ERROR;
    bool ok = fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = fclose(out) == 0 && ok;
    return ok ? B_OK : B_ERROR;
}


status_t
InstallRecord::Load(const char* path)
{
    fEntries.clear();
    fPath = path != nullptr ? path : "";
    std::ifstream in(fPath, std::ios::binary);
    if (!in)
        return B_ENTRY_NOT_FOUND;
    std::string line;
    if (!std::getline(in, line) || line != kHeader)
        return B_BAD_DATA;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (line.size() > 0 && line.back() == '\t')
            fields.push_back(std::string());
        install_record_entry entry;
        std::string entryPath;
        if (fields.size() != 5 || fields[0].size() != 1 || !Unescape(fields[3], entry.detail)
            || !Unescape(fields[4], entryPath) || entryPath.empty()) {
            // A line cut short by a stopped job; the lines before it hold.
            continue;
        }
        switch (fields[0][0]) {
            case 'f': entry.kind = install_record_entry::FILE; break;
            case 'd': entry.kind = install_record_entry::FOLDER; break;
            case 'l': entry.kind = install_record_entry::LINK; break;
            default: continue;
        }
        entry.size = strtoll(fields[1].c_str(), nullptr, 10);
        entry.modified = strtoll(fields[2].c_str(), nullptr, 10);
        fEntries[entryPath] = entry;
    }
    return B_OK;
}


bool
InstallRecord::Has(const std::string& path) const
{
    return fEntries.count(path) != 0;
}


const install_record_entry*
InstallRecord::Find(const std::string& path) const
{
    auto found = fEntries.find(path);
    return found != fEntries.end() ? &found->second : nullptr;
}


bool
InstallRecord::Changed(const std::string& path) const
{
    const install_record_entry* recorded = Find(path);
    install_record_entry now;
    if (recorded == nullptr || !Describe(path.c_str(), now))
        return true;
    if (now.kind != recorded->kind)
        return true;
    switch (now.kind) {
        case install_record_entry::FOLDER:
            return false;
        case install_record_entry::LINK:
            return now.detail != recorded->detail;
        case install_record_entry::FILE:
            return now.size != recorded->size || now.detail.empty() || now.detail != recorded->detail;
    }
    return true;
}
