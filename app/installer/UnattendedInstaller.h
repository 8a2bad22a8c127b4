// Installs without windows: loads the configuration from an installer
// build, makes the choices the options give (folder, volume, install type
// or items, license), answers the job's questions by the options' rules or
// on the terminal, prints every status line and question, and runs the
// same install job as the window does.
#pragma once

#include "InstallerOptions.h"
#include "TerminalStream.h"

#include <atomic>
#include <cstdio>
#include <string>

class InstallConfig;

// Exit statuses of an unattended run.
enum {
    UNATTENDED_OK = 0,
    UNATTENDED_NO_FOLDER = 1,
    UNATTENDED_BAD_OPTIONS = 2,
    UNATTENDED_NO_SPACE = 3,
    UNATTENDED_REQUIREMENT = 4,
    UNATTENDED_ITEMS_FAILED = 5,
    // The build does not match its manifest (damaged or changed).
    UNATTENDED_NOT_VERIFIED = 6,
    // The build is not signed with the key the user required.
    UNATTENDED_SIGNATURE_REQUIRED = 7,
    UNATTENDED_STOPPED = 130
};

class UnattendedInstaller {
public:
    UnattendedInstaller(const InstallerOptions& options, FILE* out, FILE* err);

    // Installs from the installer build at buildPath. stop, when set from
    // another thread or a signal handler, stops the job like "Stop" does.
    int Run(const std::string& buildPath, const std::atomic<int>* stop = nullptr);

private:
    bool _Load(const std::string& buildPath, InstallConfig& config);
    void _List(InstallConfig& config);
    bool _ChooseDestination(InstallConfig& config);
    bool _Select(InstallConfig& config);
    int _RunJob(InstallConfig& config, const std::atomic<int>* stop);

    const InstallerOptions& fOptions;
    // Everything printed but the progress line goes through streams that
    // show control characters (from product and item names, paths) as
    // \xNN: a name cannot move the cursor or retitle the terminal.
    FILE* fRawOut;
    TerminalStream fOutStream;
    TerminalStream fErrStream;
    FILE* fOut;
    FILE* fErr;
};

// Stores a help file into the program's own resources, as "-help FILE"
// asks; writes the platform's messages to standard error. Returns 0 when
// the file was stored.
int AddHelpFile(const char* programPath, const char* helpPath);
