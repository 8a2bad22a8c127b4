#include <Control.h>

#include <Message.h>
#include <Window.h>

#include <QAccessible>

namespace {

// The user's action on a control's Qt widget, on its way to the control.
const uint32 kNativeChanged = '_nCV';

} // namespace

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message, uint32 resizingMode,
    uint32 flags)
    :
    BView(frame, name, resizingMode, flags),
    BInvoker(message, nullptr, nullptr),
    fLabel(label != nullptr ? label : ""),
    fHasLabel(label != nullptr),
    fValue(B_CONTROL_OFF),
    fEnabled(true)
{
    _SetAccessibleRole(QAccessible::Button);
    _SetAccessibleDefaultName(fLabel.c_str());
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    SetLowColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

BControl::~BControl()
{
}

void BControl::AttachedToWindow()
{
    // Without a target the window hears the control.
    if (!Messenger().IsValid())
        SetTarget(Window());
    if (Parent() != nullptr) {
        const rgb_color color = Parent()->ViewColor();
        if (color != B_TRANSPARENT_COLOR) {
            SetViewColor(color);
            SetLowColor(color);
        }
    }
    BView::AttachedToWindow();
}

void BControl::MessageReceived(BMessage* message)
{
    if (message->what == kNativeChanged) {
        int32 value = 0;
        if (message->FindInt32("value", &value) == B_OK && fEnabled)
            NativeValueChanged(value);
        return;
    }
    BView::MessageReceived(message);
}

void BControl::MakeFocus(bool focus)
{
    BView::MakeFocus(focus);
}

void BControl::SetLabel(const char* label)
{
    const std::string text = label != nullptr ? label : "";
    if (fHasLabel == (label != nullptr) && text == fLabel)
        return;
    fLabel = text;
    fHasLabel = label != nullptr;
    _SetAccessibleDefaultName(fLabel.c_str());
    LabelChanged();
    Invalidate();
}

const char* BControl::Label() const
{
    return fHasLabel ? fLabel.c_str() : nullptr;
}

void BControl::SetValue(int32 value)
{
    if (value == fValue)
        return;
    fValue = value;
    ValueChanged();
    Invalidate();
}

int32 BControl::Value() const
{
    return fValue;
}

void BControl::SetValueNoUpdate(int32 value)
{
    fValue = value;
}

void BControl::SetEnabled(bool enabled)
{
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    _SetFocusable(enabled);
    EnabledChanged();
    Invalidate();
}

bool BControl::IsEnabled() const
{
    return fEnabled;
}

status_t BControl::Invoke(BMessage* message)
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
    copy.AddInt32("be:value", fValue);
    if (notify && kind != B_CONTROL_INVOKED)
        copy.AddInt32("be:notify", int32(kind));
    return BInvoker::Invoke(&copy);
}

void BControl::_NativeChanged(int32 value)
{
    BMessage message(kNativeChanged);
    message.AddInt32("value", value);
    _PostToSelf(&message);
}

void BControl::LabelChanged() {}
void BControl::ValueChanged() {}
void BControl::EnabledChanged() {}

void BControl::NativeValueChanged(int32 value)
{
    SetValue(value);
    Invoke();
}
