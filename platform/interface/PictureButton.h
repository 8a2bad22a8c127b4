// BPictureButton: a button drawn from pictures, one per state. A one-state
// button shows its "on" picture while it is pressed and invokes when the
// mouse is let go over it; a two-state button flips its value (and its
// picture) each time it is clicked, then invokes. Space and Enter press a
// focused button as a click does. Disabled buttons draw their disabled
// pictures (or, without them, the enabled ones) and ignore input.
#pragma once

#include <Control.h>
#include <Picture.h>

enum {
    B_ONE_STATE_BUTTON,
    B_TWO_STATE_BUTTON
};

class BPictureButton : public BControl {
public:
    // The pictures are copied; the message becomes the button's.
    BPictureButton(BRect frame, const char* name, BPicture* off, BPicture* on, BMessage* message,
        uint32 behavior = B_ONE_STATE_BUTTON, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
        uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BPictureButton();

    virtual void SetEnabledOn(BPicture* picture);
    virtual void SetEnabledOff(BPicture* picture);
    virtual void SetDisabledOn(BPicture* picture);
    virtual void SetDisabledOff(BPicture* picture);
    BPicture* EnabledOn() const;
    BPicture* EnabledOff() const;
    BPicture* DisabledOn() const;
    BPicture* DisabledOff() const;

    virtual void SetBehavior(uint32 behavior);
    uint32 Behavior() const;

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void SetValue(int32 value) override;

    // The picture the button shows now (for its state, value and press).
    const BPicture* CurrentPicture() const;

private:
    static void Replace(std::unique_ptr<BPicture>& slot, const BPicture* picture);
    // The value the button shows while the mouse is pressed over it.
    int32 PressedValue() const;
    void Release(bool inside);

    std::unique_ptr<BPicture> fEnabledOff;
    std::unique_ptr<BPicture> fEnabledOn;
    std::unique_ptr<BPicture> fDisabledOff;
    std::unique_ptr<BPicture> fDisabledOn;
    uint32 fBehavior;
    bool fTracking = false;
    bool fInside = false;
};
