// Attributes as Linux extended attributes: typed round trips, listing,
// removal, partial writes, the freedesktop type mirror, and file systems
// that refuse attributes.
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <sys/mount.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string RawXattr(const fs::path& path, const std::string& name)
{
    char buffer[4096];
    ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), buffer, sizeof(buffer));
    return size < 0 ? std::string("<none>") : std::string(buffer, size_t(size));
}

std::set<std::string> AttrNames(BNode& node)
{
    std::set<std::string> names;
    node.RewindAttrs();
    char name[B_ATTR_NAME_LENGTH];
    while (node.GetNextAttrName(name) == B_OK)
        names.insert(name);
    return names;
}

template <typename T>
std::string Bytes(T value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A small file system without user attributes (ramfs), mounted for the
// test when the test may mount; unmounted at the end.
class RefusingMount {
public:
    RefusingMount(const fs::path& where)
        : fPath(where)
    {
        fs::create_directories(where);
        fMounted = ::mount("none", where.c_str(), "ramfs", 0, nullptr) == 0;
    }
    ~RefusingMount()
    {
        if (fMounted)
            ::umount2(fPath.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return fMounted; }

private:
    fs::path fPath;
    bool fMounted;
};

} // namespace

TEST(AttributeTest, EveryTypeRoundTripsWithItsTypeCode)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "data");

    std::string icon(1024, '\0');
    for (size_t i = 0; i < icon.size(); ++i)
        icon[i] = char(i * 7);
    const struct {
        const char* name;
        type_code type;
        std::string bytes;
    } cases[] = {
        {"InstallBy", B_STRING_TYPE, "App;1.0;2000-01-01;Maker;help@example.com;"},
        {"BEOS:TYPE", B_MIME_STRING_TYPE, std::string("text/plain\0", 11)},
        {"flag", B_BOOL_TYPE, std::string(1, '\1')},
        {"byte", B_INT8_TYPE, Bytes(int8(-5))},
        {"short", B_INT16_TYPE, Bytes(int16(-1234))},
        {"long", B_INT32_TYPE, Bytes(int32(0x12345678))},
        {"llong", B_INT64_TYPE, Bytes(int64(-0x123456789abcLL))},
        {"ulong", B_UINT32_TYPE, Bytes(uint32(0xfffffffe))},
        {"float", B_FLOAT_TYPE, Bytes(1.5f)},
        {"double", B_DOUBLE_TYPE, Bytes(-2.25)},
        {"time", B_TIME_TYPE, Bytes(int64(963591429))},
        {"offset", B_OFF_T_TYPE, Bytes(int64(1) << 40)},
        {"BEOS:L:STD_ICON", B_LARGE_ICON_TYPE, icon},
        {"message", B_MESSAGE_TYPE, std::string("1BOF\0\0\0\0with\0zeros", 19)},
        {"raw data", B_RAW_TYPE, std::string("\0\1\2\3", 4)},
        {"empty", B_STRING_TYPE, ""},
        {"odd \"name\" $x `y`", 'ABCD', "v"},
    };

    {
        BNode writer((dir / "file").c_str());
        ASSERT_EQ(writer.InitCheck(), B_OK);
        for (const auto& item : cases) {
            SCOPED_TRACE(item.name);
            EXPECT_EQ(writer.WriteAttr(item.name, item.type, 0, item.bytes.data(), item.bytes.size()),
                ssize_t(item.bytes.size()));
        }
    }

    BNode reader((dir / "file").c_str());
    std::set<std::string> expectedNames;
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        expectedNames.insert(item.name);
        attr_info info;
        ASSERT_EQ(reader.GetAttrInfo(item.name, &info), B_OK);
        EXPECT_EQ(info.type, item.type);
        EXPECT_EQ(info.size, off_t(item.bytes.size()));
        std::string back(item.bytes.size() + 8, 'x');
        EXPECT_EQ(reader.ReadAttr(item.name, item.type, 0, back.data(), back.size()),
            ssize_t(item.bytes.size()));
        back.resize(item.bytes.size());
        EXPECT_EQ(back, item.bytes);
        // Other Linux tools see the value's bytes unchanged.
        EXPECT_EQ(RawXattr(dir / "file", std::string("user.") + item.name), item.bytes);
    }
    // The type records and the mirror are not attributes of their own.
    EXPECT_EQ(AttrNames(reader), expectedNames);
    EXPECT_EQ(RawXattr(dir / "file", "user.beos.type.InstallBy"), "CSTR");
    EXPECT_EQ(RawXattr(dir / "file", "user.beos.type.raw data"), "<none>");

    // Reading from an offset, and past the end.
    char part[4];
    EXPECT_EQ(reader.ReadAttr("InstallBy", B_STRING_TYPE, 4, part, 4), 4);
    EXPECT_EQ(std::string(part, 4), "1.0;");
    EXPECT_EQ(reader.ReadAttr("InstallBy", B_STRING_TYPE, 1000, part, 4), 0);
    EXPECT_EQ(reader.ReadAttr("missing", B_STRING_TYPE, 0, part, 4), B_ENTRY_NOT_FOUND);
}

TEST(AttributeTest, RemoveRenameAndRetype)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "");
    BNode node((dir / "file").c_str());
    int32 value = 42;
    ASSERT_EQ(node.WriteAttr("count", B_INT32_TYPE, 0, &value, 4), 4);

    // A raw write drops the type record.
    ASSERT_EQ(node.WriteAttr("count", B_RAW_TYPE, 0, "ab", 2), 2);
    attr_info info;
    ASSERT_EQ(node.GetAttrInfo("count", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_RAW_TYPE));
    EXPECT_EQ(info.size, 2);

    ASSERT_EQ(node.WriteAttr("count", B_INT32_TYPE, 0, &value, 4), 4);
    EXPECT_EQ(node.RenameAttr("count", "total"), B_OK);
    EXPECT_EQ(node.GetAttrInfo("count", &info), B_ENTRY_NOT_FOUND);
    ASSERT_EQ(node.GetAttrInfo("total", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_INT32_TYPE));

    EXPECT_EQ(node.RemoveAttr("total"), B_OK);
    EXPECT_EQ(node.GetAttrInfo("total", &info), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(RawXattr(dir / "file", "user.beos.type.total"), "<none>");
    EXPECT_EQ(node.RemoveAttr("total"), B_ENTRY_NOT_FOUND);
    EXPECT_TRUE(AttrNames(node).empty());
}

TEST(AttributeTest, WritesAtAnOffsetKeepTheRestAndOffsetZeroReplaces)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "");
    BNode node((dir / "file").c_str());

    // Built in chunks of 1024 bytes, each at its own offset.
    std::string whole;
    for (int chunk = 0; chunk < 3; ++chunk) {
        std::string bytes(chunk == 2 ? 100 : 1024, char('a' + chunk));
        ASSERT_EQ(node.WriteAttr("zip", B_RAW_TYPE, off_t(whole.size()), bytes.data(), bytes.size()),
            ssize_t(bytes.size()));
        whole += bytes;
    }
    attr_info info;
    ASSERT_EQ(node.GetAttrInfo("zip", &info), B_OK);
    EXPECT_EQ(info.size, off_t(whole.size()));
    std::string back(whole.size(), '\0');
    EXPECT_EQ(node.ReadAttr("zip", B_RAW_TYPE, 0, back.data(), back.size()), ssize_t(whole.size()));
    EXPECT_EQ(back, whole);

    // A gap is filled with zeros.
    ASSERT_EQ(node.WriteAttr("gap", B_RAW_TYPE, 3, "x", 1), 1);
    char gap[4];
    ASSERT_EQ(node.ReadAttr("gap", B_RAW_TYPE, 0, gap, 4), 4);
    EXPECT_EQ(std::string(gap, 4), std::string("\0\0\0x", 4));

    // A shorter value at offset 0 leaves nothing of the longer one behind.
    ASSERT_EQ(node.WriteAttr("zip", B_STRING_TYPE, 0, "abc", 3), 3);
    ASSERT_EQ(node.GetAttrInfo("zip", &info), B_OK);
    EXPECT_EQ(info.size, 3);
    EXPECT_EQ(node.WriteAttr("zip", B_RAW_TYPE, -1, "x", 1), B_BAD_VALUE);
}

TEST(AttributeTest, FileTypeIsMirroredToTheFreedesktopAttribute)
{
    TempDir dir;
    WriteFileBytes(dir / "typed", "");
    WriteFileBytes(dir / "foreign", "");
    BNode typed((dir / "typed").c_str());
    BNodeInfo info(&typed);
    ASSERT_EQ(info.SetType("text/x-vondl"), B_OK);
    EXPECT_EQ(RawXattr(dir / "typed", "user.mime_type"), "text/x-vondl");
    EXPECT_EQ(RawXattr(dir / "typed", "user.BEOS:TYPE"), std::string("text/x-vondl\0", 13));
    EXPECT_EQ(AttrNames(typed), std::set<std::string>{"BEOS:TYPE"});

    ASSERT_EQ(info.SetType(nullptr), B_OK);
    EXPECT_EQ(RawXattr(dir / "typed", "user.mime_type"), "<none>");
    EXPECT_EQ(RawXattr(dir / "typed", "user.BEOS:TYPE"), "<none>");

    // A type that another program set is read as the file type.
    ASSERT_EQ(::setxattr((dir / "foreign").c_str(), "user.mime_type", "image/png", 9, 0), 0);
    BNode foreign((dir / "foreign").c_str());
    char type[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(BNodeInfo(&foreign).GetType(type), B_OK);
    EXPECT_STREQ(type, "image/png");
    attr_info attr;
    ASSERT_EQ(foreign.GetAttrInfo("BEOS:TYPE", &attr), B_OK);
    EXPECT_EQ(attr.type, uint32(B_MIME_STRING_TYPE));
    EXPECT_EQ(AttrNames(foreign), std::set<std::string>{"BEOS:TYPE"});
    EXPECT_EQ(foreign.RemoveAttr("BEOS:TYPE"), B_OK);
    EXPECT_EQ(RawXattr(dir / "foreign", "user.mime_type"), "<none>");
}

TEST(AttributeTest, ReservedAndOverlongNamesAreRefused)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "");
    BNode node((dir / "file").c_str());
    EXPECT_EQ(node.WriteAttr("beos.type.x", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    EXPECT_EQ(node.WriteAttr("mime_type", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    EXPECT_EQ(node.WriteAttr("", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    EXPECT_EQ(node.WriteAttr(nullptr, B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    const std::string longName(245, 'n');
    EXPECT_EQ(node.WriteAttr(longName.c_str(), B_RAW_TYPE, 0, "x", 1), B_NAME_TOO_LONG);
    EXPECT_TRUE(AttrNames(node).empty());
}

TEST(AttributeTest, NodeOfALinkIsTheLinkItself)
{
    TempDir dir;
    WriteFileBytes(dir / "target", "");
    fs::create_symlink("target", dir / "link");
    BNode link((dir / "link").c_str());
    ASSERT_EQ(link.InitCheck(), B_OK);
    EXPECT_TRUE(link.IsSymLink());
    // Linux keeps no user attributes on links: a clear error, and the
    // target stays untouched.
    EXPECT_LT(link.WriteAttr("InstallBy", B_STRING_TYPE, 0, "tag", 3), 0);
    EXPECT_EQ(RawXattr(dir / "target", "user.InstallBy"), "<none>");
    EXPECT_TRUE(AttrNames(link).empty());
    char type[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(BNodeInfo(&link).GetType(type), B_OK);
    EXPECT_STREQ(type, "application/x-vnd.Be-symlink");
}

TEST(AttributeTest, NodeFollowsItsFileAcrossARename)
{
    TempDir dir;
    WriteFileBytes(dir / "before", "");
    BNode node((dir / "before").c_str());
    fs::rename(dir / "before", dir / "after");
    EXPECT_EQ(node.WriteAttr("tag", B_STRING_TYPE, 0, "v", 1), 1);
    EXPECT_EQ(RawXattr(dir / "after", "user.tag"), "v");

    fs::create_directory(dir / "folder");
    BNode folder((dir / "folder").c_str());
    fs::rename(dir / "folder", dir / "folder2");
    EXPECT_EQ(folder.WriteAttr("tag", B_STRING_TYPE, 0, "w", 1), 1);
    EXPECT_EQ(RawXattr(dir / "folder2", "user.tag"), "w");
}

TEST(AttributeTest, CopyAttributesCarriesValuesAndTypes)
{
    TempDir dir;
    WriteFileBytes(dir / "from", "");
    WriteFileBytes(dir / "to", "");
    {
        BNode from((dir / "from").c_str());
        int32 value = 7;
        from.WriteAttr("count", B_INT32_TYPE, 0, &value, 4);
        BNodeInfo(&from).SetType("text/plain");
    }
    ASSERT_EQ(copy_attributes((dir / "from").c_str(), (dir / "to").c_str()), B_OK);
    BNode to((dir / "to").c_str());
    attr_info info;
    ASSERT_EQ(to.GetAttrInfo("count", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_INT32_TYPE));
    EXPECT_EQ(RawXattr(dir / "to", "user.mime_type"), "text/plain");
}

TEST(AttributeTest, ProcFilesRefuseAttributes)
{
    BNode node("/proc/self/status");
    ASSERT_EQ(node.InitCheck(), B_OK);
    char buffer[8];
    EXPECT_EQ(node.ReadAttr("anything", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_UNSUPPORTED);
    attr_info info;
    EXPECT_EQ(node.GetAttrInfo("anything", &info), B_UNSUPPORTED);
}

TEST(AttributeTest, FileSystemWithoutAttributesGivesErrors)
{
    TempDir dir;
    RefusingMount mount(dir / "ramfs");
    if (!mount.Mounted())
        GTEST_SKIP() << "cannot mount a ramfs here (needs CAP_SYS_ADMIN); refusal on a real mount not tested";

    WriteFileBytes(dir / "ramfs/file", "data");
    BNode node((dir / "ramfs/file").c_str());
    ASSERT_EQ(node.InitCheck(), B_OK);
    EXPECT_EQ(node.WriteAttr("InstallBy", B_STRING_TYPE, 0, "tag", 3), B_UNSUPPORTED);
    char buffer[8];
    EXPECT_EQ(node.ReadAttr("InstallBy", B_STRING_TYPE, 0, buffer, sizeof(buffer)), B_UNSUPPORTED);
    EXPECT_EQ(node.RemoveAttr("InstallBy"), B_UNSUPPORTED);
    char name[B_ATTR_NAME_LENGTH];
    status_t listed = node.GetNextAttrName(name);
    EXPECT_TRUE(listed == B_UNSUPPORTED || listed == B_ENTRY_NOT_FOUND) << listed;
    BNodeInfo info(&node);
    EXPECT_EQ(info.SetType("text/plain"), B_UNSUPPORTED);
    BEntry entry((dir / "ramfs/file").c_str());
    EXPECT_EQ(entry.SetCreationTime(1000), B_UNSUPPORTED);

    fs_info fsInfo;
    ASSERT_EQ(fs_stat_dev(dev_for_path((dir / "ramfs").c_str()), &fsInfo), B_OK);
    EXPECT_STREQ(fsInfo.fsh_name, "ramfs");
    EXPECT_EQ(fsInfo.flags & B_FS_HAS_ATTR, 0u);
    EXPECT_FALSE(fs_is_native(&fsInfo));
}

TEST(Attributes, NewFilesTakeEachAttributeOnceAndReadBackAsWritten)
{
    TempDir dir;
    const fs::path path = dir / "fresh";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const char type[] = "text/plain";
    const int32 count = 7;
    EXPECT_EQ(write_new_attribute(fd, "BEOS:TYPE", B_MIME_STRING_TYPE, type, sizeof type), B_OK);
    EXPECT_EQ(write_new_attribute(fd, "count", B_INT32_TYPE, &count, sizeof count), B_OK);
    EXPECT_EQ(write_new_attribute(fd, "raw", B_RAW_TYPE, "ab", 2), B_OK);
    EXPECT_EQ(write_new_attribute(fd, "beos.reserved", B_RAW_TYPE, "x", 1), B_BAD_VALUE);
    ::close(fd);

    // The file type is the freedesktop record alone; others keep their type
    // record, raw data none.
    char buffer[64];
    EXPECT_EQ(::getxattr(path.c_str(), "user.mime_type", buffer, sizeof buffer), ssize_t(sizeof type - 1));
    EXPECT_LT(::getxattr(path.c_str(), "user.BEOS:TYPE", buffer, sizeof buffer), 0);
    EXPECT_LT(::getxattr(path.c_str(), "user.beos.type.BEOS:TYPE", buffer, sizeof buffer), 0);
    EXPECT_EQ(::getxattr(path.c_str(), "user.beos.type.count", buffer, sizeof buffer), 4);
    EXPECT_LT(::getxattr(path.c_str(), "user.beos.type.raw", buffer, sizeof buffer), 0);

    BNode node(path.c_str());
    attr_info info;
    ASSERT_EQ(node.GetAttrInfo("BEOS:TYPE", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_MIME_STRING_TYPE));
    EXPECT_EQ(info.size, off_t(sizeof type));
    EXPECT_EQ(node.ReadAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, buffer, sizeof buffer), ssize_t(sizeof type));
    EXPECT_STREQ(buffer, type);
    ASSERT_EQ(node.GetAttrInfo("count", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_INT32_TYPE));
    ASSERT_EQ(node.GetAttrInfo("raw", &info), B_OK);
    EXPECT_EQ(info.type, uint32(B_RAW_TYPE));
    char mime[B_MIME_TYPE_LENGTH];
    BNodeInfo nodeInfo(&node);
    ASSERT_EQ(nodeInfo.GetType(mime), B_OK);
    EXPECT_STREQ(mime, type);
    std::set<std::string> names;
    char name[B_ATTR_NAME_LENGTH];
    while (node.GetNextAttrName(name) == B_OK)
        names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"BEOS:TYPE", "count", "raw"}));
    // A later typed write through the kit replaces the type.
    ASSERT_EQ(nodeInfo.SetType("image/png"), B_OK);
    ASSERT_EQ(nodeInfo.GetType(mime), B_OK);
    EXPECT_STREQ(mime, "image/png");
}

TEST(Attributes, FileTypesThatAreNoPlainMimeTextKeepTheFullRecordsOnNewFiles)
{
    TempDir dir;
    const fs::path path = dir / "odd";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    // A NUL inside: the text after it would be lost in the single record.
    const char odd[] = "text/plain\0tail";
    EXPECT_EQ(write_new_attribute(fd, "BEOS:TYPE", B_MIME_STRING_TYPE, odd, sizeof odd), B_OK);
    ::close(fd);
    BNode node(path.c_str());
    char buffer[64] = {};
    EXPECT_EQ(node.ReadAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, buffer, sizeof buffer), ssize_t(sizeof odd));
    EXPECT_EQ(std::string(buffer, sizeof odd), std::string(odd, sizeof odd));
    EXPECT_EQ(::getxattr(path.c_str(), "user.mime_type", buffer, sizeof buffer), 10);
}
