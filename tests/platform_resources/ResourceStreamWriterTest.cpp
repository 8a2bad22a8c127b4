// Resource containers written in one pass: the same bytes as a rewrite of
// the same resources however the data arrives, executables keep their
// image, and misuse is an error rather than a damaged file.
#include <Resources.h>

#include "ResourceFormat.h"
#include "ResourceStreamWriter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::resources::ContainerInfo;
using ondelle::resources::ContainerKind;
using ondelle::resources::DetectContainer;
using ondelle::resources::FdSource;
using ondelle::resources::ResourceStreamWriter;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Pattern(size_t size, uint32 seed) { return ondelle::test::PatternBytes(size, seed); }

struct Sample {
    type_code type;
    int32 id;
    std::string name;
    std::string data;
};

// Small and empty resources, one that fills several write buffers, and
// names of every length class.
std::vector<Sample> Samples()
{
    return {
        {'CSTR', 1, "first", std::string("text\0", 5)},
        {'RAWT', 2100, "Big", Pattern(3 * (1 << 20) + 123, 7)},
        {'RAWT', 2101, "", std::string()},
        {'APPV', 1, "BEOS:APP_VERSION", Pattern(680, 9)},
        {'RAWT', 2102, "odd", Pattern(70001, 11)},
    };
}

class Descriptor {
public:
    explicit Descriptor(const fs::path& path, int flags) : fFd(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}
    ~Descriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    int Get() const { return fFd; }

private:
    int fFd;
};

} // namespace

TEST(ResourceStreamWriter, StreamedPiecesAndPatchesGiveTheRewritesBytes)
{
    TempDir dir;
    const fs::path rewritten = dir / "rewritten.rsrc";
    WriteFileBytes(rewritten, "");
    {
        BResources resources(rewritten.c_str());
        for (const Sample& sample : Samples())
            ASSERT_EQ(resources.AddResource(sample.type, sample.id, sample.data.data(), sample.data.size(),
                          sample.name.c_str()),
                B_OK);
    }

    // The same resources, each written in uneven pieces with a placeholder
    // at its start that is patched once the rest is written: for the big
    // one the patch reaches bytes that already left the buffer.
    const fs::path streamed = dir / "streamed.rsrc";
    {
        const Descriptor out(streamed, O_WRONLY | O_CREAT | O_TRUNC);
        ResourceStreamWriter writer(out.Get());
        ASSERT_EQ(writer.Begin(ContainerInfo(), -1, 0, Samples().size()), B_OK);
        for (const Sample& sample : Samples()) {
            ASSERT_EQ(writer.BeginResource(sample.type, sample.id, sample.name), B_OK);
            const size_t head = std::min<size_t>(sample.data.size(), 10);
            ASSERT_EQ(writer.Write(std::string(head, 'x').data(), head), B_OK);
            for (size_t at = head; at < sample.data.size();) {
                const size_t piece = std::min(sample.data.size() - at, size_t(1 + at % 700001));
                ASSERT_EQ(writer.Write(sample.data.data() + at, piece), B_OK);
                at += piece;
            }
            ASSERT_EQ(writer.ResourceSize(), sample.data.size());
            ASSERT_EQ(writer.Patch(0, sample.data.data(), head), B_OK);
        }
        ASSERT_EQ(writer.Finish(), B_OK);
    }
    EXPECT_TRUE(ReadFileBytes(streamed) == ReadFileBytes(rewritten));
}

TEST(ResourceStreamWriter, ExecutablesKeepTheirImageAndCopiedResourcesArrive)
{
    TempDir dir;
    // A program with a resource, as a build starts from.
    const fs::path program = dir / "program";
    fs::copy_file("/bin/true", program);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.AddResource('MIMS', 1, "app/x-test", 11, "BEOS:APP_SIG"), B_OK);
    }
    const std::string image = ReadFileBytes("/bin/true");

    const Descriptor in(program, O_RDONLY);
    ContainerInfo container;
    const uint64 size = fs::file_size(program);
    ASSERT_EQ(DetectContainer(FdSource(in.Get(), size), container), B_OK);
    ASSERT_EQ(container.kind, ContainerKind::kElf);
    std::vector<ondelle::resources::ResourceEntry> entries;
    ASSERT_EQ(ondelle::resources::ReadContainerResources(FdSource(in.Get(), size), container, entries), B_OK);
    ASSERT_EQ(entries.size(), 1u);

    const fs::path output = dir / "output";
    {
        const Descriptor out(output, O_WRONLY | O_CREAT | O_TRUNC);
        ResourceStreamWriter writer(out.Get());
        ASSERT_EQ(writer.Begin(container, in.Get(), size, 2), B_OK);
        ASSERT_EQ(writer.BeginResource(entries[0].type, entries[0].id, entries[0].name), B_OK);
        ASSERT_EQ(writer.CopyFrom(in.Get(), entries[0].offset, entries[0].size), B_OK);
        ASSERT_EQ(writer.AddResource('CSTR', 2002, "config", "abc", 3), B_OK);
        ASSERT_EQ(writer.Finish(), B_OK);
        EXPECT_EQ(writer.Base(), container.base);
    }
    const std::string bytes = ReadFileBytes(output);
    EXPECT_TRUE(bytes.compare(0, image.size(), image) == 0);
    BResources read(output.c_str());
    ASSERT_EQ(read.InitCheck(), B_OK);
    ASSERT_EQ(read.CountResources(), 2);
    size_t length = 0;
    const void* signature = read.LoadResource('MIMS', 1, &length);
    ASSERT_NE(signature, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(signature), length), std::string("app/x-test\0", 11));
    const void* config = read.LoadResource('CSTR', 2002, &length);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(config), length), "abc");
}

TEST(ResourceStreamWriter, MisuseIsAnErrorThatSticks)
{
    TempDir dir;
    {
        // Fewer resources than announced: the tables would lie.
        const Descriptor out(dir / "short", O_WRONLY | O_CREAT | O_TRUNC);
        ResourceStreamWriter writer(out.Get());
        ASSERT_EQ(writer.Begin(ContainerInfo(), -1, 0, 2), B_OK);
        ASSERT_EQ(writer.AddResource('CSTR', 1, "one", "1", 1), B_OK);
        EXPECT_EQ(writer.Finish(), B_BAD_VALUE);
    }
    {
        // More than announced.
        const Descriptor out(dir / "long", O_WRONLY | O_CREAT | O_TRUNC);
        ResourceStreamWriter writer(out.Get());
        ASSERT_EQ(writer.Begin(ContainerInfo(), -1, 0, 1), B_OK);
        ASSERT_EQ(writer.AddResource('CSTR', 1, "one", "1", 1), B_OK);
        EXPECT_EQ(writer.BeginResource('CSTR', 2, "two"), B_BAD_VALUE);
        EXPECT_EQ(writer.Finish(), B_BAD_VALUE);
    }
    {
        // A patch past what was written, then every later call fails.
        const Descriptor out(dir / "patch", O_WRONLY | O_CREAT | O_TRUNC);
        ResourceStreamWriter writer(out.Get());
        ASSERT_EQ(writer.Begin(ContainerInfo(), -1, 0, 1), B_OK);
        ASSERT_EQ(writer.BeginResource('RAWT', 1, "data"), B_OK);
        ASSERT_EQ(writer.Write("abcd", 4), B_OK);
        EXPECT_EQ(writer.Patch(2, "xyz", 3), B_BAD_VALUE);
        EXPECT_EQ(writer.Write("e", 1), B_BAD_VALUE);
        EXPECT_EQ(writer.Finish(), B_BAD_VALUE);
    }
    {
        // A descriptor that cannot be written reports the system's error.
        const Descriptor out(dir / "patch", O_RDONLY);
        ResourceStreamWriter writer(out.Get());
        writer.Begin(ContainerInfo(), -1, 0, 1);
        writer.AddResource('CSTR', 1, "one", "1", 1);
        EXPECT_NE(writer.Finish(), B_OK);
    }
}
