#include <View.h>

#include "FontEngine.h"
#include "GuiThread.h"
#include "ViewState.h"
#include "ViewWidget.h"

#include <Cursor.h>
#include <Message.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <Window.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPointer>

#include <algorithm>
#include <utility>
#include <cmath>
#include <cstring>

using BPrivate::GuiThread;
using BPrivate::ViewState;
using BPrivate::ViewWidget;

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    :
    BHandler(name),
    fFrame(frame),
    fResizingMode(resizingMode),
    fFlags(flags),
    fShowLevel(0),
    fParent(nullptr),
    fWindow(nullptr),
    fWidget(nullptr),
    fNative(nullptr),
    fPainter(nullptr),
    fState(std::make_unique<ViewState>()),
    fAttached(false),
    fUpdatePosted(std::make_shared<std::atomic<bool>>(false))
{
    // Rounded to whole pixels, as the platform does unless asked not to.
    if (!(flags & B_SUBPIXEL_PRECISE)) {
        fFrame.left = std::floor(fFrame.left);
        fFrame.top = std::floor(fFrame.top);
        fFrame.right = std::floor(fFrame.right);
        fFrame.bottom = std::floor(fFrame.bottom);
    }
    GuiThread::EnsureApplication();
    GuiThread::Call([this] {
        fWidget = new ViewWidget(this);
        if (Name() != nullptr) {
            fWidget->setObjectName(QString::fromUtf8(Name()));
            fWidget->setAccessibleName(QString::fromUtf8(Name()));
        }
        fWidget->SetAccessibleRole(QAccessible::Pane);
        // Navigable views are reached with Tab; the views set the focus
        // themselves when clicked.
        if (fFlags & B_NAVIGABLE)
            fWidget->setFocusPolicy(Qt::TabFocus);
        fWidget->setAutoFillBackground(true);
        QPalette palette = fWidget->palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 255));
        fWidget->setPalette(palette);
        fWidget->hide();
    });
    _SyncGeometry();
}

BView::~BView()
{
    if (fParent != nullptr)
        RemoveSelf();
    else if (fWindow != nullptr)
        _Detach();
    while (!fChildren.empty()) {
        BView* child = fChildren.back();
        fChildren.pop_back();
        child->fParent = nullptr;
        delete child;
    }
    ViewWidget* widget = fWidget;
    fWidget = nullptr;
    GuiThread::Call([widget] {
        widget->Forget();
        delete widget;
    });
}

// --- Hooks ----------------------------------------------------------------------

void BView::AttachedToWindow() {}
void BView::AllAttached() {}
void BView::DetachedFromWindow() {}
void BView::AllDetached() {}
void BView::Draw(BRect) {}
void BView::MouseDown(BPoint) {}
void BView::MouseUp(BPoint) {}
void BView::MouseMoved(BPoint, uint32, const BMessage*) {}
void BView::KeyUp(const char*, int32) {}
void BView::WindowActivated(bool) {}
void BView::Pulse() {}

void BView::KeyDown(const char* bytes, int32)
{
    // Tab moves the focus as on the platform; Qt's own focus chain does
    // the work.
    if (bytes != nullptr && bytes[0] == B_TAB && fWidget != nullptr) {
        const bool backwards = (modifiers() & B_SHIFT_KEY) != 0;
        GuiThread::Call([this, backwards] {
            QWidget* next = backwards ? fWidget->previousInFocusChain() : fWidget->nextInFocusChain();
            if (next != nullptr)
                next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        });
    }
}

void BView::FrameMoved(BPoint) {}
void BView::FrameResized(float, float) {}

void BView::MessageReceived(BMessage* message)
{
    if (message->what == B_MOUSE_WHEEL_CHANGED) {
        _WheelTurned(message);
        return;
    }
    BHandler::MessageReceived(message);
}

void BView::_WheelTurned(const BMessage* message)
{
    float dx = 0;
    float dy = 0;
    message->FindFloat("be:wheel_delta_x", &dx);
    message->FindFloat("be:wheel_delta_y", &dy);
    int32 held = 0;
    message->FindInt32("modifiers", &held);
    for (BView* view = this; view != nullptr; view = view->fParent) {
        // Over a scroll view's border or bars, the wheel scrolls its target.
        BView* scrolled = view;
        if (auto* scroll = dynamic_cast<BScrollView*>(view); scroll != nullptr && scroll->Target() != nullptr)
            scrolled = scroll->Target();
        BScrollBar* horizontal = scrolled->ScrollBar(B_HORIZONTAL);
        BScrollBar* vertical = scrolled->ScrollBar(B_VERTICAL);
        if (horizontal == nullptr && vertical == nullptr)
            continue;
        // A view that scrolls only sideways takes the usual wheel's turn
        // sideways.
        if (vertical == nullptr && dx == 0)
            std::swap(dx, dy);
        const auto scroll = [held](BScrollBar* bar, float delta) {
            if (bar == nullptr || delta == 0)
                return;
            float small = 0;
            float large = 0;
            bar->GetSteps(&small, &large);
            // A notch is three small steps; with Command or Control, a page.
            const float step = (uint32(held) & (B_COMMAND_KEY | B_CONTROL_KEY)) != 0 ? large : small * 3;
            bar->SetValue(bar->Value() + delta * step);
        };
        scroll(horizontal, dx);
        scroll(vertical, dy);
        return;
    }
}

void BView::MakeFocus(bool focus)
{
    if (fWindow == nullptr)
        return;
    if (focus) {
        BView* previous = fWindow->CurrentFocus();
        if (previous == this)
            return;
        if (previous != nullptr) {
            // Following Qt, the previous view has lost Qt's focus already
            // (and may have it back by now): it is not told to drop it.
            previous->fFollowingWidgetFocus = fFollowingWidgetFocus;
            previous->MakeFocus(false);
            previous->fFollowingWidgetFocus = false;
        }
        fWindow->_SetFocus(this);
        if (!fFollowingWidgetFocus) {
            GuiThread::Call([this] {
                QWidget* target = fNative != nullptr ? fNative : fWidget;
                target->setFocus(Qt::OtherFocusReason);
            });
        }
    } else if (fWindow->CurrentFocus() == this) {
        fWindow->_SetFocus(nullptr);
        if (!fFollowingWidgetFocus) {
            GuiThread::Call([this] {
                QWidget* target = fNative != nullptr ? fNative : fWidget;
                if (target->hasFocus())
                    target->clearFocus();
            });
        }
    }
    Invalidate();
    // A scroll view round this view shows the focus in its border.
    if (auto* scroll = dynamic_cast<BScrollView*>(fParent); scroll != nullptr && scroll->Target() == this)
        scroll->Invalidate();
}

void BView::_FocusFromWidget()
{
    if (fWindow == nullptr || fWindow->CurrentFocus() == this)
        return;
    fFollowingWidgetFocus = true;
    MakeFocus(true);
    fFollowingWidgetFocus = false;
}

bool BView::IsFocus() const
{
    return fWindow != nullptr && fWindow->CurrentFocus() == this;
}

// --- The tree --------------------------------------------------------------------

void BView::AddChild(BView* child, BView* before)
{
    if (child == nullptr || child == this)
        return;
    if (child->fParent != nullptr || child->fWindow != nullptr) {
        std::fprintf(stderr, "BView::AddChild(): view \"%s\" already has a parent\n",
            child->Name() != nullptr ? child->Name() : "");
        return;
    }
    auto position = std::find(fChildren.begin(), fChildren.end(), before);
    fChildren.insert(position, child);
    child->_SetParent(this);
    if (fWindow != nullptr) {
        child->_Attach(fWindow);
    }
}

bool BView::RemoveChild(BView* child)
{
    if (child == nullptr || child->fParent != this)
        return false;
    return child->RemoveSelf();
}

bool BView::RemoveSelf()
{
    if (fParent == nullptr)
        return false;
    BWindow* window = fWindow;
    if (fWindow != nullptr)
        _Detach();
    auto& siblings = fParent->fChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    fParent = nullptr;
    if (window != nullptr)
        window->_UpdatePulse();
    GuiThread::Call([this] {
        fWidget->hide();
        fWidget->setParent(nullptr);
    });
    return true;
}

void BView::_SetParent(BView* parent)
{
    fParent = parent;
    GuiThread::Call([this, parent] {
        fWidget->setParent(parent->fWidget);
        // Qt stacks a later child above an earlier one; keep the order of
        // the list.
        auto position = std::find(parent->fChildren.begin(), parent->fChildren.end(), this);
        if (position + 1 != parent->fChildren.end())
            fWidget->stackUnder((*(position + 1))->fWidget);
        if (fShowLevel <= 0)
            fWidget->show();
    });
    _SyncGeometry();
}

void BView::_Attach(BWindow* window)
{
    fWindow = window;
    window->AddHandler(this);
    SetNextHandler(fParent != nullptr ? static_cast<BHandler*>(fParent) : static_cast<BHandler*>(window));
    for (BView* child : fChildren)
        child->_AttachChildren(window);
    fAttached = true;
    AttachedToWindow();
    for (BView* child : fChildren)
        child->_AttachChildren(nullptr);
    AllAttached();
    if (fWindow != nullptr)
        fWindow->_UpdatePulse();
}

// Attaches the subtree in two passes, as the platform does: every view
// hears AttachedToWindow() (parents first), then AllAttached() (children
// first). A null window runs the second pass.
void BView::_AttachChildren(BWindow* window)
{
    if (window != nullptr) {
        fWindow = window;
        window->AddHandler(this);
        SetNextHandler(fParent);
        fAttached = true;
        AttachedToWindow();
        for (BView* child : fChildren)
            child->_AttachChildren(window);
        return;
    }
    for (BView* child : fChildren)
        child->_AttachChildren(nullptr);
    AllAttached();
}

void BView::_Detach()
{
    DetachedFromWindow();
    for (BView* child : fChildren)
        child->_DetachChildren();
    AllDetached();
    if (fWindow != nullptr) {
        if (fWindow->CurrentFocus() == this)
            fWindow->_SetFocus(nullptr);
        fWindow->_ViewDetached(this);
        fWindow->RemoveHandler(this);
    }
    fWindow = nullptr;
    fAttached = false;
}

void BView::_DetachChildren()
{
    DetachedFromWindow();
    for (BView* child : fChildren)
        child->_DetachChildren();
    AllDetached();
    if (fWindow != nullptr) {
        if (fWindow->CurrentFocus() == this)
            fWindow->_SetFocus(nullptr);
        fWindow->_ViewDetached(this);
        fWindow->RemoveHandler(this);
    }
    fWindow = nullptr;
    fAttached = false;
}

int32 BView::CountChildren() const
{
    return int32(fChildren.size());
}

BView* BView::ChildAt(int32 index) const
{
    if (index < 0 || size_t(index) >= fChildren.size())
        return nullptr;
    return fChildren[size_t(index)];
}

BView* BView::NextSibling() const
{
    if (fParent == nullptr)
        return nullptr;
    const auto& siblings = fParent->fChildren;
    auto position = std::find(siblings.begin(), siblings.end(), this);
    if (position == siblings.end() || position + 1 == siblings.end())
        return nullptr;
    return *(position + 1);
}

BView* BView::PreviousSibling() const
{
    if (fParent == nullptr)
        return nullptr;
    const auto& siblings = fParent->fChildren;
    auto position = std::find(siblings.begin(), siblings.end(), this);
    if (position == siblings.end() || position == siblings.begin())
        return nullptr;
    return *(position - 1);
}

BView* BView::Parent() const
{
    // The window's top view is no one's parent as far as code can see.
    if (fParent != nullptr && fWindow != nullptr && fWindow->_TopView() == fParent)
        return nullptr;
    return fParent;
}

BWindow* BView::Window() const
{
    return fWindow;
}

BView* BView::FindView(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    if (Name() != nullptr && std::strcmp(Name(), name) == 0)
        return const_cast<BView*>(this);
    for (BView* child : fChildren) {
        if (BView* found = child->FindView(name))
            return found;
    }
    return nullptr;
}

// --- Geometry ----------------------------------------------------------------------

BRect BView::Frame() const
{
    return fFrame;
}

BRect BView::Bounds() const
{
    return BRect(fOrigin.x, fOrigin.y, fOrigin.x + fFrame.Width(), fOrigin.y + fFrame.Height());
}

void BView::_SyncGeometry()
{
    if (fWidget == nullptr)
        return;
    BPoint parentOrigin = fParent != nullptr ? fParent->fOrigin : B_ORIGIN;
    const int x = int(std::floor(fFrame.left - parentOrigin.x));
    const int y = int(std::floor(fFrame.top - parentOrigin.y));
    const int width = std::max(0, int(std::floor(fFrame.right)) - int(std::floor(fFrame.left)) + 1);
    const int height = std::max(0, int(std::floor(fFrame.bottom)) - int(std::floor(fFrame.top)) + 1);
    GuiThread::Call([this, x, y, width, height] { fWidget->setGeometry(x, y, width, height); });
}

void BView::_PostFrameEvents(bool moved, bool resized)
{
    if (fWindow == nullptr)
        return;
    if (moved)
        FrameMoved(fFrame.LeftTop());
    if (resized)
        FrameResized(fFrame.Width(), fFrame.Height());
}

void BView::MoveTo(BPoint where)
{
    MoveTo(where.x, where.y);
}

void BView::MoveTo(float x, float y)
{
    if (!(fFlags & B_SUBPIXEL_PRECISE)) {
        x = std::floor(x);
        y = std::floor(y);
    }
    if (x == fFrame.left && y == fFrame.top)
        return;
    fFrame.OffsetTo(x, y);
    _SyncGeometry();
    if (fFlags & B_FRAME_EVENTS)
        _PostFrameEvents(true, false);
}

void BView::MoveBy(float dx, float dy)
{
    MoveTo(fFrame.left + dx, fFrame.top + dy);
}

void BView::ResizeTo(float width, float height)
{
    _SetSize(width, height, true);
}

void BView::ResizeBy(float dWidth, float dHeight)
{
    _SetSize(fFrame.Width() + dWidth, fFrame.Height() + dHeight, true);
}

void BView::_SetSize(float width, float height, bool notify)
{
    if (!(fFlags & B_SUBPIXEL_PRECISE)) {
        width = std::floor(width);
        height = std::floor(height);
    }
    const float dWidth = width - fFrame.Width();
    const float dHeight = height - fFrame.Height();
    if (dWidth == 0 && dHeight == 0)
        return;
    fFrame.right = fFrame.left + width;
    fFrame.bottom = fFrame.top + height;
    _SyncGeometry();
    for (BView* child : fChildren)
        child->_ParentResized(dWidth, dHeight);
    if (notify && (fFlags & B_FRAME_EVENTS))
        _PostFrameEvents(false, true);
    if (fFlags & B_FULL_UPDATE_ON_RESIZE)
        Invalidate();
}

namespace {

// How far one edge moves when the parent grows by delta: edges that
// follow the near side stay, edges that follow the far side move with it,
// centred edges move half as far.
float EdgeShift(uint32 rule, uint32 nearSide, uint32 farSide, float delta)
{
    if (rule == farSide)
        return delta;
    if (rule == _VIEW_CENTER_)
        return delta / 2;
    (void)nearSide;
    return 0;
}

} // namespace

void BView::_ParentResized(float dWidth, float dHeight)
{
    const uint32 mode = fResizingMode;
    const BRect old = fFrame;
    BRect frame = fFrame;
    frame.top += EdgeShift((mode >> 12) & 0xf, _VIEW_TOP_, _VIEW_BOTTOM_, dHeight);
    frame.left += EdgeShift((mode >> 8) & 0xf, _VIEW_LEFT_, _VIEW_RIGHT_, dWidth);
    frame.bottom += EdgeShift((mode >> 4) & 0xf, _VIEW_TOP_, _VIEW_BOTTOM_, dHeight);
    frame.right += EdgeShift(mode & 0xf, _VIEW_LEFT_, _VIEW_RIGHT_, dWidth);
    if (!(fFlags & B_SUBPIXEL_PRECISE)) {
        // Centred views keep their size; round the position only.
        frame.left = std::floor(frame.left);
        frame.top = std::floor(frame.top);
        frame.right = frame.left + std::floor(frame.right - frame.left + 0.5f);
        frame.bottom = frame.top + std::floor(frame.bottom - frame.top + 0.5f);
    }
    const bool moved = frame.left != old.left || frame.top != old.top;
    const float newWidth = frame.Width();
    const float newHeight = frame.Height();
    fFrame.OffsetTo(frame.left, frame.top);
    if (newWidth != old.Width() || newHeight != old.Height()) {
        _SetSize(newWidth, newHeight, true);
    } else {
        _SyncGeometry();
    }
    if (moved && (fFlags & B_FRAME_EVENTS))
        _PostFrameEvents(true, false);
}

void BView::GetPreferredSize(float* width, float* height)
{
    if (width != nullptr)
        *width = fFrame.Width();
    if (height != nullptr)
        *height = fFrame.Height();
}

void BView::ResizeToPreferred()
{
    float width;
    float height;
    GetPreferredSize(&width, &height);
    ResizeTo(width, height);
}

void BView::ScrollTo(BPoint where)
{
    if (where == fOrigin)
        return;
    fOrigin = where;
    for (BView* child : fChildren)
        child->_SyncGeometry();
    // The scroll bars show where the view is now.
    if (fScrollBars[B_HORIZONTAL] != nullptr)
        fScrollBars[B_HORIZONTAL]->SetValue(where.x);
    if (fScrollBars[B_VERTICAL] != nullptr)
        fScrollBars[B_VERTICAL]->SetValue(where.y);
    Invalidate();
}

BScrollBar* BView::ScrollBar(orientation direction) const
{
    return direction == B_HORIZONTAL || direction == B_VERTICAL ? fScrollBars[direction] : nullptr;
}

void BView::ScrollBy(float dx, float dy)
{
    ScrollTo(BPoint(fOrigin.x + dx, fOrigin.y + dy));
}

uint32 BView::ResizingMode() const
{
    return fResizingMode;
}

void BView::SetResizingMode(uint32 mode)
{
    fResizingMode = mode;
}

uint32 BView::Flags() const
{
    return fFlags;
}

void BView::SetFlags(uint32 flags)
{
    fFlags = flags;
    if (fWindow != nullptr)
        fWindow->_UpdatePulse();
    const bool navigable = (flags & B_NAVIGABLE) != 0;
    GuiThread::Call([this, navigable] {
        if (fNative == nullptr)
            fWidget->setFocusPolicy(navigable ? Qt::TabFocus : Qt::NoFocus);
    });
}

void BView::ConvertToParent(BPoint* point) const
{
    point->x += fFrame.left - fOrigin.x;
    point->y += fFrame.top - fOrigin.y;
}

BPoint BView::ConvertToParent(BPoint point) const
{
    ConvertToParent(&point);
    return point;
}

void BView::ConvertToParent(BRect* rect) const
{
    rect->OffsetBy(fFrame.left - fOrigin.x, fFrame.top - fOrigin.y);
}

BRect BView::ConvertToParent(BRect rect) const
{
    ConvertToParent(&rect);
    return rect;
}

void BView::ConvertFromParent(BPoint* point) const
{
    point->x -= fFrame.left - fOrigin.x;
    point->y -= fFrame.top - fOrigin.y;
}

BPoint BView::ConvertFromParent(BPoint point) const
{
    ConvertFromParent(&point);
    return point;
}

void BView::ConvertToScreen(BPoint* point) const
{
    const BView* view = this;
    while (view != nullptr) {
        view->ConvertToParent(point);
        view = view->fParent;
    }
    if (fWindow != nullptr) {
        const BRect frame = fWindow->Frame();
        point->x += frame.left;
        point->y += frame.top;
    }
}

BPoint BView::ConvertToScreen(BPoint point) const
{
    ConvertToScreen(&point);
    return point;
}

void BView::ConvertToScreen(BRect* rect) const
{
    const BPoint leftTop = ConvertToScreen(rect->LeftTop());
    rect->OffsetTo(leftTop);
}

BRect BView::ConvertToScreen(BRect rect) const
{
    ConvertToScreen(&rect);
    return rect;
}

void BView::ConvertFromScreen(BPoint* point) const
{
    const BPoint zero = ConvertToScreen(B_ORIGIN);
    point->x -= zero.x;
    point->y -= zero.y;
}

BPoint BView::ConvertFromScreen(BPoint point) const
{
    ConvertFromScreen(&point);
    return point;
}

void BView::ConvertFromScreen(BRect* rect) const
{
    const BPoint leftTop = ConvertFromScreen(rect->LeftTop());
    rect->OffsetTo(leftTop);
}

BRect BView::ConvertFromScreen(BRect rect) const
{
    ConvertFromScreen(&rect);
    return rect;
}

void BView::Show()
{
    fShowLevel--;
    if (fShowLevel == 0 && fParent != nullptr)
        GuiThread::Call([this] { fWidget->show(); });
}

void BView::Hide()
{
    fShowLevel++;
    if (fShowLevel == 1)
        GuiThread::Call([this] { fWidget->hide(); });
}

bool BView::IsHidden() const
{
    if (fShowLevel > 0)
        return true;
    return fParent != nullptr ? fParent->IsHidden() : false;
}

// --- Input ---------------------------------------------------------------------------

void BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
    QPoint local;
    Qt::MouseButtons held = Qt::NoButton;
    if (GuiThread::IsCurrent() && QCoreApplication::instance() != nullptr) {
        // Let Qt take in the input that came meanwhile, so that a caller
        // waiting for the buttons to go up sees them go up.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    GuiThread::Call([this, &local, &held] {
        local = fWidget->mapFromGlobal(QCursor::pos());
        held = QGuiApplication::mouseButtons();
    });
    if (location != nullptr)
        *location = BPoint(fOrigin.x + float(local.x()), fOrigin.y + float(local.y()));
    if (buttons != nullptr) {
        uint32 result = 0;
        if (held & Qt::LeftButton)
            result |= B_PRIMARY_MOUSE_BUTTON;
        if (held & Qt::RightButton)
            result |= B_SECONDARY_MOUSE_BUTTON;
        if (held & Qt::MiddleButton)
            result |= B_TERTIARY_MOUSE_BUTTON;
        *buttons = result;
    }
}

void BView::SetViewCursor(const BCursor* cursor, bool)
{
    const QCursor shape = cursor != nullptr ? cursor->_Cursor() : QCursor(Qt::ArrowCursor);
    GuiThread::Call([this, &shape] {
        fWidget->setCursor(shape);
        if (fNative != nullptr)
            fNative->setCursor(shape);
    });
}

// --- Updates ------------------------------------------------------------------------

void BView::Invalidate()
{
    if (fWidget == nullptr)
        return;
    // One update request waits at a time, however often views ask.
    if (fUpdatePosted->exchange(true))
        return;
    QPointer<ViewWidget> widget(fWidget);
    GuiThread::Post([widget, posted = fUpdatePosted] {
        posted->store(false);
        if (widget != nullptr)
            widget->update();
    });
}

void BView::Invalidate(BRect rect)
{
    if (fWidget == nullptr || fUpdatePosted->load())
        return;
    const QRect area(int(std::floor(rect.left - fOrigin.x)), int(std::floor(rect.top - fOrigin.y)),
        int(std::floor(rect.Width())) + 1, int(std::floor(rect.Height())) + 1);
    QPointer<ViewWidget> widget(fWidget);
    GuiThread::Post([widget, area] {
        if (widget != nullptr)
            widget->update(area);
    });
}

void BView::_InvalidateAll()
{
    Invalidate();
}

void BView::Flush() const {}
void BView::Sync() const {}

// --- Colours and state -------------------------------------------------------------

void BView::SetViewColor(rgb_color color)
{
    if (color == fState->viewColor)
        return;
    fState->viewColor = color;
    const bool transparent = color == B_TRANSPARENT_COLOR;
    // Inside Draw() the new colour fills the view from the next update on:
    // only the widget's own background changes, since a new palette makes
    // Qt paint the widget again (a Draw() that sets its colour would paint
    // for ever).
    const bool drawing = _Drawing();
    GuiThread::Call([this, color, transparent, drawing] {
        const QColor background(color.red, color.green, color.blue);
        fWidget->SetBackground(background, !transparent);
        if (drawing)
            return;
        fWidget->setAutoFillBackground(!transparent);
        if (!transparent) {
            QPalette palette = fWidget->palette();
            palette.setColor(QPalette::Window, background);
            fWidget->setPalette(palette);
        }
    });
    if (!drawing)
        Invalidate();
}

void BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
    SetViewColor(make_color(red, green, blue, alpha));
}

rgb_color BView::ViewColor() const
{
    return fState->viewColor;
}

void BView::SetHighColor(rgb_color color)
{
    fState->highColor = color;
}

void BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
    fState->highColor = make_color(red, green, blue, alpha);
}

rgb_color BView::HighColor() const
{
    return fState->highColor;
}

void BView::SetLowColor(rgb_color color)
{
    fState->lowColor = color;
}

void BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
    fState->lowColor = make_color(red, green, blue, alpha);
}

rgb_color BView::LowColor() const
{
    return fState->lowColor;
}

void BView::SetDrawingMode(drawing_mode mode)
{
    fState->mode = mode;
}

drawing_mode BView::DrawingMode() const
{
    return fState->mode;
}

void BView::SetPenSize(float size)
{
    fState->penSize = std::max(0.0f, size);
}

float BView::PenSize() const
{
    return fState->penSize;
}

void BView::MovePenTo(BPoint where)
{
    fState->penLocation = where;
}

void BView::MovePenTo(float x, float y)
{
    fState->penLocation = BPoint(x, y);
}

void BView::MovePenBy(float dx, float dy)
{
    fState->penLocation += BPoint(dx, dy);
}

BPoint BView::PenLocation() const
{
    return fState->penLocation;
}

void BView::PushState()
{
    fStateStack.push_back(*fState);
}

void BView::PopState()
{
    if (fStateStack.empty())
        return;
    const rgb_color viewColor = fState->viewColor;
    *fState = fStateStack.back();
    fStateStack.pop_back();
    // The view colour is not part of the drawing state.
    fState->viewColor = viewColor;
}

void BView::SetFont(const BFont* font, uint32 mask)
{
    if (font == nullptr)
        return;
    BFont result = fState->font;
    if (mask == B_FONT_ALL) {
        result = *font;
    } else {
        if (mask & B_FONT_FAMILY_AND_STYLE) {
            font_family family;
            font_style style;
            font->GetFamilyAndStyle(&family, &style);
            result.SetFamilyAndStyle(family, style);
        }
        if (mask & B_FONT_SIZE)
            result.SetSize(font->Size());
        if (mask & B_FONT_ROTATION)
            result.SetRotation(font->Rotation());
        if (mask & B_FONT_SPACING)
            result.SetSpacing(font->Spacing());
        if (mask & B_FONT_FACE)
            result.SetFace(font->Face());
    }
    const bool changed = !(result == fState->font);
    if (changed)
        fState->font = result;
    // A native widget made after the font was set takes it here (Qt does
    // nothing for a font it has already).
    if (fNative != nullptr) {
        const QFont qtFont = FontEngine::QtFontOf(fState->font);
        GuiThread::Call([this, &qtFont] { fNative->setFont(qtFont); });
    }
    _FontChanged(changed);
}

void BView::_FontChanged(bool changed)
{
    // The same font again changes nothing on screen; a font set inside
    // Draw() is drawing state for the strings drawn after it.
    if (changed && !_Drawing())
        Invalidate();
}

bool BView::_Drawing() const
{
    return fPainter != nullptr;
}

void BView::GetFont(BFont* font) const
{
    if (font != nullptr)
        *font = fState->font;
}

void BView::SetFontSize(float size)
{
    const float before = fState->font.Size();
    fState->font.SetSize(size);
    _FontChanged(fState->font.Size() != before);
}

void BView::GetFontHeight(font_height* height) const
{
    fState->font.GetHeight(height);
}

float BView::StringWidth(const char* string) const
{
    return fState->font.StringWidth(string);
}

float BView::StringWidth(const char* string, int32 length) const
{
    return fState->font.StringWidth(string, length);
}

// --- For the platform layer --------------------------------------------------------

QWidget* BView::_Widget() const
{
    return fWidget;
}

QPainter* BView::_Painter() const
{
    return fPainter;
}

void BView::_Paint(QPainter* painter, BRect updateRect)
{
    fPainter = painter;
    painter->translate(double(-fOrigin.x), double(-fOrigin.y));
    Draw(updateRect);
    fPainter = nullptr;
}

void BView::_SetNativeWidget(QWidget* widget)
{
    fNative = widget;
    GuiThread::Call([this, widget] {
        fWidget->SetNative(widget);
        if (widget != nullptr && Name() != nullptr)
            widget->setObjectName(QString::fromUtf8(Name()));
        // The native widget tells a screen reader what it is; the view's
        // own widget around it is a plain pane of the same name.
        if (widget != nullptr)
            fWidget->SetAccessibleRole(QAccessible::Pane);
    });
    _ApplyAccessibleName();
}

void BView::SetAccessibleName(const char* name)
{
    fAccessibleName = name != nullptr ? name : "";
    _ApplyAccessibleName();
}

void BView::SetAccessibleDescription(const char* description)
{
    const QString text = QString::fromUtf8(description != nullptr ? description : "");
    GuiThread::Call([this, &text] {
        fWidget->setAccessibleDescription(text);
        if (fNative != nullptr)
            fNative->setAccessibleDescription(text);
    });
}

void BView::_SetAccessibleRole(int32 role)
{
    GuiThread::Call([this, role] { fWidget->SetAccessibleRole(int(role)); });
}

void BView::_SetAccessibleDefaultName(const char* name)
{
    fAccessibleDefaultName = name != nullptr ? name : "";
    _ApplyAccessibleName();
}

void BView::_SetAccessibleValue(const char* value)
{
    const QString text = QString::fromUtf8(value != nullptr ? value : "");
    GuiThread::Call([this, &text] {
        if (fWidget->AccessibleValue() == text)
            return;
        fWidget->SetAccessibleValue(text);
        QAccessibleValueChangeEvent changed(fWidget, text);
        QAccessible::updateAccessibility(&changed);
    });
}

void BView::SetAccessibleRange(float minimum, float maximum, float value)
{
    GuiThread::Call([this, minimum, maximum, value] {
        fWidget->SetAccessibleRole(QAccessible::ProgressBar);
        fWidget->SetAccessibleRange(minimum, maximum, value);
    });
}

void BView::_SetAccessibleItems(const std::vector<_AccessibleEntry>& entries, int32 keyboardEntry,
    bool multiSelect)
{
    std::vector<ViewWidget::AccessibleItem> items;
    items.reserve(entries.size());
    const BPoint origin = Bounds().LeftTop();
    for (const _AccessibleEntry& entry : entries) {
        const BRect frame = entry.frame.OffsetByCopy(-origin.x, -origin.y);
        items.push_back({QString::fromStdString(entry.text), entry.selected,
            QRect(int(frame.left), int(frame.top), int(frame.Width()) + 1, int(frame.Height()) + 1)});
    }
    GuiThread::Call([this, &items, keyboardEntry, multiSelect] {
        fWidget->SetAccessibleItems(std::move(items), int(keyboardEntry), multiSelect);
    });
}

void BView::_ApplyAccessibleName()
{
    std::string name = !fAccessibleName.empty() ? fAccessibleName : fAccessibleDefaultName;
    if (name.empty() && Name() != nullptr)
        name = Name();
    const QString text = QString::fromUtf8(name.c_str());
    GuiThread::Call([this, &text] {
        if (fWidget->accessibleName() != text)
            fWidget->setAccessibleName(text);
        if (fNative != nullptr && fNative->accessibleName() != text)
            fNative->setAccessibleName(text);
    });
}

void BView::_SetFocusable(bool enabled)
{
    const bool focusable = enabled && (fFlags & B_NAVIGABLE) != 0;
    GuiThread::Call([this, focusable] {
        if (fNative == nullptr)
            fWidget->setFocusPolicy(focusable ? Qt::TabFocus : Qt::NoFocus);
    });
}

QWidget* BView::_NativeWidget() const
{
    return fNative;
}

status_t BView::_PostToSelf(BMessage* message)
{
    if (fWindow == nullptr)
        return B_NO_INIT;
    return fWindow->PostMessage(message, this);
}
