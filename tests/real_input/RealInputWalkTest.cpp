// The demo installed as a user installs it with a real mouse and keyboard:
// every click, key, pointer move and wheel turn is an X input event made
// by xdotool on the display of xvfb-run, under a real window manager
// (openbox). The installer's test hook only watches: it waits for windows,
// states, texts and the focus, reports where views are (so that the
// pointer knows where to go) and takes the pictures, which the test then
// checks for labels cut at their frame and for a visible focus.
//
// Pictures go to ONDELLE_SCREENSHOT_DIR when it is set (docs/screenshots
// is refreshed that way), else to the sandbox's temporary folder.
#include "RealInputSupport.h"

#include "TestSupport.h"

#include <QImage>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace realinput;
using ondelle::test::BuildDir;
using ondelle::test::ReadFileBytes;
using ondelle::test::SandboxRoot;
using ondelle::test::WriteFileBytes;

namespace {

fs::path EnvironmentFolder(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? fs::path(value) : fs::path();
}

QImage Picture(const fs::path& file)
{
    return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
}

// The lines the installer's test hook carries out. It gives no input: it
// waits for what the test's real input does, and reports and pictures it.
std::string WalkScript(const fs::path& home, const fs::path& chosen)
{
    const std::string applications = (home / "Applications").string();
    return "timeout 60\n"
           "wait InstallerWin\n"
           "state license\n"
           "frame InstallerWin button\n"
           "shot InstallerWin walk-license.png\n"
           // The pointer clicks Agree.
           "state choosing\n"
           "frame InstallerWin install_type\n"
           "frame InstallerWin custom_list\n"
           "frame InstallerWin folder\n"
           "frame InstallerWin volume\n"
           "frame InstallerWin install_type_label\n"
           "frame InstallerWin file_label\n"
           "frame InstallerWin install_size\n"
           "frame InstallerWin volume_size\n"
           "frame InstallerWin destination\n"
           "frame InstallerWin instruction\n"
           "text InstallerWin destination \"" + applications + "\"\n"
           // The pointer rests on the folder button.
           "text LibTipWin text_view \"Change destination folder\"\n"
           "shot LibTipWin walk-tool-tip.png\n"
           // The pointer clicks the group "Minimum" and rests there.
           "text LibTipWin text_view \"Only the program\"\n"
           "focus InstallerWin install_type\n"
           "shot InstallerWin walk-groups-focused.png\n"
           // Tab.
           "focus InstallerWin custom_list\n"
           "shot InstallerWin walk-files-focused.png\n"
           // The wheel turns over the files, then the pointer rests on
           // the group "Full": its tip comes after the wheel's turns.
           "text LibTipWin text_view \"Everything\"\n"
           "shot InstallerWin walk-files-scrolled.png\n"
           // The Disk menu: the disk already chosen is chosen again; then
           // the folder button opens the folder panel.
           "wait \"Find Directory\"\n"
           "text InstallerWin destination \"" + applications + "\"\n"
           "shot \"Find Directory\" walk-folder-panel.png\n"
           // A path typed into the panel, and Enter.
           "gone \"Find Directory\"\n"
           "text InstallerWin destination \"" + chosen.string() + "\"\n"
           "shot InstallerWin walk-choices.png\n"
           // Enter twice on Install.
           "state installing\n"
           "shot InstallerWin walk-installing.png\n"
           "wait alert\n"
           // Escape answers the question about running the program.
           "text alert alert_text \"Installation successfully completed.\"\n"
           "shot alert walk-complete.png\n";
    // Enter closes the last alert, and the program ends.
}

} // namespace

TEST(RealInputWalk, TheDemoInstalledWithARealMouseAndKeyboard)
{
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    const QString openbox = QStandardPaths::findExecutable("openbox");
    if (xdotool.isEmpty() || openbox.isEmpty() || std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs xdotool, openbox and an X display (xvfb-run; scripts/setup-deps.sh installs them)";

    const fs::path root = SandboxRoot();
    ASSERT_FALSE(root.empty());
    const fs::path home = EnvironmentFolder("HOME");
    const fs::path chosen = home / "Chosen";
    fs::create_directories(chosen);
    fs::path pictures = EnvironmentFolder("ONDELLE_SCREENSHOT_DIR");
    if (pictures.empty())
        pictures = EnvironmentFolder("TMPDIR") / "walk-pictures";
    pictures = fs::absolute(pictures);
    fs::create_directories(pictures);

    // The demo's build, as a vendor makes it.
    const fs::path build = root / "walk-build" / "SkylarkSetup";
    fs::create_directories(build.parent_path());
    ASSERT_EQ(MakeDemoBuild(build), "");

    WindowManager manager(openbox);
    ASSERT_TRUE(manager.Started()) << "openbox did not start";
    Pointer input(xdotool);

    const fs::path script = root / "walk.drive";
    WriteFileBytes(script, WalkScript(home, chosen));
    DrivenProgram program(build, script, pictures);
    ASSERT_TRUE(program.Started());

    // The license: Agree with the pointer.
    ASSERT_TRUE(program.WaitFor("driver: ok shot InstallerWin walk-license.png")) << program.Report();
    const std::vector<unsigned long> mainWindow = input.ShownWindows(program.Pid());
    ASSERT_EQ(mainWindow.size(), 1u);
    ASSERT_TRUE(input.Click(program.ViewFrame("button").Middle()));

    // The tip of the folder button, for a pointer that rests on it.
    ASSERT_TRUE(program.WaitFor("driver: ok text InstallerWin destination")) << program.Report();
    const Frame groups = program.ViewFrame("install_type");
    const Frame files = program.ViewFrame("custom_list");
    ASSERT_TRUE(input.MoveTo(program.ViewFrame("folder").Middle()));
    ASSERT_TRUE(program.WaitFor("driver: ok shot LibTipWin walk-tool-tip.png")) << program.Report();

    // The second group with the pointer (its tip shows where it rests),
    // then Tab to the files.
    // A list row at scale 1 is 14 to 16 pixels high: these points lie in
    // the second and third rows either way (the tips tell which it was).
    const int row = 15;
    ASSERT_TRUE(input.Click(groups.At(groups.width / 2, row + row / 2)));
    ASSERT_TRUE(program.WaitFor("driver: ok shot InstallerWin walk-groups-focused.png")) << program.Report();
    ASSERT_TRUE(input.Key("Tab"));
    ASSERT_TRUE(program.WaitFor("driver: ok shot InstallerWin walk-files-focused.png")) << program.Report();

    // The wheel over the files, then the pointer to the third group.
    ASSERT_TRUE(input.MoveTo(files.Middle()));
    ASSERT_TRUE(input.Wheel(false, 3));
    ASSERT_TRUE(input.MoveTo(groups.At(groups.width / 2, 2 * row + row / 2)));
    ASSERT_TRUE(program.WaitFor("driver: ok shot InstallerWin walk-files-scrolled.png")) << program.Report();

    // The Disk menu: it opens by the field, and the disk already chosen is
    // chosen again with the keyboard (the destination stays the user's
    // folder). Where the menu lists more than one disk, the first need not
    // be the chosen one: the menu is then closed with Escape.
    const Frame disk = program.ViewFrame("volume");
    const std::vector<unsigned long> before = input.ShownWindows(program.Pid());
    ASSERT_TRUE(input.Click(disk.Middle()));
    // The menu, not a tip that may come and go meanwhile: it opens by the
    // field.
    const unsigned long menu = input.WaitForNewWindowAt(program.Pid(), before, disk.screenY - 60,
        disk.screenY + disk.height + 10, 20000);
    ASSERT_NE(menu, 0ul) << "the Disk menu did not open";
    const int menuHeight = input.WindowHeight(menu);
    ASSERT_GT(menuHeight, 0);
    // A menu of one entry is no taller than the field.
    if (menuHeight <= disk.height + 4)
        ASSERT_TRUE(input.Key("Down Return"));
    else
        ASSERT_TRUE(input.Key("Escape"));
    ASSERT_TRUE(input.WaitForWindowGone(menu, 20000)) << "the Disk menu stayed open";

    // The folder panel: a path typed, and Enter.
    ASSERT_TRUE(input.Click(program.ViewFrame("folder").Middle()));
    ASSERT_TRUE(program.WaitFor("driver: ok shot \"Find Directory\" walk-folder-panel.png")) << program.Report();
    // Keys go to the panel once the window manager has made it active.
    ASSERT_NE(input.WaitForActiveWindow(program.Pid(), mainWindow, 20000), 0ul) << "the panel never became active";
    ASSERT_TRUE(input.Type(chosen.string()));
    ASSERT_TRUE(input.Key("Return"));
    ASSERT_TRUE(program.WaitFor("driver: ok shot InstallerWin walk-choices.png")) << program.Report();
    // Neither the panel nor its completion list is left on the screen.
    EXPECT_TRUE(input.WaitForOnlyWindows(program.Pid(), 1, 20000)) << "a window was left open after the panel";

    // Enter twice on Install: the second press must not stop the install.
    ASSERT_TRUE(input.Key("Return Return"));
    ASSERT_TRUE(program.WaitFor("driver: ok wait alert")) << program.Report();
    const unsigned long question = input.WaitForActiveWindow(program.Pid(), mainWindow, 20000);
    ASSERT_NE(question, 0ul) << "the question never became active";
    ASSERT_TRUE(input.Key("Escape"));
    ASSERT_TRUE(program.WaitFor("driver: ok shot alert walk-complete.png")) << program.Report();
    std::vector<unsigned long> answered = mainWindow;
    answered.push_back(question);
    ASSERT_NE(input.WaitForActiveWindow(program.Pid(), answered, 20000), 0ul) << "the last alert never became active";
    ASSERT_TRUE(input.Key("Return"));
    ASSERT_TRUE(program.WaitForEnd(60000)) << "the installer did not end by itself\n" << program.Report();
    EXPECT_EQ(program.ExitCode(), 0) << program.Report();

    // What the choices did: "Minimum" into the folder chosen in the panel.
    const fs::path installed = chosen / "Skylark Notes";
    EXPECT_EQ(ReadFileBytes(installed / "SkylarkNotes"),
        ReadFileBytes(fs::path(ONDELLE_SOURCE_DIR) / "examples/skylark/payload/SkylarkNotes"));
    EXPECT_TRUE(fs::exists(installed / "ReadMe.txt"));
    EXPECT_FALSE(fs::exists(installed / "skylark-sync"));
    EXPECT_FALSE(fs::exists(home / ".local/lib/libskylark.so"));
    EXPECT_FALSE(fs::exists(home / "Applications")) << "a folder was made before anything was installed there";
    const std::string log = ReadFileBytes(installed / "Log");
    EXPECT_NE(log.find("Installation Complete"), std::string::npos) << log;
    EXPECT_EQ(log.find("stopped"), std::string::npos) << log;

    // Labels fit their frames, on the choices and on the running install.
    const QImage choices = Picture(pictures / "walk-choices.png");
    ASSERT_FALSE(choices.isNull());
    for (const char* view : {"install_type_label", "file_label", "destination", "instruction"})
        EXPECT_EQ(LabelCut(choices, program.ViewFrame(view), false), "") << view;
    EXPECT_EQ(LabelCut(choices, program.ViewFrame("install_size"), true), "");
    // The free space shares its row with the Disk menu, which is drawn
    // over the frame's left part: its text lies right of the menu.
    Frame freeSpace = program.ViewFrame("volume_size");
    const int menuEnd = disk.x + disk.width;
    freeSpace.width -= menuEnd - freeSpace.x;
    freeSpace.x = menuEnd;
    EXPECT_EQ(LabelCut(choices, freeSpace, true), "") << "volume_size";
    EXPECT_EQ(LabelCut(Picture(pictures / "walk-installing.png"), program.ViewFrame("instruction"), false), "");

    // The focus shows: the groups lose their mark and the files gain one.
    const QImage groupsFocused = Picture(pictures / "walk-groups-focused.png");
    const QImage filesFocused = Picture(pictures / "walk-files-focused.png");
    EXPECT_GE(DifferingPixels(groupsFocused, filesFocused, groups.Grown(3)), 20) << "no visible focus on the groups";
    EXPECT_GE(DifferingPixels(groupsFocused, filesFocused, files.Grown(3)), 20) << "no visible focus on the files";
    // The wheel moved the files, not only their frame.
    const QImage scrolled = Picture(pictures / "walk-files-scrolled.png");
    EXPECT_GE(DifferingPixels(filesFocused, scrolled, files.Grown(-3)), 100) << "the wheel did not scroll the files";

    const QImage tip = Picture(pictures / "walk-tool-tip.png");
    EXPECT_GE(tip.width(), 60);
    EXPECT_GE(DistinctColours(tip), 3) << "the tip window is blank";
    EXPECT_GE(DistinctColours(Picture(pictures / "walk-folder-panel.png")), 8);
    EXPECT_GE(DistinctColours(Picture(pictures / "walk-license.png")), 8);
}
