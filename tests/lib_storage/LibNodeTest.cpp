// Typed attributes of LibNode and files kept zipped inside an attribute.
#include "LibNode.h"
#include "StorageTestSupport.h"

#include "TestSupport.h"

#include <Message.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using storage_test::GetAttribute;

TEST(LibNode, TypedAttributesUseThePlatformEncodings)
{
    TempDir dir;
    WriteFileBytes(dir / "f", "");
    LibNode node((dir / "f").c_str());
    ASSERT_EQ(node.InitCheck(), B_OK);
    type_code type = 0;
    std::string data;

    node.WriteBoolAttr("flag", true);
    ASSERT_TRUE(GetAttribute((dir / "f").string(), "flag", type, data));
    EXPECT_EQ(type, uint32(B_BOOL_TYPE));
    EXPECT_EQ(data, std::string("\x01", 1));
    bool flag = false;
    EXPECT_TRUE(node.ReadBoolAttr("flag", flag));
    EXPECT_TRUE(flag);

    node.WriteInt32Attr("number", -7);
    ASSERT_TRUE(GetAttribute((dir / "f").string(), "number", type, data));
    EXPECT_EQ(type, uint32(B_INT32_TYPE));
    EXPECT_EQ(data.size(), 4u);
    int32 number = 0;
    EXPECT_TRUE(node.ReadInt32Attr("number", number));
    EXPECT_EQ(number, -7);
    // A missing or short attribute is not reported as read.
    number = 5;
    EXPECT_FALSE(node.ReadInt32Attr("missing", number));
    EXPECT_FALSE(node.ReadInt32Attr("flag", number));
    EXPECT_EQ(number, 5);

    // A longer old value never shows through a shorter new one.
    EXPECT_EQ(node.WriteStringAttr("text", "a much longer text"), B_OK);
    EXPECT_EQ(node.WriteStringAttr("text", "abc"), B_OK);
    ASSERT_TRUE(GetAttribute((dir / "f").string(), "text", type, data));
    EXPECT_EQ(type, uint32(B_STRING_TYPE));
    EXPECT_EQ(data, "abc");
    LibString text;
    EXPECT_EQ(node.ReadStringAttr("text", text), 3);
    EXPECT_STREQ(text, "abc");
    EXPECT_LT(node.ReadStringAttr("missing", text), 0);
    EXPECT_FALSE(node.ReadBoolAttr("missing", flag));

    BMessage message('test');
    message.AddString("name", "value");
    node.WriteMessageAttr("message", message);
    ASSERT_TRUE(GetAttribute((dir / "f").string(), "message", type, data));
    EXPECT_EQ(type, uint32(B_RAW_TYPE));
    BMessage back;
    EXPECT_TRUE(node.ReadMessageAttr("message", back));
    EXPECT_EQ(back.what, uint32('test'));
    const char* value = nullptr;
    ASSERT_EQ(back.FindString("name", &value), B_OK);
    EXPECT_STREQ(value, "value");
    EXPECT_FALSE(node.ReadMessageAttr("missing", back));
    EXPECT_FALSE(node.ReadMessageAttr("text", back));
}

TEST(LibNode, CompressedFileRoundTripThroughAnAttribute)
{
    TempDir dir;
    WriteFileBytes(dir / "holder", "");
    WriteFileBytes(dir / "Undelle", std::string(20000, 'u'));
    LibNode node((dir / "holder").c_str());
    testing::internal::CaptureStderr();
    ASSERT_TRUE(node.CompressFile("Undelle", (dir / "Undelle").c_str()));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages.rfind("zipped to ", 0), 0u) << messages;

    type_code type = 0;
    std::string data;
    ASSERT_TRUE(GetAttribute((dir / "holder").string(), "Undelle", type, data));
    EXPECT_EQ(type, uint32(B_RAW_TYPE));
    EXPECT_EQ(data.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_LT(data.size(), 20000u);
    // The temporary archive is gone.
    const std::string archive = messages.substr(10, messages.find('\n') - 10);
    EXPECT_FALSE(fs::exists(archive));

    ASSERT_TRUE(node.UncompressFile((dir / "restored").c_str(), "Undelle", true));
    EXPECT_EQ(ReadFileBytes(dir / "restored"), std::string(20000, 'u'));
    // Without unzipping, the archive's bytes come out as they are.
    ASSERT_TRUE(node.UncompressFile((dir / "raw.zip").c_str(), "Undelle", false));
    EXPECT_EQ(ReadFileBytes(dir / "raw.zip"), data);
    EXPECT_FALSE(node.UncompressFile((dir / "none").c_str(), "missing", true));
}

TEST(LibNode, CompressingAMissingFileIsReported)
{
    TempDir dir;
    WriteFileBytes(dir / "holder", "");
    LibNode node((dir / "holder").c_str());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(node.CompressFile("x", (dir / "missing").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "LibNode::CompressFile: " + (dir / "missing").string() + " does not exist\n");
}
