#include "InterfaceTestSupport.h"

#include <Box.h>
#include <Button.h>
#include <StringView.h>

#include <QAccessible>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

// What a screen reader reads of the widget.
std::string Read(QWidget* widget, QAccessible::Text kind = QAccessible::Name)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(kind).toStdString() : std::string("(none)");
}

} // namespace

TEST(AccessibleNamesTest, LabelsAndTextsNameTheViewsUntilANameIsGiven)
{
    TestWindow window;
    auto* button = new BButton(BRect(10, 10, 110, 35), "save_button", "Save & Quit", new BMessage('save'));
    auto* text = new BStringView(BRect(10, 40, 200, 55), "status_line", "Ready");
    auto* box = new BBox(BRect(10, 60, 200, 150), "options_box");
    auto* plain = new BView(BRect(0, 0, 5, 5), "plain", B_FOLLOW_NONE, 0);
    window->AddChild(button);
    window->AddChild(text);
    window->AddChild(box);
    window->AddChild(plain);
    box->SetLabel("Options");

    QWidget* native = window->_Widget()->findChild<QPushButton*>("save_button");
    ASSERT_NE(native, nullptr);
    // The label as the user reads it, '&' included.
    EXPECT_EQ(Read(native), "Save & Quit");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(native)->role(), QAccessible::Button);
    EXPECT_EQ(Read(text->_Widget()), "Ready");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(text->_Widget())->role(), QAccessible::StaticText);
    EXPECT_EQ(Read(box->_Widget()), "Options");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(box->_Widget())->role(), QAccessible::Grouping);
    EXPECT_EQ(Read(plain->_Widget()), "plain");

    // New texts are read anew; a name given wins over the text, which is
    // then the value, and taking the name back restores the text.
    button->SetLabel("Stop");
    text->SetText("Copying");
    EXPECT_EQ(Read(native), "Stop");
    EXPECT_EQ(Read(text->_Widget()), "Copying");
    text->SetAccessibleName("Status");
    text->SetAccessibleDescription("What is being done");
    EXPECT_EQ(Read(text->_Widget()), "Status");
    EXPECT_EQ(Read(text->_Widget(), QAccessible::Value), "Copying");
    EXPECT_EQ(Read(text->_Widget(), QAccessible::Description), "What is being done");
    text->SetText("Done");
    EXPECT_EQ(Read(text->_Widget()), "Status");
    EXPECT_EQ(Read(text->_Widget(), QAccessible::Value), "Done");
    text->SetAccessibleName(nullptr);
    EXPECT_EQ(Read(text->_Widget()), "Done");
}
