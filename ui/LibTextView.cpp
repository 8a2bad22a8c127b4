#include "LibTextView.h"

#include "LibAlert.h"

#include <Entry.h>
#include <File.h>
#include <LibEntryUtils.h>
#include <Message.h>
#include <MimeType.h>
#include <Window.h>
#include <xmlTag.h>

#include <cstring>
#include <string>

namespace {

const char* const kPlainText = "text/plain";

// The file's type: its type attribute, or for a file without one (most
// files on Linux) what its name and contents suggest.
std::string FileType(const entry_ref& ref)
{
    char type[B_MIME_TYPE_LENGTH];
    LibGetMimeType(ref, type, false);
    if (type[0] != '\0')
        return type;
    BMimeType guess;
    if (BMimeType::GuessMimeType(&ref, &guess) == B_OK && guess.Type() != nullptr)
        return guess.Type();
    return std::string();
}

} // namespace

LibTextView::LibTextView(BRect frame, const char* name, const uint32& changeCommand, const uint32& focusCommand)
    :
    BTextView(frame, name, BRect(frame).OffsetToSelf(0, 0).InsetBySelf(3, 3), B_FOLLOW_ALL_SIDES,
        B_WILL_DRAW | B_FRAME_EVENTS),
    fChangeCommand(changeCommand),
    fFocusCommand(focusCommand)
{
}

LibTextView::~LibTextView()
{
}

void LibTextView::KeyDown(const char* bytes, int32 numBytes)
{
    BTextView::KeyDown(bytes, numBytes);
    if (fChangeCommand != 0 && Window() != nullptr)
        Window()->PostMessage(fChangeCommand);
}

void LibTextView::MakeFocus(bool focus)
{
    BTextView::MakeFocus(focus);
    if (fFocusCommand != 0 && Window() != nullptr) {
        BMessage message(fFocusCommand);
        message.AddBool("focus", focus);
        Window()->PostMessage(&message);
    }
}

void LibTextView::FrameResized(float width, float height)
{
    BTextView::FrameResized(width, height);
    BRect rect = TextRect();
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    SetTextRect(rect);
}

void LibTextView::SetFontSize(const float& size)
{
    BFont font;
    GetFont(&font);
    font.SetSize(size);
    SetFontAndColor(&font, B_FONT_SIZE);
}

void LibTextView::SetXml(xmlTag& page)
{
    LibString text;
    LibXmlText::Render(page, text, &fBoldRuns);
    SetText(static_cast<const char*>(text));
}

bool LibTextView::SupportedDropFile(const BMessage* drag) const
{
    entry_ref ref;
    if (drag == nullptr || drag->FindRef("refs", &ref) != B_OK)
        return false;
    BEntry entry(&ref, true);
    return entry.IsFile() && FileType(ref) == kPlainText;
}

bool LibTextView::LoadFile(const entry_ref& ref, LibString& reason)
{
    BEntry entry(&ref, true);
    if (!entry.Exists()) {
        reason = "The file does not exist.";
        return false;
    }
    if (!entry.IsFile()) {
        reason = "Only plain text files can be shown here.";
        return false;
    }
    BFile file(&ref, B_READ_ONLY);
    off_t size = 0;
    if (file.InitCheck() != B_OK || file.GetSize(&size) != B_OK) {
        reason = "The file cannot be read.";
        return false;
    }
    if (FileType(ref) != kPlainText) {
        reason = "Only plain text files can be shown here.";
        return false;
    }
    if (size > kMaxDropSize) {
        reason = "The file is too large to be shown here.";
        return false;
    }
    std::string contents(static_cast<size_t>(size), '\0');
    const ssize_t read = size > 0 ? file.ReadAt(0, contents.data(), contents.size()) : 0;
    if (read < 0 || read != size) {
        reason = "The file cannot be read.";
        return false;
    }
    // A file that says it is text but holds NUL bytes would show cut off.
    if (contents.find('\0') != std::string::npos) {
        reason = "Only plain text files can be shown here.";
        return false;
    }
    SetText(contents.c_str(), int32(contents.size()));
    return true;
}

void LibTextView::MessageReceived(BMessage* message)
{
    const bool drop = (message->what == B_SIMPLE_DATA || message->what == B_REFS_RECEIVED)
        && message->HasRef("refs");
    if (!drop) {
        BTextView::MessageReceived(message);
        return;
    }
    entry_ref ref;
    message->FindRef("refs", &ref);
    LibString reason;
    if (!LoadFile(ref, reason)) {
        const std::string text = std::string("\"") + (ref.name != nullptr ? ref.name : "") + "\" was not opened. "
            + static_cast<const char*>(reason);
        DropRefused(text.c_str());
    }
    StrokeOutline(ViewColor());
}

void LibTextView::MouseMoved(BPoint, uint32 transit, const BMessage* drag)
{
    if (drag == nullptr)
        return;
    if (transit == B_ENTERED_VIEW && SupportedDropFile(drag))
        StrokeOutline(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
    else if (transit == B_EXITED_VIEW)
        StrokeOutline(ViewColor());
}

void LibTextView::DropRefused(const char* reason)
{
    LibInfoNoWait("%s", reason);
}

void LibTextView::StrokeOutline(const rgb_color& color)
{
    PushState();
    SetHighColor(color);
    StrokeRect(Bounds());
    PopState();
}
