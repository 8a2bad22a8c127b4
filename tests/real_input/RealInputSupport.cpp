#include "RealInputSupport.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace realinput {

namespace {

// Generous: two shared cores under load.
constexpr int kBuildMilliseconds = 300000;
constexpr int kLineMilliseconds = 90000;
constexpr int kInputMilliseconds = 20000;

QString Text(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

int Luminance(QRgb colour)
{
    return (qRed(colour) * 299 + qGreen(colour) * 587 + qBlue(colour) * 114) / 1000;
}

} // namespace

std::string MakeDemoBuild(const fs::path& build)
{
    QProcess process;
    process.setWorkingDirectory(Text(ondelle::test::SandboxRoot()));
    process.start(Text(ondelle::test::BuildDir() / "tools/ondelle-build"),
        {"make", Text(fs::path(ONDELLE_SOURCE_DIR) / "examples/skylark/product.json"), "-o", Text(build),
            "--define", QString::fromStdString(std::string("BUILD=") + ONDELLE_DEMO_LIBRARY_DIR)});
    if (!process.waitForFinished(kBuildMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return "the build tool did not end";
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return process.readAllStandardOutput().toStdString() + process.readAllStandardError().toStdString();
    return "";
}

DrivenProgram::DrivenProgram(const fs::path& build, const fs::path& script, const fs::path& pictures)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ONDELLE_TEST_DRIVER", Text(script));
    environment.insert("ONDELLE_SCREENSHOT_DIR", Text(pictures));
    fProcess.setProcessEnvironment(environment);
    fProcess.setWorkingDirectory(Text(ondelle::test::SandboxRoot()));
    fProcess.start(Text(build), {});
    fStarted = fProcess.waitForStarted(30000);
}

DrivenProgram::~DrivenProgram()
{
    if (fProcess.state() != QProcess::NotRunning) {
        fProcess.kill();
        fProcess.waitForFinished(10000);
    }
}

void DrivenProgram::_Read()
{
    fOutput += fProcess.readAllStandardOutput().toStdString();
    fErrors += fProcess.readAllStandardError().toStdString();
    size_t end;
    while ((end = fOutput.find('\n', fScanned)) != std::string::npos) {
        const std::string line = fOutput.substr(fScanned, end - fScanned);
        fScanned = end + 1;
        fLines.push_back(line);
        // "driver: frame WINDOW VIEW SX SY X Y W H", of the installer window.
        const std::string prefix = "driver: frame InstallerWin ";
        if (line.rfind(prefix, 0) != 0)
            continue;
        std::istringstream words(line.substr(prefix.size()));
        std::string view;
        realinput::Frame frame;
        if (words >> view >> frame.screenX >> frame.screenY >> frame.x >> frame.y >> frame.width >> frame.height)
            fFrames[view] = frame;
    }
}

bool DrivenProgram::WaitFor(const std::string& line)
{
    QElapsedTimer clock;
    clock.start();
    for (size_t seen = 0; clock.elapsed() < kLineMilliseconds;) {
        _Read();
        for (; seen < fLines.size(); seen++) {
            if (fLines[seen].rfind(line, 0) == 0)
                return true;
            if (fLines[seen].rfind("driver: failed", 0) == 0)
                return false;
        }
        if (fProcess.state() == QProcess::NotRunning)
            return false;
        fProcess.waitForReadyRead(100);
    }
    return false;
}

bool DrivenProgram::WaitForEnd(int milliseconds)
{
    const bool ended = fProcess.state() == QProcess::NotRunning || fProcess.waitForFinished(milliseconds);
    _Read();
    return ended;
}

int DrivenProgram::ExitCode() const
{
    if (fProcess.state() != QProcess::NotRunning || fProcess.exitStatus() != QProcess::NormalExit)
        return -1;
    return fProcess.exitCode();
}

Frame DrivenProgram::ViewFrame(const std::string& view) const
{
    const auto found = fFrames.find(view);
    return found != fFrames.end() ? found->second : realinput::Frame();
}

WindowManager::WindowManager(const QString& program)
{
    fProcess.setProgram(program);
    fProcess.setArguments({"--sm-disable"});
    fProcess.setWorkingDirectory(Text(ondelle::test::SandboxRoot()));
    fProcess.start();
    fStarted = fProcess.waitForStarted(30000);
}

WindowManager::~WindowManager()
{
    if (fProcess.state() != QProcess::NotRunning) {
        fProcess.terminate();
        if (!fProcess.waitForFinished(10000)) {
            fProcess.kill();
            fProcess.waitForFinished(10000);
        }
    }
}

bool Pointer::_Run(const QStringList& arguments, std::string* output)
{
    QProcess process;
    process.start(fXdotool, arguments);
    if (!process.waitForFinished(kInputMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output != nullptr)
        *output = process.readAllStandardOutput().toStdString();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Pointer::MoveTo(QPoint where)
{
    return _Run({"mousemove", "--sync", QString::number(where.x()), QString::number(where.y())});
}

bool Pointer::Click(QPoint where)
{
    return MoveTo(where) && _Run({"click", "1"});
}

bool Pointer::Wheel(bool up, int steps)
{
    return _Run({"click", "--repeat", QString::number(steps), "--delay", "30", up ? "4" : "5"});
}

bool Pointer::Key(const std::string& keys)
{
    QStringList arguments{"key", "--delay", "30"};
    arguments += QString::fromStdString(keys).split(' ', Qt::SkipEmptyParts);
    return _Run(arguments);
}

bool Pointer::Type(const std::string& text)
{
    return _Run({"type", "--delay", "20", QString::fromStdString(text)});
}

std::vector<unsigned long> Pointer::ShownWindows(qint64 pid)
{
    std::string output;
    // xdotool ends with status 1 when it finds no window.
    _Run({"search", "--onlyvisible", "--pid", QString::number(pid)}, &output);
    std::vector<unsigned long> windows;
    std::istringstream lines(output);
    unsigned long window = 0;
    while (lines >> window)
        windows.push_back(window);
    std::sort(windows.begin(), windows.end());
    return windows;
}

unsigned long Pointer::WaitForNewWindow(qint64 pid, const std::vector<unsigned long>& known, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        for (unsigned long window : ShownWindows(pid)) {
            if (std::find(known.begin(), known.end(), window) == known.end())
                return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

unsigned long Pointer::WaitForNewWindowAt(qint64 pid, const std::vector<unsigned long>& known, int top, int bottom,
    int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        for (unsigned long window : ShownWindows(pid)) {
            if (std::find(known.begin(), known.end(), window) != known.end())
                continue;
            // "X=..", "Y=.." lines among others.
            std::string output;
            if (!_Run({"getwindowgeometry", "--shell", QString::number(window)}, &output))
                continue;
            const size_t at = output.find("\nY=");
            if (at == std::string::npos)
                continue;
            const int y = std::atoi(output.c_str() + at + 3);
            if (y >= top && y <= bottom)
                return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

unsigned long Pointer::WaitForActiveWindow(qint64 pid, const std::vector<unsigned long>& old, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        std::string output;
        if (_Run({"getactivewindow"}, &output)) {
            const unsigned long active = std::strtoul(output.c_str(), nullptr, 10);
            const std::vector<unsigned long> shown = ShownWindows(pid);
            if (active != 0 && std::find(old.begin(), old.end(), active) == old.end()
                && std::find(shown.begin(), shown.end(), active) != shown.end())
                return active;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

int Pointer::WindowHeight(unsigned long window)
{
    std::string output;
    if (!_Run({"getwindowgeometry", "--shell", QString::number(window)}, &output))
        return 0;
    const size_t at = output.find("HEIGHT=");
    return at != std::string::npos ? std::atoi(output.c_str() + at + 7) : 0;
}

bool Pointer::WaitForWindowGone(unsigned long window, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        std::string output;
        _Run({"search", "--onlyvisible", "--name", ".*"}, &output);
        std::istringstream lines(output);
        bool shown = false;
        unsigned long listed = 0;
        while (lines >> listed)
            shown = shown || listed == window;
        if (!shown)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool Pointer::WaitForOnlyWindows(qint64 pid, size_t count, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        if (ShownWindows(pid).size() == count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string LabelCut(const QImage& picture, const Frame& frame, bool rightAligned)
{
    const QRect area = QRect(frame.x, frame.y, frame.width, frame.height).intersected(picture.rect());
    if (area.width() < 4 || area.height() < 4)
        return "the view is not in the picture";
    // The background is the colour most pixels of the frame have; ink is
    // what stands out from it clearly.
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); y++)
        for (int x = area.left(); x <= area.right(); x++)
            counts[picture.pixel(x, y)]++;
    const QRgb background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first;
    auto ink = [&](int x, int y) { return std::abs(Luminance(picture.pixel(x, y)) - Luminance(background)) > 90; };
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); y++)
        for (int x = area.left(); x <= area.right(); x++)
            inked += ink(x, y) ? 1 : 0;
    if (inked < 5)
        return "no text is drawn";
    const int edge = rightAligned ? area.left() : area.right();
    for (int y = area.top(); y <= area.bottom(); y++) {
        if (ink(edge, y))
            return "the text runs into the frame's edge at (" + std::to_string(edge) + ", " + std::to_string(y)
                + ")";
    }
    return "";
}

int DifferingPixels(const QImage& before, const QImage& after, const QRect& area)
{
    const QRect inside = area.intersected(before.rect()).intersected(after.rect());
    int differing = 0;
    for (int y = inside.top(); y <= inside.bottom(); y++)
        for (int x = inside.left(); x <= inside.right(); x++)
            differing += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
    return differing;
}

int DistinctColours(const QImage& picture)
{
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height() && colours.size() < 50; y += 2)
        for (int x = 0; x < picture.width() && colours.size() < 50; x += 2)
            colours.insert(picture.pixel(x, y));
    return int(colours.size());
}

} // namespace realinput
