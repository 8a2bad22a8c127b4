// BFilePanel: a window in which the user picks files or folders to open,
// or a folder and a name to save under. It is Qt's own file dialog (never
// the desktop's), driven from any thread.
//
// A choice sends the panel's message (B_REFS_RECEIVED when none was given)
// to the target through SendMessage(): an open panel adds one "refs" entry
// per chosen entry; a save panel sends B_SAVE_REQUESTED fields "directory"
// (ref) and "name" (string) added to the message. Cancelling hides the panel
// and sends B_CANCEL with "old_what" (the message's what). A panel made with
// hideWhenDone false stays open after a choice until it is hidden.
//
// nodeFlavors B_DIRECTORY_NODE alone makes an open panel choose folders
// (the folder shown counts when nothing is selected). The filter, when
// set, is asked for every entry listed, folders included.
#pragma once

#include <Messenger.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

class BMessage;
class BRefFilter;
struct entry_ref;

enum file_panel_mode {
    B_OPEN_PANEL,
    B_SAVE_PANEL
};

namespace BPrivate {
class FileDialog;
}

class QFileDialog;

class BFilePanel {
public:
    BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
        const entry_ref* directory = nullptr, uint32 nodeFlavors = 0, bool allowMultipleSelection = true,
        BMessage* message = nullptr, BRefFilter* filter = nullptr, bool modal = false, bool hideWhenDone = true);
    virtual ~BFilePanel();

    BFilePanel(const BFilePanel&) = delete;
    BFilePanel& operator=(const BFilePanel&) = delete;

    void Show();
    void Hide();
    bool IsShowing() const;

    // Sends a choice to the target; a subclass may add fields first.
    virtual void SendMessage(const BMessenger* target, BMessage* message);

    file_panel_mode PanelMode() const { return fMode; }
    BMessenger Messenger() const { return fTarget; }
    void SetTarget(BMessenger target);
    // Takes a copy; null restores the default.
    void SetMessage(BMessage* message);
    // The filter is not owned; null lists every entry.
    void SetRefFilter(BRefFilter* filter);
    BRefFilter* RefFilter() const { return fFilter; }

    void SetPanelDirectory(const entry_ref* ref);
    void SetPanelDirectory(const char* path);
    void GetPanelDirectory(entry_ref* ref) const;
    // Lists the folder again, asking the filter anew.
    void Refresh();

    // The selection of the last choice, one ref at a time.
    void Rewind();
    status_t GetNextSelectedRef(entry_ref* ref);

    // The panel window's frame on the screen.
    BRect Frame() const;
    void MoveTo(float x, float y);
    void ResizeTo(float width, float height);

    // A labelled choice list below the file list (the platform's panel has
    // a menu for it in its menu bar). AddChoice makes the list on its first
    // call; the marked label is "" when there is none.
    void AddChoice(const char* title, const char* label, bool marked);
    std::string MarkedChoice() const;
    bool HasChoices() const;

    // For tests and the platform layer: the names of the entries the panel
    // lists now (after the filter), and the dialog.
    std::vector<std::string> _ListedNames() const;
    QFileDialog* _Dialog() const;
    // Called on the GUI thread when the user confirms or cancels.
    void _Chosen(const std::vector<std::string>& paths);
    void _Cancelled();

private:
    file_panel_mode fMode;
    BMessenger fTarget;
    std::unique_ptr<BMessage> fMessage;
    BRefFilter* fFilter;
    uint32 fNodeFlavors;
    bool fHideWhenDone;
    BPrivate::FileDialog* fDialog;
    std::vector<entry_ref> fSelection;
    size_t fSelectionIndex;
};
