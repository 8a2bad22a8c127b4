// Messages in real files made by the platform's tools: every sample that
// is a flattened message (or "IMSG" and a message) is read, printed and
// written back; damaged copies are refused cleanly.

#include <Message.h>

#include <MessageChecks.h>
#include <TestSupport.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ondelle::test::CheckDamagedMessage;
using ondelle::test::CheckFlattenedMessage;
using ondelle::test::FlattenedMessageOffset;
using ondelle::test::ReadFileBytes;
using ondelle::test::SampleFiles;
using ondelle::test::SamplesDir;

// Zeroes the padding bytes of a classic little-endian message (and of the
// messages nested in it), which the platform's writer left uninitialised.
// Returns false when the layout is not understood. *compact is cleared when
// some field that fits the one-byte form does not use it (a writer other
// than the platform's own, whose bytes we do not imitate).
bool ClearPadding(std::string& data, size_t start, size_t size, bool* compact)
{
    auto u32 = [&](size_t at) {
        uint32 v;
        memcpy(&v, data.data() + at, 4);
        return v;
    };
    if (size < 18 || memcmp(data.data() + start, "1BOF", 4) != 0)
        return false;
    uint8 headerFlags = uint8(data[start + 16]);
    size_t at = start + 17 + ((headerFlags & 2) ? 4 : 0) + ((headerFlags & 4) ? 16 : 0);
    size_t end = start + size;
    while (at < end && (uint8(data[at]) & 1) != 0) {
        uint8 flags = uint8(data[at]);
        bool mini = flags & 2;
        uint32 type = u32(at + 1);
        at += 5;
        uint32 count = 1;
        if (!(flags & 8)) {
            count = mini ? uint8(data[at]) : u32(at);
            at += mini ? 1 : 4;
        }
        uint32 dataSize = mini ? uint8(data[at]) : u32(at);
        at += mini ? 1 : 4;
        if (!mini && dataSize <= 255 && count <= 255)
            *compact = false;
        at += 1 + uint8(data[at]);
        size_t blockEnd = at + dataSize;
        if (!(flags & 4)) {
            for (uint32 i = 0; i < count; i++) {
                uint32 itemSize = u32(at);
                if (type == 'MSGG' && !ClearPadding(data, at + 4, itemSize, compact))
                    return false;
                size_t padded = (4 + size_t(itemSize) + 7) & ~size_t(7);
                for (size_t p = at + 4 + itemSize; p < at + padded && p < blockEnd; p++)
                    data[p] = '\0';
                at += padded;
            }
        }
        at = blockEnd;
    }
    return at < end;
}

TEST(MessageSamples, EveryMessageSampleReadsPrintsAndRoundTrips)
{
    ONDELLE_REQUIRE_SAMPLES();
    int checked = 0;
    for (const auto& path : SampleFiles()) {
        std::string bytes = ReadFileBytes(path);
        long offset = FlattenedMessageOffset(bytes);
        if (offset < 0)
            continue;
        CheckFlattenedMessage(bytes.data() + offset, bytes.size() - size_t(offset),
            path.filename().string());
        checked++;
    }
    EXPECT_GE(checked, 7) << "message samples in " << SamplesDir();
}

TEST(MessageSamples, ClassicSamplesAreWrittenBackByteForByte)
{
    ONDELLE_REQUIRE_SAMPLES();
    // The platform's x86 writer and ours agree on every byte except the
    // padding, which it left uninitialised. Files written by the successor
    // system's writer (never the one-byte form) are only read.
    int compared = 0;
    for (const auto& path : SampleFiles()) {
        std::string bytes = ReadFileBytes(path);
        long offset = FlattenedMessageOffset(bytes);
        if (offset < 0 || bytes.compare(size_t(offset), 4, "1BOF") != 0)
            continue;
        SCOPED_TRACE(path.filename().string());
        std::string original = bytes.substr(size_t(offset));
        BMessage message;
        ASSERT_EQ(message.Unflatten(original.data(), ssize_t(original.size())), B_OK);
        std::string written;
        ASSERT_EQ(message.Flatten(&written), B_OK);
        bool compact = true;
        ASSERT_TRUE(ClearPadding(original, 0, original.size(), &compact));
        if (!compact)
            continue;
        original.resize(written.size());
        EXPECT_EQ(written, original);
        compared++;
    }
    EXPECT_GE(compared, 5);
}

TEST(MessageSamples, KnownContentOfSamples)
{
    ONDELLE_REQUIRE_SAMPLES();
    std::string settings = ReadFileBytes(SamplesDir() / "Beezer--add_settings");
    BMessage message;
    ASSERT_EQ(message.Unflatten(settings.data(), ssize_t(settings.size())), B_OK);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 5);
    EXPECT_TRUE(message.HasInt8("pfReplace"));
    EXPECT_TRUE(message.HasBool("pfWarn"));
    EXPECT_EQ(message.GetInt16("pfWarnMB", 0), 100);

    std::string motion = ReadFileBytes(SamplesDir() / "Sequitur--Progress_Up");
    ASSERT_EQ(message.Unflatten(motion.data(), ssize_t(motion.size())), B_OK);
    EXPECT_STREQ(message.GetString("label"), "Progress Up");
    int32 count = 0;
    type_code type = 0;
    ASSERT_EQ(message.GetInfo("pt", &type, &count), B_OK);
    EXPECT_EQ(type, uint32(B_POINT_TYPE));
    EXPECT_EQ(count, 8);

    std::string vision = ReadFileBytes(SamplesDir() / "Vision--InitialSettings");
    ASSERT_EQ(message.Unflatten(vision.data(), ssize_t(vision.size())), B_OK);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 74);
    EXPECT_TRUE(message.HasMessage("defaults"));
    EXPECT_TRUE(message.HasBool("versionParanoid"));
    EXPECT_TRUE(message.HasString("timestamp_format"));
    EXPECT_TRUE(message.HasInt32("encoding"));

    std::string icon = ReadFileBytes(SamplesDir() / "ArtPaint--VIconMove.iom");
    ASSERT_EQ(FlattenedMessageOffset(icon), 4);
    ASSERT_EQ(message.Unflatten(icon.data() + 4, ssize_t(icon.size() - 4)), B_OK);
    EXPECT_TRUE(message.HasMessage("paths"));
    EXPECT_TRUE(message.HasMessage("styles"));
    EXPECT_TRUE(message.HasMessage("shapes"));

    std::string menu = ReadFileBytes(SamplesDir() / "Beezer--zip_settings");
    ASSERT_EQ(message.Unflatten(menu.data(), ssize_t(menu.size())), B_OK);
    ASSERT_EQ(message.GetInfo("_items", &type, &count), B_OK);
    EXPECT_EQ(count, 3);
    const BMessage* item = message.FindMessagePointer("_items", 0);
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->GetString("class"), "BMenuItem");
}

TEST(MessageSamples, DamagedCopiesAreRefusedOrReadSafely)
{
    ONDELLE_REQUIRE_SAMPLES();
    for (const auto& path : SampleFiles()) {
        std::string bytes = ReadFileBytes(path);
        long offset = FlattenedMessageOffset(bytes);
        if (offset < 0)
            continue;
        CheckDamagedMessage(bytes.substr(size_t(offset)), path.filename().string());
    }
}

} // namespace
