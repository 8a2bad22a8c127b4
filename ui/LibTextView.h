// LibTextView: a text view that tells its window about typing and focus
// changes, takes a plain-text file dropped on it, and shows a help page
// rendered to plain text.
//
// A drop is a message carrying "refs" (B_SIMPLE_DATA from a drag, or
// B_REFS_RECEIVED). Only a plain-text file is taken, and only whole: a file
// that is not plain text, cannot be read, or is larger than kMaxDropSize is
// refused with a notice and the view keeps its text.
#pragma once

#include "LibXmlText.h"

#include <TextView.h>

#include <vector>

class xmlTag;
struct entry_ref;

class LibTextView : public BTextView {
public:
    // Files larger than this are refused when dropped.
    static constexpr off_t kMaxDropSize = 16 * 1024 * 1024;

    LibTextView(BRect frame, const char* name, const uint32& changeCommand, const uint32& focusCommand);
    virtual ~LibTextView();

    void MessageReceived(BMessage* message) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* drag) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void FrameResized(float width, float height) override;
    void MakeFocus(bool focus = true) override;

    // Changes only the size of the view's font and applies it to the text.
    void SetFontSize(const float& size);
    // Shows page rendered to plain text: its text with line breaks for
    // "BR", paragraph breaks for "P" and the text of "B" children in place.
    void SetXml(xmlTag& page);
    // The ranges of the text that were bold in the page last shown.
    const std::vector<LibXmlText::Run>& BoldRuns() const { return fBoldRuns; }

    // True when the first "refs" entry of drag is a plain-text file.
    bool SupportedDropFile(const BMessage* drag) const;
    // Replaces the text by the file's contents. On failure returns false,
    // leaves the text alone and puts the reason into reason.
    bool LoadFile(const entry_ref& ref, LibString& reason);

protected:
    // Tells the user why a drop was refused; by default a notice that does
    // not wait for an answer.
    virtual void DropRefused(const char* reason);

private:
    void StrokeOutline(const rgb_color& color);

    uint32 fChangeCommand;
    uint32 fFocusCommand;
    std::vector<LibXmlText::Run> fBoldRuns;
};
