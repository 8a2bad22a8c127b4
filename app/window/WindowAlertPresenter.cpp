#include "WindowAlertPresenter.h"

#include "ReplaceAlert.h"

#include <Message.h>

void WindowAlertPresenter::SetTitle(const std::string& title)
{
    std::lock_guard<std::mutex> guard(fLock);
    fTitle = title;
}

BAlertRequest WindowAlertPresenter::_Titled(const BAlertRequest& request)
{
    BAlertRequest titled = request;
    std::lock_guard<std::mutex> guard(fLock);
    if (!fTitle.empty())
        titled.title = fTitle;
    return titled;
}

status_t WindowAlertPresenter::Notify(const BAlertRequest& request)
{
    return QtAlertPresenter::Notify(_Titled(request));
}

BAlertAnswer WindowAlertPresenter::Ask(const BAlertRequest& untitled)
{
    const BAlertRequest request = _Titled(untitled);
    if (!ReplaceAlert::CanShow(request))
        return QtAlertPresenter::Ask(request);
    if (AnswersAtOnce())
        return alert_safe_answer(request);
    // The dialog offers the check box when the question carries one.
    ReplaceAlert* alert = new ReplaceAlert(request, !request.checkBoxLabel.empty());
    {
        std::lock_guard<std::mutex> guard(fLock);
        fReplaceAlert = BMessenger(alert);
        // Closing may have begun while the dialog was made.
        if (IsClosing())
            fReplaceAlert.SendMessage(B_QUIT_REQUESTED);
    }
    const BAlertAnswer answer = alert->Go();
    std::lock_guard<std::mutex> guard(fLock);
    fReplaceAlert = BMessenger();
    return answer;
}

void WindowAlertPresenter::BeginClosing()
{
    QtAlertPresenter::BeginClosing();
    // Closing the replace dialog keeps the existing entry.
    std::lock_guard<std::mutex> guard(fLock);
    if (fReplaceAlert.IsValid())
        fReplaceAlert.SendMessage(B_QUIT_REQUESTED);
}
