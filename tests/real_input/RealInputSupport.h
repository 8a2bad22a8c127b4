// Pieces of the real-input walk: the program under its test hook (which
// only watches and reports), a window manager for the display, X input
// made with xdotool, and checks of the pictures taken.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace realinput {

// Makes the demo's installer build at build with the build tool; an empty
// text when it worked, else what went wrong.
std::string MakeDemoBuild(const std::filesystem::path& build);

// Where a view is, as the test hook reports it: on the screen and in the
// window's pictures.
struct Frame {
    int screenX = 0;
    int screenY = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    QPoint Middle() const { return At(width / 2, height / 2); }
    // A point on the screen, given in the view's coordinates.
    QPoint At(int dx, int dy) const { return QPoint(screenX + dx, screenY + dy); }
    // The frame in the window's pictures, grown by pixels on every side
    // (shrunk when negative).
    QRect Grown(int pixels) const
    {
        return QRect(x - pixels, y - pixels, width + 2 * pixels, height + 2 * pixels);
    }
};

// The installer build running with a script for its test hook; reads its
// report as it comes.
class DrivenProgram {
public:
    DrivenProgram(const std::filesystem::path& build, const std::filesystem::path& script,
        const std::filesystem::path& pictures);
    ~DrivenProgram();
    DrivenProgram(const DrivenProgram&) = delete;
    DrivenProgram& operator=(const DrivenProgram&) = delete;

    bool Started() const { return fStarted; }
    qint64 Pid() const { return fProcess.processId(); }
    // Waits until a report line starts with line; false when the script
    // failed, the program ended or 90 s went by first.
    bool WaitFor(const std::string& line);
    bool WaitForEnd(int milliseconds);
    int ExitCode() const;
    // The frame reported for the view of the installer window (empty when
    // none was).
    realinput::Frame ViewFrame(const std::string& view) const;
    // Everything the program said so far.
    std::string Report() const { return fOutput + fErrors; }

private:
    void _Read();

    QProcess fProcess;
    bool fStarted = false;
    std::string fOutput;
    std::string fErrors;
    size_t fScanned = 0;
    std::vector<std::string> fLines;
    std::map<std::string, realinput::Frame> fFrames;
};

// A window manager on the display for the length of a scope.
class WindowManager {
public:
    explicit WindowManager(const QString& program);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool Started() const { return fStarted; }

private:
    QProcess fProcess;
    bool fStarted = false;
};

// Real X input through xdotool; every call waits for xdotool to end.
class Pointer {
public:
    explicit Pointer(const QString& xdotool) : fXdotool(xdotool) {}

    bool MoveTo(QPoint where);
    bool Click(QPoint where);
    // Turns the wheel by steps, down or up.
    bool Wheel(bool up, int steps);
    // Presses and releases the keys, blank-separated X key names.
    bool Key(const std::string& keys);
    bool Type(const std::string& text);

    // The program's shown windows (by X window id).
    std::vector<unsigned long> ShownWindows(qint64 pid);
    // Waits for a shown window of the program that is not in known; 0 when
    // none came in time.
    unsigned long WaitForNewWindow(qint64 pid, const std::vector<unsigned long>& known, int milliseconds);
    // Waits for a shown window of the program that is not in known and
    // whose top edge lies within rows of the screen; 0 when none came.
    unsigned long WaitForNewWindowAt(qint64 pid, const std::vector<unsigned long>& known, int top, int bottom,
        int milliseconds);
    // Waits until the window manager has made a window of the program
    // other than those in old the active one (keys go there); its id, or
    // 0 when none became active in time.
    unsigned long WaitForActiveWindow(qint64 pid, const std::vector<unsigned long>& old, int milliseconds);
    bool WaitForWindowGone(unsigned long window, int milliseconds);
    // The window's height in pixels, or 0 when it cannot be read.
    int WindowHeight(unsigned long window);
    // Waits until the program shows exactly count windows.
    bool WaitForOnlyWindows(qint64 pid, size_t count, int milliseconds);

private:
    bool _Run(const QStringList& arguments, std::string* output = nullptr);

    QString fXdotool;
};

// Why a label in the frame of picture looks cut: its text touches the
// frame's trailing edge (the right one, or the left one for a right-aligned
// label), or nothing is drawn at all; an empty text when it fits.
std::string LabelCut(const QImage& picture, const Frame& frame, bool rightAligned);

// How many pixels of area differ between two pictures of the same window.
int DifferingPixels(const QImage& before, const QImage& after, const QRect& area);

// How many colours a picture shows (counting stops at 50).
int DistinctColours(const QImage& picture);

} // namespace realinput
