#include "ProgressLine.h"

#include <cmath>

ProgressLine::ProgressLine(FILE* out, bool terminal)
    : fOut(out)
    , fTerminal(terminal)
{
}


std::string ProgressLine::Describe(int64 done, int64 total, double elapsedSeconds)
{
    if (total <= 0)
        return "100%";
    if (done < 0)
        done = 0;
    if (done > total)
        done = total;
    std::string text = std::to_string(Percent(done, total)) + "%";
    if (done > 0 && done < total && elapsedSeconds > 0) {
        const double left = elapsedSeconds * double(total - done) / double(done);
        const long long seconds = std::llround(left);
        char buffer[64];
        std::snprintf(buffer, sizeof(buffer), ", about %lld:%02lld left", seconds / 60, seconds % 60);
        text += buffer;
    }
    return text;
}


int ProgressLine::Percent(int64 done, int64 total)
{
    if (total <= 0)
        return 100;
    done = done < 0 ? 0 : done > total ? total : done;
    return int((long double)done * 100 / total);
}


void ProgressLine::Update(int64 done, int64 total, double elapsedSeconds)
{
    const std::string text = "Progress: " + Describe(done, total, elapsedSeconds);
    if (fTerminal) {
        _Clear();
        fShown = text;
        _Draw();
        return;
    }
    const int tenth = total <= 0 || done >= total ? 10 : int((long double)(done < 0 ? 0 : done) * 10 / total);
    if (tenth <= fLastTenth)
        return;
    fLastTenth = tenth;
    std::fprintf(fOut, "%s\n", text.c_str());
    std::fflush(fOut);
}


void ProgressLine::PrintStatus(const char* text)
{
    _Clear();
    std::fprintf(fOut, "%s\n", text);
    _Draw();
    std::fflush(fOut);
}


void ProgressLine::Finish()
{
    if (!fTerminal || fShown.empty())
        return;
    std::fprintf(fOut, "\n");
    std::fflush(fOut);
    fShown.clear();
}


void ProgressLine::_Clear()
{
    // Blanks the redrawn line and returns to its start; a shorter text
    // drawn next leaves nothing of the longer one behind.
    if (!fTerminal || fShown.empty())
        return;
    std::fprintf(fOut, "\r%s\r", std::string(fShown.size(), ' ').c_str());
}


void ProgressLine::_Draw()
{
    if (!fTerminal || fShown.empty())
        return;
    std::fprintf(fOut, "%s", fShown.c_str());
    std::fflush(fOut);
}
