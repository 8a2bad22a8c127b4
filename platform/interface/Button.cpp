#include <Button.h>

#include "FocusMark.h"
#include "GuiThread.h"

#include <OS.h>
#include <Window.h>

#include <QPushButton>

#include <algorithm>
#include <cmath>

using BPrivate::GuiThread;

namespace {

// The native button tells its owner when it has painted, so that the owner
// knows which label the user has seen.
class NativeButton : public QPushButton {
public:
    NativeButton(const QString& text, BButton* owner)
        : QPushButton(text),
          fOwner(owner)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPushButton::paintEvent(event);
        // The platform's keyboard-navigation mark under the label.
        BPrivate::DrawLabelFocusMark(this, text());
        fOwner->_LabelPainted();
    }

private:
    BButton* fOwner;
};

QString ButtonText(const char* label)
{
    // Qt reads '&' as a mnemonic mark; the platform shows it as it is.
    return QString::fromUtf8(label != nullptr ? label : "").replace("&", "&&");
}

} // namespace

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message, uint32 resizingMode,
    uint32 flags)
    :
    BControl(frame, name, label, message, resizingMode, flags | B_WILL_DRAW),
    fButton(nullptr),
    fDefault(false)
{
    SetFont(be_plain_font);
    // At least as tall as the font needs, as the platform's buttons are.
    font_height height;
    GetFontHeight(&height);
    const float minimum = 12 + std::ceil(height.ascent + height.descent);
    if (Frame().Height() < minimum)
        ResizeTo(Frame().Width(), minimum);

    GuiThread::Call([this, label] {
        fButton = new NativeButton(ButtonText(label), this);
        fButton->setAutoDefault(false);
        fButton->setFocusPolicy((Flags() & B_NAVIGABLE) ? Qt::StrongFocus : Qt::NoFocus);
        QObject::connect(fButton, &QPushButton::clicked, fButton, [this] { _NativeChanged(B_CONTROL_ON); });
    });
    _SetNativeWidget(fButton);
}

BButton::~BButton()
{
}

void BButton::AttachedToWindow()
{
    BControl::AttachedToWindow();
    if (fDefault && Window() != nullptr && Window()->DefaultButton() != this)
        Window()->SetDefaultButton(this);
}

void BButton::DetachedFromWindow()
{
    BControl::DetachedFromWindow();
}

void BButton::MakeDefault(bool isDefault)
{
    if (isDefault == fDefault)
        return;
    fDefault = isDefault;
    if (isDefault) {
        ResizeBy(6, 6);
        MoveBy(-3, -3);
    } else {
        ResizeBy(-6, -6);
        MoveBy(3, 3);
    }
    GuiThread::Call([this, isDefault] { fButton->setDefault(isDefault); });
    if (Window() != nullptr) {
        if (isDefault && Window()->DefaultButton() != this)
            Window()->SetDefaultButton(this);
        else if (!isDefault && Window()->DefaultButton() == this)
            Window()->SetDefaultButton(nullptr);
    }
}

bool BButton::IsDefault() const
{
    return fDefault;
}

void BButton::GetPreferredSize(float* width, float* height)
{
    font_height fontHeight;
    GetFontHeight(&fontHeight);
    const float extra = fDefault ? 6 : 0;
    if (width != nullptr) {
        const char* label = Label();
        *width = std::max(75.0f, 20 + std::ceil(StringWidth(label != nullptr ? label : ""))) + extra;
    }
    if (height != nullptr)
        *height = 12 + std::ceil(fontHeight.ascent + fontHeight.descent) + extra;
}

void BButton::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER) && IsEnabled()) {
        _Press();
        return;
    }
    BControl::KeyDown(bytes, numBytes);
}

void BButton::_Press()
{
    if (!IsEnabled())
        return;
    SetValue(B_CONTROL_ON);
    Invoke();
    SetValue(B_CONTROL_OFF);
}

void BButton::LabelChanged()
{
    const QString text = ButtonText(Label());
    GuiThread::Call([this, &text] {
        if (fButton->text() == text)
            return;
        fLabelShownAt = 0;
        fButton->setText(text);
    });
}

void BButton::_LabelPainted()
{
    bigtime_t none = 0;
    fLabelShownAt.compare_exchange_strong(none, system_time());
}

void BButton::EnabledChanged()
{
    const bool enabled = IsEnabled();
    GuiThread::Call([this, enabled] { fButton->setEnabled(enabled); });
}

void BButton::NativeValueChanged(int32)
{
    _Press();
}
