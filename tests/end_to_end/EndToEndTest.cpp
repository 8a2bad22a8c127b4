// The demo product installed through its window, as a user installs it:
// the build tool packs examples/skylark into an installer build, the build
// runs as a program of its own (on the display of xvfb-run, or off screen)
// and a script drives it through its test hook (demo-install.drive). The
// test then checks what the user's choices did to the installed tree and
// the log, that the program ended by itself with status 0 and that it left
// no process behind. Everything happens in the test's sandbox; pictures of
// every step go to ONDELLE_SCREENSHOT_DIR when it is set (docs/screenshots
// is refreshed that way), else to the sandbox's temporary folder.
#include "TestSupport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::BuildDir;
using ondelle::test::ReadFileBytes;
using ondelle::test::SandboxRoot;
using ondelle::test::WriteFileBytes;

namespace {

// Generous: two shared cores under load, and sanitizer builds.
constexpr int kBuildMilliseconds = 300000;
constexpr int kRunMilliseconds = 240000;

const char* const kPlanted = "# my own settings, kept by the test\nsync = never\n";

fs::path Source(const std::string& relative)
{
    return fs::path(ONDELLE_SOURCE_DIR) / relative;
}

fs::path EnvironmentFolder(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? fs::path(value) : fs::path();
}

// The processes whose parent is this one, by id. Orphans of the programs
// started here come to this process (it is a child subreaper), so a
// program that leaves a child behind shows up here after it ended.
std::set<pid_t> Children()
{
    std::set<pid_t> children;
    const std::string self = std::to_string(::getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream status(entry.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("PPid:", 0) == 0) {
                if (line.substr(line.find_first_not_of(" \t", 5)) == self)
                    children.insert(pid_t(std::stoi(name)));
                break;
            }
        }
    }
    return children;
}

// Makes this process the reaper of orphaned descendants for a scope, and
// ends (and reaps) whatever is left of them when it goes.
class OrphanWatch {
public:
    OrphanWatch() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~OrphanWatch()
    {
        for (pid_t child : Children()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }
    OrphanWatch(const OrphanWatch&) = delete;
    OrphanWatch& operator=(const OrphanWatch&) = delete;
};

// How long a program may take to end after the driver's last step.
constexpr qint64 kEndMilliseconds = 30000;

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    std::string output;
    std::string errors;
};

// Runs program until it ends or time is up (then it is killed); a report
// line "driver: failed" ends it at once, since nothing more will happen.
ProgramRun RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
    int milliseconds)
{
    ProgramRun run;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(SandboxRoot().string()));
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        run.errors = "cannot start " + program.toStdString();
        return run;
    }
    QElapsedTimer clock;
    clock.start();
    // Once the driver has done its last step, the program has a bounded
    // time of its own to end: a hang at the end shows at once, not after
    // the whole run's time.
    qint64 doneAt = -1;
    while (process.state() != QProcess::NotRunning && clock.elapsed() < milliseconds) {
        process.waitForFinished(200);
        run.output += process.readAllStandardOutput().toStdString();
        run.errors += process.readAllStandardError().toStdString();
        if (run.output.find("driver: failed") != std::string::npos)
            break;
        if (doneAt < 0 && run.output.find("driver: done") != std::string::npos)
            doneAt = clock.elapsed();
        if (doneAt >= 0 && clock.elapsed() - doneAt > kEndMilliseconds) {
            run.errors += "\n(the program was still running " + std::to_string(kEndMilliseconds / 1000)
                + " s after the driver's last step)\n";
            break;
        }
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
    } else {
        run.finished = true;
        run.exitCode = process.exitCode();
        run.exitStatus = process.exitStatus();
    }
    run.output += process.readAllStandardOutput().toStdString();
    run.errors += process.readAllStandardError().toStdString();
    return run;
}

// The demo's build, made as a vendor makes it.
ProgramRun MakeDemoBuild(const fs::path& build, const QProcessEnvironment& environment)
{
    return RunProgram(QString::fromStdString((BuildDir() / "tools/ondelle-build").string()),
        {"make", QString::fromStdString(Source("examples/skylark/product.json").string()), "-o",
            QString::fromStdString(build.string()), "--define",
            QString::fromStdString(std::string("BUILD=") + ONDELLE_DEMO_LIBRARY_DIR)},
        environment, kBuildMilliseconds);
}

// A picture that was saved and shows something: more than a handful of
// colours, so neither an empty nor a blank window.
void ExpectPicture(const fs::path& file, int minimumWidth, int minimumHeight)
{
    const QImage image(QString::fromStdString(file.string()));
    ASSERT_FALSE(image.isNull()) << file;
    EXPECT_GE(image.width(), minimumWidth) << file;
    EXPECT_GE(image.height(), minimumHeight) << file;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 50; y += 3)
        for (int x = 0; x < image.width() && colours.size() < 50; x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GE(colours.size(), 8u) << file << " looks blank";
}

} // namespace

TEST(EndToEndTest, DemoInstalledThroughItsWindowAsAUserDoes)
{
    const fs::path root = SandboxRoot();
    ASSERT_FALSE(root.empty());
    const fs::path home = EnvironmentFolder("HOME");
    const fs::path settings = EnvironmentFolder("XDG_CONFIG_HOME");
    const fs::path buildFolder = root / "demo-build";
    fs::create_directories(buildFolder);
    const fs::path build = buildFolder / "SkylarkSetup";
    fs::path pictures = EnvironmentFolder("ONDELLE_SCREENSHOT_DIR");
    if (pictures.empty())
        pictures = EnvironmentFolder("TMPDIR") / "pictures";
    pictures = fs::absolute(pictures);
    fs::create_directories(pictures);
    for (const char* picture : {"license.png", "choices.png", "help-window.png", "installing.png",
             "replace-alert.png", "complete.png"})
        fs::remove(pictures / picture);

    OrphanWatch orphans;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    // The build, as a vendor makes it.
    const ProgramRun made = MakeDemoBuild(build, environment);
    ASSERT_TRUE(made.finished && made.exitCode == 0) << made.output << made.errors;

    // A settings file of the user's own stands where the product's goes.
    fs::create_directories(settings);
    WriteFileBytes(settings / "skylark.conf", kPlanted);
    ASSERT_EQ(ReadFileBytes(settings / "skylark.conf"), kPlanted);

    QProcessEnvironment driven = environment;
    driven.insert("ONDELLE_TEST_DRIVER", QString::fromStdString(Source("tests/end_to_end/demo-install.drive").string()));
    driven.insert("ONDELLE_SCREENSHOT_DIR", QString::fromStdString(pictures.string()));
    const ProgramRun run = RunProgram(QString::fromStdString(build.string()), {}, driven, kRunMilliseconds);

    // Every line done, and the program ended by itself, well.
    EXPECT_EQ(run.output.find("driver: failed"), std::string::npos) << run.output << run.errors;
    EXPECT_NE(run.output.find("driver: done"), std::string::npos) << run.output << run.errors;
    ASSERT_TRUE(run.finished) << "the installer did not end by itself\n" << run.output << run.errors;
    EXPECT_EQ(run.exitStatus, QProcess::NormalExit) << run.errors;
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(Children().empty()) << "the installer left a process behind";

    // The tree as chosen: the program, not the read-me; the settings file
    // the user kept, the product's copy left in the installation folder.
    const fs::path installed = home / "Applications/Skylark Notes";
    EXPECT_EQ(ReadFileBytes(installed / "SkylarkNotes"), ReadFileBytes(Source("examples/skylark/payload/SkylarkNotes")));
    EXPECT_FALSE(fs::exists(installed / "ReadMe.txt"));
    EXPECT_FALSE(fs::exists(installed / "skylark-sync"));
    EXPECT_EQ(ReadFileBytes(settings / "skylark.conf"), kPlanted);
    EXPECT_EQ(ReadFileBytes(installed / "skylark.conf"), ReadFileBytes(Source("examples/skylark/payload/skylark.conf")));
    EXPECT_FALSE(fs::exists(settings / "Skylark/Templates"));
    EXPECT_FALSE(fs::exists(home / ".local/lib/libskylark.so"));

    const std::string log = ReadFileBytes(installed / "Log");
    EXPECT_NE(log.find("\t\tInstalling : SkylarkNotes\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\t\tInstalling : skylark.conf\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Installing : ReadMe.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("\t\t\tUser desired not to place item in " + settings.string() + "\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Installation Complete"), std::string::npos) << log;

    // The pictures of the documentation.
    ExpectPicture(pictures / "license.png", 400, 200);
    ExpectPicture(pictures / "choices.png", 400, 200);
    ExpectPicture(pictures / "installing.png", 400, 200);
    ExpectPicture(pictures / "help-window.png", 400, 150);
    ExpectPicture(pictures / "replace-alert.png", 300, 280);
    ExpectPicture(pictures / "complete.png", 150, 60);
}

TEST(EndToEndTest, AProgramWithoutAProductTellsTheUserAndEndsWithAnError)
{
    // The installer program itself carries no configuration: its window
    // cannot open, the user is told so, and the program ends by itself.
    const fs::path script = EnvironmentFolder("TMPDIR") / "bare.drive";
    WriteFileBytes(script, "timeout 90\n"
                           "text alert alert_text \"The installer was improperly built.\"\n"
                           "press alert OK\n");
    OrphanWatch orphans;
    QProcessEnvironment driven = QProcessEnvironment::systemEnvironment();
    driven.insert("ONDELLE_TEST_DRIVER", QString::fromStdString(script.string()));
    const ProgramRun run = RunProgram(QString::fromStdString((BuildDir() / "app/ondelle").string()), {}, driven,
        kRunMilliseconds);
    EXPECT_NE(run.output.find("driver: done"), std::string::npos) << run.output << run.errors;
    ASSERT_TRUE(run.finished) << "the installer did not end by itself\n" << run.output << run.errors;
    EXPECT_EQ(run.exitStatus, QProcess::NormalExit) << run.errors;
    // As the unattended run ends for a program without a product.
    EXPECT_EQ(run.exitCode, 2) << run.errors;
    EXPECT_TRUE(Children().empty()) << "the installer left a process behind";
}

TEST(EndToEndTest, TerminatedWhileAQuestionIsOpenTheInstallerStopsTheJobAndEndsWithoutAnAlert)
{
    const fs::path root = SandboxRoot();
    ASSERT_FALSE(root.empty());
    // A sandbox of its own: the other cases installed the demo already.
    const fs::path sandbox = root / "terminated";
    const fs::path home = sandbox / "home";
    const fs::path settings = home / ".config";
    fs::create_directories(sandbox / "tmp");
    const fs::path build = root / "demo-build-term" / "SkylarkSetup";
    fs::create_directories(build.parent_path());
    OrphanWatch orphans;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const ProgramRun made = MakeDemoBuild(build, environment);
    ASSERT_TRUE(made.finished && made.exitCode == 0) << made.output << made.errors;
    fs::create_directories(settings);
    WriteFileBytes(settings / "skylark.conf", kPlanted);

    // The install stops at the question about the user's settings file; the
    // script ends there and the question stays open.
    const fs::path script = sandbox / "to-the-question.drive";
    WriteFileBytes(script, "timeout 90\n"
                           "wait InstallerWin\n"
                           "press InstallerWin Agree\n"
                           "state choosing\n"
                           "select InstallerWin install_type Minimum\n"
                           "toggle InstallerWin custom_list skylark.conf\n"
                           "press InstallerWin Install\n"
                           "state installing\n"
                           "wait ReplaceAlert\n");
    QProcessEnvironment driven = environment;
    driven.insert("ONDELLE_TEST_DRIVER", QString::fromStdString(script.string()));
    driven.insert("ONDELLE_SANDBOX", QString::fromStdString(sandbox.string()));
    driven.insert("TMPDIR", QString::fromStdString((sandbox / "tmp").string()));
    driven.insert("HOME", QString::fromStdString(home.string()));
    driven.insert("XDG_CONFIG_HOME", QString::fromStdString(settings.string()));
    driven.insert("XDG_DATA_HOME", QString::fromStdString((home / ".local/share").string()));
    driven.insert("XDG_CACHE_HOME", QString::fromStdString((home / ".cache").string()));
    QProcess process;
    process.setProcessEnvironment(driven);
    process.setWorkingDirectory(QString::fromStdString(sandbox.string()));
    process.start(QString::fromStdString(build.string()), {});
    ASSERT_TRUE(process.waitForStarted(30000));
    std::string output;
    std::string errors;
    QElapsedTimer clock;
    clock.start();
    while (output.find("driver: done") == std::string::npos && output.find("driver: failed") == std::string::npos
        && process.state() != QProcess::NotRunning && clock.elapsed() < kRunMilliseconds) {
        process.waitForReadyRead(200);
        output += process.readAllStandardOutput().toStdString();
        errors += process.readAllStandardError().toStdString();
    }
    ASSERT_NE(output.find("driver: done"), std::string::npos) << output << errors;

    // As the session's end or a service manager ends it: one SIGTERM. The
    // program ends by itself, with no alert waiting for anyone.
    ::kill(pid_t(process.processId()), SIGTERM);
    const bool ended = process.waitForFinished(30000);
    output += process.readAllStandardOutput().toStdString();
    errors += process.readAllStandardError().toStdString();
    if (!ended) {
        process.kill();
        process.waitForFinished(10000);
    }
    ASSERT_TRUE(ended) << "the installer did not end after SIGTERM\n" << output << errors;
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << errors;
    EXPECT_EQ(process.exitCode(), 130) << errors;
    EXPECT_NE(errors.find("Installation was stopped before it could complete.\nIt was stopped at item"),
        std::string::npos) << errors;
    EXPECT_NE(errors.find("(Cause: the program was asked to end.)"), std::string::npos) << errors;

    // The user's file is untouched, everything the install had made is
    // taken back (its folder with the log included), and the lock on the
    // folder's name is gone.
    EXPECT_EQ(ReadFileBytes(settings / "skylark.conf"), kPlanted);
    EXPECT_NE(errors.find("Everything it had changed was taken back."), std::string::npos) << errors;
    const fs::path installed = home / "Applications/Skylark Notes";
    EXPECT_FALSE(fs::exists(installed)) << "the stopped install left its folder";
    for (const auto& entry : fs::directory_iterator(installed.parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("ondelle-lock"), std::string::npos) << entry.path();
    EXPECT_TRUE(Children().empty()) << "the installer left a process behind";
}

// The demo installed unattended into a sandbox of its own, then taken off
// again as a desktop user does: the menu entry's "Uninstall" action starts
// the deinstaller without a terminal, and its window lists what goes and
// what stays (a file the user changed), first cancelled, then removed.
TEST(EndToEndTest, DemoUninstalledThroughTheDeinstallerWindow)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        GTEST_SKIP() << "the deinstaller shows its window only on a display (run under xvfb-run)";
    const fs::path root = SandboxRoot();
    ASSERT_FALSE(root.empty());
    const fs::path sandbox = root / "uninstall";
    const fs::path home = sandbox / "home";
    fs::create_directories(sandbox / "tmp");
    // The first case's build when it made one.
    fs::path build = root / "demo-build" / "SkylarkSetup";
    OrphanWatch orphans;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!fs::exists(build)) {
        build = root / "demo-build-uninstall" / "SkylarkSetup";
        fs::create_directories(build.parent_path());
        const ProgramRun made = MakeDemoBuild(build, environment);
        ASSERT_TRUE(made.finished && made.exitCode == 0) << made.output << made.errors;
    }
    environment.insert("ONDELLE_SANDBOX", QString::fromStdString(sandbox.string()));
    environment.insert("TMPDIR", QString::fromStdString((sandbox / "tmp").string()));
    environment.insert("HOME", QString::fromStdString(home.string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((home / ".config").string()));
    environment.insert("XDG_DATA_HOME", QString::fromStdString((home / ".local/share").string()));
    environment.insert("XDG_CACHE_HOME", QString::fromStdString((home / ".cache").string()));
    const ProgramRun installed = RunProgram(QString::fromStdString(build.string()),
        {"--unattended", "--accept-license"}, environment, kRunMilliseconds);
    ASSERT_TRUE(installed.finished && installed.exitCode == 0) << installed.output << installed.errors;

    // The menu entry offers the deinstaller, and the desktop's validator
    // takes the entry.
    const fs::path folder = home / "Applications/Skylark Notes";
    const fs::path deinstaller = folder / "Skylark Notes 1.2 Deinstaller";
    fs::path entry;
    for (const auto& file : fs::recursive_directory_iterator(home / ".local/share/applications"))
        if (file.path().extension() == ".desktop")
            entry = file.path();
    ASSERT_FALSE(entry.empty());
    const std::string entryText = ReadFileBytes(entry);
    EXPECT_NE(entryText.find("[Desktop Action ondelle-uninstall]\nName=Uninstall Skylark Notes\nExec=\""
                  + deinstaller.string() + "\"\n"), std::string::npos) << entryText;
    // The vendor's fields of examples/skylark/product.json.
    for (const std::string& line : std::vector<std::string>{"GenericName=Note Taker", "Comment=Write and find short notes",
             "Categories=Office;TextEditor;", "Keywords=notes;memo;jotter;", "Terminal=true",
             "MimeType=application/x-skylark-note;", "Path=" + folder.string(),
             "Actions=list;ondelle-uninstall;"}) {
        EXPECT_NE(entryText.find("\n" + line + "\n"), std::string::npos) << line << "\n" << entryText;
    }
    const fs::path package = home / ".local/share/mime/packages/ondelle-Skylark-Notes-e73a4703.xml";
    EXPECT_NE(ReadFileBytes(package).find("<glob pattern=\"*.skynote\"/>"), std::string::npos);
    // The entry lies in the menu's subfolder "Skylark": its desktop file id
    // carries the folder.
    EXPECT_NE(ReadFileBytes(home / ".config/mimeapps.list").find("application/x-skylark-note=Skylark-"
                  + entry.filename().string() + ";"), std::string::npos);
    QProcess validator;
    validator.start("desktop-file-validate", {QString::fromStdString(entry.string())});
    ASSERT_TRUE(validator.waitForFinished(30000));
    EXPECT_EQ(validator.exitCode(), 0) << validator.readAllStandardOutput().toStdString();

    // The user changed the read-me since: it stays, and the window says why.
    WriteFileBytes(folder / "ReadMe.txt", "my own notes\n");
    const std::string keptLine = (folder / "ReadMe.txt").string() + " (file): changed since it was installed";

    // As the desktop starts it: no terminal, standard input /dev/null.
    const fs::path cancel = sandbox / "cancel.drive";
    WriteFileBytes(cancel, "timeout 90\n"
                           "wait DeinstallWindow\n"
                           "text DeinstallWindow instruction \"1 entry kept\"\n"
                           "select DeinstallWindow keep_list \"" + keptLine + "\"\n"
                           "press DeinstallWindow Cancel\n");
    QProcessEnvironment driven = environment;
    driven.insert("ONDELLE_TEST_DRIVER", QString::fromStdString(cancel.string()));
    const ProgramRun cancelled = RunProgram(QString::fromStdString(deinstaller.string()), {}, driven,
        kRunMilliseconds);
    EXPECT_NE(cancelled.output.find("driver: done"), std::string::npos) << cancelled.output << cancelled.errors;
    ASSERT_TRUE(cancelled.finished) << cancelled.output << cancelled.errors;
    EXPECT_EQ(cancelled.exitCode, 3);
    EXPECT_TRUE(fs::exists(folder / "SkylarkNotes"));
    EXPECT_TRUE(fs::exists(entry));

    // The terminal form stays as it was when asked for: no answer on the
    // empty standard input removes nothing.
    QProcess asked;
    asked.setProcessEnvironment(environment);
    asked.setStandardInputFile(QProcess::nullDevice());
    asked.start(QString::fromStdString(deinstaller.string()), {"--terminal"});
    ASSERT_TRUE(asked.waitForFinished(kRunMilliseconds));
    const std::string answer = asked.readAllStandardOutput().toStdString();
    EXPECT_EQ(asked.exitCode(), 3);
    EXPECT_NE(answer.find("Remove them? [y/N] Nothing was removed."), std::string::npos) << answer;
    EXPECT_TRUE(fs::exists(folder / "SkylarkNotes"));

    fs::path pictures = EnvironmentFolder("ONDELLE_SCREENSHOT_DIR");
    if (pictures.empty())
        pictures = EnvironmentFolder("TMPDIR") / "pictures";
    pictures = fs::absolute(pictures);
    fs::create_directories(pictures);
    fs::remove(pictures / "uninstall.png");
    const fs::path remove = sandbox / "remove.drive";
    WriteFileBytes(remove, "timeout 90\n"
                           "wait DeinstallWindow\n"
                           "shot DeinstallWindow uninstall.png\n"
                           "press DeinstallWindow Remove\n"
                           "text DeinstallWindow instruction \"Uninstalled Skylark Notes\"\n"
                           "text DeinstallWindow progress \"0 could not be removed\"\n"
                           "press DeinstallWindow Close\n");
    driven.insert("ONDELLE_TEST_DRIVER", QString::fromStdString(remove.string()));
    driven.insert("ONDELLE_SCREENSHOT_DIR", QString::fromStdString(pictures.string()));
    const ProgramRun removed = RunProgram(QString::fromStdString(deinstaller.string()), {}, driven,
        kRunMilliseconds);
    EXPECT_EQ(removed.output.find("driver: failed"), std::string::npos) << removed.output << removed.errors;
    EXPECT_NE(removed.output.find("driver: done"), std::string::npos) << removed.output << removed.errors;
    ASSERT_TRUE(removed.finished) << removed.output << removed.errors;
    EXPECT_EQ(removed.exitStatus, QProcess::NormalExit);
    EXPECT_EQ(removed.exitCode, 0) << removed.errors;
    EXPECT_FALSE(fs::exists(folder / "SkylarkNotes"));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(fs::exists(package));
    EXPECT_EQ(ReadFileBytes(folder / "ReadMe.txt"), "my own notes\n");
    EXPECT_TRUE(fs::exists(deinstaller));
    ExpectPicture(pictures / "uninstall.png", 400, 300);
    EXPECT_TRUE(Children().empty()) << "the deinstaller left a process behind";
}
