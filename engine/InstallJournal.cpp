#include "InstallJournal.h"

#include <AnchoredPath.h>
#include <Errors.h>
#include <LibFileUtils.h>
#include <Path.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr const char* kHeader = "ondelle-journal 1";

// Fields are separated by tabs and lines end with "\n": those characters,
// "\r" and "%" are written as %XX.
std::string Escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char code[4];
            std::snprintf(code, sizeof(code), "%%%02X", unsigned(static_cast<unsigned char>(c)));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string hex = text.substr(i + 1, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += char(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(Unescape(line.substr(start, tab - start)));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LeafOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Present(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Removes the entry at path and, for a folder, everything in it, never
// following a link: each entry is reached from its folder's descriptor
// (AnchoredPath) and removed only when it is still the entry looked at.
bool RemoveTreeIn(const std::string& root, const std::string& path)
{
    const AnchoredPath entry(root, 0, 0, path);
    struct stat st;
    if (!entry.IsValid() || entry.Stat(&st) != B_OK)
        return !Present(path);
    if (S_ISDIR(st.st_mode)) {
        std::vector<std::string> names;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            if (DIR* folder = ::fdopendir(fd)) {
                while (const dirent* child = ::readdir(folder)) {
                    if (std::strcmp(child->d_name, ".") != 0 && std::strcmp(child->d_name, "..") != 0)
                        names.push_back(child->d_name);
                }
                ::closedir(folder);
            } else {
                ::close(fd);
            }
        }
        for (const std::string& name : names)
            RemoveTreeIn(root, path + "/" + name);
    }
    return entry.Remove(st) == B_OK;
}

// The folder path with its links resolved, so that the anchored walk
// starts from the folder the path leads to now.
std::string Resolved(const std::string& folder)
{
    char buffer[PATH_MAX];
    return ::realpath(folder.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

bool RemoveTree(const std::string& path)
{
    if (!Present(path))
        return true;
    const std::string root = Resolved(ParentOf(path));
    return !root.empty() && RemoveTreeIn(root, root + "/" + LeafOf(path));
}

// Removes the folder at path when it is empty.
bool RemoveEmptyFolder(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return true;
    if (!S_ISDIR(st.st_mode))
        return false;
    const std::string root = Resolved(ParentOf(path));
    if (root.empty())
        return false;
    const AnchoredPath entry(root, 0, 0, root + "/" + LeafOf(path));
    return entry.IsValid() && entry.Stat(&st) == B_OK && entry.Remove(st) == B_OK;
}

// A file written atomically is first written under ".<leaf>.XXXXXX" beside
// it; a job killed in the middle leaves that behind. Only regular files of
// exactly that form go.
void RemoveAtomicLeftovers(const std::string& path)
{
    const std::string folder = ParentOf(path);
    const std::string prefix = "." + LeafOf(path) + ".";
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* child = ::readdir(listing)) {
        const std::string name = child->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool random = true;
        for (size_t i = prefix.size(); i < name.size(); i++)
            random = random && std::isalnum(static_cast<unsigned char>(name[i]));
        if (random)
            leftovers.push_back(folder + "/" + name);
    }
    ::closedir(listing);
    for (const std::string& leftover : leftovers) {
        struct stat st;
        if (::lstat(leftover.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(leftover.c_str());
    }
}

// Moves from back to to, never over an entry that stands at to now.
bool MoveBack(const std::string& from, const std::string& to)
{
    if (!Present(from))
        return true;
    if (Present(to))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyAttributes(int from, int to)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return size == 0;
    std::vector<char> names(size_t(size) + 1, '\0');
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    if (listed < 0)
        return false;
    bool ok = true;
    for (const char* name = names.data(); name < names.data() + listed; name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0) {
            ok = false;
            continue;
        }
        std::vector<char> value(size_t(length) + 1);
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read < 0 || ::fsetxattr(to, name, value.data(), size_t(read), 0) != 0)
            ok = false;
    }
    return ok;
}

// A copy of the regular file (or link) source at target: contents, mode,
// times and attributes, synced before it takes its name.
bool CopyForRollback(const std::string& source, const std::string& target)
{
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        return false;
    const std::string part = target + ".part";
    ::unlink(part.c_str());
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> buffer(size_t(st.st_size) + 2);
        const ssize_t length = ::readlink(source.c_str(), buffer.data(), buffer.size() - 1);
        if (length < 0 || ::symlink(std::string(buffer.data(), size_t(length)).c_str(), part.c_str()) != 0)
            return false;
    } else {
        const int in = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0)
            return false;
        const int out = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0) {
            ::close(in);
            return false;
        }
        bool ok = true;
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(in, buffer, sizeof(buffer));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                ok = count == 0;
                break;
            }
            for (ssize_t written = 0; written < count;) {
                const ssize_t step = ::write(out, buffer + written, size_t(count - written));
                if (step < 0 && errno == EINTR)
                    continue;
                if (step <= 0) {
                    ok = false;
                    break;
                }
                written += step;
            }
            if (!ok)
                break;
        }
        ok = ok && CopyAttributes(in, out) && ::fchmod(out, st.st_mode & 07777) == 0;
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ok = ok && ::futimens(out, times) == 0 && ::fsync(out) == 0;
        ::close(out);
        ::close(in);
        if (!ok) {
            ::unlink(part.c_str());
            return false;
        }
    }
    if (::rename(part.c_str(), target.c_str()) != 0) {
        ::unlink(part.c_str());
        return false;
    }
    SyncFolder(ParentOf(target));
    return true;
}

struct JournalStep {
    std::vector<std::string> fields;
};

} // namespace


InstallJournal::~InstallJournal()
{
    Close();
}


std::string
InstallJournal::PathFor(const char* destination, const char* created)
{
    std::string name = created != nullptr ? created : "";
    // The same rule as the lock's name, which lies beside it.
    if (name.size() > 200)
        name = "long-" + std::to_string(std::hash<std::string>()(name));
    return std::string(destination != nullptr ? destination : "") + "/." + name + ".ondelle-journal";
}


bool
InstallJournal::Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}


status_t
InstallJournal::Begin(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_APPEND, 0600);
    if (fd < 0)
        return status_from_errno(errno);
    fFd = fd;
    fPath = path;
    fSerial = 0;
    if (_Append({kHeader}, true) != B_OK) {
        Close();
        ::unlink(path.c_str());
        return B_IO_ERROR;
    }
    // The journal's own name must survive a power cut as well.
    SyncFolder(ParentOf(path));
    return B_OK;
}


void
InstallJournal::Close()
{
    if (fFd >= 0)
        ::close(fFd);
    fFd = -1;
}


status_t
InstallJournal::_Append(const std::vector<std::string>& fields, bool sync)
{
    if (fFd < 0)
        return B_NO_INIT;
    std::string line;
    for (size_t i = 0; i < fields.size(); i++) {
        if (i > 0)
            line += '\t';
        line += i == 0 ? fields[i] : Escape(fields[i]);
    }
    line += '\n';
    // One write per line (O_APPEND): a line is whole or, when a kill cut
    // it, missing its end, and a line without its end counts as unwritten.
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t step = ::write(fFd, line.data() + written, line.size() - written);
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            return B_IO_ERROR;
        written += size_t(step);
    }
    if (sync && ::fdatasync(fFd) != 0)
        return B_IO_ERROR;
    return B_OK;
}


std::string
InstallJournal::_HiddenName(const std::string& folder, const char* kind)
{
    for (;;) {
        const std::string candidate = folder + "/.ondelle-" + kind + "-" + std::to_string(::getpid()) + "-"
            + std::to_string(++fSerial);
        if (!Present(candidate))
            return candidate;
    }
}


status_t
InstallJournal::WillCreate(const std::string& path)
{
    if (fFd < 0)
        return B_OK;
    return _Append({"create", path}, true);
}


status_t
InstallJournal::WillMakeFolders(const std::string& folder)
{
    if (fFd < 0 || folder.empty() || folder[0] != '/')
        return B_OK;
    // The missing folders from the outermost in: a rollback takes them back
    // innermost first.
    std::vector<std::string> missing;
    for (std::string path = folder; path.size() > 1 && !Present(path); path = ParentOf(path))
        missing.push_back(path);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const status_t status = _Append({"mkdir", *it}, true);
        if (status != B_OK)
            return status;
    }
    return B_OK;
}


status_t
InstallJournal::WillMove(const std::string& from, const std::string& to)
{
    if (fFd < 0)
        return B_OK;
    return _Append({"move", from, to}, true);
}


status_t
InstallJournal::SetAside(const std::string& path)
{
    if (!Present(path))
        return B_OK;
    const std::string aside = _HiddenName(ParentOf(path), "aside");
    if (fFd >= 0) {
        const status_t status = _Append({"aside", path, aside}, true);
        if (status != B_OK)
            return status;
    }
    if (::rename(path.c_str(), aside.c_str()) != 0)
        return status_from_errno(errno);
    return B_OK;
}


status_t
InstallJournal::SetAsideForTrash(const std::string& path, std::string& aside)
{
    // A hidden folder holds it under its own name, so that the Trash shows
    // that name.
    const std::string holder = _HiddenName(ParentOf(path), "earlier");
    aside = holder + "/" + LeafOf(path);
    if (fFd >= 0) {
        const status_t status = _Append({"trash", path, aside}, true);
        if (status != B_OK)
            return status;
    }
    if (::mkdir(holder.c_str(), 0700) != 0)
        return status_from_errno(errno);
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        const status_t status = status_from_errno(errno);
        ::rmdir(holder.c_str());
        return status;
    }
    return B_OK;
}


status_t
InstallJournal::WillChange(const std::string& path)
{
    if (fFd < 0)
        return B_OK;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return _Append({"create", path}, true);
    if (S_ISDIR(st.st_mode))
        return B_IS_A_DIRECTORY;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return B_NOT_ALLOWED;
    const std::string backup = _HiddenName(ParentOf(path), "backup");
    // The intent first: a copy cut short is never taken for the file.
    status_t status = _Append({"restore", path, backup}, true);
    if (status != B_OK)
        return status;
    if (!CopyForRollback(path, backup))
        return B_IO_ERROR;
    return B_OK;
}


void
InstallJournal::Done()
{
    if (fFd >= 0)
        _Append({"done"}, false);
}


status_t
InstallJournal::MarkCommitted()
{
    return _Append({"commit"}, true);
}


status_t
InstallJournal::Commit(std::vector<std::string>* problems)
{
    if (fFd < 0)
        return B_NO_INIT;
    const status_t status = MarkCommitted();
    Close();
    if (status != B_OK)
        return status;
    Outcome outcome;
    const status_t recovered = Recover(fPath, outcome);
    if (problems != nullptr)
        *problems = outcome.problems;
    return recovered;
}


status_t
InstallJournal::Recover(const std::string& path, Outcome& outcome, bool keep)
{
    outcome = Outcome();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? B_ENTRY_NOT_FOUND : status_from_errno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()
        || st.st_size > 64 * 1024 * 1024) {
        ::close(fd);
        return B_NOT_ALLOWED;
    }
    std::string text;
    char buffer[65536];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof(buffer))) > 0)
        text.append(buffer, size_t(count));
    ::close(fd);

    std::vector<JournalStep> steps;
    bool committed = false;
    bool known = false;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (!known) {
            known = line == kHeader;
            if (!known)
                break;
            continue;
        }
        JournalStep step{SplitFields(line)};
        if (step.fields[0] == "commit")
            committed = true;
        else if (step.fields[0] != "done")
            steps.push_back(std::move(step));
    }
    // A job killed while it wrote the journal's first line had changed
    // nothing yet: only the journal goes.
    if (!known && text.find('\n') == std::string::npos && std::string(kHeader).rfind(text, 0) == 0) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return status_from_errno(errno);
        return B_OK;
    }
    if (!known) {
        outcome.problems.push_back("the journal " + path + " is not one the installer wrote; it was left alone");
        return B_BAD_DATA;
    }
    outcome.committed = committed || keep;

    auto failed = [&outcome](const std::string& what) { outcome.problems.push_back(what); };
    if (outcome.committed) {
        // The job's work stays: what it set aside and the copies it kept go.
        for (const JournalStep& step : steps) {
            const auto& f = step.fields;
            if (f.size() >= 2)
                outcome.paths.push_back(f[1]);
            if (f.size() < 3)
                continue;
            if (f[0] == "aside" || f[0] == "restore") {
                outcome.changes++;
                if (!RemoveTree(f[2]))
                    failed("could not remove " + f[2]);
            } else if (f[0] == "trash") {
                outcome.changes++;
                if (Present(f[2]))
                    LibTrash(BPath(f[2].c_str()), false);
                if (Present(f[2]))
                    failed("could not move " + f[2] + " to the Trash");
                else
                    RemoveEmptyFolder(ParentOf(f[2]));
            }
        }
    } else {
        // Newest first: an entry created where another was set aside goes
        // before that one comes back.
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            const auto& f = it->fields;
            if (f.size() < 2)
                continue;
            const std::string& kind = f[0];
            const std::string& target = f[1];
            outcome.paths.push_back(target);
            outcome.changes++;
            if (kind == "create" || kind == "restore")
                RemoveAtomicLeftovers(target);
            if (kind == "create") {
                if (!RemoveTree(target))
                    failed("could not remove " + target);
            } else if (kind == "mkdir") {
                // A folder that holds something else now stays.
                RemoveEmptyFolder(target);
            } else if (f.size() >= 3 && (kind == "move" || kind == "aside")) {
                if (!MoveBack(f[2], target))
                    failed("could not put " + target + " back from " + f[2]);
            } else if (f.size() >= 3 && kind == "trash") {
                if (!MoveBack(f[2], target))
                    failed("could not put " + target + " back from " + f[2]);
                else
                    RemoveEmptyFolder(ParentOf(f[2]));
            } else if (f.size() >= 3 && kind == "restore") {
                // Without the copy the file was not changed yet.
                ::unlink((f[2] + ".part").c_str());
                if (Present(f[2]) && ::rename(f[2].c_str(), target.c_str()) != 0)
                    failed("could not restore " + target + " from " + f[2]);
            }
        }
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return status_from_errno(errno);
    SyncFolder(ParentOf(path));
    return B_OK;
}
