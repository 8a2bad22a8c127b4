// The alert presenter of the installer's window program: the install job's
// replace question ("replace") goes to ReplaceAlert, every other question
// and notice to the platform's Qt dialogs. Closing answers an open replace
// question with "Don't Replace" as well.
#pragma once

#include <Messenger.h>
#include <QtAlertPresenter.h>

#include <mutex>

class WindowAlertPresenter : public QtAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest& request) override;
    void BeginClosing() override;

private:
    std::mutex fLock;
    // The replace dialog open now, if any.
    BMessenger fReplaceAlert;
};
