// Menus, menu items, pop-up menus and menu fields.
#include "InterfaceTestSupport.h"

#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <SeparatorItem.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

BPopUpMenu* ThreeItems(bool radio)
{
    auto* menu = new BPopUpMenu("choices", radio, radio);
    menu->AddItem(new BMenuItem("A", new BMessage('itmA')));
    menu->AddItem(new BMenuItem("B", new BMessage('itmB')));
    menu->AddItem(new BMenuItem("C", nullptr));
    return menu;
}

// Picks the item at action index from the next pop-up menu that opens. The
// menu runs its own event loop, so a timer watches for it.
void PickWhenOpen(int actionIndex)
{
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, actionIndex] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        const auto actions = popup->actions();
        if (actionIndex >= actions.size()) {
            popup->close();
            return;
        }
        // As the user would: highlight the entry and press Return.
        popup->setActiveAction(actions[actionIndex]);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    timer->start(10);
}

// A shown window with a menu field of three items and a view that records
// what it receives.
struct FieldWindow {
    TestWindow window;
    RecordingView* recorder = new RecordingView();
    BPopUpMenu* menu = ThreeItems(true);
    BMenuField* field = new BMenuField(BRect(10, 10, 209, 34), "field", "Pick", menu);

    FieldWindow()
    {
        window->AddChild(recorder);
        window->AddChild(field);
        window.Show();
    }
};

} // namespace

TEST(MenuTest, ItemsAreOwnedInsertedFoundAndRemoved)
{
    std::unique_ptr<BPopUpMenu> menu(ThreeItems(false));
    ASSERT_EQ(menu->CountItems(), 3);
    auto* first = new BMenuItem("first", nullptr);
    EXPECT_TRUE(menu->AddItem(first, 0));
    EXPECT_EQ(menu->ItemAt(0), first);
    EXPECT_EQ(first->Menu(), menu.get());
    EXPECT_EQ(menu->IndexOf(first), 0);

    // An item already in a menu, or an index past the end, is refused.
    EXPECT_FALSE(menu->AddItem(first));
    BMenuItem loose("loose", nullptr);
    EXPECT_FALSE(menu->AddItem(&loose, 9));
    EXPECT_EQ(loose.Menu(), nullptr);

    EXPECT_EQ(menu->FindItem("B"), menu->ItemAt(2));
    EXPECT_EQ(menu->FindItem('itmA'), menu->ItemAt(1));
    EXPECT_EQ(menu->FindItem("missing"), nullptr);
    EXPECT_EQ(menu->ItemAt(4), nullptr);
    EXPECT_EQ(menu->ItemAt(-1), nullptr);

    std::unique_ptr<BMenuItem> removed(menu->RemoveItem(int32(1)));
    ASSERT_NE(removed, nullptr);
    EXPECT_STREQ(removed->Label(), "A");
    EXPECT_EQ(removed->Menu(), nullptr);
    EXPECT_EQ(menu->CountItems(), 3);
    EXPECT_EQ(menu->RemoveItem(int32(7)), nullptr);

    // Deleting an item still in the menu takes it out first.
    delete menu->ItemAt(0);
    EXPECT_EQ(menu->CountItems(), 2);
    EXPECT_STREQ(menu->ItemAt(0)->Label(), "B");
    EXPECT_TRUE(menu->RemoveItems(0, 2, true));
    EXPECT_EQ(menu->CountItems(), 0);
}

TEST(MenuTest, RadioModeKeepsOneMark)
{
    std::unique_ptr<BPopUpMenu> radio(ThreeItems(true));
    radio->ItemAt(0)->SetMarked(true);
    radio->ItemAt(2)->SetMarked(true);
    EXPECT_FALSE(radio->ItemAt(0)->IsMarked());
    EXPECT_EQ(radio->FindMarked(), radio->ItemAt(2));
    EXPECT_EQ(radio->FindMarkedIndex(), 2);

    std::unique_ptr<BPopUpMenu> free(ThreeItems(false));
    free->ItemAt(0)->SetMarked(true);
    free->ItemAt(2)->SetMarked(true);
    EXPECT_TRUE(free->ItemAt(0)->IsMarked());
    EXPECT_EQ(free->FindMarkedIndex(), 0);
}

TEST(MenuTest, SeparatorsAndDisabledMenus)
{
    std::unique_ptr<BPopUpMenu> menu(ThreeItems(true));
    ASSERT_TRUE(menu->AddSeparatorItem());
    BMenuItem* separator = menu->ItemAt(3);
    ASSERT_NE(dynamic_cast<BSeparatorItem*>(separator), nullptr);
    separator->SetEnabled(true);
    separator->SetMarked(true);
    EXPECT_FALSE(separator->IsEnabled());
    EXPECT_FALSE(separator->IsMarked());

    EXPECT_TRUE(menu->ItemAt(0)->IsEnabled());
    menu->SetEnabled(false);
    EXPECT_FALSE(menu->ItemAt(0)->IsEnabled());
    menu->SetEnabled(true);
    menu->ItemAt(1)->SetEnabled(false);
    EXPECT_FALSE(menu->ItemAt(1)->IsEnabled());
}

TEST(MenuTest, InvokedItemsSendToTheirTarget)
{
    FieldWindow setup;
    auto* recorder = setup.recorder;
    BPopUpMenu* menu = setup.menu;
    TestWindow& window = setup.window;

    ASSERT_TRUE(window->Lock());
    menu->ItemAt(1)->SetTarget(recorder);
    EXPECT_EQ(menu->ItemAt(1)->Invoke(), B_OK);
    // No message: nothing to send.
    EXPECT_EQ(menu->ItemAt(2)->Invoke(), B_BAD_VALUE);
    menu->ItemAt(0)->SetEnabled(false);
    EXPECT_EQ(menu->ItemAt(0)->Invoke(), B_ERROR);
    window->Unlock();

    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    const BMessage sent = recorder->Messages()[0];
    EXPECT_EQ(sent.what, uint32('itmB'));
    int32 index = -1;
    EXPECT_EQ(sent.FindInt32("index", &index), B_OK);
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(sent.HasInt64("when"));
    EXPECT_TRUE(sent.HasPointer("source"));
}

TEST(MenuTest, MenuFieldShowsTheMarkedLabelAndPicksByMouse)
{
    FieldWindow setup;
    auto* recorder = setup.recorder;
    BPopUpMenu* menu = setup.menu;
    auto* field = setup.field;
    TestWindow& window = setup.window;

    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(field->Divider(), 99.0f);
    EXPECT_STREQ(field->Label(), "Pick");
    EXPECT_EQ(field->MenuText(), "");
    menu->ItemAt(0)->SetMarked(true);
    EXPECT_EQ(field->MenuText(), "A");
    menu->SetTargetForItems(recorder);
    window->Unlock();

    // A click on the bar opens the pop-up; picking B marks and sends it.
    PickWhenOpen(1);
    const BRect bar = field->MenuBarFrame();
    QTest::mouseClick(field->_Widget(), Qt::LeftButton, Qt::NoModifier,
        QPoint(int(bar.left + 20), int(bar.top + 5)));
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(recorder->Messages()[0].what, uint32('itmB'));
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(field->MenuText(), "B");
    EXPECT_FALSE(menu->ItemAt(0)->IsMarked());

    // A disabled field does not open.
    field->SetEnabled(false);
    window->Unlock();
    QTest::mouseClick(field->_Widget(), Qt::LeftButton, Qt::NoModifier,
        QPoint(int(bar.left + 20), int(bar.top + 5)));
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(recorder->Count(), 1u);
}

namespace {

// A window that keeps the item messages it receives.
class RecordingWindow : public BWindow {
public:
    RecordingWindow() : BWindow(BRect(100, 100, 399, 199), "Record", B_TITLED_WINDOW, 0) {}

    void MessageReceived(BMessage* message) override
    {
        if (message->what == 'itmA' || message->what == 'itmB') {
            std::lock_guard lock(fMutex);
            fCommands.push_back(message->what);
            return;
        }
        BWindow::MessageReceived(message);
    }

    std::vector<uint32> Commands()
    {
        std::lock_guard lock(fMutex);
        return fCommands;
    }

private:
    std::mutex fMutex;
    std::vector<uint32> fCommands;
};

} // namespace

TEST(MenuTest, ItemsWithoutATargetSendToTheFieldsWindow)
{
    // Not yet shown by a field: there is nowhere to send.
    std::unique_ptr<BPopUpMenu> loose(ThreeItems(true));
    EXPECT_EQ(loose->ItemAt(0)->Invoke(), B_BAD_PORT_ID);

    auto* window = new RecordingWindow();
    BPopUpMenu* menu = ThreeItems(true);
    window->AddChild(new BMenuField(BRect(10, 10, 209, 34), "field", nullptr, menu));
    window->Show();
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(menu->ItemAt(1)->Invoke(), B_OK);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return window->Commands() == std::vector<uint32>{'itmB'}; }));
    if (window->Lock())
        window->Quit();
}
