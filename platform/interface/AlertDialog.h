// The dialog of a platform alert on Qt: a darker stripe on the left with the
// alert type's icon, the text, an optional table of facts and check box, and
// up to three buttons aligned to the right, the default one rightmost by
// convention. Each button's shortcut key presses it; Enter presses the
// default button. Only the platform layer includes this.
#pragma once

#include <AlertPresenter.h>

#include <QDialog>

#include <vector>

class QCheckBox;
class QPushButton;

namespace BPrivate {

class AlertDialog : public QDialog {
public:
    explicit AlertDialog(const BAlertRequest& request, QWidget* parent = nullptr);

    // The answer once the dialog is done: the pressed button (the default
    // one when the dialog was closed otherwise) and the check box.
    BAlertAnswer Answer() const;
    QPushButton* Button(int32 index) const;
    const BAlertRequest& Request() const { return fRequest; }
    // Closes the dialog as if button had been pressed, without the user.
    void Dismiss(int32 button);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    BAlertRequest fRequest;
    std::vector<QPushButton*> fButtons;
    QCheckBox* fCheckBox = nullptr;
    int32 fPressed = -1;
};

} // namespace BPrivate
