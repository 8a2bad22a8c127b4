#include <ScriptedAlertPresenter.h>

void ScriptedAlertPresenter::Script(int32 button, bool checkBox)
{
    std::lock_guard<std::mutex> guard(fLock);
    fScript.push_back(BAlertAnswer{button, checkBox});
}

BAlertAnswer ScriptedAlertPresenter::Ask(const BAlertRequest& request)
{
    std::lock_guard<std::mutex> guard(fLock);
    fQuestions.push_back(request);
    if (fScript.empty()) {
        fUnexpected++;
        return BAlertAnswer{request.defaultButton, request.checkBoxValue};
    }
    const BAlertAnswer answer = fScript.front();
    fScript.pop_front();
    return answer;
}

status_t ScriptedAlertPresenter::Notify(const BAlertRequest& request)
{
    std::lock_guard<std::mutex> guard(fLock);
    fNotices.push_back(request);
    return B_OK;
}

std::vector<BAlertRequest> ScriptedAlertPresenter::Questions() const
{
    std::lock_guard<std::mutex> guard(fLock);
    return fQuestions;
}

std::vector<BAlertRequest> ScriptedAlertPresenter::Notices() const
{
    std::lock_guard<std::mutex> guard(fLock);
    return fNotices;
}

int32 ScriptedAlertPresenter::UnexpectedCount() const
{
    std::lock_guard<std::mutex> guard(fLock);
    return fUnexpected;
}

size_t ScriptedAlertPresenter::PendingAnswers() const
{
    std::lock_guard<std::mutex> guard(fLock);
    return fScript.size();
}
