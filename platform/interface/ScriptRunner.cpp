#include <ScriptRunner.h>

#include <DrivenInput.h>
#include <InterfaceDefs.h>
#include <OS.h>

#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// How often a line that cannot be done yet is tried again.
constexpr int kStepMilliseconds = 50;

using Words = std::vector<std::string>;

bool WrongCount(const Words& words, size_t least, size_t most, std::string* why)
{
    if (words.size() >= least && words.size() <= most)
        return false;
    *why = "wrong number of words";
    return true;
}

ScriptRunner::Outcome Result(status_t status)
{
    return status == B_OK ? ScriptRunner::kDone : ScriptRunner::kNotYet;
}

// "shift", "ctrl" or both joined by "+"; false for anything else.
bool ParseModifiers(const std::string& text, uint32* modifiers)
{
    *modifiers = 0;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, '+')) {
        if (part == "shift")
            *modifiers |= B_SHIFT_KEY;
        else if (part == "ctrl")
            *modifiers |= B_COMMAND_KEY;
        else
            return false;
    }
    return *modifiers != 0;
}

} // namespace

ScriptRunner::ScriptRunner(FILE* report)
    : fReport(report)
{
    _AddStandardCommands();
}

ScriptRunner::~ScriptRunner() = default;

bool ScriptRunner::SplitLine(const std::string& line, std::vector<std::string>* words)
{
    words->clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            i++;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            i++;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size())
                    word += line[i++];
                else
                    word += c;
            }
            if (!closed)
                return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
        }
        words->push_back(word);
    }
    return true;
}

void ScriptRunner::AddCommand(const std::string& name, Command command)
{
    fCommands[name] = std::move(command);
}

void ScriptRunner::SetItemText(std::function<std::string(const BListItem*)> text)
{
    fItemText = std::move(text);
}

status_t ScriptRunner::Start(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    if (!file || !(text << file.rdbuf())) {
        _Fail("(script " + path + ")", "the script cannot be read");
        return B_ENTRY_NOT_FOUND;
    }
    return StartText(text.str());
}

status_t ScriptRunner::StartText(const std::string& text)
{
    fLines.clear();
    fNext = 0;
    fFinished = false;
    fFailed = false;
    std::stringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        Line line;
        line.text = raw;
        while (!line.text.empty() && (line.text.back() == '\r' || line.text.back() == ' '))
            line.text.pop_back();
        if (!SplitLine(line.text, &line.words)) {
            _Fail(line.text, "a quote is not closed");
            return B_BAD_VALUE;
        }
        if (line.words.empty() || line.words[0][0] == '#')
            continue;
        if (fCommands.find(line.words[0]) == fCommands.end()) {
            _Fail(line.text, "unknown command");
            return B_BAD_VALUE;
        }
        fLines.push_back(line);
    }
    fTimer = std::make_unique<QTimer>();
    QObject::connect(fTimer.get(), &QTimer::timeout, [this] { Step(); });
    fTimer->start(kStepMilliseconds);
    return B_OK;
}

void ScriptRunner::Step()
{
    // A command's input may run a nested event loop (a dialog) that fires
    // the timer again: the line in progress is not started twice.
    if (fFinished || fStepping)
        return;
    fStepping = true;
    if (fNext >= fLines.size()) {
        _Finish();
        fStepping = false;
        return;
    }
    const Line& line = fLines[fNext];
    const bigtime_t now = system_time();
    if (fLineStarted < 0)
        fLineStarted = now;
    std::string why;
    const Outcome outcome = _Run(line, &why);
    if (outcome == kDone) {
        _Report("driver: ok " + line.text);
        fNext++;
        fLineStarted = -1;
        // The last line may end the program (its last alert closed): the
        // end is told at once.
        if (fNext >= fLines.size())
            _Finish();
    } else if (outcome == kFailed || now - fLineStarted > fTimeout) {
        _Fail(line.text, outcome == kFailed ? why : "timed out: " + why);
    }
    fStepping = false;
}

ScriptRunner::Outcome ScriptRunner::_Run(const Line& line, std::string* why)
{
    const Words words(line.words.begin() + 1, line.words.end());
    return fCommands[line.words[0]](words, why);
}

void ScriptRunner::_Finish()
{
    fFinished = true;
    if (fTimer)
        fTimer->stop();
    _Report("driver: done");
}

void ScriptRunner::_Fail(const std::string& line, const std::string& why)
{
    fFinished = true;
    fFailed = true;
    if (fTimer)
        fTimer->stop();
    _Report("driver: failed " + line + ": " + why + "\n" + DrivenInput::ShownWindows());
    if (fFailureHook)
        fFailureHook();
}

void ScriptRunner::_Report(const std::string& text)
{
    if (fReport == nullptr)
        return;
    std::fprintf(fReport, "%s\n", text.c_str());
    std::fflush(fReport);
}

void ScriptRunner::_AddStandardCommands()
{
    AddCommand("timeout", [this](const Words& words, std::string* why) {
        if (WrongCount(words, 1, 1, why))
            return kFailed;
        char* end = nullptr;
        errno = 0;
        const double seconds = std::strtod(words[0].c_str(), &end);
        if (errno != 0 || end == words[0].c_str() || *end != '\0' || !(seconds > 0) || seconds > 86400) {
            *why = "not a number of seconds";
            return kFailed;
        }
        fTimeout = bigtime_t(seconds * 1e6);
        return kDone;
    });
    AddCommand("wait", [](const Words& words, std::string* why) {
        if (WrongCount(words, 1, 1, why))
            return kFailed;
        if (DrivenInput::WindowShown(words[0].c_str()))
            return kDone;
        *why = "no window \"" + words[0] + "\" is shown";
        return kNotYet;
    });
    AddCommand("gone", [](const Words& words, std::string* why) {
        if (WrongCount(words, 1, 1, why))
            return kFailed;
        if (!DrivenInput::WindowShown(words[0].c_str()))
            return kDone;
        *why = "the window \"" + words[0] + "\" is still shown";
        return kNotYet;
    });
    AddCommand("text", [](const Words& words, std::string* why) {
        if (WrongCount(words, 3, 3, why))
            return kFailed;
        std::string text;
        if (DrivenInput::ViewText(words[0].c_str(), words[1].c_str(), &text, why) != B_OK)
            return kNotYet;
        if (text.find(words[2]) != std::string::npos)
            return kDone;
        *why = "the view shows \"" + text + "\"";
        return kNotYet;
    });
    AddCommand("click", [](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 3, why))
            return kFailed;
        uint32 modifiers = 0;
        if (words.size() == 3 && !ParseModifiers(words[2], &modifiers)) {
            *why = "unknown modifier keys";
            return kFailed;
        }
        return Result(DrivenInput::Click(words[0].c_str(), words[1].c_str(), nullptr, modifiers, why));
    });
    for (const char* name : {"select", "toggle"}) {
        const uint32 modifiers = std::string(name) == "toggle" ? uint32(B_COMMAND_KEY) : 0;
        AddCommand(name, [this, modifiers](const Words& words, std::string* why) {
            if (WrongCount(words, 3, 3, why))
                return kFailed;
            const std::string& wanted = words[2];
            auto match = [this, &wanted](int32 index, const BListItem* item) {
                if (wanted.size() > 1 && wanted[0] == '#')
                    return wanted.substr(1) == std::to_string(index);
                return fItemText && fItemText(item) == wanted;
            };
            return Result(DrivenInput::ClickItem(words[0].c_str(), words[1].c_str(), match, modifiers, why));
        });
    }
    AddCommand("press", [](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 2, why))
            return kFailed;
        return Result(DrivenInput::Press(words[0].c_str(), words[1].c_str(), why));
    });
    AddCommand("pick", [](const Words& words, std::string* why) {
        if (WrongCount(words, 1, 1, why))
            return kFailed;
        return Result(DrivenInput::PickMenuItem(words[0].c_str(), why));
    });
    AddCommand("help", [](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 2, why))
            return kFailed;
        return Result(DrivenInput::AskHelp(words[0].c_str(), words[1].c_str(), why));
    });
    AddCommand("frame", [this](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 2, why))
            return kFailed;
        BRect screen;
        BRect contents;
        if (DrivenInput::ViewFrame(words[0].c_str(), words[1].c_str(), &screen, &contents, why) != B_OK)
            return kNotYet;
        char where[160];
        std::snprintf(where, sizeof(where), " %d %d %d %d %d %d", int(screen.left), int(screen.top),
            int(contents.left), int(contents.top), int(screen.Width()) + 1, int(screen.Height()) + 1);
        _Report("driver: frame " + words[0] + " " + words[1] + where);
        return kDone;
    });
    AddCommand("focus", [](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 2, why))
            return kFailed;
        bool focus = false;
        if (DrivenInput::ViewHasFocus(words[0].c_str(), words[1].c_str(), &focus, why) != B_OK)
            return kNotYet;
        if (!focus)
            *why = "the view \"" + words[1] + "\" does not have the focus";
        return focus ? kDone : kNotYet;
    });
    AddCommand("shot", [this](const Words& words, std::string* why) {
        if (WrongCount(words, 2, 2, why))
            return kFailed;
        const std::string& file = words[1];
        if (file.empty() || file.find('/') != std::string::npos || file[0] == '.') {
            *why = "a picture is named by a plain file name";
            return kFailed;
        }
        if (fPictureFolder.empty()) {
            if (DrivenInput::WindowShown(words[0].c_str()))
                return kDone;
            *why = "no window \"" + words[0] + "\" is shown";
            return kNotYet;
        }
        const std::string path = fPictureFolder + "/" + file;
        return Result(DrivenInput::SavePicture(words[0].c_str(), path.c_str(), why));
    });
}
