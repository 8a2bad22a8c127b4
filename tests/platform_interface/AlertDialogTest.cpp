#include "InterfaceTestSupport.h"

#include <Alert.h>
#include <QtAlertPresenter.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class PresenterScope {
public:
    explicit PresenterScope(BAlertPresenter* presenter) { set_alert_presenter(presenter); }
    ~PresenterScope() { set_alert_presenter(nullptr); }
};

QDialog* OpenAlert()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->objectName() == "alert")
            return dialog;
    }
    return nullptr;
}

// The dialog runs a nested event loop on this thread, so the test acts on
// it from a timer that fires inside that loop.
void WhenShown(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (QDialog* dialog = OpenAlert()) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start(10);
}

} // namespace

TEST(AlertDialogTest, WorkerWaitsForTheAnswerWhileTheGuiThreadRuns)
{
    QtAlertPresenter presenter;
    PresenterScope scope(&presenter);
    std::atomic<int32> answer{-1};
    std::atomic<bool> checked{false};
    std::thread worker([&] {
        BAlert alert("Replace", "\"Read Me\" exists already.", "Skip", "Rename", "Replace",
            B_WIDTH_AS_USUAL, B_WARNING_ALERT);
        alert.AddFact("Existing", "1.2 KB, 2024-01-01");
        alert.SetCheckBox("Apply to all future collisions", false);
        const BAlertAnswer result = alert.Ask();
        checked = result.checkBox;
        answer = result.button;
    });

    WhenShown([&](QDialog* dialog) {
        // The worker is still waiting while the dialog shows.
        EXPECT_EQ(answer.load(), -1);
        auto* text = dialog->findChild<QLabel*>("alert_text");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(), QString("\"Read Me\" exists already."));
        auto* box = dialog->findChild<QCheckBox*>("alert_check_box");
        ASSERT_NE(box, nullptr);
        box->setChecked(true);
        // The rightmost button is the default one.
        EXPECT_TRUE(dialog->findChild<QPushButton*>("alert_button_2")->isDefault());
        auto* rename = dialog->findChild<QPushButton*>("alert_button_1");
        ASSERT_NE(rename, nullptr);
        EXPECT_EQ(rename->text(), QString("Rename"));
        rename->click();
    });

    ASSERT_TRUE(WaitFor([&] { return answer.load() != -1; }));
    worker.join();
    EXPECT_EQ(answer.load(), 1);
    EXPECT_TRUE(checked.load());
}

TEST(AlertDialogTest, ShortcutKeysAndEnterAnswer)
{
    QtAlertPresenter presenter;
    PresenterScope scope(&presenter);
    std::atomic<int32> answer{-1};
    std::thread worker([&] {
        BAlert alert("Stop", "Stop the installation?", "Cancel", "Stop", nullptr, B_WIDTH_AS_USUAL,
            B_STOP_ALERT);
        alert.SetShortcut(0, B_ESCAPE);
        alert.SetShortcut(1, 's');
        answer = alert.Go();
    });
    WhenShown([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    ASSERT_TRUE(WaitFor([&] { return answer.load() != -1; }));
    worker.join();
    EXPECT_EQ(answer.load(), 0);

    answer = -1;
    std::thread second([&] {
        BAlert alert("Stop", "Stop the installation?", "Cancel", "Stop");
        alert.SetShortcut(1, 's');
        answer = alert.Go();
    });
    WhenShown([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_S); });
    ASSERT_TRUE(WaitFor([&] { return answer.load() != -1; }));
    second.join();
    EXPECT_EQ(answer.load(), 1);

    // Enter takes the default button; Escape without a shortcut does not
    // close the alert.
    answer = -1;
    std::thread third([&] { answer = BAlert("Note", "Done.", "Open Folder", "OK").Go(); });
    WhenShown([&](QDialog* dialog) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(answer.load(), -1);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    ASSERT_TRUE(WaitFor([&] { return answer.load() != -1; }));
    third.join();
    EXPECT_EQ(answer.load(), 1);
}
