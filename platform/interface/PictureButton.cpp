#include <PictureButton.h>

#include <PictureData.h>

#include <QPainter>

BPictureButton::BPictureButton(BRect frame, const char* name, BPicture* off, BPicture* on, BMessage* message,
    uint32 behavior, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, nullptr, message, resizingMode, flags)
    , fBehavior(behavior)
{
    Replace(fEnabledOff, off);
    Replace(fEnabledOn, on);
}

BPictureButton::~BPictureButton() = default;

void BPictureButton::Replace(std::unique_ptr<BPicture>& slot, const BPicture* picture)
{
    if (picture == nullptr)
        slot.reset();
    else
        slot = std::make_unique<BPicture>(*picture);
}

void BPictureButton::SetEnabledOn(BPicture* picture)
{
    Replace(fEnabledOn, picture);
    Invalidate();
}

void BPictureButton::SetEnabledOff(BPicture* picture)
{
    Replace(fEnabledOff, picture);
    Invalidate();
}

void BPictureButton::SetDisabledOn(BPicture* picture)
{
    Replace(fDisabledOn, picture);
    Invalidate();
}

void BPictureButton::SetDisabledOff(BPicture* picture)
{
    Replace(fDisabledOff, picture);
    Invalidate();
}

BPicture* BPictureButton::EnabledOn() const
{
    return fEnabledOn.get();
}

BPicture* BPictureButton::EnabledOff() const
{
    return fEnabledOff.get();
}

BPicture* BPictureButton::DisabledOn() const
{
    return fDisabledOn.get();
}

BPicture* BPictureButton::DisabledOff() const
{
    return fDisabledOff.get();
}

void BPictureButton::SetBehavior(uint32 behavior)
{
    fBehavior = behavior;
}

uint32 BPictureButton::Behavior() const
{
    return fBehavior;
}

int32 BPictureButton::PressedValue() const
{
    if (fBehavior == B_TWO_STATE_BUTTON)
        return Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON;
    return B_CONTROL_ON;
}

const BPicture* BPictureButton::CurrentPicture() const
{
    const int32 shown = fTracking && fInside ? PressedValue() : Value();
    const bool on = shown == B_CONTROL_ON;
    if (!IsEnabled()) {
        const BPicture* disabled = on ? fDisabledOn.get() : fDisabledOff.get();
        if (disabled != nullptr)
            return disabled;
    }
    return on ? fEnabledOn.get() : fEnabledOff.get();
}

void BPictureButton::Draw(BRect updateRect)
{
    (void)updateRect;
    const BPicture* picture = CurrentPicture();
    QPainter* painter = _Painter();
    if (painter == nullptr)
        return;
    if (picture != nullptr)
        picture->Data().Draw(*painter, 0, 0);
    // The keyboard-navigation mark: a frame in the navigation colour round
    // the picture, which has no label to underline.
    if (IsFocus() && IsEnabled()) {
        PushState();
        SetHighColor(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
        StrokeRect(Bounds());
        PopState();
    }
}

void BPictureButton::MouseDown(BPoint where)
{
    if (!IsEnabled())
        return;
    fTracking = true;
    fInside = Bounds().Contains(where);
    Invalidate();
}

void BPictureButton::MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage)
{
    (void)transit;
    (void)dragMessage;
    if (!fTracking)
        return;
    const bool inside = Bounds().Contains(where);
    if (inside != fInside) {
        fInside = inside;
        Invalidate();
    }
}

void BPictureButton::MouseUp(BPoint where)
{
    if (!fTracking)
        return;
    Release(Bounds().Contains(where));
}

void BPictureButton::Release(bool inside)
{
    const int32 pressed = PressedValue();
    fTracking = false;
    fInside = false;
    if (!inside) {
        Invalidate();
        return;
    }
    // A one-state button springs back; a two-state button keeps its new
    // value. Either way the message carries the value after the click.
    SetValue(fBehavior == B_TWO_STATE_BUTTON ? pressed : B_CONTROL_OFF);
    Invoke();
    Invalidate();
}

void BPictureButton::KeyDown(const char* bytes, int32 numBytes)
{
    if (IsEnabled() && numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
        fTracking = true;
        Release(true);
        return;
    }
    BControl::KeyDown(bytes, numBytes);
}

void BPictureButton::SetValue(int32 value)
{
    if (value != Value())
        Invalidate();
    BControl::SetValue(value);
}
