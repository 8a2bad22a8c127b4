// LibListView: a single-selection list that tells its window which item the
// pointer is over, hides its pop-up window (one without a title bar) on
// Escape or Tab, and lets the user drag a selected item to a new place,
// scrolling while the pointer nears the top or bottom edge.
//
// Hover: while the window is active and a hover command is set, a message
// with that what and "item" (int32, -1 for none) is posted to the window
// each time the item under the pointer changes, and -1 when the pointer
// leaves the list. Reorder: after a drag released over another item,
// ItemReordered(from, to) moves the item (a subclass's job) and the reorder
// command, when set, is posted to the window.
#pragma once

#include <ListView.h>

class BScrollBar;

class LibListView : public BListView {
public:
    // Time between two looks at the pointer while dragging.
    static constexpr bigtime_t kDragPoll = 30000;

    LibListView(BRect frame, const char* name);
    virtual ~LibListView();

    void MouseMoved(BPoint where, uint32 transit, const BMessage* drag) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    bool InitiateDrag(BPoint point, int32 index, bool wasSelected) override;
    void Draw(BRect updateRect) override;
    // Moves the item; the list's own version only complains on standard
    // error, as moving is the subclass's business.
    virtual void ItemReordered(const int32& from, const int32& to);

    void SetHoverCommand(const uint32& command);
    void SetReorderCommand(const uint32& command);
    void AllowReorder(const bool& allow, BScrollBar* scrollBar);

    int32 HoverIndex() const { return fHoverIndex; }

protected:
    // Where the pointer is (list coordinates) and which buttons are held,
    // while dragging; tests replace it by a scripted hand.
    virtual void ReadDragMouse(BPoint& where, uint32& buttons);
    // Waits between two looks at the pointer.
    virtual void DragPause();
    // Whether the window counts as active for hover reports.
    virtual bool WindowIsActive() const;

private:
    void ReportHover(int32 index);
    void ShowOutline(const BRect& rect);
    void SetCursor(const void* cursorData);

    uint32 fReorderCommand;
    bool fReorderAllowed;
    uint32 fHoverCommand;
    int32 fHoverIndex;
    BScrollBar* fScrollBar;
    BRect fOutline;
    bool fDragging;
};
