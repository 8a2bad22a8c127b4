// Every resource file and executable of the samples folder reads as the
// platform's tools wrote it.
#include <Message.h>
#include <Resources.h>

#include "RdefText.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace fs = std::filesystem;
using ondelle::test::RdefResource;

namespace {

bool IsResourceSample(const fs::path& path)
{
    if (path.extension() == ".rsrc")
        return true;
    std::string head = ondelle::test::ReadFileBytes(path).substr(0, 4);
    return head == "\x7f" "ELF";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(tolower(uint8(c)));
    return text;
}

// The matching resource definition text, by name without case.
fs::path RdefFor(const fs::path& file)
{
    std::string stem = Lower(file.stem().string());
    for (const fs::path& other : ondelle::test::SampleFiles()) {
        if (other.extension() == ".rdef" && Lower(other.stem().string()) == stem)
            return other;
    }
    return {};
}

uint32 Swap32(uint32 v)
{
    return __builtin_bswap32(v);
}

struct Listed {
    type_code type;
    int32 id;
    std::string name;
    std::string data;
};

std::vector<Listed> ListAll(BResources& resources)
{
    std::vector<Listed> out;
    type_code type;
    int32 id;
    const char* name;
    size_t size;
    for (int32 i = 0; resources.GetResourceInfo(i, &type, &id, &name, &size); i++) {
        size_t loadedSize = 0;
        const void* data = resources.LoadResource(type, id, &loadedSize);
        EXPECT_NE(data, nullptr) << name;
        EXPECT_EQ(loadedSize, size);
        out.push_back({type, id, name, std::string(static_cast<const char*>(data), loadedSize)});
    }
    return out;
}

const Listed* FindListed(const std::vector<Listed>& all, type_code type, int32 id)
{
    for (const Listed& entry : all) {
        if (entry.type == type && entry.id == id)
            return &entry;
    }
    return nullptr;
}

void CompareWithRdef(const fs::path& rdef, const std::vector<Listed>& all)
{
    std::vector<RdefResource> expected;
    std::string error;
    ASSERT_TRUE(ondelle::test::ParseRdef(ondelle::test::ReadFileBytes(rdef), expected, error))
        << rdef << ": " << error;
    ASSERT_FALSE(expected.empty());
    // A converted definition may leave out resources (the file's own type),
    // but everything it names is there.
    EXPECT_LE(expected.size(), all.size()) << rdef;
    for (const RdefResource& want : expected) {
        SCOPED_TRACE(rdef.filename().string() + " " + want.name);
        const Listed* got = FindListed(all, want.type, want.id);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->name, want.name);
        switch (want.kind) {
            case RdefResource::kString:
                EXPECT_EQ(got->data, want.text + std::string(1, '\0'));
                break;
            case RdefResource::kBytes:
                EXPECT_EQ(got->data, want.bytes);
                break;
            case RdefResource::kFlags: {
                ASSERT_EQ(got->data.size(), 4u);
                uint32 value;
                memcpy(&value, got->data.data(), 4);
                EXPECT_TRUE(value == want.flags || Swap32(value) == want.flags);
                break;
            }
            case RdefResource::kVersion: {
                ASSERT_GE(got->data.size(), 340u);
                uint32 numbers[5];
                memcpy(numbers, got->data.data(), sizeof(numbers));
                bool swap = numbers[3] > 5; // variety 0..5 decides the order
                auto field = [&](int i) { return swap ? Swap32(numbers[i]) : numbers[i]; };
                EXPECT_EQ(std::to_string(field(0)), want.fields.at("major"));
                EXPECT_EQ(std::to_string(field(1)), want.fields.at("middle"));
                EXPECT_EQ(std::to_string(field(2)), want.fields.at("minor"));
                EXPECT_EQ(std::to_string(field(4)), want.fields.at("internal"));
                std::string shortInfo(got->data.data() + 20);
                EXPECT_EQ(shortInfo, want.fields.at("short_info"));
                break;
            }
            case RdefResource::kMessage: {
                BMessage message;
                ASSERT_EQ(message.Unflatten(got->data.data(), ssize_t(got->data.size())), B_OK);
                std::vector<std::string> types;
                const char* type;
                for (int32 i = 0; message.FindString("types", i, &type) == B_OK; i++)
                    types.push_back(type);
                EXPECT_EQ(types, want.types);
                break;
            }
            case RdefResource::kOther:
                break;
        }
    }
}

} // namespace

TEST(ResourceSamples, EveryResourceFileReadsCompletely)
{
    ONDELLE_REQUIRE_SAMPLES();
    // Counts as the platform's tools left them (stale index slots and headers
    // excluded).
    const std::map<std::string, int32> knownCounts = {
        {"BeAIM--BeAIM.rsrc", 5}, {"BeMailDaemon--BeMail.rsrc", 63}, {"BeMailDaemon--mail_daemon.rsrc", 12},
        {"BeOS-Projects--Jeepers.rsrc", 32}, {"BePDF--Test.rsrc", 16}, {"BeSampleCode--BeBounce.rsrc", 4},
        {"BeSampleCode--HelloWorld.rsrc", 5}, {"BeSampleCode--InputRecorder.rsrc", 8},
        {"BeSampleCode--SliderApp.rsrc", 9}, {"Becasso--cpuid", 1}, {"Beezer--FileJoinerStub.rsrc", 5},
        {"Beezer--TrackerAddon.rsrc", 6}, {"Bowser--Bowser.rsrc", 9}, {"CoveredCalc--AppIcons.rsrc", 3},
        {"MeV--Cursors.rsrc", 9}, {"MeV--MeV.rsrc", 7}, {"OpenSumIt--sum-it-types.rsrc", 8},
        {"Sequitur--Sequitur.rsrc", 11}, {"Squirrel99--testlist", 1}, {"TaskManager--EnumProcess.rsrc", 6},
        {"TaskManager--lm78.rsrc", 3}, {"ralf-beos--Ball.rsrc", 1}, {"ralf-beos--VideoShooter.ppc.rsrc", 6},
    };
    int resourceFiles = 0;
    int compared = 0;
    int messages = 0;
    for (const fs::path& path : ondelle::test::SampleFiles()) {
        SCOPED_TRACE(path.filename().string());
        BResources resources(path.c_str());
        if (!IsResourceSample(path)) {
            // Messages, texts: not resource containers, and said so.
            EXPECT_NE(resources.InitCheck(), B_OK);
            continue;
        }
        resourceFiles++;
        ASSERT_EQ(resources.InitCheck(), B_OK);
        std::vector<Listed> all = ListAll(resources);
        EXPECT_GT(all.size(), 0u);
        auto known = knownCounts.find(path.filename().string());
        if (known != knownCounts.end()) {
            EXPECT_EQ(int32(all.size()), known->second);
        }

        for (const Listed& entry : all) {
            // Reading in pieces gives the same bytes as loading.
            std::string pieces(entry.data.size(), '\0');
            for (size_t at = 0; at < pieces.size(); at += 100)
                ASSERT_EQ(resources.ReadResource(entry.type, entry.id, pieces.data() + at, off_t(at),
                              std::min<size_t>(100, pieces.size() - at)), B_OK);
            EXPECT_EQ(pieces, entry.data);
            EXPECT_TRUE(resources.HasResource(entry.type, entry.name.c_str()) || entry.name.empty());

            if (entry.type == B_MESSAGE_TYPE) {
                BMessage message;
                ASSERT_EQ(message.Unflatten(entry.data.data(), ssize_t(entry.data.size())), B_OK) << entry.name;
                std::string flat;
                ASSERT_EQ(message.Flatten(&flat), B_OK);
                BMessage again;
                ASSERT_EQ(again.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
                std::string flatAgain;
                ASSERT_EQ(again.Flatten(&flatAgain), B_OK);
                EXPECT_EQ(flat, flatAgain);
                messages++;
            }
        }
        fs::path rdef = RdefFor(path);
        if (!rdef.empty()) {
            CompareWithRdef(rdef, all);
            compared++;
        }
    }
    EXPECT_GE(resourceFiles, 20);
    EXPECT_GE(compared, 5);
    EXPECT_GE(messages, 8);
}

TEST(ResourceSamples, StaleHeadersAndSlotsAreNotRead)
{
    // An executable with an old resource header before the real area: the
    // area is where the program's headers put it.
    BResources program((ondelle::test::SamplesDir() / "Squirrel99--testlist").c_str());
    if (program.InitCheck() == B_ENTRY_NOT_FOUND)
        GTEST_SKIP() << "sample missing";
    ASSERT_EQ(program.InitCheck(), B_OK);
    size_t size = 0;
    const char* type = static_cast<const char*>(program.LoadResource(B_MIME_STRING_TYPE, "BEOS:TYPE", &size));
    ASSERT_NE(type, nullptr);
    EXPECT_STREQ(type, "application/x-vnd.Be-elfexecutable");

    // An index table with 277 slots of which one is named in the info table.
    BResources ball((ondelle::test::SamplesDir() / "ralf-beos--Ball.rsrc").c_str());
    ASSERT_EQ(ball.InitCheck(), B_OK);
    type_code code;
    int32 id;
    const char* name;
    ASSERT_TRUE(ball.GetResourceInfo(0, &code, &id, &name, &size));
    EXPECT_EQ(code, uint32('RAW8'));
    EXPECT_STREQ(name, "Ball");
    EXPECT_EQ(size, 256u);
}
