// A presenter for tests: answers questions from a script, in order, and
// records every request (text, buttons, type, kind, facts). A question
// without a scripted answer takes the default button and is counted as
// unexpected, so a test can fail on questions it did not foresee.
#pragma once

#include <AlertPresenter.h>

#include <deque>
#include <mutex>
#include <vector>

class ScriptedAlertPresenter : public BAlertPresenter {
public:
    // Queues the answer for the next question (notices take no answers).
    void Script(int32 button, bool checkBox = false);

    BAlertAnswer Ask(const BAlertRequest& request) override;
    status_t Notify(const BAlertRequest& request) override;

    // Copies, so a test may read them while another thread still asks.
    std::vector<BAlertRequest> Questions() const;
    std::vector<BAlertRequest> Notices() const;
    int32 UnexpectedCount() const;
    size_t PendingAnswers() const;

private:
    mutable std::mutex fLock;
    std::deque<BAlertAnswer> fScript;
    std::vector<BAlertRequest> fQuestions;
    std::vector<BAlertRequest> fNotices;
    int32 fUnexpected = 0;
};
