// The text view: help pages rendered as text with line breaks and bold
// runs, dropped files taken or refused, typing and focus reported.
#include "../platform_interface/InterfaceTestSupport.h"
#include "RecordingWindow.h"

#include <LibTextView.h>

#include <TestSupport.h>

#include <Entry.h>
#include <NodeInfo.h>
#include <Node.h>
#include <xmlTag.h>

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using Runs = std::vector<LibXmlText::Run>;

namespace {

enum { kChanged = 'chng', kFocused = 'focu' };

// A text view that keeps its refusals instead of showing notices.
class QuietTextView : public LibTextView {
public:
    QuietTextView() : LibTextView(BRect(0, 0, 199, 99), "text", kChanged, kFocused) {}
    std::vector<std::string> refusals;

protected:
    void DropRefused(const char* reason) override { refusals.push_back(reason); }
};

xmlTag Tag(const char* name, const char* text, long at = 0)
{
    xmlTag tag;
    tag.SetName(name);
    for (const char* c = text; *c != '\0'; c++)
        tag.AddContent(*c);
    tag.SetParentLocation(at);
    return tag;
}

BMessage Drop(const std::filesystem::path& path)
{
    entry_ref ref;
    BEntry(path.c_str()).GetRef(&ref);
    BMessage drop(B_SIMPLE_DATA);
    drop.AddRef("refs", &ref);
    return drop;
}

} // namespace

TEST(LibTextViewTest, PagesRenderWithBreaksAndBoldRuns)
{
    TestWindow window;
    auto* view = new QuietTextView();
    window->AddChild(view);

    xmlTag page = Tag("PAGE", "ab");
    page.AddChild(Tag("BR", "", 1));
    page.AddChild(Tag("P", "", 2));
    view->SetXml(page);
    EXPECT_STREQ(view->Text(), "a\nb\n\n");
    EXPECT_TRUE(view->BoldRuns().empty());

    xmlTag bold = Tag("PAGE", "yz");
    bold.AddChild(Tag("B", "x", 0));
    bold.AddChild(Tag("BR", "", 1));
    bold.AddChild(Tag("B", "ww", 2));
    bold.AddChild(Tag("I", "left out", 2));
    view->SetXml(bold);
    EXPECT_STREQ(view->Text(), "xy\nzww");
    EXPECT_EQ(view->BoldRuns(), (Runs{{0, 1}, {4, 2}}));

    // A page without children shows its text unchanged, and the same page
    // shows the same way again.
    xmlTag plain = Tag("PAGE", "just text");
    view->SetXml(plain);
    EXPECT_STREQ(view->Text(), "just text");
    view->SetXml(bold);
    view->SetXml(bold);
    EXPECT_STREQ(view->Text(), "xy\nzww");
}

TEST(LibTextViewTest, DroppedPlainTextReplacesTheWholeText)
{
    TempDir dir;
    WriteFileBytes(dir / "notes.txt", "first line\nsecond line\n");
    BNode node((dir / "notes.txt").c_str());
    BNodeInfo(&node).SetType("text/plain");
    WriteFileBytes(dir / "untyped.txt", "no type attribute\n");

    TestWindow window;
    auto* view = new QuietTextView();
    window->AddChild(view);
    view->SetText("old text that goes away");

    BMessage drop = Drop(dir / "notes.txt");
    EXPECT_TRUE(view->SupportedDropFile(&drop));
    view->MessageReceived(&drop);
    EXPECT_STREQ(view->Text(), "first line\nsecond line\n");

    BMessage untyped = Drop(dir / "untyped.txt");
    view->MessageReceived(&untyped);
    EXPECT_STREQ(view->Text(), "no type attribute\n");
    EXPECT_TRUE(view->refusals.empty());
}

TEST(LibTextViewTest, RefusedDropsKeepTheText)
{
    TempDir dir;
    // An image, a text-named file with binary bytes, a folder, a missing
    // file, a 1 GB file (sparse) and, unless running as root, an unreadable
    // text file.
    WriteFileBytes(dir / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    WriteFileBytes(dir / "binary.txt", std::string("text\0\1\2 more", 12));
    std::filesystem::create_directory(dir / "folder.txt");
    WriteFileBytes(dir / "huge.txt", "x");
    std::filesystem::resize_file(dir / "huge.txt", 1024LL * 1024 * 1024);
    WriteFileBytes(dir / "locked.txt", "secret\n");
    std::filesystem::permissions(dir / "locked.txt", std::filesystem::perms::none);

    TestWindow window;
    auto* view = new QuietTextView();
    window->AddChild(view);
    view->SetText("kept");

    std::vector<std::string> names = {"picture.png", "binary.txt", "folder.txt", "huge.txt"};
    if (geteuid() != 0)
        names.push_back("locked.txt");
    for (const std::string& name : names) {
        view->refusals.clear();
        BMessage drop = Drop(dir / name);
        view->MessageReceived(&drop);
        EXPECT_STREQ(view->Text(), "kept") << name;
        ASSERT_EQ(view->refusals.size(), 1u) << name;
        EXPECT_NE(view->refusals[0].find(name), std::string::npos) << view->refusals[0];
    }
    BMessage image = Drop(dir / "picture.png");
    EXPECT_FALSE(view->SupportedDropFile(&image));

    LibString reason;
    entry_ref ref;
    BEntry((dir / "huge.txt").c_str()).GetRef(&ref);
    EXPECT_FALSE(view->LoadFile(ref, reason));
    EXPECT_STREQ(static_cast<const char*>(reason), "The file is too large to be shown here.");
    if (geteuid() != 0) {
        BEntry((dir / "locked.txt").c_str()).GetRef(&ref);
        EXPECT_FALSE(view->LoadFile(ref, reason));
        EXPECT_STREQ(static_cast<const char*>(reason), "The file cannot be read.");
    }
    std::filesystem::permissions(dir / "locked.txt", std::filesystem::perms::owner_all);

    // A message without refs is not a drop and changes nothing.
    BMessage empty(B_SIMPLE_DATA);
    EXPECT_FALSE(view->SupportedDropFile(&empty));
    view->refusals.clear();
    view->MessageReceived(&empty);
    EXPECT_STREQ(view->Text(), "kept");
    EXPECT_TRUE(view->refusals.empty());
}

TEST(LibTextViewTest, TypingAndFocusAreReportedToTheWindow)
{
    auto* window = new RecordingWindow({kChanged, kFocused});
    auto* view = new QuietTextView();
    window->AddChild(view);
    view->KeyDown("a", 1);
    view->MakeFocus(true);
    view->MakeFocus(false);
    window->Show();
    ASSERT_TRUE(WaitFor([&] { return window->Messages().size() >= 3; }));
    const std::vector<BMessage> messages = window->Messages();
    EXPECT_EQ(messages[0].what, uint32(kChanged));
    EXPECT_EQ(messages[1].what, uint32(kFocused));
    EXPECT_TRUE(messages[1].GetBool("focus", false));
    EXPECT_EQ(messages[2].what, uint32(kFocused));
    EXPECT_FALSE(messages[2].GetBool("focus", true));
    EXPECT_STREQ(view->Text(), "a");
    if (window->Lock())
        window->Quit();
}

TEST(LibTextViewTest, FontSizeAndTextRectFollowTheView)
{
    TestWindow window;
    auto* view = new QuietTextView();
    window->AddChild(view);
    EXPECT_EQ(view->TextRect(), BRect(3, 3, 196, 96));
    view->SetFontSize(17);
    BFont font;
    view->GetFont(&font);
    EXPECT_FLOAT_EQ(font.Size(), 17);
    view->FrameResized(300, 50);
    EXPECT_EQ(view->TextRect(), BRect(3, 3, 303, 53));
}

TEST(LibTextViewTest, FilesDraggedFromTheDesktopArriveAsDrops)
{
    TempDir dir;
    WriteFileBytes(dir / "dragged.txt", "from the desktop\n");
    WriteFileBytes(dir / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));

    TestWindow window;
    auto* view = new QuietTextView();
    window->AddChild(view);
    view->SetText("before");
    window.Show();

    // Drops land on the view, or on the editor's viewport inside it.
    auto drop = [&](const std::filesystem::path& path, QWidget* widget) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &dropped);
    };
    auto text = [&] {
        std::string result;
        if (window->Lock()) {
            result = view->Text();
            window->Unlock();
        }
        return result;
    };

    auto* editor = view->_Widget()->findChild<QAbstractScrollArea*>();
    ASSERT_NE(editor, nullptr);
    drop(dir / "picture.png", view->_Widget());
    ASSERT_TRUE(WaitFor([&] {
        if (!window->Lock())
            return false;
        const bool refused = !view->refusals.empty();
        window->Unlock();
        return refused;
    }));
    EXPECT_EQ(text(), "before");

    drop(dir / "dragged.txt", editor->viewport());
    EXPECT_TRUE(WaitFor([&] { return text() == "from the desktop\n"; }));

    // Text dragged about (no files) is left to the editor.
    QMimeData plain;
    plain.setText("loose text");
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(view->_Widget(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(text(), "from the desktop\n");
}
