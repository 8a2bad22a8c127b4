#include "LibListView.h"

#include <Application.h>
#include <Cursor.h>
#include <OS.h>
#include <ScrollBar.h>
#include <Window.h>

#include <algorithm>
#include <cstdio>

namespace {

// An upward arrow, a small box and a downward arrow; hot spot in the middle.
const uint8 kSlideArrow[68] = {
    16, 1, 8, 8,
    // image
    0x00, 0x00, 0x00, 0x80, 0x01, 0xc0, 0x03, 0xe0, 0x07, 0xf0, 0x00, 0x80, 0x03, 0xe0, 0x02, 0x20,
    0x02, 0x20, 0x02, 0x20, 0x03, 0xe0, 0x00, 0x80, 0x07, 0xf0, 0x03, 0xe0, 0x01, 0xc0, 0x00, 0x80,
    // mask
    0x00, 0x00, 0x00, 0x80, 0x01, 0xc0, 0x03, 0xe0, 0x07, 0xf0, 0x00, 0x80, 0x03, 0xe0, 0x02, 0x20,
    0x02, 0x20, 0x02, 0x20, 0x03, 0xe0, 0x00, 0x80, 0x07, 0xf0, 0x03, 0xe0, 0x01, 0xc0, 0x00, 0x80};

// How close to the top or bottom edge the pointer scrolls the list.
constexpr float kScrollMargin = 10;

} // namespace

LibListView::LibListView(BRect frame, const char* name)
    :
    BListView(frame, name, B_SINGLE_SELECTION_LIST, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_NAVIGABLE | B_FRAME_EVENTS),
    fReorderCommand(0),
    fReorderAllowed(false),
    fHoverCommand(0),
    fHoverIndex(-1),
    fScrollBar(nullptr),
    fDragging(false)
{
}

LibListView::~LibListView()
{
}

void LibListView::SetHoverCommand(const uint32& command)
{
    fHoverCommand = command;
}

void LibListView::SetReorderCommand(const uint32& command)
{
    fReorderCommand = command;
}

void LibListView::AllowReorder(const bool& allow, BScrollBar* scrollBar)
{
    fReorderAllowed = allow;
    fScrollBar = scrollBar;
}

bool LibListView::WindowIsActive() const
{
    return Window() != nullptr && Window()->IsActive();
}

void LibListView::MouseMoved(BPoint where, uint32 transit, const BMessage* drag)
{
    // The platform list still sees every move: on this toolkit it starts
    // drags from there.
    BListView::MouseMoved(where, transit, drag);
    if (fHoverCommand == 0 || !WindowIsActive())
        return;
    switch (transit) {
        case B_ENTERED_VIEW:
            fHoverIndex = -1;
            break;
        case B_INSIDE_VIEW:
            ReportHover(IndexOf(where));
            break;
        case B_EXITED_VIEW:
            ReportHover(-1);
            break;
        default:
            break;
    }
}

void LibListView::ReportHover(int32 index)
{
    if (index != fHoverIndex && Window() != nullptr) {
        BMessage message(fHoverCommand);
        message.AddInt32("item", index);
        Window()->PostMessage(&message);
    }
    fHoverIndex = index;
}

void LibListView::KeyDown(const char* bytes, int32 numBytes)
{
    // A pop-up list (a window without a title bar) goes away on Escape or
    // Tab. In a window with a title bar those keys must not hide the
    // window, which nothing would bring back: Tab moves the focus on.
    if (numBytes == 1 && (bytes[0] == B_ESCAPE || bytes[0] == B_TAB) && Window() != nullptr) {
        const window_look look = Window()->Look();
        if (look == B_NO_BORDER_WINDOW_LOOK || look == B_BORDERED_WINDOW_LOOK) {
            Window()->Hide();
            return;
        }
    }
    BListView::KeyDown(bytes, numBytes);
}

void LibListView::ItemReordered(const int32&, const int32&)
{
    fprintf(stderr, "ItemReordered needs to be inherited\n");
}

void LibListView::ReadDragMouse(BPoint& where, uint32& buttons)
{
    GetMouse(&where, &buttons, true);
}

void LibListView::DragPause()
{
    snooze(kDragPoll);
}

void LibListView::SetCursor(const void* cursorData)
{
    // The application's cursor shows over all its windows; without an
    // application the list's own will do.
    if (be_app != nullptr) {
        be_app->SetCursor(cursorData);
        return;
    }
    BCursor cursor(cursorData);
    SetViewCursor(&cursor);
}

void LibListView::ShowOutline(const BRect& rect)
{
    fOutline = rect;
    Invalidate();
}

void LibListView::Draw(BRect updateRect)
{
    BListView::Draw(updateRect);
    if (!fDragging)
        return;
    PushState();
    SetHighColor(0, 0, 0);
    StrokeRect(fOutline);
    PopState();
}

bool LibListView::InitiateDrag(BPoint, int32 index, bool wasSelected)
{
    if (!wasSelected || !fReorderAllowed)
        return false;
    BListItem* item = ItemAt(index);
    if (item == nullptr)
        return true;

    const float visibleHeight = Frame().Height();
    float minimum = 0;
    float maximum = 0;
    float smallStep = 0;
    float bigStep = 0;
    if (fScrollBar != nullptr) {
        fScrollBar->GetRange(&minimum, &maximum);
        fScrollBar->GetSteps(&smallStep, &bigStep);
    }

    // The outline starts over the dragged item and follows the pointer.
    const BRect itemFrame = ItemFrame(index);
    fDragging = true;
    BPoint where;
    uint32 buttons = 0;
    bool inside = true;
    do {
        SetCursor(kSlideArrow);
        DragPause();
        ReadDragMouse(where, buttons);
        const float scroll = fScrollBar != nullptr ? fScrollBar->Value() : 0;
        // The pointer's height within the visible part of the list.
        const float d = where.y - scroll;
        if (fScrollBar != nullptr) {
            if (d > visibleHeight - kScrollMargin && scroll < maximum)
                fScrollBar->SetValue(std::min(scroll + smallStep, maximum));
            else if (d < kScrollMargin && scroll > minimum)
                fScrollBar->SetValue(std::max(scroll - smallStep, minimum));
        }
        inside = d > 0 && d < visibleHeight && where.x > 2 && where.x < Frame().Width();
        ShowOutline(BRect(itemFrame).OffsetToSelf(0, where.y - itemFrame.Height() / 2));
    } while (buttons != 0 && inside);
    fDragging = false;
    Invalidate();
    SetCursor(B_HAND_CURSOR);

    const int32 target = IndexOf(where);
    if (inside && target >= 0 && target != index) {
        ItemReordered(index, target);
        if (fReorderCommand != 0 && Window() != nullptr)
            Window()->PostMessage(fReorderCommand);
    }
    return true;
}
