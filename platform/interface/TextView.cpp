#include <TextView.h>

#include "FontEngine.h"
#include "GuiThread.h"
#include "InputMessages.h"

#include <Message.h>
#include <Window.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <cstring>

using BPrivate::GuiThread;

namespace {

// Fields of a key message that let the text view give the key back to
// its editor exactly as Qt reported it.
const char* const kQtKey = "_qt:key";
const char* const kQtModifiers = "_qt:modifiers";
const char* const kQtText = "_qt:text";

// Holds the editor's key presses back: they reach the editor through the
// view's KeyDown() instead.
class KeyFilter : public QObject {
public:
    explicit KeyFilter(BTextView* view) : fView(view) {}
    bool fReplaying = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || fReplaying)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        BMessage message;
        if (!BPrivate::KeyMessage(B_KEY_DOWN, key, &message)) {
            // Modifier keys alone: nothing to hand on.
            return QObject::eventFilter(watched, event);
        }
        message.AddInt32(kQtKey, key->key());
        message.AddInt32(kQtModifiers, int32(key->modifiers().toInt()));
        message.AddString(kQtText, key->text().toUtf8().constData());
        fView->_KeyFromEditor(message);
        return true;
    }

private:
    BTextView* fView;
};

} // namespace

BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode, uint32 flags)
    :
    BView(frame, name, resizingMode, flags | B_FRAME_EVENTS)
{
    _Init(textRect, nullptr, nullptr);
}

BTextView::BTextView(BRect frame, const char* name, BRect textRect, const BFont* font, const rgb_color* color,
    uint32 resizingMode, uint32 flags)
    :
    BView(frame, name, resizingMode, flags | B_FRAME_EVENTS)
{
    _Init(textRect, font, color);
}

void BTextView::_Init(BRect textRect, const BFont* font, const rgb_color* color)
{
    fEdit = nullptr;
    fTextRect = textRect;
    fTextColor = color != nullptr ? *color : ui_color(B_DOCUMENT_TEXT_COLOR);
    fAlignment = B_ALIGN_LEFT;
    fMaxBytes = INT32_MAX;
    fEditable = true;
    fSelectable = true;
    fWordWrap = true;
    fStylable = false;
    fAutoindent = false;
    BView::SetFont(font != nullptr ? font : static_cast<const BFont*>(be_plain_font));
    GuiThread::Call([this] {
        fEdit = new QTextEdit();
        fEdit->setAcceptRichText(false);
        fEdit->setFrameShape(QFrame::NoFrame);
        fEdit->setTabChangesFocus(false);
        fEdit->setLineWrapMode(QTextEdit::WidgetWidth);
        fEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        fEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* filter = new KeyFilter(this);
        filter->setParent(fEdit);
        fEdit->installEventFilter(filter);
    });
    _SetNativeWidget(fEdit);
    BFont current;
    GetFont(&current);
    SetFont(&current);
    SetTextRect(textRect);
    _ApplyColors();
}

BTextView::~BTextView()
{
}

void BTextView::_ApplyColors()
{
    const rgb_color background = ViewColor();
    const rgb_color text = fTextColor;
    GuiThread::Call([this, background, text] {
        QPalette palette = fEdit->palette();
        palette.setColor(QPalette::Base, QColor(background.red, background.green, background.blue));
        palette.setColor(QPalette::Text, QColor(text.red, text.green, text.blue));
        fEdit->setPalette(palette);
    });
}

void BTextView::_Refresh() const
{
    GuiThread::Call([this] { fText = fEdit->toPlainText().toStdString(); });
}

int32 BTextView::_Position(int32 offset) const
{
    _Refresh();
    offset = std::clamp(offset, 0, int32(fText.size()));
    return int32(QString::fromUtf8(fText.data(), offset).size());
}

int32 BTextView::_Offset(int32 position) const
{
    _Refresh();
    const QString text = QString::fromStdString(fText);
    return int32(text.left(std::clamp(position, 0, int32(text.size()))).toUtf8().size());
}

void BTextView::SetText(const char* text)
{
    SetText(text, text != nullptr ? int32(std::strlen(text)) : 0);
}

void BTextView::SetText(const char* text, int32 length)
{
    const QString content = QString::fromUtf8(text != nullptr ? text : "", text != nullptr ? length : 0);
    GuiThread::Call([this, &content] {
        fEdit->setPlainText(content);
        QTextOption option = fEdit->document()->defaultTextOption();
        fEdit->document()->setDefaultTextOption(option);
    });
    SetAlignment(fAlignment);
    _Refresh();
}

const char* BTextView::Text() const
{
    _Refresh();
    return fText.c_str();
}

int32 BTextView::TextLength() const
{
    _Refresh();
    return int32(fText.size());
}

void BTextView::GetText(int32 offset, int32 length, char* buffer) const
{
    if (buffer == nullptr || length < 0)
        return;
    _Refresh();
    offset = std::clamp(offset, 0, int32(fText.size()));
    length = std::min(length, int32(fText.size()) - offset);
    std::memcpy(buffer, fText.data() + offset, size_t(length));
    buffer[length] = '\0';
}

char BTextView::ByteAt(int32 offset) const
{
    _Refresh();
    if (offset < 0 || offset >= int32(fText.size()))
        return '\0';
    return fText[size_t(offset)];
}

void BTextView::Insert(const char* text)
{
    if (text != nullptr)
        Insert(text, int32(std::strlen(text)));
}

void BTextView::Insert(const char* text, int32 length)
{
    int32 start;
    int32 finish;
    GetSelection(&start, &finish);
    Insert(start, text, length);
}

void BTextView::Insert(int32 offset, const char* text, int32 length)
{
    if (text == nullptr || length <= 0)
        return;
    _Refresh();
    length = std::min(length, fMaxBytes - int32(fText.size()));
    if (length <= 0)
        return;
    const int32 position = _Position(offset);
    const QString content = QString::fromUtf8(text, int(strnlen(text, size_t(length))));
    GuiThread::Call([this, position, &content] {
        QTextCursor cursor(fEdit->document());
        cursor.setPosition(position);
        cursor.insertText(content);
    });
}

void BTextView::Delete()
{
    int32 start;
    int32 finish;
    GetSelection(&start, &finish);
    Delete(start, finish);
}

void BTextView::Delete(int32 start, int32 finish)
{
    const int32 from = _Position(start);
    const int32 to = _Position(finish);
    if (from >= to)
        return;
    GuiThread::Call([this, from, to] {
        QTextCursor cursor(fEdit->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    });
}

void BTextView::Select(int32 start, int32 finish)
{
    const int32 from = _Position(start);
    const int32 to = _Position(std::max(start, finish));
    GuiThread::Call([this, from, to] {
        QTextCursor cursor = fEdit->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        fEdit->setTextCursor(cursor);
    });
}

void BTextView::SelectAll()
{
    Select(0, TextLength());
}

void BTextView::GetSelection(int32* start, int32* finish) const
{
    int from = 0;
    int to = 0;
    GuiThread::Call([this, &from, &to] {
        const QTextCursor cursor = fEdit->textCursor();
        from = cursor.selectionStart();
        to = cursor.selectionEnd();
    });
    if (start != nullptr)
        *start = _Offset(from);
    if (finish != nullptr)
        *finish = _Offset(to);
}

int32 BTextView::CountLines() const
{
    int32 lines = 0;
    GuiThread::Call([this, &lines] {
        // Lines as laid out, wrapped lines included.
        for (QTextBlock block = fEdit->document()->begin(); block.isValid(); block = block.next())
            lines += block.layout() != nullptr && block.layout()->lineCount() > 0 ? block.layout()->lineCount() : 1;
    });
    return lines;
}

float BTextView::LineHeight(int32) const
{
    font_height height;
    GetFontHeight(&height);
    return std::ceil(height.ascent + height.descent + height.leading);
}

float BTextView::TextHeight(int32 startLine, int32 endLine) const
{
    const int32 lines = std::max(0, std::min(endLine, CountLines() - 1) - std::max(0, startLine) + 1);
    return float(lines) * LineHeight();
}

void BTextView::ScrollToOffset(int32 offset)
{
    const int32 position = _Position(offset);
    GuiThread::Call([this, position] {
        QTextCursor cursor = fEdit->textCursor();
        cursor.setPosition(position);
        fEdit->setTextCursor(cursor);
        fEdit->ensureCursorVisible();
    });
}

void BTextView::ScrollToSelection()
{
    GuiThread::Call([this] { fEdit->ensureCursorVisible(); });
}

void BTextView::MakeEditable(bool editable)
{
    fEditable = editable;
    const bool selectable = fSelectable;
    // A text that can be neither edited nor selected takes the focus only
    // when it is navigable, so that the keyboard can scroll it.
    const Qt::FocusPolicy policy = editable || selectable ? Qt::StrongFocus
        : (Flags() & B_NAVIGABLE) ? Qt::TabFocus : Qt::NoFocus;
    GuiThread::Call([this, editable, selectable, policy] {
        fEdit->setReadOnly(!editable);
        fEdit->setTabChangesFocus(!editable);
        Qt::TextInteractionFlags flags = Qt::NoTextInteraction;
        if (editable)
            flags = Qt::TextEditorInteraction;
        else if (selectable)
            flags = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
        fEdit->setTextInteractionFlags(flags);
        fEdit->setFocusPolicy(policy);
    });
}

bool BTextView::IsEditable() const
{
    return fEditable;
}

void BTextView::MakeSelectable(bool selectable)
{
    fSelectable = selectable;
    MakeEditable(fEditable);
}

bool BTextView::IsSelectable() const
{
    return fSelectable;
}

void BTextView::SetWordWrap(bool wrap)
{
    fWordWrap = wrap;
    GuiThread::Call([this, wrap] {
        fEdit->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    });
}

bool BTextView::DoesWordWrap() const
{
    return fWordWrap;
}

void BTextView::SetAlignment(alignment align)
{
    fAlignment = align;
    const Qt::Alignment qtAlign = align == B_ALIGN_RIGHT ? Qt::AlignRight
        : align == B_ALIGN_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
    GuiThread::Call([this, qtAlign] {
        QTextCursor cursor(fEdit->document());
        cursor.select(QTextCursor::Document);
        QTextBlockFormat format;
        format.setAlignment(qtAlign);
        cursor.mergeBlockFormat(format);
        QTextOption option = fEdit->document()->defaultTextOption();
        option.setAlignment(qtAlign);
        fEdit->document()->setDefaultTextOption(option);
    });
}

alignment BTextView::Alignment() const
{
    return fAlignment;
}

void BTextView::SetStylable(bool stylable)
{
    fStylable = stylable;
}

bool BTextView::IsStylable() const
{
    return fStylable;
}

void BTextView::SetAutoindent(bool state)
{
    fAutoindent = state;
}

bool BTextView::DoesAutoindent() const
{
    return fAutoindent;
}

void BTextView::SetMaxBytes(int32 max)
{
    fMaxBytes = std::max(0, max);
    _Refresh();
    if (int32(fText.size()) > fMaxBytes) {
        // Cut at a character boundary.
        int32 end = fMaxBytes;
        while (end > 0 && (uint8(fText[size_t(end)]) & 0xc0) == 0x80)
            end--;
        Delete(end, int32(fText.size()));
    }
}

int32 BTextView::MaxBytes() const
{
    return fMaxBytes;
}

void BTextView::DisallowChar(uint32 character)
{
    fDisallowed.insert(character);
}

void BTextView::AllowChar(uint32 character)
{
    fDisallowed.erase(character);
}

void BTextView::SetTextRect(BRect rect)
{
    fTextRect = rect;
    const BRect bounds = Bounds();
    const int left = int(std::max(0.0f, rect.left));
    const int top = int(std::max(0.0f, rect.top));
    const int right = int(std::max(0.0f, bounds.right - rect.right));
    const int bottom = rect.IsValid() && rect.bottom < bounds.bottom ? int(bounds.bottom - rect.bottom) : 0;
    GuiThread::Call([this, left, top, right, bottom] {
        fEdit->setContentsMargins(left, top, right, bottom);
    });
}

BRect BTextView::TextRect() const
{
    return fTextRect;
}

void BTextView::SetFontAndColor(const BFont* font, uint32 mask, const rgb_color* color)
{
    if (font != nullptr)
        SetFont(font, mask);
    if (color != nullptr) {
        fTextColor = *color;
        _ApplyColors();
    }
}

void BTextView::SetFont(const BFont* font, uint32 mask)
{
    BView::SetFont(font, mask);
}

void BTextView::SetViewColor(rgb_color color)
{
    BView::SetViewColor(color);
    if (fEdit != nullptr)
        _ApplyColors();
}

void BTextView::_KeyFromEditor(const BMessage& message)
{
    BMessage copy(message);
    _PostToSelf(&copy);
}

void BTextView::KeyDown(const char* bytes, int32 numBytes)
{
    if (bytes == nullptr || numBytes <= 0)
        return;
    const BMessage* message = Window() != nullptr ? Window()->CurrentMessage() : nullptr;
    if (fEditable && numBytes == 1 && fDisallowed.count(uint32(uint8(bytes[0]))) != 0)
        return;
    int32 key = 0;
    int32 held = 0;
    const char* text = "";
    if (message == nullptr || message->FindInt32(kQtKey, &key) != B_OK) {
        // A key message made by code: type its bytes.
        if (fEditable && uint8(bytes[0]) >= 0x20 && bytes[0] != B_DELETE)
            Insert(bytes, numBytes);
        else if (!fEditable && bytes[0] == B_TAB)
            BView::KeyDown(bytes, numBytes);
        return;
    }
    message->FindInt32(kQtModifiers, &held);
    message->FindString(kQtText, &text);
    // Printable text that would go past the limit is refused.
    if (fEditable && text[0] != '\0' && uint8(text[0]) >= 0x20 && TextLength() + int32(std::strlen(text)) > fMaxBytes)
        return;
    const QString qtText = QString::fromUtf8(text);
    GuiThread::Call([this, key, held, &qtText] {
        auto* filter = static_cast<KeyFilter*>(nullptr);
        for (QObject* child : fEdit->children()) {
            if (auto* found = dynamic_cast<KeyFilter*>(child))
                filter = found;
        }
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(held), qtText);
        if (filter != nullptr)
            filter->fReplaying = true;
        QCoreApplication::sendEvent(fEdit, &event);
        if (filter != nullptr)
            filter->fReplaying = false;
    });
}

void BTextView::MakeFocus(bool focus)
{
    BView::MakeFocus(focus);
}

void BTextView::FrameResized(float width, float height)
{
    BView::FrameResized(width, height);
    SetTextRect(fTextRect);
}
