// The installer's application shows the tool tips its windows ask for: the
// pointer moved onto the folder button brings up the tip window at the
// application's pulse, and moving off takes it away.
// The window's headers go first: the engine's InstallConfig.h has a member
// named like a macro the C library's stdbool.h makes in C++.
#include <InstallApp.h>
#include <InstallerWin.h>

#include "../platform_interface/InterfaceTestSupport.h"

#include <LibTipString.h>
#include <LibTipWin.h>
#include <MessageQueue.h>

#include <QApplication>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Hands what waits in the application's queue to the application, as its
// loop does (the test's application does not run its loop).
void Deliver(InstallApp& app)
{
    BMessageQueue* queue = app.MessageQueue();
    for (;;) {
        queue->Lock();
        BMessage* message = queue->NextMessage();
        queue->Unlock();
        if (message == nullptr)
            return;
        std::unique_ptr<BMessage> owned(message);
        app.Lock();
        app.DispatchMessage(message, &app);
        app.Unlock();
    }
}

bool TipShown(InstallApp& app, std::string* text = nullptr)
{
    LibTipWin* tip = app.TipHost().TipWindow();
    if (tip == nullptr || !tip->Lock())
        return false;
    const bool shown = !tip->IsHidden();
    if (text != nullptr && tip->TextView() != nullptr)
        *text = tip->TextView()->Text();
    tip->Unlock();
    return shown;
}

} // namespace

TEST(InstallAppTipTest, ThePointerOnTheFolderButtonBringsUpItsTipWindow)
{
    InstallApp app("no build");
    auto* window = new InstallerWin();
    {
        ASSERT_TRUE(window->Lock());
        window->ButtonPressed();  // the installation choices, with the folder button
        window->Unlock();
    }
    window->Show();
    QWidget* top = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->findChild<QWidget*>("folder") != nullptr)
                top = widget;
        return top != nullptr;
    }));
    top->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == top; }));
    QWidget* folder = top->findChild<QWidget*>("folder");
    ASSERT_NE(folder, nullptr);

    // Real pointer motion: from the window's corner onto the button.
    QTest::mouseMove(top, QPoint(2, 2));
    QTest::mouseMove(folder, folder->rect().center());
    std::string text;
    EXPECT_TRUE(WaitFor([&] {
        Deliver(app);
        return TipShown(app, &text);
    }, 10000));
    EXPECT_EQ(text, "Change destination folder");

    // Off the button: the tip goes.
    QTest::mouseMove(top, QPoint(2, 2));
    EXPECT_TRUE(WaitFor([&] {
        Deliver(app);
        return !TipShown(app);
    }));

    window->Lock();
    window->Quit();
    EXPECT_TRUE(app.QuitRequested());
}
