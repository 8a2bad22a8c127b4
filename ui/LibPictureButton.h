// LibPictureButton: a button drawn from raw 8-bit colour-mapped bitmaps
// (width x height pixels, rows padded to four bytes) that asks the
// application for a tool tip while the pointer rests on it: entering posts
// { tip command, "show" = true, "tip", "loc" (screen point right of the
// button) }, leaving and clicking post { tip command, "show" = false }.
// Only while the tip text is set and the button's window is active.
#pragma once

#include <LibString.h>
#include <PictureButton.h>

class LibPictureButton : public BPictureButton {
public:
    LibPictureButton(BPoint where, const int8& width, const int8& height, const char* name, const void* offBits,
        const void* onBits, const uint32& command, const void* disabledBits = nullptr,
        uint32 behavior = B_ONE_STATE_BUTTON, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP);
    virtual ~LibPictureButton();

    void MouseDown(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* drag) override;
    void MakeFocus(bool focus = true) override;

    // The what of the tip requests ('stip' for the application's tip
    // manager) and the tip's text.
    void AddTip(const uint32& command, const char* text);
    const char* TipText() const { return fTipText; }

protected:
    // Where tip requests go: the application.
    virtual void PostTipRequest(BMessage& request);
    virtual bool WindowIsActive() const;

private:
    bool TipsWanted() const;

    uint32 fTipCommand;
    LibString fTipText;
};
