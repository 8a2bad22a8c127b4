#include "WindowTestSupport.h"

#include <Alert.h>
#include <ReplaceAlert.h>
#include <ReplaceQuestion.h>
#include <StringView.h>

#include <QAccessible>
#include <QApplication>
#include <QWidget>

#include <atomic>
#include <future>
#include <map>
#include <string>

using namespace windowtest;

namespace {

struct Accessible {
    QAccessible::Role role = QAccessible::NoRole;
    std::string name;
    std::string description;
    std::string value;
};

std::string Text(QAccessibleInterface* face, QAccessible::Text kind)
{
    return face->text(kind).toStdString();
}

// Everything a screen reader finds below the window's widget, by object
// name (the view's name): Qt's accessibility tree walked from the top.
std::map<std::string, Accessible> Walk(QWidget* top)
{
    std::map<std::string, Accessible> found;
    std::function<void(QAccessibleInterface*)> visit = [&](QAccessibleInterface* face) {
        if (face == nullptr)
            return;
        if (QObject* object = face->object(); object != nullptr && !object->objectName().isEmpty()) {
            Accessible& entry = found[object->objectName().toStdString()];
            // A view with a native widget shows twice (its pane, then the
            // widget): the inner one, which takes the focus, counts.
            entry.role = face->role();
            entry.name = Text(face, QAccessible::Name);
            entry.description = Text(face, QAccessible::Description);
            entry.value = Text(face, QAccessible::Value);
        }
        for (int i = 0; i < face->childCount(); i++)
            visit(face->child(i));
    };
    visit(QAccessible::queryAccessibleInterface(top));
    return found;
}

// Every view of the tree below view with a name.
void NamedViews(BView* view, std::vector<std::string>& names)
{
    for (int32 i = 0; i < view->CountChildren(); i++) {
        BView* child = view->ChildAt(i);
        if (child->Name() != nullptr && child->Name()[0] != '\0')
            names.push_back(child->Name());
        NamedViews(child, names);
    }
}

std::vector<std::string> NamedViews(BWindow* window)
{
    std::vector<std::string> names;
    Locked lock(window);
    for (int32 i = 0; i < window->CountChildren(); i++) {
        BView* child = window->ChildAt(i);
        if (child->Name() != nullptr)
            names.push_back(child->Name());
        NamedViews(child, names);
    }
    return names;
}

// Every named view of the window is in the tree under a name a person can
// read (not a view name such as "_b1_" or "custom_list").
void ExpectEveryViewReadable(BWindow* window, std::map<std::string, Accessible>& tree)
{
    for (const std::string& view : NamedViews(window)) {
        ASSERT_TRUE(tree.count(view)) << view;
        EXPECT_FALSE(tree[view].name.empty()) << view;
        EXPECT_EQ(tree[view].name.find('_'), std::string::npos) << view << ": " << tree[view].name;
    }
}

} // namespace

TEST(AccessibilityTest, EveryViewOfTheInstallerWindowIsNamedForAScreenReader)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    QWidget* top = ShownTopWidget(window->Title());
    ASSERT_NE(top, nullptr);
    std::map<std::string, Accessible> tree = Walk(top);

    ExpectEveryViewReadable(window, tree);

    EXPECT_EQ(tree["button"].role, QAccessible::Button);
    EXPECT_EQ(tree["button"].name, "Agree");
    EXPECT_EQ(tree["license_box"].role, QAccessible::Grouping);
    EXPECT_EQ(tree["license_box"].name, "License");
    EXPECT_EQ(tree["install_box"].name, "Installation");
    EXPECT_EQ(tree["license_text"].name, "License");
    EXPECT_EQ(tree["install_type"].role, QAccessible::List);
    EXPECT_EQ(tree["install_type"].name, "Groups");
    EXPECT_EQ(tree["custom_list"].role, QAccessible::List);
    EXPECT_EQ(tree["custom_list"].name, "Files");
    EXPECT_FALSE(tree["custom_list"].description.empty());
    EXPECT_EQ(tree["file_label"].role, QAccessible::StaticText);
    EXPECT_EQ(tree["file_label"].name, "Files");
    EXPECT_EQ(tree["instruction"].name, "Read license and select Agree button");
    EXPECT_EQ(tree["folder"].role, QAccessible::Button);
    EXPECT_EQ(tree["folder"].name, "Change destination folder");
    EXPECT_EQ(tree["menu"].role, QAccessible::ComboBox);
    EXPECT_EQ(tree["menu"].name, "Disk");
    {
        // Value views are read with what they show now.
        Locked lock(window);
        EXPECT_EQ(tree["install_size"].name, "Size of the selection");
        EXPECT_EQ(tree["install_size"].value, Find<BStringView>(window, "install_size")->Text());
        EXPECT_EQ(tree["destination"].value, Find<BStringView>(window, "destination")->Text());
    }

    // The main button and the instruction line are read anew as they change.
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    tree = Walk(top);
    EXPECT_EQ(tree["button"].name, "Install");
    EXPECT_EQ(tree["instruction"].name, "Select destination folder and press Install");
    EXPECT_EQ(tree["instruction"].value, "Select destination folder and press Install");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(top->findChild<QWidget*>("install_box"))
                    ->state().invisible == false);
}

TEST(AccessibilityTest, TheReplaceAlertReadsItsQuestionFactsAndAnswers)
{
    ReplaceRun run;
    ReplaceAlert* alert = run.alert.load();
    ASSERT_NE(alert, nullptr);
    const BAlertRequest& request = run.request;
    QWidget* top = ShownTopWidget("ReplaceAlert");
    ASSERT_NE(top, nullptr);
    std::map<std::string, Accessible> tree = Walk(top);

    ExpectEveryViewReadable(alert, tree);
    EXPECT_EQ(tree["message"].name, request.text);
    EXPECT_EQ(tree["_b0_"].name, "Don't Replace");
    EXPECT_EQ(tree["_b1_"].name, "Replace");
    EXPECT_EQ(tree["_b1_"].role, QAccessible::Button);
    EXPECT_EQ(tree["future_collisions"].role, QAccessible::CheckBox);
    EXPECT_EQ(tree["future_collisions"].name, "Apply to all future collisions");
    EXPECT_EQ(tree["to_creation_label"].name, "Created :");
    EXPECT_EQ(tree["to_creation"].name, "Existing entry, Created :");
    EXPECT_EQ(tree["to_creation"].value, request.facts[0].second);
    EXPECT_EQ(tree["from_size"].name, "Incoming entry, Size :");
    EXPECT_EQ(tree["from_image"].name, "Icon of the incoming entry");
    // A path cut short on screen is read whole.
    EXPECT_EQ(tree["from_path"].description, (run.root / "new").string());

    alert->PostMessage(B_QUIT_REQUESTED);
    ASSERT_TRUE(WaitFor([&] { return run.Answered(); }));
    EXPECT_EQ(run.answer.get().button, 0);
}
