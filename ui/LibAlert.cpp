#include <LibAlert.h>

#include <Alert.h>

#include <cstdarg>
#include <cstdio>

namespace {

// Longest text an alert function shows; longer output is cut there.
constexpr size_t kAlertTextSize = 512;

BAlert* MakeAlert(alert_type type, const char* format, va_list args)
{
    char text[kAlertTextSize];
    text[0] = '\0';
    if (format != nullptr)
        std::vsnprintf(text, sizeof(text), format, args);
    auto* alert = new BAlert("", text, "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, type);
    alert->SetShortcut(0, 'O');
    return alert;
}

int32 RunAlert(alert_type type, const char* format, va_list args)
{
    BAlert* alert = MakeAlert(type, format, args);
    const int32 result = alert->Go();
    delete alert;
    return result;
}

} // namespace

int32 LibError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int32 result = RunAlert(B_STOP_ALERT, format, args);
    va_end(args);
    return result;
}

int32 LibInfo(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    RunAlert(B_INFO_ALERT, format, args);
    va_end(args);
    return 0;
}

int32 LibInfoNoWait(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    BAlert* alert = MakeAlert(B_INFO_ALERT, format, args);
    va_end(args);
    const status_t status = alert->GoNoWait();
    delete alert;
    return status;
}

int32 LibWarning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    RunAlert(B_WARNING_ALERT, format, args);
    va_end(args);
    return 0;
}
