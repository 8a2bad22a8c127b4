#include <ListView.h>

#include <Message.h>
#include <ScrollBar.h>

#include <QAccessible>
#include <Window.h>

#include <algorithm>
#include <cmath>

BListView::BListView(BRect frame, const char* name, list_view_type type, uint32 resizingMode, uint32 flags)
    :
    BView(frame, name, resizingMode, flags | B_WILL_DRAW | B_FRAME_EVENTS),
    fValidTops(0),
    fType(type),
    fAnchor(-1),
    fLastSelected(-1),
    fSelectedCount(0),
    fTrackIndex(-1),
    fTracking(false),
    fDragStarted(false),
    fTrackWasSelected(false)
{
    SetViewColor(ui_color(B_LIST_BACKGROUND_COLOR));
    SetLowColor(ui_color(B_LIST_BACKGROUND_COLOR));
    SetFont(be_plain_font);
    _SetAccessibleRole(QAccessible::List);
}

BListView::~BListView()
{
}

// --- Items ----------------------------------------------------------------------

void BListView::_UpdateItem(BListItem* item)
{
    BFont font;
    GetFont(&font);
    item->Update(this, &font);
}

bool BListView::AddItem(BListItem* item)
{
    return AddItem(item, int32(fItems.size()));
}

bool BListView::AddItem(BListItem* item, int32 index)
{
    if (item == nullptr || index < 0 || size_t(index) > fItems.size())
        return false;
    _UpdateItem(item);
    fItems.insert(fItems.begin() + index, item);
    if (item->IsSelected()) {
        fSelectedCount++;
        if (fType == B_SINGLE_SELECTION_LIST && fSelectedCount > 1) {
            item->Deselect();
            fSelectedCount--;
        }
    }
    if (fLastSelected >= index)
        fLastSelected++;
    if (fAnchor >= index)
        fAnchor++;
    _Relayout(index);
    _FixupScrollBar();
    Invalidate();
    return true;
}

bool BListView::AddList(const std::vector<BListItem*>& items)
{
    for (BListItem* item : items) {
        if (!AddItem(item))
            return false;
    }
    return true;
}

bool BListView::RemoveItem(BListItem* item)
{
    const int32 index = IndexOf(item);
    return index >= 0 && RemoveItem(index) != nullptr;
}

BListItem* BListView::RemoveItem(int32 index)
{
    BListItem* item = ItemAt(index);
    if (item == nullptr)
        return nullptr;
    RemoveItems(index, 1);
    return item;
}

bool BListView::RemoveItems(int32 index, int32 count)
{
    if (index < 0 || count <= 0 || size_t(index) >= fItems.size())
        return false;
    count = std::min(count, int32(fItems.size()) - index);
    bool selectionChanged = false;
    for (int32 i = index; i < index + count; i++) {
        if (fItems[size_t(i)]->IsSelected()) {
            fItems[size_t(i)]->Deselect();
            fSelectedCount--;
            selectionChanged = true;
        }
    }
    fItems.erase(fItems.begin() + index, fItems.begin() + index + count);
    auto shift = [index, count](int32 value) {
        if (value >= index + count)
            return value - count;
        return value >= index ? -1 : value;
    };
    fLastSelected = shift(fLastSelected);
    fAnchor = shift(fAnchor);
    fTrackIndex = -1;
    _Relayout(index);
    _FixupScrollBar();
    Invalidate();
    if (selectionChanged)
        _SelectionDone(true);
    return true;
}

void BListView::MakeEmpty()
{
    if (fItems.empty())
        return;
    RemoveItems(0, int32(fItems.size()));
}

int32 BListView::CountItems() const
{
    return int32(fItems.size());
}

bool BListView::IsEmpty() const
{
    return fItems.empty();
}

BListItem* BListView::ItemAt(int32 index) const
{
    if (index < 0 || size_t(index) >= fItems.size())
        return nullptr;
    return fItems[size_t(index)];
}

BListItem* BListView::FirstItem() const
{
    return fItems.empty() ? nullptr : fItems.front();
}

BListItem* BListView::LastItem() const
{
    return fItems.empty() ? nullptr : fItems.back();
}

int32 BListView::IndexOf(const BListItem* item) const
{
    auto found = std::find(fItems.begin(), fItems.end(), item);
    return found == fItems.end() ? -1 : int32(found - fItems.begin());
}

int32 BListView::IndexOf(BPoint point) const
{
    auto* self = const_cast<BListView*>(this);
    if (fItems.empty() || point.y < 0)
        return -1;
    self->_ItemTop(int32(fItems.size()) - 1);
    // The last item whose top is at or above the point.
    auto position = std::upper_bound(fTops.begin(), fTops.begin() + int32(fItems.size()), point.y);
    const int32 index = int32(position - fTops.begin()) - 1;
    if (index < 0)
        return -1;
    const BListItem* item = fItems[size_t(index)];
    return point.y <= fTops[size_t(index)] + item->Height() ? index : -1;
}

bool BListView::HasItem(const BListItem* item) const
{
    return IndexOf(item) >= 0;
}

bool BListView::SwapItems(int32 a, int32 b)
{
    if (ItemAt(a) == nullptr || ItemAt(b) == nullptr)
        return false;
    std::swap(fItems[size_t(a)], fItems[size_t(b)]);
    _Relayout(std::min(a, b));
    Invalidate();
    return true;
}

bool BListView::MoveItem(int32 from, int32 to)
{
    if (ItemAt(from) == nullptr || ItemAt(to) == nullptr)
        return false;
    BListItem* item = fItems[size_t(from)];
    fItems.erase(fItems.begin() + from);
    fItems.insert(fItems.begin() + to, item);
    _Relayout(std::min(from, to));
    Invalidate();
    return true;
}

void BListView::SortItems(const std::function<bool(const BListItem*, const BListItem*)>& less)
{
    std::stable_sort(fItems.begin(), fItems.end(), less);
    _Relayout(0);
    Invalidate();
}

void BListView::_Relayout(int32 from)
{
    fValidTops = std::min(fValidTops, std::max(0, from));
}

// Tops are computed on demand, from the first one that is out of date, so
// that adding many items costs time in proportion to their number.
float BListView::_ItemTop(int32 index)
{
    if (fTops.size() < fItems.size())
        fTops.resize(fItems.size());
    for (int32 i = fValidTops; i <= index; i++) {
        fTops[size_t(i)] = i == 0 ? 0 : fTops[size_t(i - 1)] + fItems[size_t(i - 1)]->Height() + 1;
        fValidTops = i + 1;
    }
    return fTops[size_t(index)];
}

BRect BListView::ItemFrame(int32 index)
{
    BListItem* item = ItemAt(index);
    if (item == nullptr)
        return BRect();
    const float top = _ItemTop(index);
    return BRect(Bounds().left, top, Bounds().right, top + item->Height());
}

void BListView::InvalidateItem(int32 index)
{
    const BRect frame = ItemFrame(index);
    if (frame.IsValid())
        Invalidate(frame);
}

void BListView::_FixupScrollBar()
{
    BScrollBar* bar = BView::ScrollBar(B_VERTICAL);
    if (bar == nullptr)
        return;
    float total = 0;
    if (!fItems.empty())
        total = ItemFrame(int32(fItems.size()) - 1).bottom + 1;
    const float visible = Bounds().Height() + 1;
    if (total <= visible) {
        bar->SetRange(0, 0);
        bar->SetProportion(1);
        return;
    }
    bar->SetRange(0, total - visible);
    bar->SetProportion(visible / total);
    const float line = fItems.empty() ? 10 : fItems.front()->Height() + 1;
    bar->SetSteps(line, std::max(line, visible - line));
}

// --- Selection ------------------------------------------------------------------

void BListView::SetListType(list_view_type type)
{
    fType = type;
    if (type == B_SINGLE_SELECTION_LIST && fSelectedCount > 1)
        Select(CurrentSelection(0));
}

list_view_type BListView::ListType() const
{
    return fType;
}

void BListView::SetSelectionMessage(BMessage* message)
{
    fSelectionMessage.reset(message);
}

void BListView::SetInvocationMessage(BMessage* message)
{
    SetMessage(message);
}

BMessage* BListView::SelectionMessage() const
{
    return fSelectionMessage.get();
}

uint32 BListView::SelectionCommand() const
{
    return fSelectionMessage != nullptr ? fSelectionMessage->what : 0;
}

BMessage* BListView::InvocationMessage() const
{
    return Message();
}

uint32 BListView::InvocationCommand() const
{
    return Command();
}

bool BListView::_SetSelected(int32 index, bool selected)
{
    BListItem* item = ItemAt(index);
    if (item == nullptr || item->IsSelected() == selected)
        return false;
    if (selected) {
        item->Select();
        fSelectedCount++;
        fLastSelected = index;
    } else {
        item->Deselect();
        fSelectedCount--;
    }
    InvalidateItem(index);
    return true;
}

void BListView::Select(int32 index, bool extend)
{
    if (ItemAt(index) == nullptr)
        return;
    Select(index, index, extend);
}

void BListView::Select(int32 from, int32 to, bool extend)
{
    if (fItems.empty())
        return;
    from = std::max(0, from);
    to = std::min(int32(fItems.size()) - 1, to);
    if (from > to)
        return;
    if (fType == B_SINGLE_SELECTION_LIST) {
        from = to;
        extend = false;
    }
    bool changed = false;
    if (!extend && fSelectedCount > 0) {
        for (int32 i = 0; i < int32(fItems.size()) && fSelectedCount > 0; i++) {
            if ((i < from || i > to) && _SetSelected(i, false))
                changed = true;
        }
    }
    for (int32 i = from; i <= to; i++)
        changed |= _SetSelected(i, true);
    fLastSelected = to;
    if (fAnchor < 0 || !extend)
        fAnchor = from;
    _SelectionDone(changed);
}

bool BListView::IsItemSelected(int32 index) const
{
    const BListItem* item = ItemAt(index);
    return item != nullptr && item->IsSelected();
}

int32 BListView::CurrentSelection(int32 index) const
{
    if (index < 0 || index >= fSelectedCount)
        return -1;
    for (int32 i = 0; i < int32(fItems.size()); i++) {
        if (fItems[size_t(i)]->IsSelected() && index-- == 0)
            return i;
    }
    return -1;
}

void BListView::Deselect(int32 index)
{
    _SelectionDone(_SetSelected(index, false));
}

void BListView::DeselectAll()
{
    bool changed = false;
    for (int32 i = 0; i < int32(fItems.size()) && fSelectedCount > 0; i++)
        changed |= _SetSelected(i, false);
    _SelectionDone(changed);
}

void BListView::DeselectExcept(int32 from, int32 to)
{
    bool changed = false;
    for (int32 i = 0; i < int32(fItems.size()) && fSelectedCount > 0; i++) {
        if (i < from || i > to)
            changed |= _SetSelected(i, false);
    }
    _SelectionDone(changed);
}

void BListView::_PublishEntries()
{
    std::vector<_AccessibleEntry> entries;
    entries.reserve(fItems.size());
    for (size_t i = 0; i < fItems.size(); i++)
        entries.push_back({fItems[i]->AccessibleText(), fItems[i]->IsSelected(), ItemFrame(int32(i))});
    int32 keyboard = fType == B_MULTIPLE_SELECTION_LIST ? fKeyboardIndex : fLastSelected;
    if (keyboard < 0 || keyboard >= int32(fItems.size()))
        keyboard = CurrentSelection(0);
    _SetAccessibleItems(entries, keyboard, fType == B_MULTIPLE_SELECTION_LIST);
}

void BListView::_SelectionDone(bool changed)
{
    if (!changed)
        return;
    _PublishEntries();
    SelectionChanged();
    if (fSelectionMessage != nullptr)
        InvokeNotify(fSelectionMessage.get(), B_CONTROL_MODIFIED);
}

void BListView::ScrollToSelection()
{
    const int32 index = CurrentSelection(0);
    if (index >= 0)
        ScrollTo(index);
}

void BListView::ScrollTo(int32 index)
{
    const BRect frame = ItemFrame(index);
    if (!frame.IsValid())
        return;
    const BRect bounds = Bounds();
    if (frame.top < bounds.top)
        BView::ScrollTo(BPoint(bounds.left, frame.top));
    else if (frame.bottom > bounds.bottom)
        BView::ScrollTo(BPoint(bounds.left, frame.bottom - bounds.Height()));
}

// --- Hooks -----------------------------------------------------------------------

void BListView::SelectionChanged()
{
}

bool BListView::InitiateDrag(BPoint, int32, bool)
{
    return false;
}

status_t BListView::Invoke(BMessage* message)
{
    bool notify = false;
    const uint32 kind = InvokeKind(&notify);
    if (message == nullptr)
        message = Message();
    if (message == nullptr)
        return B_BAD_VALUE;
    BMessage copy(*message);
    copy.AddInt64("when", system_time());
    copy.AddPointer("source", this);
    if (notify && kind != B_CONTROL_INVOKED)
        copy.AddInt32("be:notify", int32(kind));
    for (int32 i = 0; i < int32(fItems.size()); i++) {
        if (fItems[size_t(i)]->IsSelected())
            copy.AddInt32("index", i);
    }
    return BInvoker::Invoke(&copy);
}

void BListView::AttachedToWindow()
{
    if (!Messenger().IsValid())
        SetTarget(Window());
    BView::AttachedToWindow();
    _FixupScrollBar();
}

void BListView::FrameResized(float width, float height)
{
    BView::FrameResized(width, height);
    for (BListItem* item : fItems)
        item->SetWidth(Bounds().Width());
    _FixupScrollBar();
    Invalidate();
}

void BListView::SetFont(const BFont* font, uint32 mask)
{
    BView::SetFont(font, mask);
    for (BListItem* item : fItems)
        _UpdateItem(item);
    _Relayout(0);
    _FixupScrollBar();
}

void BListView::MakeFocus(bool focus)
{
    BView::MakeFocus(focus);
}

void BListView::Draw(BRect updateRect)
{
    // What is drawn is what a screen reader reads.
    _PublishEntries();
    const int32 count = int32(fItems.size());
    if (count == 0)
        return;
    int32 first = IndexOf(BPoint(0, updateRect.top));
    if (first < 0)
        first = updateRect.top <= 0 ? 0 : count;
    for (int32 i = first; i < count; i++) {
        const BRect frame = ItemFrame(i);
        if (frame.top > updateRect.bottom)
            break;
        fItems[size_t(i)]->DrawItem(this, frame, false);
    }
    if (fType == B_MULTIPLE_SELECTION_LIST && IsFocus() && fKeyboardIndex >= 0 && fKeyboardIndex < count) {
        PushState();
        SetHighColor(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
        StrokeRect(ItemFrame(fKeyboardIndex));
        PopState();
    }
}

void BListView::_SetKeyboardIndex(int32 index)
{
    if (index == fKeyboardIndex)
        return;
    if (fKeyboardIndex >= 0 && fKeyboardIndex < int32(fItems.size()))
        Invalidate(ItemFrame(fKeyboardIndex));
    fKeyboardIndex = index;
    if (index >= 0 && index < int32(fItems.size()))
        Invalidate(ItemFrame(index));
    _PublishEntries();
}

uint32 BListView::_CurrentModifiers() const
{
    int32 held = 0;
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("modifiers", &held);
    return uint32(held);
}

void BListView::MouseDown(BPoint where)
{
    if (!IsFocus())
        MakeFocus(true);
    const int32 index = IndexOf(where);
    int32 clicks = 1;
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("clicks", &clicks);
    if (index < 0)
        return;
    if (fType == B_MULTIPLE_SELECTION_LIST)
        _SetKeyboardIndex(index);
    if (clicks >= 2 && index == fLastSelected) {
        Invoke();
        return;
    }
    fTrackWasSelected = IsItemSelected(index);
    const uint32 held = _CurrentModifiers();
    if (fType == B_MULTIPLE_SELECTION_LIST && (held & B_SHIFT_KEY) && fAnchor >= 0) {
        const int32 anchor = fAnchor;
        Select(std::min(anchor, index), std::max(anchor, index), false);
        fAnchor = anchor;
    } else if (fType == B_MULTIPLE_SELECTION_LIST && (held & B_COMMAND_KEY)) {
        if (IsItemSelected(index))
            Deselect(index);
        else
            Select(index, true);
        fAnchor = index;
    } else {
        Select(index);
    }
    fTracking = true;
    fDragStarted = false;
    fTrackIndex = index;
    fTrackPoint = where;
}

void BListView::MouseUp(BPoint)
{
    fTracking = false;
    fDragStarted = false;
}

void BListView::MouseMoved(BPoint where, uint32, const BMessage*)
{
    if (!fTracking || fDragStarted || fTrackIndex < 0)
        return;
    int32 buttons = 0;
    if (Window() != nullptr && Window()->CurrentMessage() != nullptr)
        Window()->CurrentMessage()->FindInt32("buttons", &buttons);
    if (buttons == 0) {
        fTracking = false;
        return;
    }
    if (std::fabs(where.x - fTrackPoint.x) > 4 || std::fabs(where.y - fTrackPoint.y) > 4) {
        fDragStarted = true;
        InitiateDrag(fTrackPoint, fTrackIndex, fTrackWasSelected);
    }
}

void BListView::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes != 1 || fItems.empty()) {
        BView::KeyDown(bytes, numBytes);
        return;
    }
    const bool multiple = fType == B_MULTIPLE_SELECTION_LIST;
    const uint32 held = _CurrentModifiers();
    const bool extend = multiple && (held & B_SHIFT_KEY);
    // Ctrl moves the keyboard's entry of a multiple-selection list alone.
    const bool moveOnly = multiple && (held & B_COMMAND_KEY) && !extend;
    const int32 last = int32(fItems.size()) - 1;
    int32 current = fLastSelected >= 0 ? fLastSelected : -1;
    if (multiple && fKeyboardIndex >= 0 && fKeyboardIndex <= last)
        current = fKeyboardIndex;
    const float page = Bounds().Height();
    int32 target = -1;
    switch (bytes[0]) {
        case B_UP_ARROW:
            target = current <= 0 ? 0 : current - 1;
            break;
        case B_DOWN_ARROW:
            target = current < 0 ? 0 : std::min(last, current + 1);
            break;
        case B_HOME:
            target = 0;
            break;
        case B_END:
            target = last;
            break;
        case B_PAGE_UP:
            target = std::max(0, IndexOf(BPoint(0, std::max(0.0f, ItemFrame(std::max(0, current)).top - page))));
            break;
        case B_PAGE_DOWN: {
            const int32 below = IndexOf(BPoint(0, ItemFrame(std::max(0, current)).top + page));
            target = below < 0 ? last : below;
            break;
        }
        case B_SPACE:
            if (multiple) {
                const int32 index = current >= 0 ? current : 0;
                _SetKeyboardIndex(index);
                if (IsItemSelected(index))
                    Deselect(index);
                else
                    Select(index, true);
                return;
            }
            [[fallthrough]];
        case B_ENTER:
            if (CurrentSelection(0) >= 0)
                Invoke();
            return;
        default:
            BView::KeyDown(bytes, numBytes);
            return;
    }
    if (multiple)
        _SetKeyboardIndex(target);
    if (moveOnly) {
        ScrollTo(target);
        return;
    }
    if (extend && fAnchor >= 0) {
        const int32 anchor = fAnchor;
        Select(std::min(anchor, target), std::max(anchor, target), false);
        fAnchor = anchor;
        fLastSelected = target;
    } else {
        Select(target);
    }
    ScrollTo(target);
}
