// The installation choices of the installer window: sizes and free space,
// the Disk menu and the destination it leaves.
#include "WindowTestSupport.h"

#include <FilePanel.h>
#include <InstallListItem.h>
#include <LibConversions.h>
#include <LibFilePanel.h>
#include <LibStringView.h>
#include <LibVolumeMenu.h>
#include <ListView.h>
#include <StringView.h>
#include <Volume.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest/QTest>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace installtest;
using namespace windowtest;

namespace {

// A volume of 8 GiB with almost all of it free: a sparse image of an ext4
// file system (it takes a few megabytes on disk) mounted on a fresh folder,
// unmounted again when the object goes. Mounted() is false where the test
// may not mount or has no tools to make the file system.
class LargeVolume {
public:
    LargeVolume()
    {
        fPoint = fRoot / "ondelle-large-volume";
        std::filesystem::create_directories(fPoint);
        const std::string image = (fRoot / "volume.img").string();
        const std::string make = "truncate -s 8G '" + image + "' && mkfs.ext4 -q -F -m 0 -E "
            "lazy_itable_init=1,lazy_journal_init=1 '" + image + "' >/dev/null 2>&1 && mount -o loop '" + image
            + "' '" + fPoint.string() + "' >/dev/null 2>&1";
        fMounted = std::system(make.c_str()) == 0;
    }
    ~LargeVolume()
    {
        if (fMounted)
            umount2(fPoint.c_str(), MNT_DETACH);
    }
    LargeVolume(const LargeVolume&) = delete;
    LargeVolume& operator=(const LargeVolume&) = delete;

    bool Mounted() const { return fMounted; }
    const std::filesystem::path& Point() const { return fPoint; }
    const char* Name() const { return "ondelle-large-volume"; }
    BVolume Volume() const
    {
        struct stat st;
        return stat(fPoint.c_str(), &st) == 0 ? BVolume(st.st_dev) : BVolume();
    }

private:
    ondelle::test::TempDir fRoot;
    std::filesystem::path fPoint;
    bool fMounted = false;
};

// Chooses the volume of that name in the window's Disk menu, as a click on
// its entry does.
void ChooseVolume(InstallerWin* window, const char* name)
{
    {
        Locked lock(window);
        auto* menu = Find<LibVolumeMenu>(window, "volume");
        menu->Update();
        menu->SetText(name);
    }
    window->PostMessage(InstallerWin::kVolumeSelected);
}

std::string Text(InstallerWin* window, const char* view)
{
    Locked lock(window);
    return Find<BStringView>(window, view)->Text();
}

std::string DestinationPath(InstallerWin* window)
{
    Locked lock(window);
    BPath path(&window->Configuration().Destination());
    return path.Path() != nullptr ? path.Path() : "";
}

} // namespace

TEST(InstallerWinChoicesTest, FreeSpaceAndSelectionTotalPass4GiB)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();

    // Three items of nearly 2 GiB each: close to 6 GiB in all.
    uint64 total = 0;
    {
        Locked lock(window);
        auto* items = Find<BListView>(window, "custom_list");
        ASSERT_EQ(items->CountItems(), 3);
        for (int32 i = 0; i < 3; i++)
            static_cast<InstallListItem*>(items->ItemAt(i))->SetSize(0x7ffff000);
        total = 3ull * 0x7ffff000 + uint32(window->Configuration().DeinstallerSize());
        // The "Full" group selects all three.
        Find<BListView>(window, "install_type")->Select(1);
    }
    LibString expected;
    LibBytesToString(total, expected, 1);
    EXPECT_TRUE(WaitFor([&] { return Text(window, "install_size") == static_cast<const char*>(expected); }))
        << Text(window, "install_size") << " instead of " << static_cast<const char*>(expected);

    LargeVolume volume;
    if (!volume.Mounted())
        GTEST_SKIP() << "no volume image could be made and mounted here";
    const double freeMB = double(volume.Volume().FreeBytes()) / 1048576.0;
    ASSERT_GT(freeMB, 4096.0);
    // The free space as shown ("7951.2 MB"), in MB; the volume's own
    // housekeeping may change it by a little.
    auto shownMB = [&] {
        const std::string text = Text(window, "volume_size");
        const size_t space = text.find(' ');
        return space != std::string::npos && text.substr(space) == " MB" ? std::atof(text.c_str()) : -1.0;
    };
    ChooseVolume(window, volume.Name());
    EXPECT_TRUE(WaitFor([&] { return std::abs(shownMB() - freeMB) < 1.0; }))
        << Text(window, "volume_size") << " instead of about " << freeMB << " MB";
}

TEST(InstallerWinChoicesTest, TheDiskMenuKeepsAChosenFolderAndOtherwiseGoesHome)
{
    const fs::path home = StandardFolder(B_USER_DIRECTORY);
    fs::create_directories(home);
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    const std::string chosen = fixture.Destination().string();
    ASSERT_EQ(DestinationPath(window), chosen);
    std::string boot;
    {
        Locked lock(window);
        boot = Find<LibVolumeMenu>(window, "volume")->Text();
    }

    // The disk the chosen folder lies on, chosen again: nothing changes.
    // The free space is written again once the choice is handled.
    {
        Locked lock(window);
        Find<BStringView>(window, "volume_size")->SetText("");
    }
    ChooseVolume(window, boot.c_str());
    ASSERT_TRUE(WaitFor([&] { return !Text(window, "volume_size").empty(); }));
    EXPECT_EQ(DestinationPath(window), chosen);

    LargeVolume volume;
    if (!volume.Mounted())
        GTEST_SKIP() << "no volume image could be made and mounted here";
    // Another disk without a home folder: its root, which the user may
    // write; and the user's home again on the boot volume.
    ChooseVolume(window, volume.Name());
    EXPECT_TRUE(WaitFor([&] { return DestinationPath(window) == volume.Point().string(); }))
        << DestinationPath(window);
    ChooseVolume(window, boot.c_str());
    EXPECT_TRUE(WaitFor([&] { return DestinationPath(window) == home.string(); })) << DestinationPath(window);

    // A home folder on the other disk is its home.
    fs::create_directories(volume.Point() / "home");
    ChooseVolume(window, volume.Name());
    EXPECT_TRUE(WaitFor([&] { return DestinationPath(window) == (volume.Point() / "home").string(); }))
        << DestinationPath(window);
}

TEST(InstallerWinChoicesTest, TheStartingDestinationIsTheUsersHome)
{
    const fs::path home = StandardFolder(B_USER_DIRECTORY);
    fs::create_directories(home);
    auto* window = new InstallerWin();
    {
        Locked lock(window);
        BPath path(&window->Configuration().Destination());
        ASSERT_NE(path.Path(), nullptr);
        EXPECT_EQ(std::string(path.Path()), home.string());
    }
    window->Lock();
    window->Quit();
}

TEST(InstallerWinChoicesTest, TheFolderPanelOpensBesideTheDestinationAndTakesItsListAlongWhenItCloses)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    window->PostMessage(InstallerWin::kOpenFolderPanel);
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return window->FolderPanel() != nullptr && window->FolderPanel()->IsShowing();
    }));
    LibFilePanel* panel = window->FolderPanel();
    entry_ref shown;
    panel->GetPanelDirectory(&shown);
    EXPECT_EQ(std::string(BPath(&shown).Path()), fixture.Destination().parent_path().string());

    // Typing the start of a name beside the destination opens the
    // completion list; the panel closing takes it along.
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* files = qobject_cast<QFileDialog*>(widget); files != nullptr && files->isVisible())
                dialog = files;
        return dialog != nullptr;
    }));
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(name->completer(), nullptr);
    QAbstractItemView* list = name->completer()->popup();
    dialog->activateWindow();
    WaitFor([&] { return QApplication::activeWindow() == dialog; }, 2000);
    name->setFocus();
    QTest::keyClicks(name, "des");
    // The list comes once the folder is read; the offscreen platform may
    // not bring it up by itself, so it is asked for as the line edit does.
    if (!WaitFor([&] { return name->completer()->completionCount() > 0 && list->isVisible(); }, 2000))
        name->completer()->complete();
    ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
    panel->Hide();
    EXPECT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(list->isVisible());
}

TEST(InstallerWinChoicesTest, ALongDestinationIsDrawnCutOnlyAtItsStart)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    const fs::path deep = fixture.Root() / "a-rather-long-folder-name" / "another-long-folder-name" / "Applications";
    fs::create_directories(deep);
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(deep.c_str(), &ref), B_OK);
    window->Configuration().SetDestination(ref);
    window->SetDestinationPath();
    Locked lock(window);
    std::string drawn;
    Find<LibStringView>(window, "destination")->GetDrawnText(&drawn, nullptr);
    const std::string ellipsis = "\xE2\x80\xA6";
    EXPECT_EQ(drawn.rfind(ellipsis, 0), 0u) << drawn;
    EXPECT_EQ(drawn.find(ellipsis, 1), std::string::npos) << drawn;
    EXPECT_EQ(drawn.substr(drawn.size() - 13), "/Applications") << drawn;
}
