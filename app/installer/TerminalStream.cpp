// An escaping stream on top of another (glibc's fopencookie).
#include "TerminalStream.h"

#include <ControlCharacters.h>

#include <string>

TerminalStream::TerminalStream(FILE* target)
    : fTarget(target)
    , fStream(nullptr)
{
    cookie_io_functions_t functions = {};
    functions.write = &TerminalStream::_Write;
    fStream = ::fopencookie(this, "w", functions);
    if (fStream != nullptr)
        std::setvbuf(fStream, nullptr, _IONBF, 0);
}


TerminalStream::~TerminalStream()
{
    if (fStream != nullptr)
        std::fclose(fStream);
    if (fPendingLead)
        std::fputc(0xc2, fTarget);
    std::fflush(fTarget);
}


ssize_t TerminalStream::_Write(void* cookie, const char* data, size_t size)
{
    TerminalStream* self = static_cast<TerminalStream*>(cookie);
    std::string text;
    if (self->fPendingLead)
        text += char(0xc2);
    text.append(data, size);
    self->fPendingLead = !text.empty() && static_cast<unsigned char>(text.back()) == 0xc2;
    if (self->fPendingLead)
        text.pop_back();
    // Line ends and tabs keep the message's layout; every other control
    // character is shown, never obeyed.
    const std::string result = TerminalMessageText(text);
    std::fwrite(result.data(), 1, result.size(), self->fTarget);
    std::fflush(self->fTarget);
    return ssize_t(size);
}
