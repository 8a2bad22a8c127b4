// The install journal as a later run finds it: cut anywhere, with or
// without the mark that the job's work stays.
#include "TestSupport.h"

#include <InstallJournal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(InstallJournalTest, AJournalCutInsideItsFirstLineChangedNothingAndGoes)
{
    TempDir dir;
    WriteFileBytes(dir / "keep.txt", "the user's\n");
    for (const std::string& text : {std::string(), std::string("ondelle-jour"), std::string("ondelle-journal 1")}) {
        SCOPED_TRACE(text);
        const fs::path journal = dir / ".Product.ondelle-journal";
        WriteFileBytes(journal, text);
        InstallJournal::Outcome outcome;
        EXPECT_EQ(InstallJournal::Recover(journal.string(), outcome), B_OK);
        EXPECT_FALSE(fs::exists(journal));
        EXPECT_TRUE(outcome.problems.empty());
        EXPECT_EQ(outcome.changes, 0);
    }
    EXPECT_EQ(ReadFileBytes(dir / "keep.txt"), "the user's\n");

    // Anything else is no journal of ours: it is left alone and said so.
    const fs::path foreign = dir / ".Other.ondelle-journal";
    WriteFileBytes(foreign, "something else\ncreate\t/x\n");
    InstallJournal::Outcome outcome;
    EXPECT_EQ(InstallJournal::Recover(foreign.string(), outcome), B_BAD_DATA);
    EXPECT_TRUE(fs::exists(foreign));
    EXPECT_FALSE(outcome.problems.empty());
}

TEST(InstallJournalTest, AJobDeadBeforeItsMarkIsTakenBackAndAfterItIsCompleted)
{
    for (const bool marked : {false, true}) {
        SCOPED_TRACE(marked);
        TempDir dir;
        const fs::path file = dir / "settings.conf";
        WriteFileBytes(file, "the user's settings\n");
        const fs::path journalPath = dir / ".Product.ondelle-journal";
        {
            InstallJournal journal;
            ASSERT_EQ(journal.Begin(journalPath.string()), B_OK);
            // The job sets the user's file aside and writes its own.
            ASSERT_EQ(journal.SetAside(file.string()), B_OK);
            ASSERT_EQ(journal.WillCreate(file.string()), B_OK);
            WriteFileBytes(file, "the product's settings\n");
            journal.Done();
            if (marked) {
                ASSERT_EQ(journal.MarkCommitted(), B_OK);
            }
            // Killed here: the file stays as it was written.
            journal.Close();
        }
        InstallJournal::Outcome outcome;
        ASSERT_EQ(InstallJournal::Recover(journalPath.string(), outcome), B_OK);
        EXPECT_TRUE(outcome.problems.empty());
        EXPECT_EQ(outcome.committed, marked);
        EXPECT_EQ(ReadFileBytes(file), marked ? "the product's settings\n" : "the user's settings\n");
        EXPECT_FALSE(fs::exists(journalPath));
        // Nothing set aside is left over either way.
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            EXPECT_EQ(entry.path().filename().string().find(".ondelle-aside"), std::string::npos) << entry.path();
        }
    }
}
