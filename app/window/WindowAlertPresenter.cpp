#include "WindowAlertPresenter.h"

#include "ReplaceAlert.h"

BAlertAnswer WindowAlertPresenter::Ask(const BAlertRequest& request)
{
    if (!ReplaceAlert::CanShow(request))
        return QtAlertPresenter::Ask(request);
    // The dialog offers the check box when the question carries one.
    ReplaceAlert* alert = new ReplaceAlert(request, !request.checkBoxLabel.empty());
    return alert->Go();
}
