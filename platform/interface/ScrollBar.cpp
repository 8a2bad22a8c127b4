#include <ScrollBar.h>

#include "GuiThread.h"

#include <Message.h>
#include <Window.h>

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

using BPrivate::GuiThread;

namespace {

// The user moved a scroll bar, on its way to the scroll bar's handler.
const uint32 kBarMoved = '_sbM';

} // namespace

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
    orientation direction)
    :
    BView(frame, name, direction == B_VERTICAL ? B_FOLLOW_TOP_BOTTOM | B_FOLLOW_RIGHT
        : B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW | B_FRAME_EVENTS),
    fBar(nullptr),
    fTarget(nullptr),
    fOrientation(direction),
    fValue(0),
    fMin(min),
    fMax(std::max(min, max)),
    fProportion(0),
    fSmallStep(1),
    fLargeStep(10)
{
    GuiThread::Call([this] {
        fBar = new QScrollBar(fOrientation == B_VERTICAL ? Qt::Vertical : Qt::Horizontal);
        fBar->setFocusPolicy(Qt::NoFocus);
        QObject::connect(fBar, &QScrollBar::valueChanged, fBar, [this](int value) {
            BMessage message(kBarMoved);
            message.AddFloat("value", float(value));
            _PostToSelf(&message);
        });
    });
    _SetNativeWidget(fBar);
    _SetAccessibleDefaultName(fOrientation == B_VERTICAL ? "Vertical scroll bar" : "Horizontal scroll bar");
    _ApplyRange();
    SetTarget(target);
}

BScrollBar::~BScrollBar()
{
    SetTarget(static_cast<BView*>(nullptr));
}

void BScrollBar::AttachedToWindow()
{
    BView::AttachedToWindow();
}

void BScrollBar::MessageReceived(BMessage* message)
{
    if (message->what == kBarMoved) {
        float value = 0;
        if (message->FindFloat("value", &value) == B_OK)
            SetValue(value);
        return;
    }
    BView::MessageReceived(message);
}

void BScrollBar::ValueChanged(float newValue)
{
    if (fTarget == nullptr)
        return;
    const BRect bounds = fTarget->Bounds();
    if (fOrientation == B_VERTICAL)
        fTarget->ScrollTo(BPoint(bounds.left, newValue));
    else
        fTarget->ScrollTo(BPoint(newValue, bounds.top));
}

void BScrollBar::SetValue(float value)
{
    value = std::clamp(std::round(value), fMin, fMax);
    if (value == fValue)
        return;
    fValue = value;
    GuiThread::Call([this, value] {
        const QSignalBlocker blocker(fBar);
        fBar->setValue(int(value));
    });
    ValueChanged(value);
}

float BScrollBar::Value() const
{
    return fValue;
}

void BScrollBar::SetProportion(float proportion)
{
    fProportion = std::clamp(proportion, 0.0f, 1.0f);
    _ApplyRange();
}

float BScrollBar::Proportion() const
{
    return fProportion;
}

void BScrollBar::SetRange(float min, float max)
{
    fMin = min;
    fMax = std::max(min, max);
    _ApplyRange();
    if (fValue < fMin || fValue > fMax)
        SetValue(std::clamp(fValue, fMin, fMax));
}

void BScrollBar::GetRange(float* min, float* max) const
{
    if (min != nullptr)
        *min = fMin;
    if (max != nullptr)
        *max = fMax;
}

void BScrollBar::SetSteps(float smallStep, float largeStep)
{
    fSmallStep = std::max(1.0f, smallStep);
    fLargeStep = std::max(fSmallStep, largeStep);
    _ApplyRange();
}

void BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
    if (smallStep != nullptr)
        *smallStep = fSmallStep;
    if (largeStep != nullptr)
        *largeStep = fLargeStep;
}

void BScrollBar::_ApplyRange()
{
    // Qt sizes the knob by the page step against the range; derive a page
    // step from the proportion so the knob shows the visible share.
    int page = int(fLargeStep);
    if (fProportion > 0 && fProportion < 1 && fMax > fMin)
        page = std::max(1, int(std::round((fMax - fMin) * fProportion / (1 - fProportion))));
    const int min = int(fMin);
    const int max = int(fMax);
    const int single = int(fSmallStep);
    const int value = int(fValue);
    GuiThread::Call([this, min, max, single, page, value] {
        const QSignalBlocker blocker(fBar);
        fBar->setRange(min, max);
        fBar->setSingleStep(single);
        fBar->setPageStep(page);
        fBar->setValue(value);
        fBar->setEnabled(max > min);
    });
}

void BScrollBar::SetTarget(BView* target)
{
    if (fTarget != nullptr && fTarget->fScrollBars[fOrientation] == this)
        fTarget->fScrollBars[fOrientation] = nullptr;
    fTarget = target;
    if (target != nullptr)
        target->fScrollBars[fOrientation] = this;
}

void BScrollBar::SetTarget(const char* targetName)
{
    if (Window() != nullptr)
        SetTarget(Window()->FindView(targetName));
}

BView* BScrollBar::Target() const
{
    return fTarget;
}

orientation BScrollBar::Orientation() const
{
    return fOrientation;
}
