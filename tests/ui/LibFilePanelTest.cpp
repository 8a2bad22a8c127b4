// The folder panel in a sandbox tree: the filter asked per entry, the
// parent folder, choices that leave the panel open with the format, the
// saved state and cancelling.
#include "../platform_interface/InterfaceTestSupport.h"

#include <LibFilePanel.h>

#include <TestSupport.h>

#include <Entry.h>
#include <Looper.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>

#include <QAbstractItemView>
#include <QFileDialog>
#include <QApplication>
#include <QFontMetrics>
#include <QTreeView>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

enum { kChosen = 'fold' };

// Names with every character a shell treats specially.
const std::vector<std::string> kOddFolders = {
    "with space", "quote\"double", "quote'single", "back`tick", "dollar$HOME", "semi;colon",
    "amp&ersand", "pipe|bar", "star*glob?", "[brackets]", "paren(s)", "less<more>", "back\\slash",
    "hash#tag", "tilde~", "bang!", "-leading-dash", "new\nline"};

class RecordingLooper : public BLooper {
public:
    RecordingLooper() : BLooper("panel target") {}
    void MessageReceived(BMessage* message) override
    {
        std::lock_guard lock(fMutex);
        fMessages.push_back(*message);
    }
    std::vector<BMessage> Messages()
    {
        std::lock_guard lock(fMutex);
        return fMessages;
    }

private:
    std::mutex fMutex;
    std::vector<BMessage> fMessages;
};

// A started looper, quit at the end.
class Target {
public:
    Target() : fLooper(new RecordingLooper()) { fLooper->Run(); }
    ~Target()
    {
        if (fLooper->Lock())
            fLooper->Quit();
    }
    RecordingLooper* operator->() const { return fLooper; }
    RecordingLooper* Get() const { return fLooper; }

private:
    RecordingLooper* fLooper;
};

std::set<std::string> Listed(const LibFilePanel& panel, size_t atLeast)
{
    std::vector<std::string> names;
    WaitFor([&] {
        names = panel._ListedNames();
        return names.size() >= atLeast;
    });
    // Let late entries of the folder arrive, too.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    names = panel._ListedNames();
    return std::set<std::string>(names.begin(), names.end());
}

std::string Shown(const LibFilePanel& panel)
{
    entry_ref ref;
    panel.GetPanelDirectory(&ref);
    BPath path(&ref);
    return path.InitCheck() == B_OK ? path.Path() : "";
}

// A tree of odd folders, a link to a folder, an unreadable folder, a typed
// text file and an untyped one.
struct Tree {
    TempDir dir;
    Tree()
    {
        for (const std::string& name : kOddFolders)
            fs::create_directory(dir / name);
        fs::create_directory(dir / "target");
        fs::create_directory_symlink(dir / "target", dir / "link to folder");
        fs::create_directory(dir / "locked");
        fs::permissions(dir / "locked", fs::perms::none);
        WriteFileBytes(dir / "readme.txt", "text\n");
        BNode node((dir / "readme.txt").c_str());
        BNodeInfo(&node).SetType("text/plain");
        WriteFileBytes(dir / "data.bin", std::string("\0\1", 2));
        fs::create_symlink(dir / "missing", dir / "broken link");
    }
    ~Tree() { fs::permissions(dir / "locked", fs::perms::owner_all); }
    std::string Path() const { return dir.Path().string(); }
};

std::set<std::string> Folders()
{
    std::set<std::string> folders(kOddFolders.begin(), kOddFolders.end());
    folders.insert({"target", "link to folder", "locked"});
    return folders;
}

} // namespace

TEST(LibRefFilterTest, TypesAndPlainFiles)
{
    Tree tree;
    LibRefFilter filter;
    auto ask = [&](const std::string& leaf, const char* type) {
        const std::string path = tree.Path() + "/" + leaf;
        entry_ref ref;
        get_ref_for_path(path.c_str(), &ref);
        BNode node(&ref);
        struct stat st {};
        lstat(path.c_str(), &st);
        return filter.Filter(&ref, &node, &st, type);
    };
    EXPECT_FALSE(ask("target", B_DIRECTORY_MIME_TYPE));
    filter.AddType(B_DIRECTORY_MIME_TYPE);
    filter.AddType("application/x-vnd.Be-volume");
    EXPECT_TRUE(ask("target", B_DIRECTORY_MIME_TYPE));
    EXPECT_TRUE(ask("target", "application/x-vnd.Be-volume"));
    EXPECT_FALSE(ask("readme.txt", "text/plain"));
    EXPECT_FALSE(ask("data.bin", ""));
    filter.AllowAllFiles(true);
    EXPECT_TRUE(ask("readme.txt", "text/plain"));
    EXPECT_TRUE(ask("data.bin", ""));
    // A link is not a plain file, whatever it points to.
    EXPECT_FALSE(ask("broken link", B_SYMLINK_MIME_TYPE));
    EXPECT_FALSE(filter.Filter(nullptr, nullptr, nullptr, nullptr));
}

TEST(LibFilePanelTest, TheFilterDecidesWhatIsListed)
{
    Tree tree;
    LibFilePanel panel(B_OPEN_PANEL, static_cast<BMessenger*>(nullptr), kChosen, B_DIRECTORY_NODE, false);
    panel.Filter().AddType(B_DIRECTORY_MIME_TYPE);
    panel.Filter().AddType("application/x-vnd.Be-volume");
    panel.Refresh();
    panel.SetPanelDirectory((tree.Path() + "/readme.txt").c_str());
    EXPECT_EQ(Shown(panel), tree.Path());

    const std::set<std::string> folders = Folders();
    EXPECT_EQ(Listed(panel, folders.size()), folders);

    panel.Filter().AllowAllFiles(true);
    panel.Refresh();
    std::set<std::string> all = folders;
    all.insert({"readme.txt", "data.bin"});
    // The directory-only dialog may itself leave files out; what it lists
    // must still be a subset the filter accepted.
    const std::set<std::string> listed = Listed(panel, folders.size());
    EXPECT_TRUE(std::includes(all.begin(), all.end(), listed.begin(), listed.end()));
    EXPECT_EQ(listed.count("broken link"), 0u);
}

TEST(LibFilePanelTest, ParentFoldersAndStandardFolders)
{
    Tree tree;
    LibFilePanel panel(B_OPEN_PANEL, static_cast<BMessenger*>(nullptr), kChosen, B_DIRECTORY_NODE, false);
    const std::string odd = tree.Path() + "/" + kOddFolders[4];
    panel.SetPanelDirectory((odd + "/inner").c_str());
    EXPECT_EQ(Shown(panel), odd);
    panel.SetToParentDirectory();
    EXPECT_EQ(Shown(panel), tree.Path());
    panel.SetToParentDirectory();
    EXPECT_EQ(Shown(panel), fs::path(tree.Path()).parent_path().string());

    panel.SetPanelDirectory(static_cast<const char*>(nullptr));
    EXPECT_EQ(Shown(panel), fs::path(tree.Path()).parent_path().string());

    // Into the linked folder and back up through the link's folder.
    panel.SetPanelDirectory((tree.Path() + "/link to folder/x").c_str());
    panel.SetToParentDirectory();
    EXPECT_EQ(Shown(panel), tree.Path());

    BPath settings;
    ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true), B_OK);
    panel.SetPanelDirectory(B_USER_SETTINGS_DIRECTORY);
    EXPECT_EQ(Shown(panel), settings.Path());
    EXPECT_EQ(std::string(settings.Path()).rfind(ondelle::test::SandboxRoot().string(), 0), 0u);
}

TEST(LibFilePanelTest, AChoiceLeavesThePanelOpenAndCarriesTheFormat)
{
    Tree tree;
    Target target;
    LibFilePanel panel(B_OPEN_PANEL, target.Get(), kChosen, B_DIRECTORY_NODE, false);
    panel.Filter().AddType(B_DIRECTORY_MIME_TYPE);
    panel.AddFormatMenuItem("Zip", false);
    panel.AddFormatMenuItem("Text", true);
    panel.AddFormatMenuItem("Raw", false);
    panel.SetPanelDirectory((tree.Path() + "/x").c_str());
    panel.Show();
    ASSERT_TRUE(panel.IsShowing());
    Listed(panel, Folders().size());

    QFileDialog* dialog = panel._Dialog();
    // The user types the start of a name into the list, as without a mouse.
    const std::string name = kOddFolders[1];
    auto* list = dialog->findChild<QAbstractItemView*>("listView");
    ASSERT_NE(list, nullptr);
    list->setFocus();
    list->keyboardSearch(QString::fromStdString(name));
    static_cast<QDialog*>(dialog)->accept();
    ASSERT_TRUE(WaitFor([&] { return target->Messages().size() == 1; }));
    EXPECT_TRUE(panel.IsShowing());

    BMessage chosen = target->Messages()[0];
    EXPECT_EQ(chosen.what, uint32(kChosen));
    EXPECT_STREQ(chosen.GetString("marked", ""), "Text");
    entry_ref ref;
    ASSERT_EQ(chosen.FindRef("refs", &ref), B_OK);
    EXPECT_EQ(BPath(&ref).Path(), tree.Path() + "/" + name);
    panel.Rewind();
    entry_ref again;
    EXPECT_EQ(panel.GetNextSelectedRef(&again), B_OK);
    EXPECT_EQ(panel.GetNextSelectedRef(&again), B_ENTRY_NOT_FOUND);

    // Cancelling hides the panel and says so.
    static_cast<QDialog*>(dialog)->reject();
    ASSERT_TRUE(WaitFor([&] { return target->Messages().size() == 2; }));
    EXPECT_FALSE(panel.IsShowing());
    EXPECT_EQ(target->Messages()[1].what, uint32(B_CANCEL));
    EXPECT_EQ(target->Messages()[1].GetInt32("old_what", 0), int32(kChosen));
}

TEST(LibFilePanelTest, TheDetailsListShowsModificationDatesWhole)
{
    Tree tree;
    Target target;
    LibFilePanel panel(B_OPEN_PANEL, target.Get(), kChosen, B_DIRECTORY_NODE, false);
    panel.Filter().AddType(B_DIRECTORY_MIME_TYPE);
    panel.SetPanelDirectory((tree.Path() + "/x").c_str());
    panel.Show();
    ASSERT_TRUE(panel.IsShowing());
    Listed(panel, Folders().size());

    QFileDialog* dialog = panel._Dialog();
    dialog->setViewMode(QFileDialog::Detail);
    auto* details = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(details, nullptr);
    constexpr int kDateColumn = 3;
    ASSERT_EQ(details->model()->headerData(kDateColumn, Qt::Horizontal).toString(), "Date Modified");
    QApplication::processEvents();
    // Every date listed fits its column, with room for the cell's margins.
    const QFontMetrics metrics(details->font());
    const QModelIndex folder = details->rootIndex();
    int dates = 0;
    for (int row = 0; row < details->model()->rowCount(folder); row++) {
        const QString date = details->model()->index(row, kDateColumn, folder).data().toString();
        if (date.isEmpty())
            continue;
        dates++;
        EXPECT_GE(details->columnWidth(kDateColumn), metrics.horizontalAdvance(date) + 6) << date.toStdString();
    }
    EXPECT_GT(dates, 0);
    static_cast<QDialog*>(dialog)->reject();
}

TEST(LibFilePanelTest, WithoutAFormatTheMessageIsUnchanged)
{
    LibFilePanel panel(B_OPEN_PANEL, static_cast<BMessenger*>(nullptr), kChosen, B_DIRECTORY_NODE, false);
    BMessage message(kChosen);
    message.AddInt32("kept", 7);
    panel.SendMessage(nullptr, &message);
    EXPECT_FALSE(message.HasString("marked"));
    EXPECT_EQ(message.GetInt32("kept", 0), 7);
    panel.AddOptionMenu();
    EXPECT_FALSE(panel.HasChoices());
}

TEST(LibFilePanelTest, StateSurvivesItsMessageForm)
{
    Tree tree;
    LibFilePanel panel(B_OPEN_PANEL, static_cast<BMessenger*>(nullptr), kChosen, B_DIRECTORY_NODE, false);
    panel.SetPanelDirectory((tree.Path() + "/target/x").c_str());
    panel.MoveTo(40, 50);
    panel.ResizeTo(499, 399);
    lib_panel_state saved;
    panel.GetState(saved);
    EXPECT_EQ(saved.frame, BRect(40, 50, 539, 449));

    BMessage archive;
    saved.Write(archive);
    lib_panel_state restored;
    ASSERT_TRUE(restored.Read(archive));
    EXPECT_EQ(restored.frame, saved.frame);

    LibFilePanel other(B_OPEN_PANEL, static_cast<BMessenger*>(nullptr), kChosen, B_DIRECTORY_NODE, false);
    other.SetState(restored);
    EXPECT_EQ(Shown(other), tree.Path() + "/target");
    EXPECT_EQ(other.Frame(), BRect(40, 50, 539, 449));

    BMessage empty;
    EXPECT_FALSE(restored.Read(empty));
    EXPECT_EQ(restored.frame, saved.frame);
}

TEST(LibFilePanelTest, ASavePanelSendsFolderAndName)
{
    Tree tree;
    Target target;
    LibFilePanel panel(B_SAVE_PANEL, target.Get(), kChosen, B_FILE_NODE, false);
    panel.SetPanelDirectory((tree.Path() + "/target/x").c_str());
    panel.Show();
    QFileDialog* dialog = panel._Dialog();
    dialog->selectFile(QStringLiteral("new $file.txt"));
    static_cast<QDialog*>(dialog)->accept();
    ASSERT_TRUE(WaitFor([&] { return target->Messages().size() == 1; }));
    const BMessage saved = target->Messages()[0];
    EXPECT_EQ(saved.what, uint32(kChosen));
    EXPECT_STREQ(saved.GetString("name", ""), "new $file.txt");
    entry_ref folder;
    ASSERT_EQ(saved.FindRef("directory", &folder), B_OK);
    EXPECT_EQ(BPath(&folder).Path(), tree.Path() + "/target");
    EXPECT_TRUE(panel.IsShowing());
    panel.Hide();
    EXPECT_FALSE(panel.IsShowing());
}
