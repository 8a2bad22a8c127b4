#include "AlertDialog.h"

#include "FocusMark.h"
#include "FontEngine.h"

#include <Font.h>
#include <InterfaceDefs.h>

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace BPrivate {

namespace {

// An alert's button: a push button with the platform's keyboard-navigation
// mark under its label while it has the focus.
class AlertButton : public QPushButton {
public:
    explicit AlertButton(const QString& text) : QPushButton(text) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPushButton::paintEvent(event);
        DrawLabelFocusMark(this, text());
    }
};

// The alert's check box, marked the same way.
class AlertCheckBox : public QCheckBox {
public:
    explicit AlertCheckBox(const QString& text) : QCheckBox(text) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QCheckBox::paintEvent(event);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect label = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        DrawLabelFocusMark(this, text(), label.left() + 2);
    }
};

// The platform's alert layout: a 30-pixel stripe, the icon at (18, 6), the
// text from x = 55, 6 pixels of margin at the right and the bottom, buttons
// at least 75 wide and 6 apart, a window at least 310 wide.
const int kStripeWidth = 30;
const int kIconLeft = 18;
const int kIconTop = 6;
const int kTextLeft = 55;
const int kPlainTextLeft = 10;
const int kMargin = 6;
const int kMinimumButtonWidth = 75;
const int kMinimumWidth = 310;

QStyle::StandardPixmap IconOf(alert_type type)
{
    switch (type) {
        case B_IDEA_ALERT: return QStyle::SP_MessageBoxQuestion;
        case B_WARNING_ALERT: return QStyle::SP_MessageBoxWarning;
        case B_STOP_ALERT: return QStyle::SP_MessageBoxCritical;
        default: return QStyle::SP_MessageBoxInformation;
    }
}

} // namespace

AlertDialog::AlertDialog(const BAlertRequest& request, QWidget* parent)
    :
    QDialog(parent),
    fRequest(request)
{
    setWindowTitle(QString::fromStdString(request.title));
    setModal(true);
    setObjectName("alert");
    QPalette colours = palette();
    const rgb_color panel = ui_color(B_PANEL_BACKGROUND_COLOR);
    colours.setColor(QPalette::Window, QColor(panel.red, panel.green, panel.blue));
    setPalette(colours);
    setFont(FontEngine::QtFontOf(*be_plain_font));

    const bool hasIcon = request.type != B_EMPTY_ALERT;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(hasIcon ? kTextLeft : kPlainTextLeft, kMargin, kMargin + 4, kMargin);
    layout->setSpacing(8);

    auto* text = new QLabel(QString::fromStdString(request.text));
    text->setObjectName("alert_text");
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setMinimumWidth(kMinimumWidth - (hasIcon ? kTextLeft : kPlainTextLeft) - kMargin - 4);
    layout->addWidget(text);

    if (!request.facts.empty()) {
        auto* facts = new QGridLayout();
        facts->setHorizontalSpacing(12);
        facts->setVerticalSpacing(2);
        int row = 0;
        for (const auto& [label, value] : request.facts) {
            auto* name = new QLabel(QString::fromStdString(label));
            QFont bold = name->font();
            bold.setBold(true);
            name->setFont(bold);
            auto* content = new QLabel(QString::fromStdString(value));
            content->setTextFormat(Qt::PlainText);
            content->setTextInteractionFlags(Qt::TextSelectableByMouse);
            facts->addWidget(name, row, 0, Qt::AlignLeft | Qt::AlignTop);
            facts->addWidget(content, row, 1, Qt::AlignLeft | Qt::AlignTop);
            row++;
        }
        facts->setColumnStretch(1, 1);
        layout->addLayout(facts);
    }

    if (!request.checkBoxLabel.empty()) {
        fCheckBox = new AlertCheckBox(QString::fromStdString(request.checkBoxLabel));
        fCheckBox->setObjectName("alert_check_box");
        fCheckBox->setChecked(request.checkBoxValue);
        layout->addWidget(fCheckBox);
    }

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(kMargin);
    buttons->addStretch(1);
    for (size_t i = 0; i < request.buttons.size(); i++) {
        QString label = QString::fromStdString(request.buttons[i]);
        auto* button = new AlertButton(label.replace("&", "&&"));
        button->setObjectName(QString("alert_button_%1").arg(i));
        button->setAccessibleName(QString::fromStdString(request.buttons[i]));
        button->setAutoDefault(false);
        button->setMinimumWidth(std::max(kMinimumButtonWidth, button->sizeHint().width()));
        if (int32(i) == request.defaultButton)
            button->setDefault(true);
        const int32 index = int32(i);
        connect(button, &QPushButton::clicked, this, [this, index] {
            fPressed = index;
            accept();
        });
        buttons->addWidget(button);
        fButtons.push_back(button);
    }
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (request.defaultButton >= 0 && size_t(request.defaultButton) < fButtons.size())
        fButtons[size_t(request.defaultButton)]->setFocus();
}

BAlertAnswer AlertDialog::Answer() const
{
    BAlertAnswer answer;
    answer.button = fPressed >= 0 ? fPressed : fRequest.defaultButton;
    answer.checkBox = fCheckBox != nullptr ? fCheckBox->isChecked() : fRequest.checkBoxValue;
    return answer;
}

void AlertDialog::Dismiss(int32 button)
{
    fPressed = button;
    reject();
}

QPushButton* AlertDialog::Button(int32 index) const
{
    if (index < 0 || size_t(index) >= fButtons.size())
        return nullptr;
    return fButtons[size_t(index)];
}

void AlertDialog::keyPressEvent(QKeyEvent* event)
{
    // A shortcut is a character (compared without case) or one of the
    // platform's key bytes (B_ESCAPE, B_ENTER ...).
    char key = 0;
    switch (event->key()) {
        case Qt::Key_Escape: key = B_ESCAPE; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: key = B_ENTER; break;
        default: {
            const QString text = event->text();
            if (text.size() == 1 && text[0].unicode() < 128)
                key = char(text[0].unicode());
            break;
        }
    }
    if (key != 0 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (size_t i = 0; i < fRequest.shortcuts.size() && i < fButtons.size(); i++) {
            const char shortcut = fRequest.shortcuts[i];
            if (shortcut != 0 && std::tolower(uint8(shortcut)) == std::tolower(uint8(key))) {
                fButtons[i]->click();
                return;
            }
        }
        if (key == B_ENTER) {
            if (QPushButton* button = Button(fRequest.defaultButton)) {
                button->click();
                return;
            }
        }
    }
    // Escape without a shortcut does not close the alert: it needs an
    // answer from its buttons.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AlertDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (fRequest.type == B_EMPTY_ALERT)
        return;
    QPainter painter(this);
    const rgb_color stripe = tint_color(ui_color(B_PANEL_BACKGROUND_COLOR), B_DARKEN_1_TINT);
    painter.fillRect(QRect(0, 0, kStripeWidth + 1, height()), QColor(stripe.red, stripe.green, stripe.blue));
    const QIcon icon = style()->standardIcon(IconOf(fRequest.type), nullptr, this);
    painter.drawPixmap(kIconLeft, kIconTop, icon.pixmap(32, 32));
}

} // namespace BPrivate
