// ScriptRunner: carries out a script of user actions in the running program,
// one line after the other, and reports each line on an output stream. It
// is the engine of a program's test hook: a test writes the script, starts
// the program with it, and reads the report.
//
// A line is a command and its words, separated by blanks; a word with
// blanks is written in double quotes (\" and \\ inside them stand for " and
// \). Empty lines and lines starting with "#" are skipped. A command that
// cannot be done yet (its window is not shown, its button is disabled) is
// tried again every few milliseconds until it is done or its time is up,
// so a script waits for the program as a user does. The commands:
//
//   timeout SECONDS              time allowed for each later line (60)
//   wait WINDOW                  until the window is shown
//   gone WINDOW                  until the window is no longer shown
//   text WINDOW VIEW TEXT        until the view's text contains TEXT
//   click WINDOW VIEW [MODS]     clicks the middle of the view
//   select WINDOW LIST ITEM      clicks the item of the list
//   toggle WINDOW LIST ITEM      clicks the item with Ctrl held
//   press WINDOW LABEL           clicks the button or check box so labelled
//   pick LABEL                   clicks the entry of the open pop-up menu
//                                (a click on a menu field opens one)
//   help WINDOW VIEW             Shift+F1 with the mouse over the view
//   frame WINDOW VIEW            reports where the view is, as the line
//                                "driver: frame WINDOW VIEW SX SY X Y W H":
//                                on the screen at SX,SY, in the window's
//                                pictures at X,Y, W by H pixels
//   focus WINDOW VIEW            until the view has the keyboard focus
//   shot WINDOW FILE             saves the window as FILE (a PNG) in the
//                                folder given to SetPictureFolder; skipped
//                                when there is none
//
// MODS is "shift", "ctrl" or "shift+ctrl". ITEM is "#N" for the item at
// index N, or the item's text (see SetItemText). Windows are named as in
// DrivenInput. Programs add commands of their own with AddCommand.
//
// The report has one line per script line: "driver: ok LINE", or
// "driver: failed LINE: REASON" after which the script stops; at the end
// "driver: done". The runner works on the GUI thread, from a timer of its
// own: create, start and delete it there.
#pragma once

#include <SupportDefs.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class BListItem;
class QTimer;

class ScriptRunner {
public:
    enum Outcome { kDone, kNotYet, kFailed };
    // A command: gets the words after the command's name; on kNotYet or
    // kFailed it says why.
    using Command = std::function<Outcome(const std::vector<std::string>& words, std::string* why)>;

    // report: where the report lines go (flushed after each line).
    explicit ScriptRunner(FILE* report);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Splits a line into its words as described above; false when a quote
    // is not closed.
    static bool SplitLine(const std::string& line, std::vector<std::string>* words);

    void AddCommand(const std::string& name, Command command);
    // The text by which a script names a list item; by default none, so
    // only "#N" names items.
    void SetItemText(std::function<std::string(const BListItem*)> text);
    void SetPictureFolder(const std::string& folder) { fPictureFolder = folder; }
    // Called once when a line failed, after the report.
    void SetFailureHook(std::function<void()> hook) { fFailureHook = std::move(hook); }

    // Reads the script at path and starts carrying it out. An unreadable
    // script or a line of an unknown command is reported as a failure and
    // nothing is done.
    status_t Start(const std::string& path);
    // Carries out the script given as text (for the same checks).
    status_t StartText(const std::string& text);

    bool Finished() const { return fFinished; }
    bool Failed() const { return fFailed; }

    // Carries the current line one step further; the timer calls it.
    void Step();

private:
    struct Line {
        std::string text;
        std::vector<std::string> words;
    };

    void _AddStandardCommands();
    Outcome _Run(const Line& line, std::string* why);
    void _Finish();
    void _Fail(const std::string& line, const std::string& why);
    void _Report(const std::string& text);

    FILE* fReport;
    std::map<std::string, Command> fCommands;
    std::function<std::string(const BListItem*)> fItemText;
    std::function<void()> fFailureHook;
    std::string fPictureFolder;
    std::vector<Line> fLines;
    size_t fNext = 0;
    bigtime_t fLineStarted = -1;
    bigtime_t fTimeout = 60000000;
    bool fFinished = false;
    bool fFailed = false;
    bool fStepping = false;
    std::unique_ptr<QTimer> fTimer;
};
