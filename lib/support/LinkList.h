// LinkList<T>: the owning doubly linked list of the foundation library,
// iterated in insertion order through a built-in cursor; ListNode<T> is one
// link of it.
//
// The list owns its elements: Insert takes over the pointer it is given;
// Remove, Clear and the destructor delete the element (through its virtual
// destructor) and then the node. Copies are deep: new T objects, default
// constructed and assigned from the source elements.
//
// The cursor is shared state: First, Next, every search, Get, Position,
// InList and Clear move it. A loop over First/Next may call Remove() on the
// current element: afterwards Next continues with the element that followed
// the removed one.
#pragma once

#include <SupportDefs.h>

#include <new>

template<class T>
class LinkList;

template<class T>
class ListNode {
public:
    ListNode(T* item = nullptr, ListNode<T>* older = nullptr, ListNode<T>* newer = nullptr)
        : fOlder(older), fItem(item), fNewer(newer)
    {
    }
    // A node does not delete its element.
    virtual ~ListNode() {}

    ListNode(const ListNode&) = delete;
    ListNode& operator=(const ListNode&) = delete;

    T* Item() const { return fItem; }
    ListNode<T>* Older() const { return fOlder; }  // inserted just before
    ListNode<T>* Newer() const { return fNewer; }  // inserted just after

private:
    friend class LinkList<T>;

    ListNode<T>* fOlder;
    T* fItem;
    ListNode<T>* fNewer;
};

template<class T>
class LinkList {
public:
    LinkList() : fOldest(nullptr), fNewest(nullptr), fCursor(nullptr), fCount(0), fCursorIndex(-1) {}
    LinkList(const LinkList<T>& other) : LinkList() { Insert(other); }
    virtual ~LinkList();

    // Deep copy (Copy), unless other is this list.
    LinkList<T>& operator=(const LinkList<T>& other)
    {
        if (&other != this)
            Copy(other);
        return *this;
    }

    // Removes and deletes every element.
    virtual void Clear();
    virtual int32 Size() const { return fCount; }

    // Appends item as the newest element and takes it over; false (list
    // unchanged, item not taken) only if no node can be allocated.
    bool Insert(T* item);
    // Appends a new copy of every element of other, in other's order
    // (other's cursor does not move). Returns the number appended.
    int32 Insert(const LinkList<T>& other);
    // Clear, then Insert(other); the new count. Copying a list onto itself
    // changes nothing.
    int32 Copy(const LinkList<T>& other);

    // Cursor to the oldest element (cursor index 0); null for an empty list.
    T* First();
    // Cursor to the next newer element; null at the end (or when the cursor
    // stands on no element).
    T* Next();
    // Removes and deletes the element under the cursor; false when the
    // cursor stands on no element. The cursor moves to the older neighbour,
    // or to the new first element when the first one was removed.
    bool Remove();
    // Removes the first element equal to item (searching from the first);
    // with all set, every equal element. True when an element was removed.
    // item itself is only compared, never deleted.
    bool Remove(const T* item, bool all);

    // From the element under the cursor forwards, the first element equal
    // to item (T's operator==); the cursor stays on it. When none is found
    // the cursor index becomes -1 and the result is null.
    ListNode<T>* FindNext(const T* item);
    bool InList(const T* item);
    // The list's own element equal to item, or null.
    T* Get(const T* item);

    // Cursor to index, clamped to 0..count-1; null for an empty list.
    ListNode<T>* Position(const int32& index);
    T* Get(const int32& index);
    // With an item, searches it (Get); returns the cursor index (-1 when
    // not found).
    int32 Position(const T* item);

    // Position of the cursor in iteration order (-1 after a failed search
    // and in a new list).
    int32 CursorIndex() const { return fCursorIndex; }
    T* Current() const { return fCursor != nullptr ? fCursor->fItem : nullptr; }

    // The end nodes, for walking the list without moving the cursor.
    const ListNode<T>* OldestNode() const { return fOldest; }
    const ListNode<T>* NewestNode() const { return fNewest; }

private:
    static bool Equal(const T* a, const T* b)
    {
        if (a == nullptr || b == nullptr)
            return a == b;
        return *a == *b;
    }

    ListNode<T>* fOldest;
    ListNode<T>* fNewest;
    ListNode<T>* fCursor;
    int32 fCount;
    int32 fCursorIndex;
};

template<class T>
LinkList<T>::~LinkList()
{
    ListNode<T>* node = fOldest;
    while (node != nullptr) {
        ListNode<T>* newer = node->fNewer;
        delete node->fItem;
        delete node;
        node = newer;
    }
}

template<class T>
void LinkList<T>::Clear()
{
    First();
    while (Remove()) {
    }
}

template<class T>
bool LinkList<T>::Insert(T* item)
{
    ListNode<T>* node = new (std::nothrow) ListNode<T>(item, fNewest, nullptr);
    if (node == nullptr)
        return false;
    if (fNewest != nullptr)
        fNewest->fNewer = node;
    else
        fOldest = node;
    fNewest = node;
    fCount++;
    return true;
}

template<class T>
int32 LinkList<T>::Insert(const LinkList<T>& other)
{
    // Walk a fixed number of nodes so that appending a list to itself
    // copies its original elements once.
    const int32 count = other.fCount;
    const ListNode<T>* node = other.fOldest;
    int32 added = 0;
    for (int32 i = 0; i < count && node != nullptr; i++, node = node->fNewer) {
        T* copy = nullptr;
        if (node->fItem != nullptr) {
            copy = new T();
            *copy = *node->fItem;
        }
        if (!Insert(copy)) {
            delete copy;
            break;
        }
        added++;
    }
    return added;
}

template<class T>
int32 LinkList<T>::Copy(const LinkList<T>& other)
{
    if (&other != this) {
        Clear();
        Insert(other);
    }
    return fCount;
}

template<class T>
T* LinkList<T>::First()
{
    fCursor = fOldest;
    fCursorIndex = 0;
    return fCursor != nullptr ? fCursor->fItem : nullptr;
}

template<class T>
T* LinkList<T>::Next()
{
    if (fCursor == nullptr)
        return nullptr;
    fCursor = fCursor->fNewer;
    fCursorIndex++;
    return fCursor != nullptr ? fCursor->fItem : nullptr;
}

template<class T>
bool LinkList<T>::Remove()
{
    ListNode<T>* node = fCursor;
    if (node == nullptr)
        return false;

    if (node->fNewer != nullptr)
        node->fNewer->fOlder = node->fOlder;
    else
        fNewest = node->fOlder;
    if (node->fOlder != nullptr) {
        node->fOlder->fNewer = node->fNewer;
        fCursor = node->fOlder;
        fCursorIndex--;
    } else {
        fOldest = node->fNewer;
        fCursor = fOldest;
        fCursorIndex = 0;
    }

    delete node->fItem;
    delete node;
    fCount--;
    return true;
}

template<class T>
bool LinkList<T>::Remove(const T* item, bool all)
{
    First();
    bool removed = false;
    while (FindNext(item) != nullptr) {
        // Remove() leaves the cursor on the older neighbour (already known
        // to differ) or on the new first element, so the search goes on
        // from the cursor and also finds adjacent equal elements.
        Remove();
        removed = true;
        if (!all)
            break;
    }
    return removed;
}

template<class T>
ListNode<T>* LinkList<T>::FindNext(const T* item)
{
    while (fCursor != nullptr) {
        if (Equal(fCursor->fItem, item))
            return fCursor;
        fCursor = fCursor->fNewer;
        fCursorIndex++;
    }
    fCursorIndex = -1;
    return nullptr;
}

template<class T>
bool LinkList<T>::InList(const T* item)
{
    First();
    return FindNext(item) != nullptr;
}

template<class T>
T* LinkList<T>::Get(const T* item)
{
    First();
    ListNode<T>* node = FindNext(item);
    return node != nullptr ? node->fItem : nullptr;
}

template<class T>
ListNode<T>* LinkList<T>::Position(const int32& requested)
{
    if (fCount == 0)
        return nullptr;
    int32 index = requested;
    if (index < 0)
        index = 0;
    if (index > fCount - 1)
        index = fCount - 1;

    const int32 distance = index > fCursorIndex ? index - fCursorIndex : fCursorIndex - index;
    if (fCursor != nullptr && fCursorIndex >= 0 && distance < index) {
        // Closer to the cursor than to the oldest node.
        for (int32 i = fCursorIndex; i < index; i++)
            fCursor = fCursor->fNewer;
        for (int32 i = fCursorIndex; i > index; i--)
            fCursor = fCursor->fOlder;
    } else if (fCount - index < index) {
        fCursor = fNewest;
        for (int32 i = 0; i < fCount - index - 1; i++)
            fCursor = fCursor->fOlder;
    } else {
        fCursor = fOldest;
        for (int32 i = 0; i < index; i++)
            fCursor = fCursor->fNewer;
    }
    fCursorIndex = index;
    return fCursor;
}

template<class T>
T* LinkList<T>::Get(const int32& index)
{
    ListNode<T>* node = Position(index);
    return node != nullptr ? node->fItem : nullptr;
}

template<class T>
int32 LinkList<T>::Position(const T* item)
{
    if (item != nullptr)
        Get(item);
    return fCursorIndex;
}
