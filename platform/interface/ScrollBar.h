// BScrollBar: a scroll bar on a Qt scroll bar that scrolls its target view.
// Its value is the target's left (horizontal) or top (vertical) coordinate.
#pragma once

#include <View.h>

#include <QMetaObject>

class QScrollBar;

constexpr float B_V_SCROLL_BAR_WIDTH = 14.0f;
constexpr float B_H_SCROLL_BAR_HEIGHT = 14.0f;

class BScrollBar : public BView {
public:
    BScrollBar(BRect frame, const char* name, BView* target, float min, float max, orientation direction);
    virtual ~BScrollBar();

    // Moving the bar scrolls the target (on the window's thread).
    virtual void ValueChanged(float newValue);
    void SetValue(float value);
    float Value() const;

    // The share of the content that is visible (0 to 1); it sets the size
    // of the knob.
    void SetProportion(float proportion);
    float Proportion() const;

    void SetRange(float min, float max);
    void GetRange(float* min, float* max) const;
    void SetSteps(float smallStep, float largeStep);
    void GetSteps(float* smallStep, float* largeStep) const;

    void SetTarget(BView* target);
    void SetTarget(const char* targetName);
    BView* Target() const;
    orientation Orientation() const;

    void MessageReceived(BMessage* message) override;
    void AttachedToWindow() override;

private:
    void _ApplyRange();
    // A target drawn by a scrolling Qt widget (a text editor) scrolls
    // itself, by the keys and the mouse wheel: this bar follows the
    // widget's own hidden bar, and moving this bar moves that one.
    void _FollowNativeTarget();
    QScrollBar* _NativeTargetBar() const;

    QMetaObject::Connection fFollowRange;
    QMetaObject::Connection fFollowValue;

    QScrollBar* fBar;
    BView* fTarget;
    orientation fOrientation;
    float fValue;
    float fMin;
    float fMax;
    float fProportion;
    float fSmallStep;
    float fLargeStep;
};
