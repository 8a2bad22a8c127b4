// BControl: a view the user operates (button, check box ...), with a label,
// a value and an enabled state; invoking it sends its message to its target
// (the window, unless told otherwise) with the fields "when", "source" and
// "be:value".
//
// Controls built on a Qt widget post the user's action to themselves
// through the window's queue; the control then updates its value and
// invokes on the window's thread, in order with every other message.
#pragma once

#include <Invoker.h>
#include <View.h>

#include <string>

enum {
    B_CONTROL_OFF = 0,
    B_CONTROL_ON = 1
};

class BControl : public BView, public BInvoker {
public:
    BControl(BRect frame, const char* name, const char* label, BMessage* message, uint32 resizingMode,
        uint32 flags);
    virtual ~BControl();

    void AttachedToWindow() override;
    void MessageReceived(BMessage* message) override;
    void MakeFocus(bool focus = true) override;

    virtual void SetLabel(const char* label);
    const char* Label() const;

    virtual void SetValue(int32 value);
    int32 Value() const;

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const;

    status_t Invoke(BMessage* message = nullptr) override;

    // For the platform layer: posts the user's action on the native widget
    // (a new value) to the control; the control sets the value and invokes.
    void _NativeChanged(int32 value);

protected:
    // Hooks for controls on a Qt widget: show the label, value and enabled
    // state on the widget.
    virtual void LabelChanged();
    virtual void ValueChanged();
    virtual void EnabledChanged();
    // The user changed the value on the widget (on the window's thread):
    // the default sets the value and invokes.
    virtual void NativeValueChanged(int32 value);

    // Sets the value without updating anything.
    void SetValueNoUpdate(int32 value);

private:
    std::string fLabel;
    bool fHasLabel;
    int32 fValue;
    bool fEnabled;
};
