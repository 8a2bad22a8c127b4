// Runs a program's main body so that nothing it throws ends the program
// unreported: an exception that reaches the top is printed as an error
// naming the program, and the program ends with failureStatus.
#pragma once

#include <functional>

int LibRunToolMain(const char* program, int failureStatus, const std::function<int()>& body);
