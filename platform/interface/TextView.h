// BTextView: a multi-line text area on a Qt text editor. Text positions
// are byte offsets into the UTF-8 text, as on the platform.
//
// Keys typed into the editor travel as B_KEY_DOWN messages through the
// window's queue to KeyDown(), which hands them to the editor; so a
// subclass's KeyDown() sees every key first, as on the platform.
#pragma once

#include <View.h>

#include <set>
#include <string>

class QTextEdit;

class BTextView : public BView {
public:
    BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode, uint32 flags);
    BTextView(BRect frame, const char* name, BRect textRect, const BFont* font, const rgb_color* color,
        uint32 resizingMode, uint32 flags);
    virtual ~BTextView();

    void SetText(const char* text);
    void SetText(const char* text, int32 length);
    const char* Text() const;
    int32 TextLength() const;
    void GetText(int32 offset, int32 length, char* buffer) const;
    char ByteAt(int32 offset) const;

    void Insert(const char* text);
    void Insert(const char* text, int32 length);
    void Insert(int32 offset, const char* text, int32 length);
    void Delete();
    void Delete(int32 start, int32 finish);

    void Select(int32 start, int32 finish);
    void SelectAll();
    void GetSelection(int32* start, int32* finish) const;

    int32 CountLines() const;
    float LineHeight(int32 line = 0) const;
    float TextHeight(int32 startLine, int32 endLine) const;
    void ScrollToOffset(int32 offset);
    void ScrollToSelection();

    void MakeEditable(bool editable = true);
    bool IsEditable() const;
    void MakeSelectable(bool selectable = true);
    bool IsSelectable() const;
    void SetWordWrap(bool wrap);
    bool DoesWordWrap() const;
    void SetAlignment(alignment align);
    alignment Alignment() const;
    void SetStylable(bool stylable);
    bool IsStylable() const;
    void SetAutoindent(bool state);
    bool DoesAutoindent() const;
    void SetMaxBytes(int32 max);
    int32 MaxBytes() const;
    void DisallowChar(uint32 character);
    void AllowChar(uint32 character);

    void SetTextRect(BRect rect);
    BRect TextRect() const;
    void SetFontAndColor(const BFont* font, uint32 mask = B_FONT_ALL, const rgb_color* color = nullptr);
    void SetFont(const BFont* font, uint32 mask = B_FONT_ALL) override;
    void SetViewColor(rgb_color color) override;
    using BView::SetViewColor;

    void KeyDown(const char* bytes, int32 numBytes) override;
    void MakeFocus(bool focus = true) override;
    void FrameResized(float width, float height) override;

    // For the platform layer: the editor's key, held back for KeyDown().
    void _KeyFromEditor(const BMessage& message);

private:
    void _Init(BRect textRect, const BFont* font, const rgb_color* color);
    void _Refresh() const;
    void _ApplyColors();
    int32 _Position(int32 offset) const;
    int32 _Offset(int32 position) const;

    QTextEdit* fEdit;
    BRect fTextRect;
    mutable std::string fText;
    rgb_color fTextColor;
    alignment fAlignment;
    int32 fMaxBytes;
    std::set<uint32> fDisallowed;
    bool fEditable;
    bool fSelectable;
    bool fWordWrap;
    bool fStylable;
    bool fAutoindent;
};
