// Finds what in a payload cannot be packed into an item's archive: entries
// that cannot be read (a file, a folder that cannot be listed or looked
// into) and entries that are neither files, folders nor links (FIFOs,
// sockets, devices). The build tool reports these before it makes anything,
// so that `check` and `make` say the same thing.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// One text per problem, each naming the entry ("/p/fifo: is a FIFO ...").
// Symbolic links are packed as links and never followed. At most limit
// problems are listed; a last text then says how many more there are.
std::vector<std::string> PayloadProblems(const std::string& path, size_t limit = 20);

// What kind of entry a mode names, for messages: "a folder", "a FIFO (named
// pipe)", "a socket", "a device", "a file", "a link".
std::string NodeKindText(mode_t mode);
