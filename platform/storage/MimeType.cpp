#include <MimeType.h>

#include <Entry.h>
#include <Node.h>
#include <NodeInfo.h>

#include "StoragePrivate.h"

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

struct OwnType {
    const char* type;
    const char* description;
};

// The platform's own types, which the MIME database does not know.
const OwnType kOwnTypes[] = {
    {B_DIRECTORY_MIME_TYPE, "Folder"},
    {B_SYMLINK_MIME_TYPE, "Symbolic Link"},
    {B_VOLUME_MIME_TYPE, "Volume"},
    {B_APP_MIME_TYPE, "Be Application"},
    {"application/x-be-executable", "Be Application (PowerPC)"},
    {B_RESOURCE_MIME_TYPE, "Be Resource File"},
};

const OwnType* FindOwnType(const std::string& type)
{
    for (const OwnType& own : kOwnTypes) {
        if (strcasecmp(own.type, type.c_str()) == 0)
            return &own;
    }
    return nullptr;
}

bool IsSeparator(char c)
{
    return std::strchr("()<>@,;:\\\"[]?=", c) != nullptr;
}

// The platform's types for executables and resource files, from the first
// bytes of a file; empty when the contents say nothing of the kind.
std::string OwnTypeFromContents(const unsigned char* bytes, size_t length)
{
    if (length >= 18 && std::memcmp(bytes, "\x7f" "ELF", 4) == 0) {
        // e_type: 2 executable, 3 shared object (libraries and add-ons).
        unsigned type = bytes[5] == 2 ? unsigned(bytes[16]) << 8 | bytes[17]
                                      : unsigned(bytes[17]) << 8 | bytes[16];
        if (type == 2 || type == 3)
            return B_APP_MIME_TYPE;
        return std::string();
    }
    if (length >= 12 && std::memcmp(bytes, "Joy!peffpwpc", 12) == 0)
        return "application/x-be-executable";
    if (length >= 4 && std::memcmp(bytes, "RS\0\0", 4) == 0)
        return B_RESOURCE_MIME_TYPE;
    if (length >= 8 && std::memcmp(bytes, "Joy!resf", 8) == 0)
        return B_RESOURCE_MIME_TYPE;
    return std::string();
}

status_t GuessPath(const std::string& path, BMimeType* type)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return status_from_errno(errno);
    if (S_ISDIR(st.st_mode))
        return type->SetTo(B_DIRECTORY_MIME_TYPE);
    if (S_ISLNK(st.st_mode))
        return type->SetTo(B_SYMLINK_MIME_TYPE);
    if (S_ISREG(st.st_mode)) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd >= 0) {
            unsigned char head[64];
            ssize_t length = ::read(fd, head, sizeof(head));
            ::close(fd);
            if (length > 0) {
                std::string own = OwnTypeFromContents(head, size_t(length));
                if (!own.empty())
                    return type->SetTo(own.c_str());
            }
        }
    }
    QMimeDatabase database;
    QMimeType guessed = database.mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchDefault);
    std::string name = guessed.isValid() ? guessed.name().toStdString() : std::string(B_FILE_MIME_TYPE);
    if (type->SetTo(name.c_str()) != B_OK)
        return type->SetTo(B_FILE_MIME_TYPE);
    return B_OK;
}

status_t UpdateOne(const std::string& path, bool force)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return status_from_errno(errno);
    // Links take their kind from what they are; Linux keeps no user
    // attributes on them.
    if (S_ISLNK(st.st_mode))
        return B_OK;
    BNode node(path.c_str());
    status_t status = node.InitCheck();
    if (status != B_OK)
        return status;
    BNodeInfo info(&node);
    if (!force) {
        attr_info existing;
        if (node.GetAttrInfo("BEOS:TYPE", &existing) == B_OK && existing.size > 1)
            return B_OK;
    }
    BMimeType type;
    status = GuessPath(path, &type);
    if (status != B_OK)
        return status;
    return info.SetType(type.Type());
}

status_t UpdateTree(const std::string& path, bool recursive, bool force)
{
    status_t result = UpdateOne(path, force);
    if (!recursive)
        return result;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return result;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return result == B_OK ? status_from_errno(errno) : result;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        status_t status = UpdateTree(join_path(path, name), true, force);
        if (result == B_OK)
            result = status;
    }
    return result;
}

} // namespace

BMimeType::BMimeType()
    : fStatus(B_NO_INIT)
{
}

BMimeType::BMimeType(const char* mimeType)
    : fStatus(B_NO_INIT)
{
    SetTo(mimeType);
}

BMimeType::~BMimeType() = default;

status_t BMimeType::SetTo(const char* mimeType)
{
    if (!IsValid(mimeType)) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    fType = mimeType;
    return fStatus = B_OK;
}

void BMimeType::Unset()
{
    fType.clear();
    fStatus = B_NO_INIT;
}

status_t BMimeType::InitCheck() const
{
    return fStatus;
}

const char* BMimeType::Type() const
{
    return fStatus == B_OK ? fType.c_str() : nullptr;
}

bool BMimeType::IsValid() const
{
    return fStatus == B_OK && IsValid(fType.c_str());
}

bool BMimeType::IsValid(const char* mimeType)
{
    if (mimeType == nullptr)
        return false;
    size_t length = std::strlen(mimeType);
    if (length == 0 || length >= B_MIME_TYPE_LENGTH)
        return false;
    int slashes = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(mimeType[i]);
        if (c == '/') {
            if (++slashes > 1 || i == 0 || i == length - 1)
                return false;
            continue;
        }
        if (c <= 32 || c >= 127 || IsSeparator(char(c)))
            return false;
    }
    return true;
}

bool BMimeType::IsSupertypeOnly() const
{
    return fStatus == B_OK && fType.find('/') == std::string::npos;
}

status_t BMimeType::GetSupertype(BMimeType* supertype) const
{
    if (supertype == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    size_t slash = fType.find('/');
    if (slash == std::string::npos)
        return B_BAD_VALUE;
    return supertype->SetTo(fType.substr(0, slash).c_str());
}

bool BMimeType::Contains(const BMimeType* type) const
{
    if (type == nullptr || fStatus != B_OK || type->fStatus != B_OK)
        return false;
    if (*this == *type)
        return true;
    if (!IsSupertypeOnly())
        return false;
    BMimeType super;
    return type->GetSupertype(&super) == B_OK && super == *this;
}

status_t BMimeType::GetShortDescription(char* description) const
{
    if (description == nullptr)
        return B_BAD_VALUE;
    description[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string text;
    if (const OwnType* own = FindOwnType(fType)) {
        text = own->description;
    } else {
        QMimeDatabase database;
        QMimeType type = database.mimeTypeForName(QString::fromStdString(fType));
        if (!type.isValid() || type.comment().isEmpty())
            return B_ENTRY_NOT_FOUND;
        text = type.comment().toStdString();
    }
    std::snprintf(description, B_MIME_TYPE_LENGTH, "%s", text.c_str());
    return B_OK;
}

status_t BMimeType::GetLongDescription(char* description) const
{
    return GetShortDescription(description);
}

status_t BMimeType::GetPreferredExtension(std::string* extension) const
{
    if (extension == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    QMimeDatabase database;
    QMimeType type = database.mimeTypeForName(QString::fromStdString(fType));
    if (!type.isValid() || type.preferredSuffix().isEmpty())
        return B_ENTRY_NOT_FOUND;
    *extension = type.preferredSuffix().toStdString();
    return B_OK;
}

bool BMimeType::IsInstalled() const
{
    if (fStatus != B_OK)
        return false;
    if (FindOwnType(fType) != nullptr)
        return true;
    QMimeDatabase database;
    return database.mimeTypeForName(QString::fromStdString(fType)).isValid();
}

bool BMimeType::IsSystemType() const
{
    if (fStatus != B_OK || IsSupertypeOnly())
        return false;
    if (FindOwnType(fType) != nullptr)
        return true;
    // update-mime-database writes one file per type it defines; the
    // system's data folders are those of XDG_DATA_DIRS, the user's own
    // (XDG_DATA_HOME) is not among them.
    const char* folders = std::getenv("XDG_DATA_DIRS");
    std::string list = folders != nullptr && *folders != '\0' ? folders : "/usr/local/share:/usr/share";
    std::string lower = fType;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            struct stat st;
            const std::string definition = folder + "/mime/" + lower + ".xml";
            if (::stat(definition.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                return true;
        }
        start = end + 1;
    }
    return false;
}

bool BMimeType::operator==(const BMimeType& type) const
{
    if (fStatus != B_OK || type.fStatus != B_OK)
        return fStatus != B_OK && type.fStatus != B_OK;
    return strcasecmp(fType.c_str(), type.fType.c_str()) == 0;
}

bool BMimeType::operator==(const char* type) const
{
    BMimeType other(type);
    return *this == other;
}

status_t BMimeType::GuessMimeType(const entry_ref* file, BMimeType* type)
{
    if (file == nullptr || type == nullptr)
        return B_BAD_VALUE;
    std::string path;
    status_t status = get_ref_path(*file, &path);
    if (status != B_OK)
        return status;
    return GuessPath(path, type);
}

status_t BMimeType::GuessMimeType(const void* buffer, int32 length, BMimeType* type)
{
    if (buffer == nullptr || length < 0 || type == nullptr)
        return B_BAD_VALUE;
    std::string own = OwnTypeFromContents(static_cast<const unsigned char*>(buffer), size_t(length));
    if (!own.empty())
        return type->SetTo(own.c_str());
    QMimeDatabase database;
    QMimeType guessed = database.mimeTypeForData(QByteArray(static_cast<const char*>(buffer), length));
    std::string name = guessed.isValid() ? guessed.name().toStdString() : std::string(B_FILE_MIME_TYPE);
    if (type->SetTo(name.c_str()) != B_OK)
        return type->SetTo(B_FILE_MIME_TYPE);
    return B_OK;
}

namespace {

// The type of an entry from its name and its first bytes, decided the way
// Qt's typing by name and data does: one matching name pattern wins; else
// the contents decide among the names' candidates, or alone when no name
// matches. Done through the database's calls that make no Qt object, since
// an object made on a thread that is not Qt's own (the build tool's
// workers, its main thread) leaves a thread record behind that nothing frees.
QMimeType TypeForNameAndData(const char* name, const unsigned char* bytes, size_t length)
{
    // Qt looks at no more than the first 16 KiB.
    constexpr size_t kSniffedBytes = 16384;
    QMimeDatabase database;
    QList<QMimeType> byName = database.mimeTypesForFileName(QString::fromUtf8(name));
    if (byName.size() == 1)
        return byName.front();
    const QMimeType byData = database.mimeTypeForData(QByteArray::fromRawData(
        reinterpret_cast<const char*>(bytes), qsizetype(std::min(length, kSniffedBytes))));
    if (byData.isValid() && !byData.isDefault()) {
        for (const QMimeType& candidate : byName) {
            if (candidate == byData)
                return byData;
        }
        for (const QMimeType& candidate : byName) {
            if (candidate.inherits(byData.name()))
                return candidate;
        }
        if (byName.isEmpty())
            return byData;
    }
    if (!byName.isEmpty()) {
        std::sort(byName.begin(), byName.end(),
            [](const QMimeType& a, const QMimeType& b) { return a.name() < b.name(); });
        return byName.front();
    }
    return byData;
}

} // namespace

status_t BMimeType::GuessMimeType(const char* filename, BMimeType* type)
{
    if (filename == nullptr || filename[0] == '\0' || type == nullptr)
        return B_BAD_VALUE;
    std::string path = make_absolute(filename);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return GuessPath(path, type);
    QMimeDatabase database;
    QMimeType guessed = database.mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchExtension);
    std::string name = guessed.isValid() ? guessed.name().toStdString() : std::string(B_FILE_MIME_TYPE);
    if (type->SetTo(name.c_str()) != B_OK)
        return type->SetTo(B_FILE_MIME_TYPE);
    return B_OK;
}

status_t BMimeType::GuessMimeType(const char* name, const void* buffer, int32 length, BMimeType* type)
{
    if (name == nullptr || (buffer == nullptr && length > 0) || length < 0 || type == nullptr)
        return B_BAD_VALUE;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::string own = length > 0 ? OwnTypeFromContents(bytes, size_t(length)) : std::string();
    if (!own.empty())
        return type->SetTo(own.c_str());
    const QMimeType guessed = TypeForNameAndData(name, bytes, size_t(length));
    std::string guessedName = guessed.isValid() ? guessed.name().toStdString() : std::string(B_FILE_MIME_TYPE);
    if (type->SetTo(guessedName.c_str()) != B_OK)
        return type->SetTo(B_FILE_MIME_TYPE);
    return B_OK;
}

status_t update_mime_info(const char* path, int recursive, int, int force)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    return UpdateTree(make_absolute(path), recursive != 0, force != 0);
}
