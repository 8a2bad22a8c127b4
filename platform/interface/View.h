// BView: a rectangular area of a window that draws itself and takes mouse
// and keyboard input; views form a tree under their window.
//
// Each view owns one Qt widget on the GUI thread. The frame is kept here in
// the platform's terms (inclusive rectangles in the parent's coordinates)
// and mirrored onto the widget. Painting calls Draw() on the GUI thread with
// the window locked; mouse and key input reach the view as messages
// (B_MOUSE_DOWN, B_MOUSE_UP, B_MOUSE_MOVED, B_KEY_DOWN) through its window's
// queue, in order with every other message, and the window turns them into
// MouseDown(), MouseUp(), MouseMoved() and KeyDown(). The drawing calls draw
// only while Draw() runs; outside it they ask for an update instead, and the
// view is redrawn soon after.
#pragma once

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Point.h>
#include <Rect.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class BBitmap;
class BScrollBar;
class BCursor;
class BMessage;
class BWindow;
class QPainter;
class QWidget;

struct escapement_delta {
    float nonspace;
    float space;
};

namespace BPrivate {
class ViewWidget;
struct ViewState;
} // namespace BPrivate

class BView : public BHandler {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    virtual ~BView();

    // --- Hooks ------------------------------------------------------------
    virtual void AttachedToWindow();
    virtual void AllAttached();
    virtual void DetachedFromWindow();
    virtual void AllDetached();
    virtual void Draw(BRect updateRect);
    virtual void MouseDown(BPoint where);
    virtual void MouseUp(BPoint where);
    virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
    virtual void KeyDown(const char* bytes, int32 numBytes);
    virtual void KeyUp(const char* bytes, int32 numBytes);
    virtual void FrameMoved(BPoint newPosition);
    virtual void FrameResized(float newWidth, float newHeight);
    virtual void WindowActivated(bool active);
    virtual void Pulse();
    virtual void MakeFocus(bool focus = true);
    virtual void MessageReceived(BMessage* message) override;

    // --- The tree -----------------------------------------------------------
    // A view belongs to one parent (a view or a window) at a time; the
    // parent owns it and deletes it with itself.
    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    bool RemoveSelf();
    int32 CountChildren() const;
    BView* ChildAt(int32 index) const;
    BView* NextSibling() const;
    BView* PreviousSibling() const;
    BView* Parent() const;
    BWindow* Window() const;
    // This view or the first view below it with that name (depth first).
    BView* FindView(const char* name) const;

    // --- Geometry -------------------------------------------------------------
    BRect Frame() const;
    BRect Bounds() const;
    void MoveTo(BPoint where);
    void MoveTo(float x, float y);
    void MoveBy(float dx, float dy);
    void ResizeTo(float width, float height);
    void ResizeBy(float dWidth, float dHeight);
    virtual void GetPreferredSize(float* width, float* height);
    virtual void ResizeToPreferred();
    void ScrollTo(BPoint where);
    void ScrollTo(float x, float y) { ScrollTo(BPoint(x, y)); }
    void ScrollBy(float dx, float dy);

    uint32 ResizingMode() const;
    void SetResizingMode(uint32 mode);
    uint32 Flags() const;
    virtual void SetFlags(uint32 flags);

    void ConvertToParent(BPoint* point) const;
    BPoint ConvertToParent(BPoint point) const;
    void ConvertToParent(BRect* rect) const;
    BRect ConvertToParent(BRect rect) const;
    void ConvertFromParent(BPoint* point) const;
    BPoint ConvertFromParent(BPoint point) const;
    void ConvertToScreen(BPoint* point) const;
    BPoint ConvertToScreen(BPoint point) const;
    void ConvertToScreen(BRect* rect) const;
    BRect ConvertToScreen(BRect rect) const;
    void ConvertFromScreen(BPoint* point) const;
    BPoint ConvertFromScreen(BPoint point) const;
    void ConvertFromScreen(BRect* rect) const;
    BRect ConvertFromScreen(BRect rect) const;

    virtual void Show();
    virtual void Hide();
    bool IsHidden() const;

    bool IsFocus() const;

    // The scroll bar that scrolls this view in that direction, if any.
    BScrollBar* ScrollBar(orientation direction) const;

    // --- Input ------------------------------------------------------------
    // Where the mouse is, in this view's coordinates, and which buttons are
    // held. Called on the window's thread it lets Qt handle pending input
    // first, so a loop that waits for the buttons to be released ends.
    void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

    void SetViewCursor(const BCursor* cursor, bool sync = true);

    // --- Updates ------------------------------------------------------------
    void Invalidate();
    void Invalidate(BRect rect);
    void Flush() const;
    void Sync() const;

    // --- Colours and state ----------------------------------------------------
    virtual void SetViewColor(rgb_color color);
    void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
    rgb_color ViewColor() const;
    void SetHighColor(rgb_color color);
    void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
    rgb_color HighColor() const;
    void SetLowColor(rgb_color color);
    void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
    rgb_color LowColor() const;

    void SetDrawingMode(drawing_mode mode);
    drawing_mode DrawingMode() const;
    void SetPenSize(float size);
    float PenSize() const;
    void MovePenTo(BPoint where);
    void MovePenTo(float x, float y);
    void MovePenBy(float dx, float dy);
    BPoint PenLocation() const;

    // Keeps the drawing state (colours, pen, mode, font) and restores it.
    void PushState();
    void PopState();

    virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
    void GetFont(BFont* font) const;
    void SetFontSize(float size);
    void GetFontHeight(font_height* height) const;
    float StringWidth(const char* string) const;
    float StringWidth(const char* string, int32 length) const;

    // --- Drawing ------------------------------------------------------------
    // Rectangles are inclusive, as everywhere in the kit: FillRect(BRect(0,
    // 0, 3, 3)) fills 4 x 4 pixels.
    void StrokeLine(BPoint to, pattern pattern = B_SOLID_HIGH);
    void StrokeLine(BPoint from, BPoint to, pattern pattern = B_SOLID_HIGH);
    void StrokeRect(BRect rect, pattern pattern = B_SOLID_HIGH);
    void FillRect(BRect rect, pattern pattern = B_SOLID_HIGH);
    void StrokeRoundRect(BRect rect, float xRadius, float yRadius, pattern pattern = B_SOLID_HIGH);
    void FillRoundRect(BRect rect, float xRadius, float yRadius, pattern pattern = B_SOLID_HIGH);
    void StrokeEllipse(BRect rect, pattern pattern = B_SOLID_HIGH);
    void FillEllipse(BRect rect, pattern pattern = B_SOLID_HIGH);
    void StrokeTriangle(BPoint a, BPoint b, BPoint c, pattern pattern = B_SOLID_HIGH);
    void FillTriangle(BPoint a, BPoint b, BPoint c, pattern pattern = B_SOLID_HIGH);
    void StrokePolygon(const BPoint* points, int32 count, bool closed = true, pattern pattern = B_SOLID_HIGH);
    void FillPolygon(const BPoint* points, int32 count, pattern pattern = B_SOLID_HIGH);

    // Text is drawn on its baseline at the point (or at the pen), in the
    // high colour, turned by the font's rotation; the pen moves to its end.
    void DrawString(const char* string, escapement_delta* delta = nullptr);
    void DrawString(const char* string, BPoint where, escapement_delta* delta = nullptr);
    void DrawString(const char* string, int32 length, escapement_delta* delta = nullptr);
    void DrawString(const char* string, int32 length, BPoint where, escapement_delta* delta = nullptr);

    // Bitmaps: B_OP_COPY draws every pixel opaque, B_OP_OVER leaves the
    // transparent pixels (B_TRANSPARENT_COLOR, index 255, alpha 0) undrawn,
    // B_OP_ALPHA blends by the pixels' alpha.
    void DrawBitmap(const BBitmap* bitmap);
    void DrawBitmap(const BBitmap* bitmap, BPoint where);
    void DrawBitmap(const BBitmap* bitmap, BRect destination);
    void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);
    void DrawBitmapAsync(const BBitmap* bitmap, BPoint where) { DrawBitmap(bitmap, where); }
    void DrawBitmapAsync(const BBitmap* bitmap, BRect destination) { DrawBitmap(bitmap, destination); }
    void DrawBitmapAsync(const BBitmap* bitmap, BRect source, BRect destination)
    {
        DrawBitmap(bitmap, source, destination);
    }

    // --- Assistive technology --------------------------------------------------
    // What a screen reader says of the view: its name (until set: the
    // view's label or text where it has one, else the view's name) and a
    // description (none until set). Null or empty goes back to the default.
    void SetAccessibleName(const char* name);
    void SetAccessibleDescription(const char* description);
    // The view shows a quantity between minimum and maximum (a progress
    // bar): a screen reader reads it as a number, and the view as a
    // progress bar.
    void SetAccessibleRange(float minimum, float maximum, float value);

    // --- For the platform layer -----------------------------------------------
    // The widget that shows this view.
    QWidget* _Widget() const;
    // The painter while Draw() runs (null otherwise), for the kit's own
    // drawing code.
    QPainter* _Painter() const;
    // Calls Draw() with painter; used by the view's widget.
    void _Paint(QPainter* painter, BRect updateRect);
    // Applies the frame to the widget (after a change of frame or origin).
    void _SyncGeometry();
    // Called when the window hands a view to the window or takes it away.
    void _Attach(BWindow* window);
    void _Detach();
    // Adjusts the frame to a change of the parent's size, by the resizing
    // mode, and passes the change on to the children.
    void _ParentResized(float dWidth, float dHeight);
    // Sets the view's frame size and lets its children follow.
    void _SetSize(float width, float height, bool notify);
    // The keyboard focus came to the view's widget from Qt (Tab, a click
    // on a native widget): the view becomes the window's focus view
    // through MakeFocus(), which leaves Qt's focus as it is.
    void _FocusFromWidget();
    // A turn of the mouse wheel (B_MOUSE_WHEEL_CHANGED): scrolls this view
    // or, when it has no scroll bar, the nearest parent that has one.
    void _WheelTurned(const BMessage* message);

protected:
    // A Qt widget that does this view's work (a button, an editor): it
    // fills the view and gets the keyboard focus for it. The view keeps
    // forwarding mouse movements over it to MouseMoved(). The view owns it.
    void _SetNativeWidget(QWidget* widget);
    QWidget* _NativeWidget() const;
    // The kind of view a screen reader announces (a QAccessible::Role),
    // the name the kit gives it (its label or text; null: the view's name)
    // and its current value (the text of a value view, the chosen entry).
    // An explicit SetAccessibleName() wins over the kit's name.
    void _SetAccessibleRole(int32 role);
    void _SetAccessibleDefaultName(const char* name);
    void _SetAccessibleValue(const char* value);
    // A list's entries for a screen reader: their texts, which are
    // selected, their frames in the view's coordinates, the entry the
    // keyboard is on (-1: none).
    struct _AccessibleEntry {
        std::string text;
        bool selected = false;
        BRect frame;
    };
    void _SetAccessibleItems(const std::vector<_AccessibleEntry>& entries, int32 keyboardEntry, bool multiSelect);
    // A navigable view takes the focus by Tab only while it is enabled;
    // controls call this when they are enabled or disabled.
    void _SetFocusable(bool enabled);
    // Posts a message to this view through its window's queue; nothing
    // without a window.
    status_t _PostToSelf(BMessage* message);

private:
    friend class BWindow;
    friend class BScrollBar;

    void _SetParent(BView* parent);
    // True while Draw() runs (on the GUI thread): state changed then is
    // for the drawing that follows and asks for no update.
    bool _Drawing() const;
    // Asks for an update after a change of font, unless nothing changed or
    // Draw() made it.
    void _FontChanged(bool changed);
    void _PrepareDraw(bool fill);
    bool _CanDraw();
    void _InvalidateAll();
    void _AttachChildren(BWindow* window);
    void _DetachChildren();
    void _PostFrameEvents(bool moved, bool resized);

    BRect fFrame;
    BPoint fOrigin;
    uint32 fResizingMode;
    uint32 fFlags;
    int32 fShowLevel;
    BView* fParent;
    BWindow* fWindow;
    std::vector<BView*> fChildren;
    BPrivate::ViewWidget* fWidget;
    QWidget* fNative;
    QPainter* fPainter;
    std::unique_ptr<BPrivate::ViewState> fState;
    std::vector<BPrivate::ViewState> fStateStack;
    bool fAttached;
    void _ApplyAccessibleName();

    // The name given by SetAccessibleName() and the one the kit gives.
    std::string fAccessibleName;
    std::string fAccessibleDefaultName;
    // Set while MakeFocus() follows a focus change Qt has already made.
    bool fFollowingWidgetFocus = false;
    BScrollBar* fScrollBars[2] = {nullptr, nullptr};
    std::shared_ptr<std::atomic<bool>> fUpdatePosted;
};
