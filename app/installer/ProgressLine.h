#pragma once

#include <SupportDefs.h>

#include <cstdio>
#include <string>

// The install's progress on a text stream: the share of bytes done and the
// time left. On a terminal one line is redrawn in place (status lines are
// printed above it); elsewhere a plain line is written at most once per
// tenth of the way, so that logs stay short.
class ProgressLine {
public:
    ProgressLine(FILE* out, bool terminal);

    // Shows done of total bytes, elapsedSeconds after the install began.
    void Update(int64 done, int64 total, double elapsedSeconds);
    // Prints a status line without mixing it into the progress line.
    void PrintStatus(const char* text);
    // Ends the redrawn line so that later output starts on a line of its own.
    void Finish();

    // "42%, about 1:05 left"; the time is left out while it cannot be
    // estimated and once everything is done.
    static std::string Describe(int64 done, int64 total, double elapsedSeconds);
    // Whole percent of done in total, rounded down so that 100 means
    // everything is done; done is clamped to 0 .. total, and no total at
    // all counts as done.
    static int Percent(int64 done, int64 total);

private:
    void _Clear();
    void _Draw();

    FILE* fOut;
    bool fTerminal;
    std::string fShown;     // the text of the redrawn line, empty when none
    int fLastTenth = 0;     // the tenth of the last plain line
};
