#include <QtAlertPresenter.h>

#include "AlertDialog.h"
#include "GuiThread.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>
#include <vector>

using BPrivate::AlertDialog;
using BPrivate::GuiThread;

namespace {

// The dialogs that worker threads wait on, innermost last: those a closing
// program answers. Touched on the GUI thread only.
std::vector<QPointer<AlertDialog>>& OpenDialogs()
{
    static std::vector<QPointer<AlertDialog>> dialogs;
    return dialogs;
}

} // namespace

bool QtAlertPresenter::AnswersAtOnce() const
{
    return fClosing && !GuiThread::IsCurrent();
}

BAlertAnswer QtAlertPresenter::Ask(const BAlertRequest& request)
{
    BAlertAnswer answer;
    answer.button = request.defaultButton;
    answer.checkBox = request.checkBoxValue;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return answer;
    if (AnswersAtOnce())
        return alert_safe_answer(request);
    // On a worker thread this waits for the GUI thread, which runs the
    // dialog in a nested event loop and keeps everything else going.
    const bool fromWorker = !GuiThread::IsCurrent();
    GuiThread::Call([this, fromWorker, &request, &answer] {
        // The program may have begun to end while the call waited.
        if (fClosing && fromWorker) {
            answer = alert_safe_answer(request);
            return;
        }
        AlertDialog dialog(request, QApplication::activeWindow());
        if (fromWorker)
            OpenDialogs().push_back(&dialog);
        dialog.exec();
        auto& open = OpenDialogs();
        open.erase(std::remove(open.begin(), open.end(), QPointer<AlertDialog>(&dialog)), open.end());
        answer = dialog.Answer();
    });
    return answer;
}

status_t QtAlertPresenter::Notify(const BAlertRequest& request)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return B_NO_INIT;
    GuiThread::Post([request] {
        auto* dialog = new AlertDialog(request, QApplication::activeWindow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setModal(false);
        dialog->show();
    });
    return B_OK;
}

void QtAlertPresenter::BeginClosing()
{
    fClosing = true;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    GuiThread::Post([] {
        // Each dialog ends its own event loop; copies, as closing one
        // changes the list.
        const std::vector<QPointer<AlertDialog>> open = OpenDialogs();
        for (const QPointer<AlertDialog>& dialog : open) {
            if (dialog != nullptr)
                dialog->Dismiss(alert_safe_answer(dialog->Request()).button);
        }
    });
}
