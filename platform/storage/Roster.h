// BRoster: finding installed applications by their signature and launching
// them.
//
// On Linux an application's signature is found (docs/install-job.md):
//  1. in the attribute "BEOS:APP_SIG" of a program in the application
//     folders ("Applications" and below it, "BeOS Applications", "BeOS
//     Preferences"), then of a program in the binary folders ("BeOS Bin",
//     "Common Bin", ~/.local/bin);
//  2. in a freedesktop menu entry (.desktop file) of the user's
//     applications folder and, outside the sandbox, of every
//     $XDG_DATA_DIRS/applications folder: its key "X-Ondelle-Signature", or
//     its desktop file id ("org.example.Tool" for org.example.Tool.desktop,
//     subfolders joined by "-") equal to the signature or to the signature
//     without a leading "application/". The application is the program its
//     TryExec or Exec names (looked up along PATH), or the entry itself when
//     that cannot be found.
// Signatures are compared without regard to case, as MIME types are.
#pragma once

#include <EntryRef.h>
#include <OS.h>

class BMessage;

class BRoster {
public:
    BRoster();
    ~BRoster();

    // The application with this signature; B_BAD_VALUE for a null or empty
    // signature or a null app, B_LAUNCH_FAILED_APP_NOT_FOUND when none is
    // installed.
    status_t FindApp(const char* signature, entry_ref* app) const;

    // Starts the program at ref without waiting for it (no start message is
    // delivered: initialMessage must be null). appTeam receives its process
    // id. B_NOT_ALLOWED when the sandbox refuses the program,
    // B_ENTRY_NOT_FOUND when it is missing, B_BAD_VALUE for an initial
    // message, another code when it cannot be started.
    status_t Launch(const entry_ref* ref, const BMessage* initialMessage = nullptr,
        team_id* appTeam = nullptr) const;
};
