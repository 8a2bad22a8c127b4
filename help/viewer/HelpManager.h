// HelpManager: the application's context help. It answers help requests
// ('help', posted by a window on Shift+F1) by opening the help window once
// and selecting the entry that documents the view under the mouse, and it
// stores a help file into the program ("-help FILE").
//
// The help file's name is the application signature's last part followed
// by ".help". The application passes every 'help' message to
// MessageReceived and calls CloseWindow (or lets the manager go) when it
// quits.
#pragma once

#include <LibString.h>
#include <SupportDefs.h>

class BMessage;
class HelpWindow;

class HelpManager {
public:
    // The help resource of a program: raw resource id and name.
    static constexpr int32 kResourceId = 2002;
    static constexpr const char* kResourceName = "qv:help";
    static constexpr uint32 kHelpRequest = 'help';

    HelpManager();
    ~HelpManager();
    HelpManager(const HelpManager&) = delete;
    HelpManager& operator=(const HelpManager&) = delete;

    // Keeps the text after the last "/" of signature as the help file's
    // base name.
    void SetSignature(const char* signature);
    const char* Signature() const { return fSignature; }
    // The program file whose help resource is read and written; empty (the
    // default) means the running program.
    void SetProgramPath(const char* path);

    // Answers a 'help' request ("window" and the repeated "view" fields);
    // every other message is ignored. The first request creates the window
    // at the middle right of the screen; later ones reuse it and bring it
    // forward.
    void MessageReceived(BMessage* message);
    // Quits the help window, if there is one.
    void CloseWindow();
    // Stores the file at path as the program's help resource (zip level 9,
    // under its leaf name). The program file is written anew beside itself
    // and renamed over the old one. Reports on standard error.
    bool AddHelpFile(const char* path);

    // The help window, or null before the first request.
    HelpWindow* Window() const { return fWindow; }
    // Called by the window when it goes away.
    void WindowGone(HelpWindow* window);

    // The view path of a request: the window's name, then every "view"
    // value, joined by "/". Empty when the request names no window.
    static LibString ViewPath(const BMessage& request);

private:
    LibString fSignature;
    LibString fProgramPath;
    HelpWindow* fWindow;
};
