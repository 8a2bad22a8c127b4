#include <QtAlertPresenter.h>

#include "AlertDialog.h"
#include "GuiThread.h"

#include <QApplication>
#include <QPointer>

using BPrivate::AlertDialog;
using BPrivate::GuiThread;

BAlertAnswer QtAlertPresenter::Ask(const BAlertRequest& request)
{
    BAlertAnswer answer;
    answer.button = request.defaultButton;
    answer.checkBox = request.checkBoxValue;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return answer;
    // On a worker thread this waits for the GUI thread, which runs the
    // dialog in a nested event loop and keeps everything else going.
    GuiThread::Call([&request, &answer] {
        AlertDialog dialog(request, QApplication::activeWindow());
        dialog.exec();
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
