#include <AlertPresenter.h>
#include <ConsoleAlertPresenter.h>

#include <atomic>
#include <cstdio>

namespace {

// The application's presenter is the one piece of process-wide state here,
// as the platform's alerts all go to the one display server.
std::atomic<BAlertPresenter*> sPresenter{nullptr};

BAlertPresenter* DefaultPresenter()
{
    static ConsoleAlertPresenter presenter(stderr, nullptr);
    return &presenter;
}

} // namespace

BAlertPresenter* alert_presenter()
{
    BAlertPresenter* presenter = sPresenter.load();
    return presenter != nullptr ? presenter : DefaultPresenter();
}

void set_alert_presenter(BAlertPresenter* presenter)
{
    sPresenter.store(presenter);
}
