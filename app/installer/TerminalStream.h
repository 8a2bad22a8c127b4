// A stream that writes to another one with control characters shown as
// \xNN (engine/ControlCharacters.h), line ends and tabs excepted: for
// writers that print texts from a build (questions and messages naming
// products, items and paths) to a terminal, where an escape sequence in a
// name would move the cursor or retitle the window.
#pragma once

#include <cstdio>

class TerminalStream {
public:
    // target must outlive this stream.
    explicit TerminalStream(FILE* target);
    ~TerminalStream();
    TerminalStream(const TerminalStream&) = delete;
    TerminalStream& operator=(const TerminalStream&) = delete;

    // The stream to write to; unbuffered, so what is written reaches
    // target in order with what is written to target directly. The target
    // itself when no stream could be made.
    FILE* Stream() const { return fStream != nullptr ? fStream : fTarget; }

private:
    static ssize_t _Write(void* cookie, const char* data, size_t size);

    FILE* fTarget;
    FILE* fStream;
    // The first byte of a possible C1 character (0xc2) that ended the last
    // write, held until the next byte tells what it is.
    bool fPendingLead = false;
};
