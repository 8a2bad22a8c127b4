// BButton: a push button on a Qt push button. Pressing it (click, space,
// or Enter when it is the window's default button) invokes it.
#pragma once

#include <Control.h>

#include <atomic>

class QPushButton;

class BButton : public BControl {
public:
    BButton(BRect frame, const char* name, const char* label, BMessage* message,
        uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BButton();

    // The default button of its window answers Enter; it is drawn with a
    // ring, for which its frame grows by 3 pixels on every side (and
    // shrinks back when it stops being the default).
    virtual void MakeDefault(bool isDefault);
    bool IsDefault() const;

    void GetPreferredSize(float* width, float* height) override;
    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void KeyDown(const char* bytes, int32 numBytes) override;

    // Presses the button as a click would (for the window's Enter key).
    void _Press();

    // When the current label was first painted on screen (system_time()),
    // 0 while it has not been yet. A press made before that time was meant
    // for the label the user saw then.
    bigtime_t LabelShownAt() const { return fLabelShownAt; }
    // Called by the native button after it painted (GUI thread).
    void _LabelPainted();

protected:
    void LabelChanged() override;
    void EnabledChanged() override;
    void NativeValueChanged(int32 value) override;

private:
    QPushButton* fButton;
    bool fDefault;
    std::atomic<bigtime_t> fLabelShownAt{0};
};
