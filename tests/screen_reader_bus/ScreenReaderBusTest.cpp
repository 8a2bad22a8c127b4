// A screen reader's view of the kit over the real AT-SPI bus: this program
// shows a window, and a client (walk_tree.py, on pyatspi) walks the
// program's accessible tree over the bus while the program keeps answering.
// Run under xvfb-run and dbus-run-session with accessibility switched on
// (see tests/CMakeLists.txt); skipped when the client cannot run.
#include "../platform_interface/InterfaceTestSupport.h"

#include <ListView.h>
#include <StringItem.h>
#include <StringView.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

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
