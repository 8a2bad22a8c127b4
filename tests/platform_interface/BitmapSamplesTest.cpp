// Every archived bitmap in the samples folder, inside flattened messages
// and inside resources, decodes to the size its archive declares, and known
// pixels come out right.
#include <Bitmap.h>
#include <BitmapImage.h>
#include <Message.h>
#include <Resources.h>
#include <TypeConstants.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FoundBitmap {
    std::string where;
    BMessage archive;
};

bool LooksLikeMessage(const std::string& bytes)
{
    if (bytes.size() < 4)
        return false;
    const std::string magic = bytes.substr(0, 4);
    return magic == "1BOF" || magic == "FOB1" || magic == "HMF1" || magic == "1FMH";
}

void Visit(const BMessage& message, const std::string& where, std::vector<FoundBitmap>& found)
{
    type_code type;
    if (message.GetInfo("_frame", &type) == B_OK && message.GetInfo("_cspace", &type) == B_OK)
        found.push_back({where, message});
    const char* name = nullptr;
    int32 count = 0;
    for (int32 i = 0; message.GetInfo(B_MESSAGE_TYPE, i, &name, &type, &count) == B_OK; i++) {
        for (int32 item = 0; item < count; item++) {
            BMessage inner;
            if (message.FindMessage(name, item, &inner) == B_OK)
                Visit(inner, where + "/" + name + "[" + std::to_string(item) + "]", found);
        }
    }
}

void VisitBytes(std::string bytes, const std::string& where, std::vector<FoundBitmap>& found)
{
    if (bytes.compare(0, 4, "IMSG") == 0)
        bytes.erase(0, 4);
    if (!LooksLikeMessage(bytes))
        return;
    BMessage message;
    if (message.Unflatten(bytes.data(), ssize_t(bytes.size())) == B_OK)
        Visit(message, where, found);
}

bool IsResourceFile(const fs::path& path, const std::string& bytes)
{
    return path.extension() == ".rsrc" || bytes.compare(0, 4, "\x7f" "ELF") == 0;
}

std::vector<FoundBitmap> AllSampleBitmaps()
{
    std::vector<FoundBitmap> found;
    for (const fs::path& path : ondelle::test::SampleFiles()) {
        const std::string bytes = ondelle::test::ReadFileBytes(path);
        const std::string name = path.filename().string();
        if (!IsResourceFile(path, bytes)) {
            VisitBytes(bytes, name, found);
            continue;
        }
        BResources resources(path.c_str());
        if (resources.InitCheck() != B_OK)
            continue;
        type_code type;
        int32 id;
        const char* resourceName;
        size_t size;
        for (int32 i = 0; resources.GetResourceInfo(i, &type, &id, &resourceName, &size); i++) {
            size_t loaded = 0;
            const void* data = resources.LoadResource(type, id, &loaded);
            if (data != nullptr)
                VisitBytes(std::string(static_cast<const char*>(data), loaded), name + ":" + std::to_string(id), found);
        }
    }
    return found;
}

int32 Pixels(float low, float high)
{
    return int32(std::floor(high) - std::floor(low)) + 1;
}

struct KnownPixel {
    const char* where;
    int32 x;
    int32 y;
    rgb_color color;
};

// Pixels read by hand from the sample bytes: palette entries of B_CMAP8
// icons (index 255 transparent), a B_RGB32 button, a B_RGBA15 image and
// B_RGBA32 images with partial alpha.
const KnownPixel kKnownPixels[] = {
    {"BeMailDaemon--BeMail.rsrc:0", 0, 0, {216, 216, 216, 255}},
    {"BeMailDaemon--BeMail.rsrc:0", 14, 10, {102, 203, 152, 255}},
    {"BeMailDaemon--BeMail.rsrc:49", 14, 10, {255, 0, 0, 255}},
    {"BeMailDaemon--mail_daemon.rsrc:0", 0, 0, B_TRANSPARENT_COLOR},
    {"BeMailDaemon--mail_daemon.rsrc:1", 8, 8, {203, 203, 255, 255}},
    {"BeOS-Projects--Jeepers.rsrc:1", 0, 0, {216, 216, 216, 255}},
    {"BeOS-Projects--Jeepers.rsrc:1", 5, 5, {0, 0, 0, 255}},
    {"BePDF--Test.rsrc:1", 10, 10, {181, 255, 123, 255}},
    {"MeV--300_Begin", 0, 0, {8, 8, 8, 255}},
    {"MeV--300_Begin", 12, 0, B_TRANSPARENT_COLOR},
    {"Sequitur--General_MIDI/Icon 20x20[0]", 10, 10, {161, 161, 161, 110}},
    {"Sequitur--Sequitur.rsrc:3", 82, 80, {166, 58, 4, 250}},
};

} // namespace

TEST(BitmapSamplesTest, EveryArchivedBitmapDecodesWithItsDeclaredSize)
{
    ONDELLE_REQUIRE_SAMPLES();
    const std::vector<FoundBitmap> found = AllSampleBitmaps();
    std::map<std::string, int32> perFile;
    for (const FoundBitmap& entry : found) {
        SCOPED_TRACE(entry.where);
        perFile[entry.where.substr(0, entry.where.find_first_of(":/"))]++;
        BRect frame;
        int32 space = 0;
        ASSERT_EQ(entry.archive.FindRect("_frame", &frame), B_OK);
        ASSERT_EQ(entry.archive.FindInt32("_cspace", &space), B_OK);
        BBitmap bitmap(&entry.archive);
        ASSERT_TRUE(bitmap.IsValid());
        EXPECT_EQ(bitmap.ColorSpace(), color_space(space));

        const int32 width = Pixels(frame.left, frame.right);
        const int32 height = Pixels(frame.top, frame.bottom);
        int32 rowBytes = 0;
        if (entry.archive.FindInt32("_rowbytes", &rowBytes) == B_OK) {
            EXPECT_EQ(bitmap.BytesPerRow(), rowBytes);
        }
        EXPECT_GE(bitmap.BytesPerRow(), get_bytes_per_row(color_space(space), width));
        EXPECT_EQ(bitmap.BitsLength(), bitmap.BytesPerRow() * height);

        // The pixels are the archive's bytes, unchanged.
        const void* data = nullptr;
        ssize_t size = 0;
        ASSERT_EQ(entry.archive.FindData("_data", B_ANY_TYPE, &data, &size), B_OK);
        ASSERT_EQ(size, bitmap.BitsLength());
        EXPECT_EQ(std::memcmp(bitmap.Bits(), data, size_t(size)), 0);

        const QImage image = bitmap_to_image(bitmap);
        EXPECT_EQ(image.width(), width);
        EXPECT_EQ(image.height(), height);
    }
    // Every archived bitmap the samples hold, counted by file.
    const std::map<std::string, int32> expected = {
        {"BeMailDaemon--BeMail.rsrc", 52},
        {"BeMailDaemon--mail_daemon.rsrc", 4},
        {"BeOS-Projects--Jeepers.rsrc", 2},
        {"BePDF--Test.rsrc", 1},
        {"MeV--300_Begin", 1},
        {"Sequitur--General_MIDI", 1},
        {"Sequitur--Sequitur.rsrc", 3},
    };
    EXPECT_EQ(perFile, expected);
}

TEST(BitmapSamplesTest, KnownPixelsOfSampleBitmaps)
{
    ONDELLE_REQUIRE_SAMPLES();
    const std::vector<FoundBitmap> found = AllSampleBitmaps();
    for (const KnownPixel& known : kKnownPixels) {
        SCOPED_TRACE(known.where);
        auto entry = std::find_if(found.begin(), found.end(), [&](const FoundBitmap& f) { return f.where == known.where; });
        ASSERT_NE(entry, found.end());
        const BBitmap bitmap(&entry->archive);
        EXPECT_EQ(bitmap.ColorAt(known.x, known.y), known.color) << known.x << "," << known.y;
        // Qt sees the same colour; transparency is kept.
        const QRgb pixel = bitmap_to_image(bitmap).pixel(known.x, known.y);
        EXPECT_EQ(qAlpha(pixel), known.color.alpha);
        if (known.color.alpha != 0) {
            EXPECT_EQ(pixel & 0xffffff, QRgb(known.color.red << 16 | known.color.green << 8 | known.color.blue));
        }
    }
}
