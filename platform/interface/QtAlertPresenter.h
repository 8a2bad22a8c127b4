// Presents alerts as modal dialogs in the platform's alert look. Any thread
// may ask: a worker thread blocks until the user answers while the GUI
// thread goes on painting and handling input; on the GUI thread the dialog
// runs its own event loop.
//
// When the program ends, BeginClosing() closes every open dialog with its
// safe answer (alert_safe_answer()) and from then on answers the questions
// of worker threads at once the same way: an ending program never waits for
// an answer nobody will give, and no dialog is left under another.
#pragma once

#include <AlertPresenter.h>

#include <atomic>

class QtAlertPresenter : public BAlertPresenter {
public:
    BAlertAnswer Ask(const BAlertRequest& request) override;
    status_t Notify(const BAlertRequest& request) override;

    // Any thread may call it; the dialogs close on the GUI thread soon
    // after (not before this returns: a dialog's own event loop may be
    // what runs the caller).
    virtual void BeginClosing();
    bool IsClosing() const { return fClosing; }

protected:
    // True when a question must be answered at once: the program is ending
    // and the caller is not the GUI thread.
    bool AnswersAtOnce() const;

private:
    std::atomic<bool> fClosing{false};
};
