#include "RuntimeArchive.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

bool IsSafeRuntimePath(const std::string& path)
{
    if (path.empty() || path.size() > kRuntimeMaxPath || path.front() == '/' || path.back() == '/')
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        for (unsigned char c : part) {
            if (c < 0x20 || c == 0x7f)
                return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsRuntimeName(const std::string& name)
{
    const std::string prefix = kRuntimeNamePrefix;
    if (name.size() != prefix.size() + 64 || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < name.size(); i++) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

RuntimeArchiveWriter::RuntimeArchiveWriter(int out, int level)
    : fOut(out), fLevel(level < 0 ? 0 : level > 9 ? 9 : level)
{
}

bool RuntimeArchiveWriter::_Write(const void* data, size_t length)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    fDigest.Update(bytes, length);
    fSize += length;
    while (length > 0) {
        const ssize_t written = ::write(fOut, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= size_t(written);
    }
    return true;
}

namespace {

void Put(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back(uint8_t(value >> (8 * i)));
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& data)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && uint64_t(status.st_size) <= kRuntimeMaxFileSize;
    if (ok) {
        data.resize(size_t(status.st_size));
        size_t done = 0;
        while (ok && done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            if (ok)
                done += size_t(got);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

std::string RuntimeArchiveWriter::Add(const std::string& path, const std::string& source, uint32_t mode)
{
    if (!IsSafeRuntimePath(path))
        return path + ": not a plain relative path";
    if (fSize == 0 && !_Write(kRuntimeArchiveMagic, sizeof(kRuntimeArchiveMagic)))
        return "the runtime archive cannot be written";
    std::vector<uint8_t> data;
    if (!ReadWhole(source, data))
        return source + ": cannot be read";
    uLongf storedSize = compressBound(uLong(data.size()));
    std::vector<uint8_t> stored(storedSize);
    if (compress2(stored.data(), &storedSize, data.data(), uLong(data.size()), fLevel) != Z_OK)
        return source + ": cannot be compressed";
    Sha256 digest;
    digest.Update(data.data(), data.size());
    const Sha256::Digest contents = digest.Finish();

    std::vector<uint8_t> header;
    Put(header, path.size(), 2);
    header.insert(header.end(), path.begin(), path.end());
    Put(header, mode & 0777, 4);
    Put(header, data.size(), 8);
    Put(header, storedSize, 8);
    header.insert(header.end(), contents.begin(), contents.end());
    if (!_Write(header.data(), header.size()) || !_Write(stored.data(), storedSize))
        return "the runtime archive cannot be written (" + std::string(std::strerror(errno)) + ")";
    return std::string();
}

std::string RuntimeArchiveWriter::Finish(std::string& name)
{
    if (fSize == 0 && !_Write(kRuntimeArchiveMagic, sizeof(kRuntimeArchiveMagic)))
        return "the runtime archive cannot be written";
    const uint8_t end[2] = {0, 0};
    if (!_Write(end, sizeof(end)))
        return "the runtime archive cannot be written (" + std::string(std::strerror(errno)) + ")";
    name = std::string(kRuntimeNamePrefix) + Sha256::Hex(fDigest.Finish());
    return std::string();
}
