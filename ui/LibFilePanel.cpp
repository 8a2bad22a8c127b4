#include "LibFilePanel.h"

#include <LibEntryUtils.h>
#include <Looper.h>
#include <Message.h>
#include <Path.h>

#include <string>

namespace {

const char* const kFormatTitle = "Format";

} // namespace

void lib_panel_state::Write(BMessage& message) const
{
    message.RemoveName("panel_directory");
    message.RemoveName("panel_frame");
    message.AddRef("panel_directory", &directory);
    message.AddRect("panel_frame", frame);
}

bool lib_panel_state::Read(const BMessage& message)
{
    entry_ref ref;
    BRect rect;
    if (message.FindRef("panel_directory", &ref) != B_OK || message.FindRect("panel_frame", &rect) != B_OK)
        return false;
    directory = ref;
    frame = rect;
    return true;
}

LibFilePanel::LibFilePanel(file_panel_mode mode, BMessenger* target, uint32 command, uint32 nodeFlavors,
    bool allowMultiple)
    :
    BFilePanel(mode, target, nullptr, nodeFlavors, allowMultiple, nullptr, nullptr, false, false)
{
    BMessage message(command);
    SetMessage(&message);
    SetRefFilter(&fFilter);
}

LibFilePanel::LibFilePanel(file_panel_mode mode, BLooper* target, uint32 command, uint32 nodeFlavors,
    bool allowMultiple)
    :
    LibFilePanel(mode, static_cast<BMessenger*>(nullptr), command, nodeFlavors, allowMultiple)
{
    if (target != nullptr)
        SetTarget(BMessenger(target));
}

LibFilePanel::~LibFilePanel()
{
    Hide();
    // The filter dies with this object, before the platform panel: make
    // sure the panel never asks it again.
    SetRefFilter(nullptr);
}

void LibFilePanel::SendMessage(const BMessenger* target, BMessage* message)
{
    if (message != nullptr && HasChoices()) {
        const std::string marked = MarkedChoice();
        if (!marked.empty())
            message->AddString("marked", marked.c_str());
    }
    BFilePanel::SendMessage(target, message);
}

void LibFilePanel::SetPanelDirectory(const char* path)
{
    if (path == nullptr)
        return;
    LibString parent;
    LibGetParentPath(path, parent);
    BFilePanel::SetPanelDirectory(static_cast<const char*>(parent));
}

void LibFilePanel::SetPanelDirectory(const directory_which& which)
{
    BPath path;
    if (find_directory(which, &path) == B_OK)
        BFilePanel::SetPanelDirectory(path.Path());
}

void LibFilePanel::SetToParentDirectory()
{
    entry_ref shown;
    GetPanelDirectory(&shown);
    const entry_ref parent = LibGetParentRef(shown);
    BFilePanel::SetPanelDirectory(&parent);
}

void LibFilePanel::GetState(lib_panel_state& state)
{
    Rewind();
    GetPanelDirectory(&state.directory);
    state.frame = Frame();
}

void LibFilePanel::SetState(lib_panel_state& state)
{
    BFilePanel::SetPanelDirectory(&state.directory);
    ResizeTo(state.frame.right - state.frame.left, state.frame.bottom - state.frame.top);
    MoveTo(state.frame.left, state.frame.top);
}

void LibFilePanel::AddFormatMenuItem(const char* label, bool marked)
{
    AddChoice(kFormatTitle, label, marked);
}

void LibFilePanel::AddOptionMenu()
{
}
