#include "LibToolMain.h"

#include <cstdio>
#include <exception>

int LibRunToolMain(const char* program, int failureStatus, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: error: %s\n", program, error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: error: an unexpected failure ended the program\n", program);
    }
    std::fflush(stdout);
    return failureStatus;
}
