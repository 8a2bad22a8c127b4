// BListView: a scrollable list of items that draw themselves, with single
// or multiple selection. A change of the selection calls SelectionChanged()
// and sends the selection message; a double click or Enter invokes the
// list (the invocation message). Both messages carry "index" fields, one
// per selected item, besides "when" and "source".
#pragma once

#include <Invoker.h>
#include <ListItem.h>
#include <View.h>

#include <functional>
#include <memory>
#include <vector>

enum list_view_type {
    B_SINGLE_SELECTION_LIST,
    B_MULTIPLE_SELECTION_LIST
};

class BListView : public BView, public BInvoker {
public:
    BListView(BRect frame, const char* name, list_view_type type = B_SINGLE_SELECTION_LIST,
        uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
        uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
    virtual ~BListView();

    // --- Items (the list does not own them, as on the platform) ----------
    virtual bool AddItem(BListItem* item);
    virtual bool AddItem(BListItem* item, int32 index);
    virtual bool AddList(const std::vector<BListItem*>& items);
    virtual bool RemoveItem(BListItem* item);
    virtual BListItem* RemoveItem(int32 index);
    virtual bool RemoveItems(int32 index, int32 count);
    virtual void MakeEmpty();
    int32 CountItems() const;
    bool IsEmpty() const;
    BListItem* ItemAt(int32 index) const;
    BListItem* FirstItem() const;
    BListItem* LastItem() const;
    int32 IndexOf(const BListItem* item) const;
    // The item under a point in the list's coordinates; -1 for none.
    int32 IndexOf(BPoint point) const;
    bool HasItem(const BListItem* item) const;
    bool SwapItems(int32 a, int32 b);
    bool MoveItem(int32 from, int32 to);
    void SortItems(const std::function<bool(const BListItem*, const BListItem*)>& less);
    BRect ItemFrame(int32 index);
    void InvalidateItem(int32 index);

    // --- Selection -----------------------------------------------------------
    void SetListType(list_view_type type);
    list_view_type ListType() const;
    virtual void SetSelectionMessage(BMessage* message);
    virtual void SetInvocationMessage(BMessage* message);
    BMessage* SelectionMessage() const;
    uint32 SelectionCommand() const;
    BMessage* InvocationMessage() const;
    uint32 InvocationCommand() const;

    void Select(int32 index, bool extend = false);
    void Select(int32 from, int32 to, bool extend = false);
    bool IsItemSelected(int32 index) const;
    // The index-th selected item's index (in list order); -1 past the end.
    int32 CurrentSelection(int32 index = 0) const;
    void Deselect(int32 index);
    void DeselectAll();
    void DeselectExcept(int32 from, int32 to);

    void ScrollToSelection();
    void ScrollTo(int32 index);
    using BView::ScrollTo;

    // --- Hooks -----------------------------------------------------------
    virtual void SelectionChanged();
    // The user drags from an item; true when the list started a drag.
    virtual bool InitiateDrag(BPoint point, int32 index, bool wasSelected);
    status_t Invoke(BMessage* message = nullptr) override;

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    // The arrow, Home, End and page keys select (Shift extends the
    // selection of a multiple-selection list). In a multiple-selection list
    // the same keys with Ctrl move only the keyboard's entry, which is
    // framed while the list has the focus, and Space selects or deselects
    // that entry, as a Ctrl+click does. Elsewhere Space and Enter invoke.
    void KeyDown(const char* bytes, int32 numBytes) override;
    void FrameResized(float width, float height) override;
    void AttachedToWindow() override;
    void MakeFocus(bool focus = true) override;
    void SetFont(const BFont* font, uint32 mask = B_FONT_ALL) override;

private:
    void _UpdateItem(BListItem* item);
    void _Relayout(int32 from);
    float _ItemTop(int32 index);
    void _FixupScrollBar();
    bool _SetSelected(int32 index, bool selected);
    void _SelectionDone(bool changed);
    uint32 _CurrentModifiers() const;
    // Moves the keyboard's entry and redraws the frame around it.
    // Hands the entries and their selection to the view's screen-reader
    // face.
    void _PublishEntries();
    void _SetKeyboardIndex(int32 index);

    std::vector<BListItem*> fItems;
    std::vector<float> fTops;      // top of each item; valid below fValidTops
    int32 fValidTops;
    list_view_type fType;
    std::unique_ptr<BMessage> fSelectionMessage;
    int32 fAnchor;                 // where a shift-extended selection starts
    int32 fLastSelected;
    int32 fSelectedCount;
    int32 fTrackIndex;
    BPoint fTrackPoint;
    bool fTracking;
    bool fDragStarted;
    bool fTrackWasSelected;
    // The keyboard's entry of a multiple-selection list (-1: none yet).
    int32 fKeyboardIndex = -1;
};
