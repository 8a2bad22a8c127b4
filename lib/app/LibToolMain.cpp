#include "LibToolMain.h"

#include <OS.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <unistd.h>

namespace {

// How long the end of a program waits for threads that are still ending.
const bigtime_t kThreadEndTimeout = 10000000;

// Every thread the program started ends before the static destructors
// run. A thread that cannot end (a stopped job parks for good) or does not
// in time must not see them: the program then ends without them.
int EndProgram(const char* program, int status)
{
    const int32 left = wait_for_spawned_threads(kThreadEndTimeout);
    if (left == 0)
        return status;
    std::fflush(nullptr);
    if (left > 0 && std::getenv("ONDELLE_DEBUG_THREADS") != nullptr)
        std::fprintf(stderr, "%s: %d threads had not ended\n", program, int(left));
    std::fflush(nullptr);
    ::_exit(status);
}

} // namespace

int LibRunToolMain(const char* program, int failureStatus, const std::function<int()>& body)
{
    int status = failureStatus;
    try {
        status = body();
        return EndProgram(program, status);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: error: %s\n", program, error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: error: an unexpected failure ended the program\n", program);
    }
    std::fflush(stdout);
    return EndProgram(program, failureStatus);
}
