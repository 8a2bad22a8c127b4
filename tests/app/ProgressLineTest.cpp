#include <ProgressLine.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

std::string Contents(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    return text;
}

} // namespace

TEST(ProgressLineTest, DescribesShareAndTimeLeft)
{
    EXPECT_EQ(ProgressLine::Describe(0, 1000, 0), "0%");
    // A quarter done in 10 s: 30 s left.
    EXPECT_EQ(ProgressLine::Describe(250, 1000, 10), "25%, about 0:30 left");
    EXPECT_EQ(ProgressLine::Describe(1, 2, 125), "50%, about 2:05 left");
    // Rounded down: 100% only when all is done, and never beyond.
    EXPECT_EQ(ProgressLine::Describe(999, 1000, 0), "99%");
    EXPECT_EQ(ProgressLine::Describe(1000, 1000, 5), "100%");
    EXPECT_EQ(ProgressLine::Describe(2000, 1000, 5), "100%");
    EXPECT_EQ(ProgressLine::Describe(0, 0, 5), "100%");
    // Sizes beyond 32 bits do not overflow.
    EXPECT_EQ(ProgressLine::Describe(int64(3) << 40, int64(4) << 40, 0), "75%");
}

TEST(ProgressLineTest, PlainOutputHasAtMostOneLinePerTenth)
{
    std::unique_ptr<FILE, FileCloser> file(std::tmpfile());
    ASSERT_NE(file, nullptr);
    ProgressLine line(file.get(), false);
    for (int64 done = 1; done <= 100; done++) {
        line.Update(done, 100, 0);
        if (done == 55)
            line.PrintStatus("Installing 2 of 2 (b)");
    }
    line.Finish();
    std::string expected;
    for (int tenth = 1; tenth <= 10; tenth++) {
        expected += "Progress: " + std::to_string(tenth * 10) + "%\n";
        if (tenth == 5)
            expected += "Installing 2 of 2 (b)\n";
    }
    EXPECT_EQ(Contents(file.get()), expected);
}

TEST(ProgressLineTest, TerminalLineIsRedrawnBelowTheStatusLines)
{
    std::unique_ptr<FILE, FileCloser> file(std::tmpfile());
    ASSERT_NE(file, nullptr);
    ProgressLine line(file.get(), true);
    line.PrintStatus("Installing 1 of 2 (a)");
    line.Update(1, 2, 0);
    line.PrintStatus("Installing 2 of 2 (b)");
    line.Update(2, 2, 0);
    line.Finish();
    const std::string blank = "\r" + std::string(std::string("Progress: 50%").size(), ' ') + "\r";
    EXPECT_EQ(Contents(file.get()), "Installing 1 of 2 (a)\nProgress: 50%" + blank
        + "Installing 2 of 2 (b)\nProgress: 50%" + blank + "Progress: 100%\n");
}
