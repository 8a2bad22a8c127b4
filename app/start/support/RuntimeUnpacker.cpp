#include "RuntimeUnpacker.h"

#include "RuntimeArchive.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

// Reads the archive's range in order, hashing every byte read.
class RangeReader {
public:
    RangeReader(int fd, uint64_t offset, uint64_t length) : fFd(fd), fPosition(offset), fLeft(length) {}

    bool Read(void* buffer, size_t length)
    {
        if (length > fLeft)
            return false;
        uint8_t* bytes = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < length) {
            const ssize_t got = ::pread(fFd, bytes + done, length - done, off_t(fPosition + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += size_t(got);
        }
        fDigest.Update(bytes, length);
        fPosition += length;
        fLeft -= length;
        return true;
    }
    uint64_t Left() const { return fLeft; }
    Sha256::Digest Finish() { return fDigest.Finish(); }

private:
    int fFd;
    uint64_t fPosition;
    uint64_t fLeft;
    Sha256 fDigest;
};

uint64_t Get(const uint8_t* bytes, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; i++)
        value |= uint64_t(bytes[i]) << (8 * i);
    return value;
}

std::string WriteError(const std::string& path, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return path + ": the disk is full";
    return path + ": cannot be written (" + std::strerror(error) + ")";
}

// Makes the folders of path below folder (0700), never through a link.
std::string MakeParents(const std::string& folder, const std::string& path)
{
    size_t slash = path.find('/');
    while (slash != std::string::npos) {
        const std::string parent = folder + "/" + path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST)
            return WriteError(parent, errno);
        struct stat status;
        if (::lstat(parent.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return parent + ": is not a folder";
        slash = path.find('/', slash + 1);
    }
    return std::string();
}

std::string WriteFile(const std::string& target, const std::vector<uint8_t>& data, uint32_t mode)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? target + ": is in the runtime twice" : WriteError(target, errno);
    size_t done = 0;
    int error = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            break;
        }
        done += size_t(written);
    }
    if (error == 0 && ::fchmod(fd, mode & 0755) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error == 0 ? std::string() : WriteError(target, error);
}

std::string ReadRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name,
    const std::string& folder, uint64_t& count, uint64_t& unpackedSize);

} // namespace

std::string UnpackRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name,
    const std::string& folder)
{
    uint64_t count = 0, unpackedSize = 0;
    return ReadRuntime(fd, offset, length, name, folder, count, unpackedSize);
}

std::string VerifyRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name, uint64_t& count,
    uint64_t& unpackedSize)
{
    return ReadRuntime(fd, offset, length, name, std::string(), count, unpackedSize);
}

namespace {

std::string ReadRuntime(int fd, uint64_t offset, uint64_t length, const std::string& name,
    const std::string& folder, uint64_t& count, uint64_t& unpackedSize)
{
    count = 0;
    unpackedSize = 0;
    if (!IsRuntimeName(name))
        return "the runtime's name is not its checksum";
    RangeReader reader(fd, offset, length);
    char magic[sizeof(kRuntimeArchiveMagic)];
    if (!reader.Read(magic, sizeof(magic)) || std::memcmp(magic, kRuntimeArchiveMagic, sizeof(magic)) != 0)
        return "the runtime is not a runtime archive";
    std::vector<uint8_t> stored, data;
    for (;;) {
        uint8_t lengthBytes[2];
        if (!reader.Read(lengthBytes, 2))
            return "the runtime is cut short";
        const size_t pathLength = size_t(Get(lengthBytes, 2));
        if (pathLength == 0)
            break;
        if (pathLength > kRuntimeMaxPath)
            return "the runtime is damaged";
        std::string path(pathLength, '\0');
        uint8_t header[4 + 8 + 8 + 32];
        if (!reader.Read(path.data(), pathLength) || !reader.Read(header, sizeof(header)))
            return "the runtime is cut short";
        if (!IsSafeRuntimePath(path))
            return "the runtime names a file outside its folder";
        const uint32_t mode = uint32_t(Get(header, 4));
        const uint64_t size = Get(header + 4, 8);
        const uint64_t storedSize = Get(header + 12, 8);
        if (size > kRuntimeMaxFileSize || storedSize > reader.Left())
            return "the runtime is damaged";
        stored.resize(size_t(storedSize));
        data.resize(size_t(size));
        if (!reader.Read(stored.data(), stored.size()))
            return "the runtime is cut short";
        uLongf unpacked = uLongf(size);
        if (uncompress(data.data(), &unpacked, stored.data(), uLong(stored.size())) != Z_OK || unpacked != size)
            return path + ": is damaged in the runtime";
        Sha256 digest;
        digest.Update(data.data(), data.size());
        if (std::memcmp(digest.Finish().data(), header + 20, 32) != 0)
            return path + ": its checksum is wrong in the runtime";
        count++;
        unpackedSize += size;
        if (folder.empty())
            continue;
        std::string error = MakeParents(folder, path);
        if (error.empty())
            error = WriteFile(folder + "/" + path, data, mode);
        if (!error.empty())
            return error;
    }
    if (reader.Left() != 0)
        return "the runtime has bytes after its end";
    if (Sha256::Hex(reader.Finish()) != name.substr(std::strlen(kRuntimeNamePrefix)))
        return "the runtime's checksum does not match its name";
    return std::string();
}

} // namespace
