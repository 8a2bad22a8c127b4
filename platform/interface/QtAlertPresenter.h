// Presents alerts as modal dialogs in the platform's alert look. Any thread
// may ask: a worker thread blocks until the user answers while the GUI
// thread goes on painting and handling input; on the GUI thread the dialog
// runs its own event loop.
#pragma once

#include <AlertPresenter.h>

class QtAlertPresenter : public BAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest& request) override;
    status_t Notify(const BAlertRequest& request) override;
};
