#include "InstallRecord.h"

#include <Directory.h>
#include <Entry.h>
#include <FileDigest.h>
#include <StopPoint.h>
#include <SymLink.h>
#include <ZipExtractor.h>

#include <DataMac.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const char* const kRecordName = "Install Record";
// Without a key (lines unchecked) and with one (each line ends with its
// checksum).
const char* const kHeader = "ondelle install record 1";
const char* const kKeyedHeader = "ondelle install record 2";

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

std::string Line(const std::string& path, const install_record_entry& entry, const std::string& key)
{
    const std::string line = std::string(1, KindLetter(entry.kind)) + '\t'
        + std::to_string(entry.size) + '\t' + std::to_string(entry.modified) + '\t'
        + Escape(entry.detail) + '\t' + Escape(path);
    if (key.empty())
        return line + '\n';
    return line + '\t' + data_mac(key, line) + '\n';
}

// Writes all of text at the descriptor's end; false (errno set) when any
// part could not be written.
bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = EIO;
            return false;
        }
        done += size_t(wrote);
    }
    return true;
}

} // namespace


std::string
InstallRecord::PathIn(const char* installFolder)
{
    return std::string(installFolder != nullptr ? installFolder : "") + "/" + kRecordName;
}


InstallRecord::~InstallRecord()
{
    if (fFd >= 0)
        ::close(fFd);
}


InstallRecord::InstallRecord(InstallRecord&& other) noexcept
{
    *this = std::move(other);
}


InstallRecord&
InstallRecord::operator=(InstallRecord&& other) noexcept
{
    if (this != &other) {
        if (fFd >= 0)
            ::close(fFd);
        fFd = std::exchange(other.fFd, -1);
        fPath = std::move(other.fPath);
        fKey = std::move(other.fKey);
        fWritten = other.fWritten;
        fTrusted = other.fTrusted;
        fRejected = other.fRejected;
        fEntries = std::move(other.fEntries);
    }
    return *this;
}


status_t
InstallRecord::Create(const char* path, const std::string& key)
{
    fEntries.clear();
    if (fFd >= 0)
        ::close(fFd);
    fFd = -1;
    fWritten = 0;
    fKey = key;
    fPath = path != nullptr ? path : "";
    const int fd = ::open(fPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == ENOSPC ? status_t(B_DEVICE_FULL) : status_t(B_ERROR);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return B_NOT_ALLOWED;
    }
    fFd = fd;
    const std::string header = std::string(key.empty() ? kHeader : kKeyedHeader) + '\n';
    if (!WriteAll(fFd, header)) {
        const status_t status = errno == ENOSPC ? status_t(B_DEVICE_FULL) : status_t(B_IO_ERROR);
        ::ftruncate(fFd, 0);
        ::close(fFd);
        fFd = -1;
        return status;
    }
    fWritten = int64(header.size());
    return B_OK;
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
    if (fFd < 0)
        return B_NO_INIT;
    std::string text;
    for (const auto& [path, entry] : entries)
        text += Line(path, entry, fKey);
    if (::lseek(fFd, fWritten, SEEK_SET) < 0 || !WriteAll(fFd, text)) {
        const status_t status = errno == ENOSPC || errno == EDQUOT ? status_t(B_DEVICE_FULL) : status_t(B_IO_ERROR);
        // Whatever part reached the file is taken back: the record holds
        // whole lines only, and the next append starts on a line of its own.
        if (::ftruncate(fFd, fWritten) != 0)
            ::close(fFd), fFd = -1;
        return status;
    }
    fWritten += int64(text.size());
    for (const auto& [path, entry] : entries)
        fEntries[path] = entry;
    return B_OK;
}


status_t
InstallRecord::Load(const char* path, const std::string& key)
{
    fEntries.clear();
    fTrusted = false;
    fRejected = 0;
    fKey = key;
    fPath = path != nullptr ? path : "";
    // Never through a link, never blocking on a FIFO, never a device.
    const int fd = ::open(fPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? status_t(B_ENTRY_NOT_FOUND) : status_t(B_NOT_ALLOWED);
    std::string text;
    struct stat st;
    status_t status = B_OK;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()
        || st.st_size > kMaxRecordSize) {
        status = B_NOT_ALLOWED;
    } else {
        text.reserve(size_t(st.st_size));
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof(buffer));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                status = B_IO_ERROR;
                break;
            }
            if (got == 0)
                break;
            text.append(buffer, size_t(got));
            if (int64(text.size()) > kMaxRecordSize) {
                status = B_NOT_ALLOWED;
                break;
            }
        }
    }
    ::close(fd);
    if (status != B_OK)
        return status;

    std::stringstream in(text);
    std::string line;
    if (!std::getline(in, line) || (line != kHeader && line != kKeyedHeader))
        return B_BAD_DATA;
    const bool keyed = line == kKeyedHeader;
    fTrusted = keyed && !key.empty();
    while (std::getline(in, line)) {
        if (in.eof()) {
            // The last line has no line end: cut short by a stopped job.
            break;
        }
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (keyed) {
            if (fields.size() != 6) {
                fRejected += fTrusted ? 1 : 0;
                continue;
            }
            const std::string mac = fields.back();
            fields.pop_back();
            if (fTrusted
                && !mac_equal(mac, data_mac(key, line.substr(0, line.size() - mac.size() - 1)))) {
                // Added or edited after the installer wrote it.
                fRejected++;
                continue;
            }
        }
        install_record_entry entry;
        std::string entryPath;
        if (fields.size() != 5 || fields[0].size() != 1 || !Unescape(fields[3], entry.detail)
            || !Unescape(fields[4], entryPath) || entryPath.empty()) {
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
    install_record_entry now;
    if (!Describe(path.c_str(), now))
        return true;
    return Differs(path, now);
}


bool
InstallRecord::Differs(const std::string& path, const install_record_entry& now) const
{
    const install_record_entry* recorded = Find(path);
    if (recorded == nullptr)
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
