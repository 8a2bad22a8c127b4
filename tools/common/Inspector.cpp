#include "Inspector.h"

#include "BuildSizes.h"

#include <RuntimeArchive.h>
#include <RuntimeUnpacker.h>

#include "ScratchFile.h"

#include <AppFileInfo.h>
#include <BuildVerifier.h>
#include <ConfigFields.h>
#include <File.h>
#include <Message.h>
#include <ResourceFormat.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <LibFileUtils.h>
#include <Path.h>
#include <ZipExtractor.h>

#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

namespace {


std::string TypeText(type_code type)
{
    char code[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
    bool printable = true;
    for (char c : code)
        printable &= std::isprint(static_cast<unsigned char>(c)) != 0;
    if (printable)
        return "'" + std::string(code, 4) + "'";
    std::ostringstream hex;
    hex << "0x" << std::hex << std::setw(8) << std::setfill('0') << type;
    return hex.str();
}

std::string Quoted(const char* text)
{
    return text != nullptr ? "\"" + std::string(text) + "\"" : std::string("(no name)");
}

bool ReadHead(const std::string& path, char* head, size_t size, size_t& got)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.read(head, std::streamsize(size));
    got = size_t(in.gcount());
    return true;
}

bool LooksLikeMessage(const char* head, size_t size)
{
    if (size < 4)
        return false;
    static const char* kMagics[] = {"1BOF", "FOB1", "2BOF", "FOB2", "HMF1", "1FMH"};
    for (const char* magic : kMagics)
        if (std::memcmp(head, magic, 4) == 0)
            return true;
    return false;
}

int InspectMessageFile(const std::string& path, std::ostream& out, std::ostream& err)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t offset = 0;
    if (bytes.size() >= 4 && bytes.compare(0, 4, "IMSG") == 0)
        offset = 4;
    BMessage message;
    const status_t status = message.Unflatten(bytes.data() + offset, ssize_t(bytes.size() - offset));
    if (status != B_OK) {
        err << path << ": a damaged flattened message (status " << status << ")\n";
        return 1;
    }
    out << path << ": flattened message, " << bytes.size() - offset << " bytes\n";
    message.PrintToStream(out);
    return 0;
}

void PrintVersion(const char* label, const version_info& info, std::ostream& out)
{
    static const char* kVarieties[] = {"development", "alpha", "beta", "gamma", "golden master", "final"};
    const char* variety = info.variety < 6 ? kVarieties[info.variety] : "unknown";
    char shortInfo[65] = {};
    char longInfo[257] = {};
    std::memcpy(shortInfo, info.short_info, 64);
    std::memcpy(longInfo, info.long_info, 256);
    out << "  " << label << ": " << info.major << "." << info.middle << "." << info.minor << " (" << variety
        << " " << info.internal << ")";
    if (shortInfo[0] != '\0')
        out << " \"" << shortInfo << "\"";
    if (longInfo[0] != '\0')
        out << " \"" << longInfo << "\"";
    out << "\n";
}

void PrintApplicationInfo(const std::string& path, std::ostream& out)
{
    BFile file(path.c_str(), B_READ_ONLY);
    if (file.InitCheck() != B_OK)
        return;
    BAppFileInfo info(&file);
    if (info.InitCheck() != B_OK)
        return;
    info.SetInfoLocation(B_USE_RESOURCES);
    char signature[B_MIME_TYPE_LENGTH] = {};
    bool any = false;
    std::ostringstream text;
    if (info.GetSignature(signature) == B_OK) {
        text << "  signature: " << signature << "\n";
        any = true;
    }
    uint32 flags = 0;
    if (info.GetAppFlags(&flags) == B_OK) {
        text << "  application flags: 0x" << std::hex << flags << std::dec << "\n";
        any = true;
    }
    version_info version;
    if (info.GetVersionInfo(&version, B_APP_VERSION_KIND) == B_OK) {
        PrintVersion("application version", version, text);
        any = true;
    }
    if (info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND) == B_OK) {
        PrintVersion("system version", version, text);
        any = true;
    }
    BMessage types;
    if (info.GetSupportedTypes(&types) == B_OK) {
        const char* type = nullptr;
        for (int32 i = 0; types.FindString("types", i, &type) == B_OK; i++) {
            text << "  supported type: " << type << "\n";
            any = true;
        }
    }
    if (any)
        out << "Application information:\n" << text.str();
}

// The installer unpacks an archive's entry by its resource's name, which
// must therefore name one file.
bool IsPlainLeafName(const char* name)
{
    return name != nullptr && name[0] != '\0' && std::strchr(name, '/') == nullptr
        && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// True when path is a kind of file that carries resources (an executable
// or a resource file), whether or not its resources can be read.
bool IsResourceContainer(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st = {};
    bool known = false;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const ondelle::resources::FdSource source(fd, uint64(st.st_size));
        ondelle::resources::ContainerInfo info;
        known = ondelle::resources::DetectContainer(source, info) == B_OK;
    }
    ::close(fd);
    return known;
}

struct ResourceEntry {
    type_code type;
    int32 id;
    std::string name;
    bool hasName;
    size_t size;
};

} // namespace

namespace {

// Lists the entries and reports the problems that check (a checking run of
// the extractor) finds; true when the installer would unpack the archive
// whole, with the entry topName in it.
bool ReportArchiveCheck(const std::string& label, std::ostream& out, std::ostream& err, const std::string& topName,
    const std::function<status_t(const ZipExtractor::ProblemFunction&, const ZipExtractor::EntryFunction&)>& check)
{
    int32 entries = 0;
    bool holdsTop = topName.empty();
    int32 problems = 0;
    const status_t status = check(
        [&](const std::string& problem) {
            err << label << ": " << problem << "\n";
            problems++;
        },
        [&](const ZipEntrySummary& entry) {
            const char* kind = entry.kind == ZipEntrySummary::kFolder ? "folder"
                : entry.kind == ZipEntrySummary::kLink                ? "link"
                                                                      : "file";
            out << "      " << entry.name << "  " << kind;
            if (entry.kind == ZipEntrySummary::kLink)
                out << " -> " << entry.linkTarget;
            else if (entry.kind == ZipEntrySummary::kFile)
                out << ", " << entry.size << " bytes";
            out << ", mode " << std::oct << (entry.mode & 07777) << std::dec << "\n";
            entries++;
            if (!holdsTop)
                holdsTop = entry.name == topName || entry.name.rfind(topName + "/", 0) == 0;
        });
    if (status != B_OK) {
        if (problems == 0)
            err << label << ": the archive cannot be unpacked\n";
        return false;
    }
    if (entries == 0) {
        err << label << ": the archive holds no entries\n";
        return false;
    }
    if (!holdsTop) {
        err << label << ": the archive holds no entry named \"" << topName << "\", which the installer unpacks\n";
        return false;
    }
    out << "      " << entries << (entries == 1 ? " entry" : " entries") << ", checksums correct\n";
    return true;
}

// Checks the raw resource id of a build where the installer reads it: in
// place in the file.
bool VerifyResourceArchive(BResources& resources, const std::string& path, int32 id, const std::string& label,
    std::ostream& out, std::ostream& err, const std::string& topName)
{
    off_t offset = 0;
    size_t length = 0;
    if (resources.GetResourceFileRange(B_RAW_TYPE, id, &offset, &length) == B_OK) {
        return ReportArchiveCheck(label, out, err, topName,
            [&](const ZipExtractor::ProblemFunction& problem, const ZipExtractor::EntryFunction& entry) {
                return ZipExtractor::VerifyRange(path.c_str(), offset, length, problem, entry);
            });
    }
    size_t size = 0;
    const void* data = resources.LoadResource(B_RAW_TYPE, id, &size);
    if (data == nullptr) {
        err << label << ": the archive cannot be read\n";
        return false;
    }
    return VerifyZipArchive(data, size, label, out, err, topName);
}

} // namespace

bool VerifyZipArchive(const void* data, size_t size, const std::string& label, std::ostream& out,
    std::ostream& err, const std::string& topName)
{
    // Checked from a file, as the installer reads a resource that is not in
    // its file.
    BPath scratch;
    BFile file;
    if (LibCreateUniqueFile(scratch, "ondelle-inspect-", file) != B_OK) {
        err << label << ": no scratch file can be made to check the archive\n";
        return false;
    }
    const ScratchFile remover(scratch.Path());
    if (file.Write(data, size) != ssize_t(size)) {
        err << label << ": the archive cannot be written to " << scratch.Path() << " to be checked\n";
        return false;
    }
    file.Unset();
    return ReportArchiveCheck(label, out, err, topName,
        [&](const ZipExtractor::ProblemFunction& problem, const ZipExtractor::EntryFunction& entry) {
            return ZipExtractor::Verify(scratch.Path(), problem, entry);
        });
}

// Checks a bundled build's runtime the way its first stage does when it
// unpacks it, writing nothing; an empty text when it is whole.
std::string VerifyBuildRuntime(const std::string& path, const std::string& name, std::ostream& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        if (fd >= 0)
            ::close(fd);
        return "cannot be read";
    }
    ondelle::resources::ContainerInfo container;
    std::vector<ondelle::resources::ResourceEntry> entries;
    const ondelle::resources::FdSource source(fd, uint64(status.st_size));
    std::string problem = "cannot be read";
    if (ondelle::resources::DetectContainer(source, container) == B_OK
        && ondelle::resources::ReadContainerResources(source, container, entries) == B_OK) {
        for (const auto& entry : entries) {
            if (entry.type != kRuntimeResourceType || entry.id != kRuntimeResourceId)
                continue;
            uint64_t count = 0, unpacked = 0;
            problem = VerifyRuntime(fd, entry.offset, entry.size, name, count, unpacked);
            if (problem.empty())
                out << "  runtime: resource 'RAWT' " << kRuntimeResourceId << " \"" << name << "\", " << count
                    << " files, " << unpacked << " bytes unpacked, checksums correct\n";
        }
    }
    ::close(fd);
    return problem;
}

int InspectFile(const std::string& path, std::ostream& out, std::ostream& err)
{
    char head[8];
    size_t got = 0;
    // Only regular files are opened: a FIFO would block the reader.
    std::error_code fsError;
    const std::filesystem::file_status fileStatus = std::filesystem::status(path, fsError);
    if (std::filesystem::is_directory(fileStatus)) {
        err << path << ": is a folder; give a build or a resource file\n";
        return 1;
    }
    if (std::filesystem::exists(fileStatus) && !std::filesystem::is_regular_file(fileStatus)) {
        err << path << ": is not a regular file\n";
        return 1;
    }
    if (!ReadHead(path, head, sizeof(head), got)) {
        err << path << ": cannot be read\n";
        return 1;
    }
    if (LooksLikeMessage(head, got) || (got >= 8 && std::memcmp(head, "IMSG", 4) == 0
        && LooksLikeMessage(head + 4, got - 4)))
        return InspectMessageFile(path, out, err);

    // Read by the installer's own reader: what it refuses is refused here.
    BResources resources;
    const status_t status = resources.SetTo(path.c_str(), false);
    if (status != B_OK) {
        if (IsResourceContainer(path))
            err << path << ": its resources are damaged or cut short; the installer cannot read them\n";
        else
            err << path << ": neither a resource file, an executable with resources, nor a flattened message\n";
        return 1;
    }
    std::vector<ResourceEntry> entries;
    for (int32 i = 0;; i++) {
        type_code type;
        int32 id;
        const char* name = nullptr;
        size_t length = 0;
        if (!resources.GetResourceInfo(i, &type, &id, &name, &length))
            break;
        entries.push_back({type, id, name != nullptr ? name : "", name != nullptr, length});
    }
    out << path << ": " << entries.size() << (entries.size() == 1 ? " resource" : " resources") << "\n";
    for (const auto& entry : entries)
        out << "  " << TypeText(entry.type) << " " << std::setw(6) << entry.id << "  "
            << std::left << std::setw(28) << (entry.hasName ? Quoted(entry.name.c_str()) : "(no name)")
            << std::right << " " << entry.size << " bytes\n";
    PrintApplicationInfo(path, out);

    int result = 0;
    BMessage configuration;
    bool isBuild = false;
    for (const auto& entry : entries) {
        if (entry.type == B_MESSAGE_TYPE
            || (entry.type == B_STRING_TYPE && entry.id == kConfigResourceId)) {
            size_t size = 0;
            const void* data = resources.LoadResource(entry.type, entry.id, &size);
            BMessage message;
            if (data == nullptr || message.Unflatten(static_cast<const char*>(data), ssize_t(size)) != B_OK) {
                if (entry.type == B_STRING_TYPE && entry.name == kConfigResourceName) {
                    err << path << ": the configuration (resource " << TypeText(entry.type) << " " << entry.id
                        << ") is damaged or truncated; the installer cannot read it\n";
                    result = 1;
                } else if (entry.type == B_MESSAGE_TYPE) {
                    err << path << ": resource " << TypeText(entry.type) << " " << entry.id
                        << " is not a readable message\n";
                    result = 1;
                }
                continue;
            }
            if (entry.type == B_STRING_TYPE && entry.name == kConfigResourceName) {
                configuration = message;
                isBuild = true;
                continue;
            }
            out << "Message " << TypeText(entry.type) << " " << entry.id << " "
                << (entry.hasName ? Quoted(entry.name.c_str()) : "") << ":\n";
            message.PrintToStream(out);
        }
    }
    // The build against its manifest, with the installer's own checks.
    bool carriesManifest = false;
    for (const auto& entry : entries)
        carriesManifest |= (entry.type == kManifestResourceType && entry.id == kManifestResourceId)
            || (entry.type == kSignatureResourceType && entry.id == kSignatureResourceId)
            || (entry.type == kConfigResourceType && entry.id == kConfigResourceId);
    if (carriesManifest) {
        const BuildVerification verification = VerifyBuild(path);
        out << "Manifest: " << (verification.Refused() ? "the build does not match it" : verification.Summary())
            << "\n";
        for (const std::string& problem : verification.problems)
            err << path << ": " << problem << "\n";
        if (verification.Refused())
            result = 1;
    }
    if (!isBuild)
        return result;

    out << "Installer build configuration:\n";
    configuration.PrintToStream(out);

    const BMessage* instructions = configuration.FindMessagePointer("install_instructions");
    out << "Install items:\n";
    for (int32 i = 0; instructions != nullptr; i++) {
        const BMessage* item = instructions->FindMessagePointer("install_file", i);
        if (item == nullptr)
            break;
        const char* fileName = nullptr;
        item->FindString("file_name", &fileName);
        std::string leaf = fileName != nullptr ? fileName : "";
        leaf = leaf.substr(leaf.rfind('/') + 1);
        const int32 id = kFirstItemResourceId + i;
        out << "  item " << i << " \"" << leaf << "\": resource 'RAWT' " << id << "\n";
        const char* name = nullptr;
        size_t length = 0;
        if (!resources.GetResourceInfo(B_RAW_TYPE, id, &name, &length)) {
            err << path << ": item " << i << " \"" << leaf << "\" has no archive (resource 'RAWT' " << id << ")\n";
            result = 1;
            continue;
        }
        if (!IsPlainLeafName(name)) {
            err << path << ": item " << i << " \"" << leaf << "\": its archive's resource name " << Quoted(name)
                << " is not a plain file name; the installer refuses it\n";
            result = 1;
            continue;
        }
        if (leaf != name)
            out << "      note: the resource is named " << Quoted(name) << ", not after the item\n";
        if (!VerifyResourceArchive(resources, path, id, path + ": item " + std::to_string(i) + " \"" + leaf + "\"",
                out, err, name))
            result = 1;
    }
    for (const auto& [id, label] : {std::pair<int32, const char*>{kDeinstallerResourceId, "deinstaller"},
             std::pair<int32, const char*>{kHelpResourceId, "help file"}}) {
        const char* name = nullptr;
        size_t length = 0;
        if (!resources.GetResourceInfo(B_RAW_TYPE, id, &name, &length))
            continue;
        out << "  " << label << ": resource 'RAWT' " << id << "\n";
        if (!IsPlainLeafName(name)) {
            err << path << ": the " << label << "'s resource name " << Quoted(name)
                << " is not a plain file name; the installer refuses it\n";
            result = 1;
        } else if (!VerifyResourceArchive(resources, path, id, path + ": " + label, out, err,
                       // The help file keeps its own leaf name in its archive;
                       // the deinstaller is unpacked under the resource's name.
                       id == kHelpResourceId ? std::string() : std::string(name))) {
            result = 1;
        }
    }
    {
        const char* name = nullptr;
        size_t length = 0;
        if (resources.GetResourceInfo(kRuntimeResourceType, kRuntimeResourceId, &name, &length)) {
            const std::string problem = VerifyBuildRuntime(path, name != nullptr ? name : "", out);
            if (!problem.empty()) {
                err << path << ": the runtime (resource 'RAWT' " << kRuntimeResourceId << "): " << problem << "\n";
                result = 1;
            }
        }
    }
    std::vector<BuildPart> parts;
    if (MeasureBuild(path, parts))
        PrintBuildSizes(parts, out);
    if (result == 0)
        out << "The build is whole.\n";
    return result;
}
