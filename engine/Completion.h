// The texts of the installation's end.
#pragma once

#include <string>

// "Installation successfully completed.", or summary instead when it is not
// empty (some items could not be installed); then "\n\n" and comments when
// they are not empty; then, with restart, "\n\nThe system needs to be
// restarted for the installation to take effect.". The comments are taken
// literally.
std::string CompletionMessage(const char* summary, const char* comments, bool restart);
