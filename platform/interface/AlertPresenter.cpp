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

BAlertAnswer alert_safe_answer(const BAlertRequest& request)
{
    static const char* const kSafeLabels[] = {"Don't Replace", "Later", "Restart Later", "Cancel", "No", "Skip"};
    BAlertAnswer answer;
    answer.button = 0;
    answer.checkBox = request.checkBoxValue;
    for (const char* label : kSafeLabels) {
        for (size_t i = 0; i < request.buttons.size(); i++) {
            if (request.buttons[i] == label) {
                answer.button = int32(i);
                return answer;
            }
        }
    }
    return answer;
}

BAlertPresenter* alert_presenter()
{
    BAlertPresenter* presenter = sPresenter.load();
    return presenter != nullptr ? presenter : DefaultPresenter();
}

void set_alert_presenter(BAlertPresenter* presenter)
{
    sPresenter.store(presenter);
}
