#include <LibWindow.h>

#include <Application.h>
#include <LibHelpRequest.h>
#include <Screen.h>
#include <View.h>

#include <string>
#include <vector>

namespace {

// Whether view is still part of the tree below top (it may have been
// removed and deleted since the mouse passed over it).
bool InTree(const BView* top, const BView* view)
{
    if (top == nullptr)
        return false;
    if (top == view)
        return true;
    for (int32 i = 0; i < top->CountChildren(); ++i) {
        if (InTree(top->ChildAt(i), view))
            return true;
    }
    return false;
}

} // namespace

LibWindow::LibWindow(BRect frame, const char* title, window_look look, window_feel feel,
    uint32 flags, uint32 workspaces)
    : BWindow(frame, title, look, feel, flags, workspaces),
      fScreenFrame(BScreen(B_MAIN_SCREEN_ID).Frame()),
      fMouseView(nullptr)
{
}

LibWindow::~LibWindow() = default;

void LibWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
    if (message->what == B_MOUSE_MOVED) {
        if (BView* view = dynamic_cast<BView*>(handler))
            fMouseView = view;
    } else if (LibIsHelpKey(*message)) {
        RequestHelp();
    }
    BWindow::DispatchMessage(message, handler);
}

BView* LibWindow::LastMouseMovedView() const
{
    for (int32 i = 0; i < CountChildren(); ++i) {
        if (InTree(ChildAt(i), fMouseView))
            return fMouseView;
    }
    return nullptr;
}

void LibWindow::RequestHelp()
{
    if (!Lock())
        return;
    BView* view = LastMouseMovedView();
    if (view != nullptr) {
        std::vector<std::string> names;
        for (BView* step = view; step != nullptr; step = step->Parent())
            names.push_back(step->Name() != nullptr ? step->Name() : "");
        BMessage inserts;
        const bool inserted = InsertHelpRequest(view, inserts);
        // Help files name a window by its name, which stays the same
        // whatever title the window shows (the installer's is the product's).
        const char* window = Name() != nullptr && Name()[0] != '\0' ? Name() : Title();
        BMessage request = LibMakeHelpRequest(window, names, inserted ? &inserts : nullptr);
        if (be_app != nullptr)
            be_app->PostMessage(&request);
    }
    Unlock();
}

bool LibWindow::InsertHelpRequest(BView*, BMessage&)
{
    return false;
}

void LibWindow::ScreenChanged(BRect screenFrame, color_space)
{
    if (screenFrame == fScreenFrame)
        return;
    BPoint origin;
    if (LibPlacement::Rescaled(Frame(), fScreenFrame, screenFrame, origin))
        MoveTo(origin);
    // A screen without size (no display) is not kept: the next real one is
    // scaled from the last real one.
    if (screenFrame.Width() > 0 && screenFrame.Height() > 0)
        fScreenFrame = screenFrame;
}

void LibWindow::Show()
{
    if (!Lock())
        return;
    const bool hidden = IsHidden();
    Unlock();
    if (hidden)
        BWindow::Show();
}

void LibWindow::Hide()
{
    if (!Lock())
        return;
    const bool hidden = IsHidden();
    Unlock();
    if (!hidden)
        BWindow::Hide();
}

float LibWindow::TitleAllowance() const
{
    const window_look look = Look();
    return look == B_TITLED_WINDOW_LOOK || look == B_DOCUMENT_WINDOW_LOOK ? LibPlacement::kTitleAllowance
                                                                           : 0;
}

void LibWindow::SetPosition(const ScreenPosition& where, BWindow* relativeTo)
{
    const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
    BPoint origin;
    bool placed;
    if (relativeTo == nullptr)
        placed = LibPlacement::OnScreen(where, Bounds(), screen, TitleAllowance(), origin);
    else
        placed = LibPlacement::AroundFrame(where, Bounds(), relativeTo->Frame(), screen, TitleAllowance(), origin);
    if (placed)
        MoveTo(origin);
}

void LibWindow::Pop()
{
    if (!Lock())
        return;
    SetWorkspaces(B_CURRENT_WORKSPACE);
    if (IsHidden())
        Show();
    if (!IsActive())
        Activate(true);
    Unlock();
}
