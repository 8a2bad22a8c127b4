// A screen reader's view over the real AT-SPI bus: of the kit, where this
// program shows a window and a client (walk_tree.py, on pyatspi) walks the
// program's accessible tree over the bus while the program keeps answering;
// and of the installer window itself, where the demo's build runs as a
// program of its own and a client (walk_installer.py) walks it, presses
// Install through the bus and walks it again.
// Run under xvfb-run and dbus-run-session with accessibility switched on
// (see tests/CMakeLists.txt); skipped when the client cannot run.
#include "../platform_interface/InterfaceTestSupport.h"
#include "../real_input/RealInputSupport.h"

#include "TestSupport.h"

#include <ListView.h>
#include <StringItem.h>
#include <StringView.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

TEST(ScreenReaderBusTest, AClientOnTheBusReadsListsValuesProgressAndTheWindow)
{
    if (qgetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON").isEmpty() || qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty())
        GTEST_SKIP() << "no session bus with accessibility switched on";
    TestWindow window(BRect(100, 100, 399, 299));
    window->SetTitle("Reader Test");
    auto* groups = new BListView(BRect(10, 10, 100, 80), "groups");
    BStringItem typical("Typical");
    BStringItem minimum("Minimum");
    groups->AddItem(&typical);
    groups->AddItem(&minimum);
    groups->Select(1);
    auto* size = new BStringView(BRect(110, 10, 280, 25), "install_size", "3.6 KB");
    size->SetAccessibleName("Size of the selection");
    auto* progress = new BView(BRect(110, 40, 200, 50), "install_progress", B_FOLLOW_NONE, B_WILL_DRAW);
    window->AddChild(groups);
    window->AddChild(size);
    window->AddChild(progress);
    progress->SetAccessibleRange(0, 100, 42);
    window.Show();

    QProcess client;
    client.start(QStringLiteral(ONDELLE_SYSTEM_PYTHON), {QStringLiteral(ONDELLE_WALK_TREE),
        QCoreApplication::applicationName(), QStringLiteral("60")});
    ASSERT_TRUE(client.waitForStarted(10000));
    // The program answers the client's questions on this thread meanwhile.
    ASSERT_TRUE(WaitFor([&] { return client.state() == QProcess::NotRunning; }, 120000));
    if (client.exitCode() == 3)
        GTEST_SKIP() << "python3-pyatspi is not installed (scripts/setup-deps.sh)";
    ASSERT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    const std::string tree = client.readAllStandardOutput().toStdString();

    EXPECT_NE(tree.find("frame 'Reader Test'"), std::string::npos) << tree;
    EXPECT_NE(tree.find("list 'groups'"), std::string::npos) << tree;
    EXPECT_NE(tree.find("list item 'Typical' children=0"), std::string::npos) << tree;
    EXPECT_NE(tree.find("list item 'Minimum' selected"), std::string::npos) << tree;
    EXPECT_NE(tree.find("'Size of the selection' text='3.6 KB'"), std::string::npos) << tree;
    EXPECT_NE(tree.find("progress bar 'install_progress' value=42/100"), std::string::npos) << tree;

    ASSERT_TRUE(window->Lock());
    groups->MakeEmpty();
    window->Unlock();
}

TEST(ScreenReaderBusTest, AClientOnTheBusWalksTheInstallerWindowAndInstallsThroughIt)
{
    if (qgetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON").isEmpty() || qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty())
        GTEST_SKIP() << "no session bus with accessibility switched on";
    namespace fs = std::filesystem;
    // Everything lives in the test's sandbox: HOME, the settings and the
    // temporary folder point into it, and so the destination does.
    const fs::path root = ondelle::test::SandboxRoot();
    ASSERT_FALSE(root.empty());
    const fs::path home = std::getenv("HOME");
    const fs::path build = root / "reader-build" / "SkylarkSetup";
    fs::create_directories(build.parent_path());
    ASSERT_EQ(realinput::MakeDemoBuild(build), "");
    // The license is agreed to by the test hook; the rest is the client's.
    const fs::path script = root / "reader.drive";
    ondelle::test::WriteFileBytes(script, "timeout 60\nwait InstallerWin\npress InstallerWin Agree\n"
                                          "state choosing\n");
    realinput::DrivenProgram program(build, script, root / "reader-pictures");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitFor("driver: done")) << program.Report();

    QProcess client;
    client.start(QStringLiteral(ONDELLE_SYSTEM_PYTHON), {QStringLiteral(ONDELLE_WALK_INSTALLER),
        QStringLiteral("ondelle"), QStringLiteral("60")});
    ASSERT_TRUE(client.waitForStarted(10000));
    ASSERT_TRUE(client.waitForFinished(200000));
    if (client.exitCode() == 3)
        GTEST_SKIP() << "python3-pyatspi is not installed (scripts/setup-deps.sh)";
    const std::string tree = client.readAllStandardOutput().toStdString();
    ASSERT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString() << tree << program.Report();
    const size_t split = tree.find("== installed");
    ASSERT_NE(split, std::string::npos) << tree;
    const std::string choices = tree.substr(0, split);
    const std::string installed = tree.substr(split);

    // The window, its lists with their entries and what is selected.
    for (const char* line : {"frame 'Skylark Notes'", "list 'Groups'", "list item 'Typical' selected",
             "list item 'Minimum' children", "list item 'Full' children", "list 'Files' multiselectable",
             "list item 'SkylarkNotes' selected", "list item 'libskylark.so' selected",
             "list item 'skylark-sync' multiselectable children", "list item 'skylark.conf' multiselectable children",
             "push button 'Change destination folder'", "push button 'Install'",
             "label 'Groups' text='Groups'", "label 'Files' text='Files'",
             "label 'Select destination folder and press Install' text="})
        EXPECT_NE(choices.find(line), std::string::npos) << line << "\n" << choices;
    // The values: the selection's size, the free space, the destination.
    EXPECT_TRUE(std::regex_search(choices, std::regex("label 'Size of the selection' text='[1-9][0-9]*\\.[0-9] MB'")))
        << choices;
    EXPECT_NE(choices.find("label 'Signature' text='Verified against its manifest; not signed.'"), std::string::npos)
        << choices;
    const size_t free = choices.find("label 'Free space' text='");
    ASSERT_NE(free, std::string::npos) << choices;
    EXPECT_NE(choices.substr(free, choices.find('\n', free) - free).find(" MB'"), std::string::npos) << choices;
    EXPECT_NE(choices.find("label 'Destination folder' text='" + (home / "Applications").string() + "'"),
        std::string::npos) << choices;
    EXPECT_NE(choices.find("progress bar 'Progress' value=0/100"), std::string::npos) << choices;
    // The Disk menu reads out the disk it shows.
    const size_t disk = choices.find("combo box 'Disk' text='");
    ASSERT_NE(disk, std::string::npos) << choices;
    EXPECT_NE(choices.compare(disk + std::string("combo box 'Disk' text='").size(), 1, "'"), 0) << choices;

    // Install, pressed over the bus, ran to its end: the progress bar is
    // full and the question about running the program is read out.
    EXPECT_NE(installed.find("progress bar 'Progress' value=100/100"), std::string::npos) << installed;
    EXPECT_NE(installed.find("push button 'Later'"), std::string::npos) << installed;
    EXPECT_TRUE(fs::exists(home / "Applications/Skylark Notes/SkylarkNotes"));
}
