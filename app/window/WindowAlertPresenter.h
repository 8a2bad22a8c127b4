// The alert presenter of the installer's window program: the install job's
// replace question ("replace") goes to ReplaceAlert, every other question
// and notice to the platform's Qt dialogs. Closing answers an open replace
// question with "Don't Replace" as well.
#pragma once

#include <Messenger.h>
#include <QtAlertPresenter.h>

#include <mutex>
#include <string>

class WindowAlertPresenter : public QtAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest& request) override;
    status_t Notify(const BAlertRequest& request) override;
    void BeginClosing() override;

    // The window title of every later alert (the product's name); empty
    // keeps each request's own title.
    void SetTitle(const std::string& title);

private:
    BAlertRequest _Titled(const BAlertRequest& request);

    std::mutex fLock;
    std::string fTitle;
    // The replace dialog open now, if any.
    BMessenger fReplaceAlert;
};
