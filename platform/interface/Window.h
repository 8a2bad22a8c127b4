// BWindow: a window on screen, with its own message queue and lock, and a
// tree of views.
//
// The window's looper is dispatched on Qt's GUI thread (see QtMessagePump.h
// and docs/interface-kit.md): handlers of every window and of the
// application run there one message at a time, in posting order. Lock()
// works from any thread and is recursive; a thread that locks a window
// waits until the GUI thread is done with it. A new window is hidden and
// locked by the thread that made it; the first Show() starts its loop and
// lets that lock go.
#pragma once

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BButton;
class BMessage;
class BPulseTimer;
class BView;
class QWidget;

namespace BPrivate {
class WindowWidget;
}

enum window_type {
    B_UNTYPED_WINDOW = 0,
    B_TITLED_WINDOW = 1,
    B_MODAL_WINDOW = 3,
    B_DOCUMENT_WINDOW = 11,
    B_BORDERED_WINDOW = 20,
    B_FLOATING_WINDOW = 21
};

enum window_look {
    B_BORDERED_WINDOW_LOOK = 20,
    B_NO_BORDER_WINDOW_LOOK = 19,
    B_TITLED_WINDOW_LOOK = 1,
    B_DOCUMENT_WINDOW_LOOK = 11,
    B_MODAL_WINDOW_LOOK = 3,
    B_FLOATING_WINDOW_LOOK = 7
};

enum window_feel {
    B_NORMAL_WINDOW_FEEL = 0,
    B_MODAL_SUBSET_WINDOW_FEEL = 2,
    B_MODAL_APP_WINDOW_FEEL = 1,
    B_MODAL_ALL_WINDOW_FEEL = 3,
    B_FLOATING_SUBSET_WINDOW_FEEL = 5,
    B_FLOATING_APP_WINDOW_FEEL = 4,
    B_FLOATING_ALL_WINDOW_FEEL = 6
};

enum {
    B_NOT_MOVABLE = 0x00000001,
    B_NOT_CLOSABLE = 0x00000020,
    B_NOT_ZOOMABLE = 0x00000040,
    B_NOT_MINIMIZABLE = 0x00004000,
    B_NOT_RESIZABLE = 0x00000002,
    B_NOT_H_RESIZABLE = 0x00000004,
    B_NOT_V_RESIZABLE = 0x00000008,
    B_AVOID_FRONT = 0x00000080,
    B_AVOID_FOCUS = 0x00002000,
    B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
    B_OUTLINE_RESIZE = 0x00001000,
    B_NO_WORKSPACE_ACTIVATION = 0x00000100,
    B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
    B_ASYNCHRONOUS_CONTROLS = 0x00080000,
    B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
    B_CLOSE_ON_ESCAPE = 0x00800000
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

class BWindow : public BLooper {
public:
    // The frame is the content area in screen coordinates.
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
        uint32 workspace = B_CURRENT_WORKSPACE);
    BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
        uint32 workspace = B_CURRENT_WORKSPACE);
    virtual ~BWindow();

    // --- Life ------------------------------------------------------------
    void Quit() override;
    bool QuitRequested() override;
    void DispatchMessage(BMessage* message, BHandler* handler) override;
    void MessageReceived(BMessage* message) override;

    // Counted: each Hide() needs a Show() to undo it. A new window is
    // hidden once; the first Show() also starts its message loop.
    virtual void Show();
    virtual void Hide();
    bool IsHidden() const;

    void Activate(bool active = true);
    bool IsActive() const;
    virtual void WindowActivated(bool active);
    void Minimize(bool minimize);
    bool IsMinimized() const;

    virtual void FrameMoved(BPoint newPosition);
    virtual void FrameResized(float newWidth, float newHeight);
    virtual void WorkspacesChanged(uint32 oldWorkspaces, uint32 newWorkspaces);
    virtual void ScreenChanged(BRect screenFrame, color_space depth);

    // Linux has no workspaces for a program to choose: every window is on
    // the current one, and the calls keep the value for Workspaces().
    uint32 Workspaces() const;
    void SetWorkspaces(uint32 workspaces);

    // --- Views ------------------------------------------------------------
    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    int32 CountChildren() const;
    BView* ChildAt(int32 index) const;
    BView* FindView(const char* name) const;
    BView* FindView(BPoint point) const;
    BView* CurrentFocus() const;

    // --- Geometry ----------------------------------------------------------
    BRect Frame() const;
    BRect Bounds() const;
    void MoveTo(BPoint where);
    void MoveTo(float x, float y);
    void MoveBy(float dx, float dy);
    void ResizeTo(float width, float height);
    void ResizeBy(float dWidth, float dHeight);
    // Centres the window on the screen (or on the given frame).
    void CenterOnScreen();
    void CenterIn(BRect frame);
    void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
    void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const;

    void ConvertToScreen(BPoint* point) const;
    BPoint ConvertToScreen(BPoint point) const;
    void ConvertToScreen(BRect* rect) const;
    BRect ConvertToScreen(BRect rect) const;
    void ConvertFromScreen(BPoint* point) const;
    BPoint ConvertFromScreen(BPoint point) const;
    void ConvertFromScreen(BRect* rect) const;
    BRect ConvertFromScreen(BRect rect) const;

    // --- Look -----------------------------------------------------------------
    void SetTitle(const char* title);
    const char* Title() const;
    window_look Look() const;
    window_feel Feel() const;
    uint32 Flags() const;
    status_t SetLook(window_look look);
    status_t SetFeel(window_feel feel);
    status_t SetFlags(uint32 flags);
    bool IsModal() const;
    bool IsFloating() const;

    // --- Keyboard ----------------------------------------------------------------
    // The default button answers Enter wherever the focus is (unless the
    // focus view takes Enter itself).
    void SetDefaultButton(BButton* button);
    BButton* DefaultButton() const;

    // A key with the command key (Ctrl here) and the given extra modifiers
    // posts a copy of the message to the target (the window when none).
    // The window takes over the message. Letters match either case.
    void AddShortcut(uint32 key, uint32 modifiers, BMessage* message);
    void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target);
    void RemoveShortcut(uint32 key, uint32 modifiers);
    bool HasShortcut(uint32 key, uint32 modifiers) const;

    // --- Pulse ----------------------------------------------------------------------
    // Views with B_PULSE_NEEDED get Pulse() at this rate (500 ms by default
    // once such a view is attached); 0 stops it. The pulse runs only while
    // the window is shown and has such a view.
    void SetPulseRate(bigtime_t rate);
    bigtime_t PulseRate() const;

    void UpdateIfNeeded();

    // --- For the platform layer ----------------------------------------------------
    QWidget* _Widget() const;
    BView* _TopView() const { return fTopView; }
    void _SetFocus(BView* view);
    void _ViewDetached(BView* view);
    // Starts or stops the pulse as the window's views and state need it;
    // views call it when they come, go or change their flags.
    void _UpdatePulse();
    // Called on the GUI thread when the window system moved, resized,
    // (de)activated or closed the window.
    void _SystemMoved(int x, int y);
    void _SystemResized(int width, int height);

private:
    struct Shortcut;

    void _Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
        uint32 workspace);
    void _ApplyWindowFlags();
    void _ApplySizeLimits();
    void _ApplyFrame();
    bool _HandleKeyDown(BMessage* message, BHandler* handler);
    void _Pulse(BView* view);
    bool _NeedsPulse(const BView* view) const;
    bool _AnyNeedsPulse(const BView* view) const;
    Shortcut* _FindShortcut(uint32 key, uint32 modifiers) const;

    std::string fTitle;
    window_look fLook;
    window_feel fFeel;
    uint32 fFlags;
    uint32 fWorkspaces;
    BRect fFrame;
    float fMinWidth;
    float fMaxWidth;
    float fMinHeight;
    float fMaxHeight;
    // Show() may come from any thread (an alert shown by a worker) while
    // the window's own thread hides it: the level is counted atomically,
    // and the pulse is set under fPulseLock from what the level says then.
    std::atomic<int32> fShowLevel;
    std::mutex fPulseLock;
    bool fActive;
    bool fMinimized;
    BPrivate::WindowWidget* fWidget;
    BView* fTopView;
    BView* fFocus;
    BButton* fDefaultButton;
    // Command+W closes the window until RemoveShortcut('w', B_COMMAND_KEY).
    bool fCloseShortcut = true;
    std::vector<std::unique_ptr<Shortcut>> fShortcuts;
    std::unique_ptr<BPulseTimer> fPulse;
    bigtime_t fPulseRate;
};
