#include <Window.h>

#include "GuiThread.h"
#include "InputMessages.h"
#include "QtMessagePump.h"
#include "WindowWidget.h"

#include <Application.h>
#include <Button.h>
#include <Message.h>
#include <PulseTimer.h>
#include <Screen.h>
#include <TextView.h>
#include <View.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

using BPrivate::GuiThread;
using BPrivate::WindowWidget;

namespace {

const bigtime_t kDefaultPulseRate = 500000;
const uint32 kShortcutModifiers = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;

window_look LookOf(window_type type)
{
    switch (type) {
        case B_MODAL_WINDOW: return B_MODAL_WINDOW_LOOK;
        case B_DOCUMENT_WINDOW: return B_DOCUMENT_WINDOW_LOOK;
        case B_BORDERED_WINDOW: return B_BORDERED_WINDOW_LOOK;
        case B_FLOATING_WINDOW: return B_FLOATING_WINDOW_LOOK;
        default: return B_TITLED_WINDOW_LOOK;
    }
}

window_feel FeelOf(window_type type)
{
    switch (type) {
        case B_MODAL_WINDOW: return B_MODAL_APP_WINDOW_FEEL;
        case B_FLOATING_WINDOW: return B_FLOATING_APP_WINDOW_FEEL;
        default: return B_NORMAL_WINDOW_FEEL;
    }
}

uint32 NormalKey(uint32 key)
{
    return key < 128 ? uint32(std::tolower(int(key))) : key;
}

} // namespace

struct BWindow::Shortcut {
    uint32 key;
    uint32 modifiers;
    std::unique_ptr<BMessage> message;
    int32 targetToken;  // -1: the window
};

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
    :
    BLooper(title)
{
    _Init(frame, title, LookOf(type), FeelOf(type), flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
    uint32 workspace)
    :
    BLooper(title)
{
    _Init(frame, title, look, feel, flags, workspace);
}

void BWindow::_Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
    uint32 workspace)
{
    fTitle = title != nullptr ? title : "";
    fLook = look;
    fFeel = feel;
    fFlags = flags;
    fWorkspaces = workspace == B_CURRENT_WORKSPACE ? 1 : workspace;
    fFrame = BRect(std::floor(frame.left), std::floor(frame.top), std::floor(frame.right), std::floor(frame.bottom));
    fMinWidth = 0;
    fMaxWidth = 32768;
    fMinHeight = 0;
    fMaxHeight = 32768;
    fShowLevel = 1;
    fActive = false;
    fMinimized = false;
    fWidget = nullptr;
    fFocus = nullptr;
    fDefaultButton = nullptr;
    fPulseRate = kDefaultPulseRate;

    GuiThread::EnsureApplication();
    SetMessagePump(BQtMessagePump::Default());
    SetQuitWithApplication(true);

    GuiThread::Call([this] {
        fWidget = new WindowWidget(this);
        fWidget->setWindowTitle(QString::fromUtf8(fTitle.c_str()));
        fWidget->setObjectName(QString::fromUtf8(fTitle.c_str()));
        // A change of the main screen's resolution reaches ScreenChanged()
        // through the window's queue; the connection ends with the widget.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QObject::connect(screen, &QScreen::geometryChanged, fWidget, [this](const QRect& geometry) {
                BMessage changed(B_SCREEN_CHANGED);
                changed.AddRect("frame", BRect(geometry.x(), geometry.y(), geometry.right(), geometry.bottom()));
                changed.AddInt32("mode", BScreen(B_MAIN_SCREEN_ID).ColorSpace());
                PostMessage(&changed);
            });
        }
    });
    fTopView = new BView(Bounds(), nullptr, B_FOLLOW_ALL, 0);
    fTopView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    GuiThread::Call([this] {
        fTopView->_Widget()->setParent(fWidget);
        fTopView->_Widget()->show();
    });
    fTopView->fWindow = this;
    AddHandler(fTopView);
    _ApplyWindowFlags();
    _ApplyFrame();

    fPulse = std::make_unique<BPulseTimer>([this] {
        // The window is alive while its timer runs: the destructor stops
        // the timer first.
        PostMessage(B_PULSE);
    });
}

BWindow::~BWindow()
{
    fPulse.reset();
    delete fTopView;
    fTopView = nullptr;
    WindowWidget* widget = fWidget;
    fWidget = nullptr;
    GuiThread::Call([widget] {
        widget->Forget();
        widget->hide();
        delete widget;
    });
}

// --- Life ---------------------------------------------------------------------

void BWindow::Quit()
{
    if (fPulse != nullptr)
        fPulse->SetRate(0);
    if (fWidget != nullptr)
        GuiThread::Call([this] { fWidget->hide(); });
    BLooper::Quit();
}

bool BWindow::QuitRequested()
{
    return true;
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
    BView* view = dynamic_cast<BView*>(handler);
    switch (message->what) {
        case B_KEY_DOWN:
            if (_HandleKeyDown(message, handler))
                return;
            if (view != nullptr) {
                const char* bytes = nullptr;
                if (message->FindString("bytes", &bytes) == B_OK)
                    view->KeyDown(bytes, int32(std::strlen(bytes)));
                return;
            }
            break;
        case B_KEY_UP:
            if (view != nullptr) {
                const char* bytes = nullptr;
                if (message->FindString("bytes", &bytes) == B_OK)
                    view->KeyUp(bytes, int32(std::strlen(bytes)));
                return;
            }
            break;
        case B_MOUSE_DOWN:
        case B_MOUSE_UP:
        case B_MOUSE_MOVED:
            if (view != nullptr) {
                BPoint where;
                message->FindPoint("where", &where);
                if (message->what == B_MOUSE_DOWN) {
                    view->MouseDown(where);
                } else if (message->what == B_MOUSE_UP) {
                    view->MouseUp(where);
                } else {
                    int32 transit = B_INSIDE_VIEW;
                    message->FindInt32("be:transit", &transit);
                    BMessage drag;
                    const bool dragging = message->FindMessage("be:drag_message", &drag) == B_OK;
                    view->MouseMoved(where, uint32(transit), dragging ? &drag : nullptr);
                }
                return;
            }
            break;
        case BPrivate::kWidgetFocusMessage:
            if (view != nullptr) {
                view->_FocusFromWidget();
                return;
            }
            break;
        case B_PULSE:
            if (handler == this) {
                _Pulse(fTopView);
                return;
            }
            break;
        case B_SCREEN_CHANGED:
            if (handler == this) {
                BRect frame;
                int32 mode = B_RGB32;
                if (message->FindRect("frame", &frame) == B_OK) {
                    message->FindInt32("mode", &mode);
                    ScreenChanged(frame, color_space(mode));
                }
                return;
            }
            break;
        case B_WINDOW_ACTIVATED:
            if (handler == this) {
                bool active = false;
                message->FindBool("active", &active);
                if (active != fActive) {
                    fActive = active;
                    WindowActivated(active);
                }
                return;
            }
            break;
        case B_WINDOW_RESIZED:
            if (handler == this) {
                int32 width = 0;
                int32 height = 0;
                message->FindInt32("width", &width);
                message->FindInt32("height", &height);
                if (float(width) != fFrame.Width() || float(height) != fFrame.Height()) {
                    fFrame.right = fFrame.left + float(width);
                    fFrame.bottom = fFrame.top + float(height);
                    fTopView->_SetSize(float(width), float(height), true);
                    FrameResized(float(width), float(height));
                }
                return;
            }
            break;
        case B_WINDOW_MOVED:
            if (handler == this) {
                BPoint where;
                message->FindPoint("where", &where);
                if (where != fFrame.LeftTop()) {
                    fFrame.OffsetTo(where);
                    FrameMoved(where);
                }
                return;
            }
            break;
        case B_QUIT_REQUESTED:
            if (handler == this) {
                if (QuitRequested()) {
                    if ((fFlags & B_QUIT_ON_WINDOW_CLOSE) && be_app != nullptr)
                        be_app->PostMessage(B_QUIT_REQUESTED);
                    Quit();
                }
                return;
            }
            break;
        default:
            break;
    }
    BLooper::DispatchMessage(message, handler);
}

bool BWindow::_HandleKeyDown(BMessage* message, BHandler* handler)
{
    const char* bytes = nullptr;
    if (message->FindString("bytes", &bytes) != B_OK || bytes == nullptr || bytes[0] == '\0')
        return true;
    int32 held = 0;
    message->FindInt32("modifiers", &held);
    const uint32 mods = uint32(held) & kShortcutModifiers;
    if (mods & B_COMMAND_KEY) {
        if (Shortcut* shortcut = _FindShortcut(uint32(uint8(bytes[0])), mods)) {
            BMessage copy(*shortcut->message);
            copy.AddInt64("when", system_time());
            BHandler* target = this;
            for (int32 i = 0; i < CountHandlers(); i++) {
                if (HandlerAt(i)->Token() == shortcut->targetToken)
                    target = HandlerAt(i);
            }
            PostMessage(&copy, target);
            return true;
        }
        // The platform's own shortcuts: close the window, quit.
        const uint32 key = NormalKey(uint32(uint8(bytes[0])));
        if (mods == B_COMMAND_KEY && key == 'w' && fCloseShortcut && !(fFlags & B_NOT_CLOSABLE)) {
            PostMessage(B_QUIT_REQUESTED);
            return true;
        }
        if (mods == B_COMMAND_KEY && key == 'q' && be_app != nullptr) {
            be_app->PostMessage(B_QUIT_REQUESTED);
            return true;
        }
    }
    // An editable text view takes Enter as a new line.
    auto* text = dynamic_cast<BTextView*>(handler);
    const bool textTakesEnter = text != nullptr && text->IsEditable();
    if (bytes[0] == B_ENTER && bytes[1] == '\0' && mods == 0 && !textTakesEnter && fDefaultButton != nullptr
        && fDefaultButton->IsEnabled() && !fDefaultButton->IsHidden()) {
        fDefaultButton->_Press();
        return true;
    }
    if (bytes[0] == B_ESCAPE && (fFlags & B_CLOSE_ON_ESCAPE)) {
        PostMessage(B_QUIT_REQUESTED);
        return true;
    }
    return false;
}

void BWindow::MessageReceived(BMessage* message)
{
    BLooper::MessageReceived(message);
}

bool BWindow::_NeedsPulse(const BView* view) const
{
    return (view->Flags() & B_PULSE_NEEDED) != 0;
}

void BWindow::_Pulse(BView* view)
{
    if (view != fTopView && _NeedsPulse(view) && !view->IsHidden())
        view->Pulse();
    for (int32 i = 0; i < view->CountChildren(); i++)
        _Pulse(view->ChildAt(i));
}

void BWindow::Show()
{
    if (--fShowLevel != 0)
        return;
    if (!fRunCalled) {
        if (!IsLocked())
            Lock();
        Run();
    }
    // The pulse is set before the widget shows: once it is up, the window's
    // own thread may answer and delete it (an alert shown by a worker), so
    // nothing of this object is touched after the call.
    _UpdatePulse();
    GuiThread::Call([this] {
        fWidget->show();
        if (!(fFlags & B_AVOID_FOCUS) && QGuiApplication::platformName() != "offscreen") {
            fWidget->raise();
            fWidget->activateWindow();
        }
    });
}

void BWindow::Hide()
{
    if (++fShowLevel != 1)
        return;
    GuiThread::Call([this] { fWidget->hide(); });
    // After the level changed: a Show() on another thread that read the
    // level earlier has set its rate already, and this one comes last.
    std::lock_guard lock(fPulseLock);
    fPulse->SetRate(0);
}

bool BWindow::IsHidden() const
{
    return fShowLevel > 0;
}

void BWindow::Activate(bool active)
{
    if (IsHidden())
        return;
    if (QGuiApplication::platformName() == "offscreen")
        return;
    GuiThread::Call([this, active] {
        if (active) {
            fWidget->raise();
            fWidget->activateWindow();
        } else {
            fWidget->lower();
        }
    });
}

bool BWindow::IsActive() const
{
    return fActive;
}

void BWindow::WindowActivated(bool active)
{
    std::vector<BView*> pending{fTopView};
    while (!pending.empty()) {
        BView* view = pending.back();
        pending.pop_back();
        if (view != fTopView)
            view->WindowActivated(active);
        for (int32 i = 0; i < view->CountChildren(); i++)
            pending.push_back(view->ChildAt(i));
    }
}

void BWindow::Minimize(bool minimize)
{
    fMinimized = minimize;
    GuiThread::Call([this, minimize] {
        if (minimize)
            fWidget->showMinimized();
        else if (!IsHidden())
            fWidget->showNormal();
    });
}

bool BWindow::IsMinimized() const
{
    return fMinimized;
}

void BWindow::FrameMoved(BPoint) {}
void BWindow::FrameResized(float, float) {}
void BWindow::WorkspacesChanged(uint32, uint32) {}
void BWindow::ScreenChanged(BRect, color_space) {}

uint32 BWindow::Workspaces() const
{
    return fWorkspaces;
}

void BWindow::SetWorkspaces(uint32 workspaces)
{
    if (workspaces == B_CURRENT_WORKSPACE)
        workspaces = 1;
    if (workspaces == fWorkspaces)
        return;
    const uint32 old = fWorkspaces;
    fWorkspaces = workspaces;
    WorkspacesChanged(old, workspaces);
}

// --- Views ----------------------------------------------------------------------

void BWindow::AddChild(BView* child, BView* before)
{
    fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child)
{
    return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const
{
    return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const
{
    return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (int32 i = 0; i < fTopView->CountChildren(); i++) {
        if (BView* found = fTopView->ChildAt(i)->FindView(name))
            return found;
    }
    return nullptr;
}

BView* BWindow::FindView(BPoint point) const
{
    BView* found = nullptr;
    BView* view = fTopView;
    // The deepest visible view under the point; later children lie on top.
    while (view != nullptr) {
        BView* next = nullptr;
        const BPoint local = point;
        for (int32 i = view->CountChildren() - 1; i >= 0; i--) {
            BView* child = view->ChildAt(i);
            if (!child->IsHidden() && child->Frame().Contains(local)) {
                next = child;
                break;
            }
        }
        if (next == nullptr)
            break;
        point = next->ConvertFromParent(point);
        found = next;
        view = next;
    }
    return found;
}

BView* BWindow::CurrentFocus() const
{
    return fFocus;
}

void BWindow::_SetFocus(BView* view)
{
    fFocus = view;
}

void BWindow::_ViewDetached(BView* view)
{
    if (fFocus == view)
        fFocus = nullptr;
    if (fDefaultButton == view)
        fDefaultButton = nullptr;
}

// --- Geometry ----------------------------------------------------------------------

BRect BWindow::Frame() const
{
    return fFrame;
}

BRect BWindow::Bounds() const
{
    return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BWindow::_ApplyFrame()
{
    const int x = int(fFrame.left);
    const int y = int(fFrame.top);
    const int width = fFrame.IntegerWidth() + 1;
    const int height = fFrame.IntegerHeight() + 1;
    GuiThread::Call([this, x, y, width, height] {
        _ApplySizeLimits();
        fWidget->setGeometry(x, y, width, height);
        fTopView->_Widget()->setGeometry(0, 0, width, height);
    });
}

void BWindow::MoveTo(BPoint where)
{
    MoveTo(where.x, where.y);
}

void BWindow::MoveTo(float x, float y)
{
    x = std::floor(x);
    y = std::floor(y);
    if (x == fFrame.left && y == fFrame.top)
        return;
    fFrame.OffsetTo(x, y);
    // The frame is the content area; move() would place the outer frame
    // with its decorations there, so the content would drift each time.
    GuiThread::Call([this, x, y] { fWidget->setGeometry(int(x), int(y), fWidget->width(), fWidget->height()); });
    FrameMoved(fFrame.LeftTop());
}

void BWindow::MoveBy(float dx, float dy)
{
    MoveTo(fFrame.left + dx, fFrame.top + dy);
}

void BWindow::ResizeTo(float width, float height)
{
    width = std::clamp(std::floor(width), fMinWidth, fMaxWidth);
    height = std::clamp(std::floor(height), fMinHeight, fMaxHeight);
    if (width == fFrame.Width() && height == fFrame.Height())
        return;
    fFrame.right = fFrame.left + width;
    fFrame.bottom = fFrame.top + height;
    fTopView->_SetSize(width, height, true);
    _ApplyFrame();
    FrameResized(width, height);
}

void BWindow::ResizeBy(float dWidth, float dHeight)
{
    ResizeTo(fFrame.Width() + dWidth, fFrame.Height() + dHeight);
}

void BWindow::CenterOnScreen()
{
    BScreen screen;
    if (screen.IsValid())
        CenterIn(screen.Frame());
}

void BWindow::CenterIn(BRect frame)
{
    MoveTo(std::floor(frame.left + (frame.Width() - fFrame.Width()) / 2),
        std::floor(frame.top + (frame.Height() - fFrame.Height()) / 2));
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
    fMinWidth = std::max(0.0f, minWidth);
    fMaxWidth = std::max(fMinWidth, maxWidth);
    fMinHeight = std::max(0.0f, minHeight);
    fMaxHeight = std::max(fMinHeight, maxHeight);
    GuiThread::Call([this] { _ApplySizeLimits(); });
    const float width = std::clamp(fFrame.Width(), fMinWidth, fMaxWidth);
    const float height = std::clamp(fFrame.Height(), fMinHeight, fMaxHeight);
    if (width != fFrame.Width() || height != fFrame.Height())
        ResizeTo(width, height);
}

void BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const
{
    if (minWidth != nullptr)
        *minWidth = fMinWidth;
    if (maxWidth != nullptr)
        *maxWidth = fMaxWidth;
    if (minHeight != nullptr)
        *minHeight = fMinHeight;
    if (maxHeight != nullptr)
        *maxHeight = fMaxHeight;
}

// On the GUI thread: what the user may resize the window to.
void BWindow::_ApplySizeLimits()
{
    const int width = fFrame.IntegerWidth() + 1;
    const int height = fFrame.IntegerHeight() + 1;
    const bool fixedWidth = (fFlags & (B_NOT_RESIZABLE | B_NOT_H_RESIZABLE)) != 0;
    const bool fixedHeight = (fFlags & (B_NOT_RESIZABLE | B_NOT_V_RESIZABLE)) != 0;
    auto limit = [](float value) { return int(std::min(value + 1.0f, 16777215.0f)); };
    fWidget->setMinimumSize(fixedWidth ? width : limit(fMinWidth), fixedHeight ? height : limit(fMinHeight));
    fWidget->setMaximumSize(fixedWidth ? width : limit(fMaxWidth), fixedHeight ? height : limit(fMaxHeight));
}

void BWindow::ConvertToScreen(BPoint* point) const
{
    point->x += fFrame.left;
    point->y += fFrame.top;
}

BPoint BWindow::ConvertToScreen(BPoint point) const
{
    ConvertToScreen(&point);
    return point;
}

void BWindow::ConvertToScreen(BRect* rect) const
{
    rect->OffsetBy(fFrame.left, fFrame.top);
}

BRect BWindow::ConvertToScreen(BRect rect) const
{
    ConvertToScreen(&rect);
    return rect;
}

void BWindow::ConvertFromScreen(BPoint* point) const
{
    point->x -= fFrame.left;
    point->y -= fFrame.top;
}

BPoint BWindow::ConvertFromScreen(BPoint point) const
{
    ConvertFromScreen(&point);
    return point;
}

void BWindow::ConvertFromScreen(BRect* rect) const
{
    rect->OffsetBy(-fFrame.left, -fFrame.top);
}

BRect BWindow::ConvertFromScreen(BRect rect) const
{
    ConvertFromScreen(&rect);
    return rect;
}

// --- Look ------------------------------------------------------------------------------

void BWindow::SetTitle(const char* title)
{
    fTitle = title != nullptr ? title : "";
    SetName(fTitle.c_str());
    GuiThread::Call([this] { fWidget->setWindowTitle(QString::fromUtf8(fTitle.c_str())); });
}

const char* BWindow::Title() const
{
    return fTitle.c_str();
}

window_look BWindow::Look() const
{
    return fLook;
}

window_feel BWindow::Feel() const
{
    return fFeel;
}

uint32 BWindow::Flags() const
{
    return fFlags;
}

status_t BWindow::SetLook(window_look look)
{
    fLook = look;
    _ApplyWindowFlags();
    return B_OK;
}

status_t BWindow::SetFeel(window_feel feel)
{
    fFeel = feel;
    _ApplyWindowFlags();
    return B_OK;
}

status_t BWindow::SetFlags(uint32 flags)
{
    fFlags = flags;
    _ApplyWindowFlags();
    return B_OK;
}

bool BWindow::IsModal() const
{
    return fFeel == B_MODAL_APP_WINDOW_FEEL || fFeel == B_MODAL_SUBSET_WINDOW_FEEL
        || fFeel == B_MODAL_ALL_WINDOW_FEEL;
}

bool BWindow::IsFloating() const
{
    return fFeel == B_FLOATING_APP_WINDOW_FEEL || fFeel == B_FLOATING_SUBSET_WINDOW_FEEL
        || fFeel == B_FLOATING_ALL_WINDOW_FEEL;
}

void BWindow::_ApplyWindowFlags()
{
    Qt::WindowFlags flags;
    switch (fLook) {
        case B_MODAL_WINDOW_LOOK:
            flags = Qt::Dialog;
            break;
        case B_FLOATING_WINDOW_LOOK:
            flags = Qt::Tool;
            break;
        case B_BORDERED_WINDOW_LOOK:
        case B_NO_BORDER_WINDOW_LOOK:
            flags = Qt::Window | Qt::FramelessWindowHint;
            break;
        default:
            flags = Qt::Window;
            break;
    }
    if (fLook != B_BORDERED_WINDOW_LOOK && fLook != B_NO_BORDER_WINDOW_LOOK) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (!(fFlags & B_NOT_CLOSABLE))
            flags |= Qt::WindowCloseButtonHint;
        if (!(fFlags & B_NOT_MINIMIZABLE) && fLook != B_MODAL_WINDOW_LOOK)
            flags |= Qt::WindowMinimizeButtonHint;
        if (!(fFlags & (B_NOT_ZOOMABLE | B_NOT_RESIZABLE)) && fLook != B_MODAL_WINDOW_LOOK)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    if (fFeel == B_FLOATING_ALL_WINDOW_FEEL || fFeel == B_MODAL_ALL_WINDOW_FEEL)
        flags |= Qt::WindowStaysOnTopHint;
    if (fFlags & B_AVOID_FOCUS)
        flags |= Qt::WindowDoesNotAcceptFocus;
    const Qt::WindowModality modality = IsModal() ? Qt::ApplicationModal : Qt::NonModal;
    GuiThread::Call([this, flags, modality] {
        const bool visible = fWidget->isVisible();
        fWidget->setWindowFlags(flags);
        fWidget->setWindowModality(modality);
        _ApplySizeLimits();
        if (visible)
            fWidget->show();
    });
}

// --- Keyboard -----------------------------------------------------------------------

void BWindow::SetDefaultButton(BButton* button)
{
    if (button == fDefaultButton)
        return;
    BButton* previous = fDefaultButton;
    fDefaultButton = button;
    if (previous != nullptr)
        previous->MakeDefault(false);
    if (button != nullptr)
        button->MakeDefault(true);
}

BButton* BWindow::DefaultButton() const
{
    return fDefaultButton;
}

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message)
{
    AddShortcut(key, modifiers, message, this);
}

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
    if (message == nullptr)
        return;
    const uint32 mods = (modifiers & kShortcutModifiers) | B_COMMAND_KEY;
    RemoveShortcut(key, modifiers);
    auto shortcut = std::make_unique<Shortcut>();
    shortcut->key = NormalKey(key);
    shortcut->modifiers = mods;
    shortcut->message.reset(message);
    shortcut->targetToken = target != nullptr && target != this ? target->Token() : -1;
    fShortcuts.push_back(std::move(shortcut));
}

void BWindow::RemoveShortcut(uint32 key, uint32 modifiers)
{
    const uint32 mods = (modifiers & kShortcutModifiers) | B_COMMAND_KEY;
    const uint32 normal = NormalKey(key);
    // The built-in close shortcut goes the way of any other.
    if (normal == 'w' && mods == B_COMMAND_KEY)
        fCloseShortcut = false;
    fShortcuts.erase(std::remove_if(fShortcuts.begin(), fShortcuts.end(),
        [normal, mods](const std::unique_ptr<Shortcut>& shortcut) {
            return shortcut->key == normal && shortcut->modifiers == mods;
        }), fShortcuts.end());
}

bool BWindow::HasShortcut(uint32 key, uint32 modifiers) const
{
    return _FindShortcut(key, (modifiers & kShortcutModifiers) | B_COMMAND_KEY) != nullptr;
}

BWindow::Shortcut* BWindow::_FindShortcut(uint32 key, uint32 modifiers) const
{
    const uint32 normal = NormalKey(key);
    for (const auto& shortcut : fShortcuts) {
        if (shortcut->key == normal && shortcut->modifiers == modifiers)
            return shortcut.get();
    }
    return nullptr;
}

// --- Pulse -----------------------------------------------------------------------------

void BWindow::SetPulseRate(bigtime_t rate)
{
    fPulseRate = rate > 0 ? rate : 0;
    _UpdatePulse();
}

bool BWindow::_AnyNeedsPulse(const BView* view) const
{
    if (view != fTopView && _NeedsPulse(view))
        return true;
    for (int32 i = 0; i < view->CountChildren(); i++) {
        if (_AnyNeedsPulse(view->ChildAt(i)))
            return true;
    }
    return false;
}

void BWindow::_UpdatePulse()
{
    if (fPulse == nullptr || fTopView == nullptr)
        return;
    // The timer runs only for a shown window with a view that wants the
    // pulse: an idle window has no thread waking it. The level is read and
    // the rate set in one step, so that a Hide() on another thread cannot
    // fall between them and leave a hidden window pulsing.
    std::lock_guard lock(fPulseLock);
    const bigtime_t rate = !IsHidden() && _AnyNeedsPulse(fTopView) ? fPulseRate : 0;
    // Setting the same rate again would restart the period.
    if (fPulse->Rate() != rate)
        fPulse->SetRate(rate);
}

bigtime_t BWindow::PulseRate() const
{
    return fPulseRate;
}

void BWindow::UpdateIfNeeded()
{
    if (GuiThread::IsCurrent() && fWidget != nullptr)
        fWidget->repaint();
}

// --- For the platform layer -------------------------------------------------------------

QWidget* BWindow::_Widget() const
{
    return fWidget;
}

void BWindow::_SystemMoved(int x, int y)
{
    BMessage message(B_WINDOW_MOVED);
    message.AddInt64("when", system_time());
    message.AddPoint("where", BPoint(float(x), float(y)));
    PostMessage(&message);
}

void BWindow::_SystemResized(int width, int height)
{
    BMessage message(B_WINDOW_RESIZED);
    message.AddInt64("when", system_time());
    message.AddInt32("width", width - 1);
    message.AddInt32("height", height - 1);
    PostMessage(&message);
}
