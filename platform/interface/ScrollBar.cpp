#include <ScrollBar.h>

#include "GuiThread.h"

#include <Message.h>
#include <Window.h>

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

using BPrivate::GuiThread;

namespace {

// The user moved a scroll bar, on its way to the scroll bar's handler.
const uint32 kBarMoved = '_sbM';
// The target's own Qt bar changed its range or its page.
const uint32 kNativeRange = '_sbR';

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
    // Now that messages reach the bar, it takes the native target's range.
    _FollowNativeTarget();
}

void BScrollBar::MessageReceived(BMessage* message)
{
    if (message->what == kBarMoved) {
        float value = 0;
        if (message->FindFloat("value", &value) == B_OK)
            SetValue(value);
        return;
    }
    if (message->what == kNativeRange) {
        float min = 0;
        float max = 0;
        float page = 0;
        float single = 1;
        float value = 0;
        if (message->FindFloat("min", &min) == B_OK && message->FindFloat("max", &max) == B_OK
            && message->FindFloat("page", &page) == B_OK && message->FindFloat("single", &single) == B_OK
            && message->FindFloat("value", &value) == B_OK) {
            const float span = max - min + page;
            fProportion = span > 0 ? page / span : 1;
            fSmallStep = std::max(1.0f, single);
            fLargeStep = std::max(fSmallStep, page);
            SetRange(min, max);
            SetValue(value);
        }
        return;
    }
    BView::MessageReceived(message);
}

void BScrollBar::ValueChanged(float newValue)
{
    if (fTarget == nullptr)
        return;
    if (QScrollBar* own = _NativeTargetBar()) {
        const int value = int(newValue);
        GuiThread::Call([own, value] {
            if (own->value() != value)
                own->setValue(value);
        });
        return;
    }
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
    _FollowNativeTarget();
}

QScrollBar* BScrollBar::_NativeTargetBar() const
{
    auto* area = fTarget != nullptr ? qobject_cast<QAbstractScrollArea*>(fTarget->fNative) : nullptr;
    if (area == nullptr)
        return nullptr;
    return fOrientation == B_VERTICAL ? area->verticalScrollBar() : area->horizontalScrollBar();
}

void BScrollBar::_FollowNativeTarget()
{
    QScrollBar* own = _NativeTargetBar();
    GuiThread::Call([this, own] {
        QObject::disconnect(fFollowRange);
        QObject::disconnect(fFollowValue);
        if (own == nullptr || fBar == nullptr)
            return;
        const auto postRange = [this, own] {
            BMessage message(kNativeRange);
            message.AddFloat("min", float(own->minimum()));
            message.AddFloat("max", float(own->maximum()));
            message.AddFloat("page", float(own->pageStep()));
            message.AddFloat("single", float(own->singleStep()));
            message.AddFloat("value", float(own->value()));
            _PostToSelf(&message);
        };
        fFollowRange = QObject::connect(own, &QScrollBar::rangeChanged, fBar, postRange);
        fFollowValue = QObject::connect(own, &QScrollBar::valueChanged, fBar, [this](int value) {
            BMessage message(kBarMoved);
            message.AddFloat("value", float(value));
            _PostToSelf(&message);
        });
        postRange();
    });
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
