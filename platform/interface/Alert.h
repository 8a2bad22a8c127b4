// The platform's modal alert: a text with one to three buttons, run either
// synchronously (Go() returns the index of the pressed button) or without
// waiting. It is presented by the installed BAlertPresenter.
#pragma once

#include <AlertPresenter.h>

enum button_width {
    B_WIDTH_AS_USUAL,
    B_WIDTH_FROM_WIDEST,
    B_WIDTH_FROM_LABEL
};

class BAlert {
public:
    BAlert(const char* title, const char* text, const char* button1, const char* button2 = nullptr,
        const char* button3 = nullptr, button_width width = B_WIDTH_AS_USUAL, alert_type type = B_INFO_ALERT);

    void SetShortcut(int32 index, char key);
    void SetKind(const char* kind);
    void SetDefaultButton(int32 index);
    void AddFact(const char* label, const char* value);
    void SetCheckBox(const char* label, bool value);

    int32 CountButtons() const { return int32(fRequest.buttons.size()); }
    const BAlertRequest& Request() const { return fRequest; }

    // Blocks until answered; returns the pressed button's index.
    int32 Go();
    // Blocks until answered; also gives the check box's final state.
    BAlertAnswer Ask();
    // Shows the alert and returns at once with the status of showing it.
    status_t GoNoWait();

private:
    BAlertRequest fRequest;
};
