// The alert presenter of the installer's window program: the install job's
// replace question ("replace") goes to ReplaceAlert, every other question
// and notice to the platform's Qt dialogs.
#pragma once

#include <QtAlertPresenter.h>

class WindowAlertPresenter : public QtAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest& request) override;
};
