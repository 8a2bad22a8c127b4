#include <CheckBox.h>

#include "FocusMark.h"
#include "GuiThread.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

using BPrivate::GuiThread;

namespace {

// A check box that draws the platform's keyboard-navigation mark under its
// label while it has the focus.
class NativeCheckBox : public QCheckBox {
public:
    explicit NativeCheckBox(const QString& text) : QCheckBox(text) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QCheckBox::paintEvent(event);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect label = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        BPrivate::DrawLabelFocusMark(this, text(), label.left() + 2);
    }
};

QString CheckBoxText(const char* label)
{
    return QString::fromUtf8(label != nullptr ? label : "").replace("&", "&&");
}

} // namespace

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message, uint32 resizingMode,
    uint32 flags)
    :
    BControl(frame, name, label, message, resizingMode, flags),
    fCheckBox(nullptr)
{
    SetFont(be_plain_font);
    GuiThread::Call([this, label] {
        fCheckBox = new NativeCheckBox(CheckBoxText(label));
        fCheckBox->setFocusPolicy((Flags() & B_NAVIGABLE) ? Qt::StrongFocus : Qt::NoFocus);
        QObject::connect(fCheckBox, &QCheckBox::toggled, fCheckBox,
            [this](bool checked) { _NativeChanged(checked ? B_CONTROL_ON : B_CONTROL_OFF); });
    });
    _SetNativeWidget(fCheckBox);
}

BCheckBox::~BCheckBox()
{
}

void BCheckBox::GetPreferredSize(float* width, float* height)
{
    font_height fontHeight;
    GetFontHeight(&fontHeight);
    if (width != nullptr) {
        const char* label = Label();
        *width = std::ceil(12 + fontHeight.ascent + StringWidth(label != nullptr ? label : ""));
    }
    if (height != nullptr)
        *height = std::ceil(6 + fontHeight.ascent + fontHeight.descent);
}

void BCheckBox::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER) && IsEnabled()) {
        SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
        Invoke();
        return;
    }
    BControl::KeyDown(bytes, numBytes);
}

void BCheckBox::LabelChanged()
{
    const QString text = CheckBoxText(Label());
    GuiThread::Call([this, &text] { fCheckBox->setText(text); });
}

void BCheckBox::ValueChanged()
{
    const bool checked = Value() != B_CONTROL_OFF;
    GuiThread::Call([this, checked] {
        // A change made by code is not a click: no message.
        const QSignalBlocker blocker(fCheckBox);
        fCheckBox->setChecked(checked);
    });
}

void BCheckBox::EnabledChanged()
{
    const bool enabled = IsEnabled();
    GuiThread::Call([this, enabled] { fCheckBox->setEnabled(enabled); });
}
