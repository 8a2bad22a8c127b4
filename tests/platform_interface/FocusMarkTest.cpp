// The keyboard focus must be visible: every focusable view draws the
// platform's navigation mark while it has the focus, and only then.
#include "InterfaceTestSupport.h"

#include "AlertDialog.h"

#include <Button.h>
#include <CheckBox.h>
#include <ListView.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Picture.h>
#include <PictureButton.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsNavigationColour(QRgb pixel)
{
    const rgb_color mark = ui_color(B_KEYBOARD_NAVIGATION_COLOR);
    return qRed(pixel) == mark.red && qGreen(pixel) == mark.green && qBlue(pixel) == mark.blue;
}

struct Difference {
    int changed = 0;     // pixels that differ between the two pictures
    int navigation = 0;  // pixels of the second in the navigation colour
};

Difference Compare(const QImage& before, const QImage& after, const QRect& area)
{
    Difference result;
    for (int y = area.top(); y <= area.bottom(); y++) {
        for (int x = area.left(); x <= area.right(); x++) {
            if (before.pixel(x, y) != after.pixel(x, y))
                result.changed++;
            if (IsNavigationColour(after.pixel(x, y)))
                result.navigation++;
        }
    }
    return result;
}

QImage Shot(QWidget* top)
{
    QCoreApplication::processEvents();
    return top->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The view's area in the window's picture, its surroundings included (a
// scroll view's border belongs to the mark of its target).
QRect AreaOf(BView* view, QWidget* top, int margin)
{
    QWidget* widget = view->_Widget();
    const QPoint origin = widget->mapTo(top, QPoint(0, 0));
    return QRect(origin, widget->size()).adjusted(-margin, -margin, margin, margin).intersected(top->rect());
}

} // namespace

TEST(FocusMarkTest, EveryFocusableViewShowsTheMarkOnlyWhileFocused)
{
    TestWindow window(BRect(100, 100, 499, 399));
    auto* list = new BListView(BRect(10, 10, 109, 89), "list", B_MULTIPLE_SELECTION_LIST,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    BStringItem first("first");
    BStringItem second("second");
    list->AddItem(&first);
    list->AddItem(&second);
    window->AddChild(new BScrollView("list_scroll", list, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, false, true));
    auto* text = new BTextView(BRect(150, 10, 279, 89), "text", BRect(0, 0, 120, 70), B_FOLLOW_NONE,
        B_WILL_DRAW | B_NAVIGABLE);
    text->MakeEditable(false);
    text->MakeSelectable(false);
    text->SetText("A license to read.");
    window->AddChild(new BScrollView("text_scroll", text, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, false, true,
        B_FANCY_BORDER));
    BPicture picture;
    auto* pictureButton = new BPictureButton(BRect(10, 120, 33, 143), "picture", &picture, &picture,
        new BMessage('pict'));
    window->AddChild(pictureButton);
    auto* menu = new BMenu("choices");
    menu->AddItem(new BMenuItem("First", new BMessage('frst')));
    menu->SetLabelFromMarked(true);
    menu->ItemAt(0)->SetMarked(true);
    auto* field = new BMenuField(BRect(60, 120, 260, 140), "field", "Disk:", menu);
    window->AddChild(field);
    auto* button = new BButton(BRect(10, 170, 100, 194), "ok", "Install", new BMessage('ok  '));
    window->AddChild(button);
    auto* check = new BCheckBox(BRect(120, 170, 300, 190), "check", "Apply to all", new BMessage('chck'));
    window->AddChild(check);
    window.Show();
    QWidget* top = window->_Widget();
    top->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == top; }));

    BView* views[] = {list, text, pictureButton, field, button, check};
    for (BView* view : views) {
        SCOPED_TRACE(view->Name());
        // Nothing has the focus in the "before" picture: the window's focus
        // is on a view elsewhere, or on none.
        ASSERT_TRUE(window->Lock());
        if (BView* focus = window->CurrentFocus())
            focus->MakeFocus(false);
        window->Unlock();
        QApplication::processEvents();
        const QRect area = AreaOf(view, top, 2);
        const QImage before = Shot(top);
        EXPECT_EQ(Compare(before, before, area).navigation, 0);

        ASSERT_TRUE(window->Lock());
        view->MakeFocus(true);
        window->Unlock();
        // The view's widget stands in for its native control (its focus proxy).
        QWidget* target = view->_Widget();
        ASSERT_TRUE(WaitFor([&] { return target->hasFocus(); }));
        // The mark: a line or frame of the navigation colour, at least a
        // label's or a side's length, that was not there before.
        const Difference focused = Compare(before, Shot(top), area);
        EXPECT_GE(focused.navigation, 20);
        EXPECT_GE(focused.changed, focused.navigation);

        // And it goes with the focus.
        ASSERT_TRUE(window->Lock());
        view->MakeFocus(false);
        window->Unlock();
        ASSERT_TRUE(WaitFor([&] { return !target->hasFocus(); }));
        EXPECT_EQ(Compare(before, Shot(top), area).navigation, 0);
    }
    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}

TEST(FocusMarkTest, AlertButtonsShowWhichOneHasTheFocus)
{
    BAlertRequest request;
    request.title = "Replace";
    request.text = "Replace the file?";
    request.buttons = {"Cancel", "Replace"};
    request.defaultButton = 1;
    request.checkBoxLabel = "Apply to all";
    BPrivate::AlertDialog dialog(request);
    dialog.setModal(false);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &dialog; }));

    auto* cancel = dialog.findChild<QPushButton*>("alert_button_0");
    auto* replace = dialog.findChild<QPushButton*>("alert_button_1");
    auto* check = dialog.findChild<QWidget*>("alert_check_box");
    ASSERT_NE(cancel, nullptr);
    ASSERT_NE(replace, nullptr);
    ASSERT_NE(check, nullptr);
    for (QWidget* widget : {static_cast<QWidget*>(cancel), static_cast<QWidget*>(replace), check}) {
        SCOPED_TRACE(widget->objectName().toStdString());
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(WaitFor([&] { return widget->hasFocus(); }));
        const QImage shot = Shot(&dialog);
        for (QWidget* other : {static_cast<QWidget*>(cancel), static_cast<QWidget*>(replace), check}) {
            const QRect area(other->mapTo(&dialog, QPoint(0, 0)), other->size());
            const int marked = Compare(shot, shot, area).navigation;
            if (other == widget)
                EXPECT_GE(marked, 20);
            else
                EXPECT_EQ(marked, 0);
        }
    }
    dialog.close();
}
