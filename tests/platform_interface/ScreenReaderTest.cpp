// What a screen reader reads of the kit's views through Qt's accessibility
// interfaces (the ones Qt's AT-SPI bridge serves): a list's entries and
// their selection, a value view's text, a progress bar's number, the role
// and name of windows and alerts.
#include "InterfaceTestSupport.h"

#include "AlertDialog.h"

#include <ListView.h>
#include <StringItem.h>
#include <StringView.h>

#include <QAccessible>
#include <QApplication>

#include <gtest/gtest.h>

#include <string>

namespace {

QAccessibleInterface* Face(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

std::string Name(QAccessibleInterface* face)
{
    return face != nullptr ? face->text(QAccessible::Name).toStdString() : std::string("(none)");
}

// The entries of a list as "text" or "[text]" when selected.
std::string Entries(QAccessibleInterface* list)
{
    std::string entries;
    for (int i = 0; i < list->childCount(); i++) {
        QAccessibleInterface* entry = list->child(i);
        if (entry == nullptr)
            return "(missing entry)";
        EXPECT_EQ(entry->role(), QAccessible::ListItem);
        EXPECT_EQ(entry->parent(), list);
        EXPECT_EQ(list->indexOfChild(entry), i);
        const bool selected = entry->state().selected;
        entries += (entries.empty() ? "" : " ") + std::string(selected ? "[" : "") + Name(entry)
            + (selected ? "]" : "");
    }
    return entries;
}

} // namespace

TEST(ScreenReaderTest, ListsExposeTheirEntriesAndTheSelection)
{
    TestWindow window;
    auto* single = new BListView(BRect(10, 10, 100, 100), "groups");
    auto* multiple = new BListView(BRect(110, 10, 250, 100), "files", B_MULTIPLE_SELECTION_LIST);
    BStringItem typical("Typical");
    BStringItem minimum("Minimum");
    BStringItem program("program");
    BStringItem manual("manual");
    BStringItem extra("extra");
    single->AddItem(&typical);
    single->AddItem(&minimum);
    multiple->AddItem(&program);
    multiple->AddItem(&manual);
    multiple->AddItem(&extra);
    window->AddChild(single);
    window->AddChild(multiple);
    single->Select(0);
    multiple->Select(0);
    multiple->Select(2, true);
    window.Show();

    QAccessibleInterface* groups = Face(single->_Widget());
    QAccessibleInterface* files = Face(multiple->_Widget());
    ASSERT_NE(groups, nullptr);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(groups->role(), QAccessible::List);
    EXPECT_TRUE(WaitFor([&] { return groups->childCount() == 2 && files->childCount() == 3; }));
    EXPECT_EQ(Entries(groups), "[Typical] Minimum");
    EXPECT_EQ(Entries(files), "[program] manual [extra]");
    EXPECT_TRUE(files->state().multiSelectable);
    EXPECT_FALSE(groups->state().multiSelectable);
    // An entry is found where it is drawn.
    const QRect second = groups->child(1)->rect();
    EXPECT_EQ(groups->childAt(second.center().x(), second.center().y()), groups->child(1));

    // A change of the selection is read anew, without a repaint.
    ASSERT_TRUE(window->Lock());
    single->Select(1);
    multiple->Deselect(0);
    window->Unlock();
    EXPECT_EQ(Entries(groups), "Typical [Minimum]");
    EXPECT_EQ(Entries(files), "program manual [extra]");

    // Entries that go are gone for the reader too.
    ASSERT_TRUE(window->Lock());
    multiple->RemoveItem(&extra);
    multiple->Select(1);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] { return files->childCount() == 2; }));
    EXPECT_EQ(Entries(files), "program [manual]");

    ASSERT_TRUE(window->Lock());
    single->MakeEmpty();
    multiple->MakeEmpty();
    window->Unlock();
}

TEST(ScreenReaderTest, ValueViewsReadTheirTextAndProgressItsNumber)
{
    TestWindow window;
    auto* size = new BStringView(BRect(10, 10, 200, 25), "install_size", "3.6 KB");
    size->SetAccessibleName("Size of the selection");
    auto* progress = new BView(BRect(10, 40, 100, 50), "install_progress", B_FOLLOW_NONE, B_WILL_DRAW);
    window->AddChild(size);
    window->AddChild(progress);
    progress->SetAccessibleRange(0, 100, 0);
    window.Show();

    QAccessibleInterface* text = Face(size->_Widget());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Name(text), "Size of the selection");
    ASSERT_NE(text->textInterface(), nullptr);
    EXPECT_EQ(text->textInterface()->text(0, -1).toStdString(), "3.6 KB");
    EXPECT_EQ(text->textInterface()->characterCount(), 6);
    ASSERT_TRUE(window->Lock());
    size->SetText("12.0 KB");
    window->Unlock();
    EXPECT_EQ(text->textInterface()->text(0, text->textInterface()->characterCount()).toStdString(), "12.0 KB");

    QAccessibleInterface* bar = Face(progress->_Widget());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toDouble(), 0.0);
    ASSERT_TRUE(window->Lock());
    progress->SetAccessibleRange(0, 100, 42);
    window->Unlock();
    EXPECT_EQ(bar->valueInterface()->currentValue().toDouble(), 42.0);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toDouble(), 100.0);
    EXPECT_EQ(bar->text(QAccessible::Value).toStdString(), "42");
}

TEST(ScreenReaderTest, WindowsAndAlertsHaveTheirRolesAndNames)
{
    TestWindow window;
    window->SetTitle("Skylark Notes Installer");
    window.Show();
    QAccessibleInterface* top = Face(window->_Widget()->window());
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->role(), QAccessible::Window);
    EXPECT_EQ(Name(top), "Skylark Notes Installer");

    // An alert without a title is named by the first line of its text.
    BAlertRequest request;
    request.text = "The folder 'Skylark Notes' already exists.\nDo you wish to replace?";
    request.buttons = {"Cancel", "Replace"};
    BPrivate::AlertDialog alert(request);
    QAccessibleInterface* face = Face(&alert);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::AlertMessage);
    EXPECT_EQ(Name(face), "The folder 'Skylark Notes' already exists.");
    alert.setWindowTitle("Skylark Notes");
    EXPECT_EQ(Name(face), "Skylark Notes");
}
