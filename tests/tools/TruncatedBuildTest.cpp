// A build cut short anywhere in its resource area: the build tool's
// inspection and the installer's reader give the same answer at every cut,
// and neither passes a cut build off as a program without resources.
#include "BuildWriter.h"
#include "Inspector.h"
#include "ProductDescription.h"
#include "ToolRun.h"

#include "TestSupport.h"

#include <LibAppResource.h>
#include <ResourceFormat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// One resource as a reader lists it, in the inspection's words.
std::string ListingLine(type_code type, int32 id, size_t size)
{
    std::ostringstream line;
    line << std::hex << type << std::dec << " " << id << " " << size;
    return line.str();
}

// What the installer's reader makes of the build at path: false when it
// refuses it, else true with its resources.
bool ReadAsTheInstallerDoes(const fs::path& path, std::vector<std::string>& resources)
{
    resources.clear();
    LibAppResource reader(path.c_str(), B_READ_ONLY);
    if (reader.InitCheck() != B_OK)
        return false;
    type_code type = 0;
    int32 id = 0;
    const char* name = nullptr;
    size_t size = 0;
    for (int32 index = 0; reader.GetResourceInfo(index, &type, &id, &name, &size); index++)
        resources.push_back(ListingLine(type, id, size));
    return true;
}

// The resources the inspection listed (its count line and one line each).
std::vector<std::string> InspectedResources(const std::string& out, size_t& count)
{
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    const size_t colon = line.rfind(": ");
    count = colon == std::string::npos ? size_t(-1) : size_t(std::stoul(line.substr(colon + 2)));
    std::vector<std::string> listed;
    while (listed.size() < count && std::getline(lines, line)) {
        // "  'TYPE'     id  name  size bytes"
        std::istringstream fields(line);
        std::string typeText;
        int32 id = 0;
        fields >> typeText >> id;
        const size_t bytes = line.rfind(" bytes");
        const size_t space = line.rfind(' ', bytes - 1);
        const size_t size = size_t(std::stoull(line.substr(space + 1, bytes - space - 1)));
        type_code type = 0;
        if (typeText.size() == 6 && typeText.front() == '\'')
            type = type_code(uint8(typeText[1])) << 24 | type_code(uint8(typeText[2])) << 16
                | type_code(uint8(typeText[3])) << 8 | type_code(uint8(typeText[4]));
        else
            type = type_code(std::stoul(typeText, nullptr, 16));
        listed.push_back(ListingLine(type, id, size));
    }
    return listed;
}

} // namespace

TEST(TruncatedBuild, InspectionAndTheInstallerAgreeAtEveryCut)
{
    TempDir dir;
    WriteFileBytes(dir / "notes.txt", std::string(30000, 'n'));
    WriteFileBytes(dir / "product.json", R"json({
  "product": {"name": "Cut", "version": "1.0"},
  "items": [{"path": "notes.txt"}],
  "options": {"created_folder": "Cut"}
})json");
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    ASSERT_TRUE(ReadProductDescription((dir / "product.json").string(), {}, description, diagnostics));
    const fs::path build = dir / "CutSetup";
    ASSERT_EQ(MakeInstallerBuild(description, (ondelle::test::BuildDir() / "app/ondelle").string(), "",
                  build.string()),
        "");

    // Where the resource area, its data and its info table lie.
    const uint64 size = fs::file_size(build);
    uint64 base = 0;
    uint64 dataStart = size;
    uint64 dataEnd = 0;
    {
        const int fd = ::open(build.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const ondelle::resources::FdSource source(fd, size);
        ondelle::resources::ContainerInfo info;
        std::vector<ondelle::resources::ResourceEntry> entries;
        const status_t detected = ondelle::resources::DetectContainer(source, info);
        const status_t read = ondelle::resources::ReadContainerResources(source, info, entries);
        ::close(fd);
        ASSERT_EQ(detected, B_OK);
        ASSERT_EQ(read, B_OK);
        ASSERT_FALSE(entries.empty());
        base = info.base;
        for (const auto& entry : entries) {
            dataStart = std::min(dataStart, entry.offset);
            dataEnd = std::max(dataEnd, entry.offset + entry.size);
        }
    }
    ASSERT_LT(base, dataStart);
    ASSERT_LT(dataEnd, size);

    // Every byte of the header, the index and the info table, a sample of
    // the data, and a few cuts into the program before the area.
    std::set<uint64> cuts;
    for (uint64 cut = base; cut < dataStart; cut++)
        cuts.insert(cut);
    for (uint64 cut = dataEnd; cut < size; cut++)
        cuts.insert(cut);
    for (uint64 step = 0; step < 40; step++)
        cuts.insert(dataStart + (dataEnd - dataStart) * step / 40);
    for (uint64 back : {1, 8, 100, 4096})
        cuts.insert(base - back);

    // Cut from the end backwards, one copy cut shorter each time.
    const fs::path cutBuild = dir / "cut/CutSetup";
    fs::create_directories(cutBuild.parent_path());
    fs::copy_file(build, cutBuild);
    int refused = 0;
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(*cut) + " (resources at " + std::to_string(base) + ")");
        ASSERT_EQ(::truncate(cutBuild.c_str(), off_t(*cut)), 0);
        std::vector<std::string> read;
        const bool accepted = ReadAsTheInstallerDoes(cutBuild, read);
        std::ostringstream out, err;
        const int inspected = InspectFile(cutBuild.string(), out, err);
        if (!accepted) {
            refused++;
            EXPECT_EQ(inspected, 1) << out.str();
            EXPECT_NE(err.str(), "");
            if (*cut >= base) {
                EXPECT_NE(err.str().find("damaged or cut short"), std::string::npos) << err.str();
            }
            continue;
        }
        // Only a cut at the very start of the area leaves a whole program,
        // one without resources; anything else cut short is damaged.
        EXPECT_EQ(*cut, base) << "the reader took a cut build for a whole one (" << read.size()
                              << " resources)";
        size_t count = 0;
        EXPECT_EQ(InspectedResources(out.str(), count), read) << out.str();
        EXPECT_EQ(count, read.size()) << out.str();
        EXPECT_EQ(inspected, 0) << err.str();
    }
    EXPECT_EQ(refused, int(cuts.size()) - 1);

    // The build tool's command says so and fails, for a cut inside the
    // resource header as for any other.
    ASSERT_EQ(::truncate(cutBuild.c_str(), off_t(base + 20)), 0);
    const ToolResult tool = RunBuildTool({"inspect", cutBuild.string()}, dir.Path().string());
    EXPECT_NE(tool.status, 0) << tool.out;
    EXPECT_NE(tool.err.find("damaged or cut short"), std::string::npos) << tool.err;
    EXPECT_EQ(tool.out.find("0 resources"), std::string::npos) << tool.out;
}
