// The installer's command line. Without a display, or with --unattended,
// the installer runs without windows: the options choose what the user
// would choose in the window, and answer the questions the job asks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct InstallerOptions {
    enum class Collisions { Keep, Replace, Ask };
    enum class Question { No, Yes, Ask };

    bool help = false;
    bool version = false;
    bool unattended = false;
    bool list = false;
    bool showLicense = false;
    bool acceptLicense = false;
    bool quiet = false;

    std::string folder;
    std::string volume;
    std::string group;
    std::vector<std::string> items;
    bool allItems = false;

    Collisions collisions = Collisions::Keep;
    Question launch = Question::No;
    Question restart = Question::No;
    // A stop keeps what was installed so far instead of taking it back.
    bool keepOnStop = false;

    // When not empty, the fingerprint of the only key whose signature is
    // accepted: an unsigned build, or one signed with another key, is
    // refused before anything is written.
    std::string requireSignature;

    // "-help PATH": store PATH as the program's help file, then exit.
    std::string helpFile;
    bool helpOptionWithoutFile = false;
};

// Reads the command line. Returns an empty text, or what is wrong with it.
std::string ParseInstallerOptions(int argc, char** argv, InstallerOptions& options);

void PrintInstallerUsage(FILE* out);
