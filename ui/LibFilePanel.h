// LibFilePanel: a file panel that lists entries through its own type
// filter, stays open after a choice until it is hidden, can offer a
// "Format" choice that travels with its message as "marked", and saves and
// restores the folder it shows and its frame.
#pragma once

#include "LibRefFilter.h"

#include <Entry.h>
#include <FilePanel.h>
#include <FindDirectory.h>
#include <Rect.h>

class BLooper;
class BMessage;

// A panel's saved state, also in message form: "panel_directory" (ref) and
// "panel_frame" (rect).
struct lib_panel_state {
    entry_ref directory;
    BRect frame;

    void Write(BMessage& message) const;
    // False, state unchanged, when a field is missing.
    bool Read(const BMessage& message);
};

class LibFilePanel : public BFilePanel {
public:
    LibFilePanel(file_panel_mode mode, BMessenger* target, uint32 command, uint32 nodeFlavors,
        bool allowMultiple);
    LibFilePanel(file_panel_mode mode, BLooper* target, uint32 command, uint32 nodeFlavors, bool allowMultiple);
    virtual ~LibFilePanel();

    // Adds the marked format's label as "marked" to message, then sends it.
    void SendMessage(const BMessenger* target, BMessage* message) override;

    // Shows the folder that holds path; a null path does nothing.
    void SetPanelDirectory(const char* path);
    // Shows a standard folder.
    void SetPanelDirectory(const directory_which& which);
    // Shows the parent of the folder shown now.
    void SetToParentDirectory();

    void GetState(lib_panel_state& state);
    void SetState(lib_panel_state& state);

    // Appends a format to the "Format" choice (made on the first call);
    // marking one unmarks the others.
    void AddFormatMenuItem(const char* label, bool marked);
    // Kept for callers of the classic interface; adds nothing.
    void AddOptionMenu();

    LibRefFilter& Filter() { return fFilter; }

private:
    LibRefFilter fFilter;
};
