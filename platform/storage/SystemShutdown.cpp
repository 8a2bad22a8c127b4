#include <SystemShutdown.h>

#include <Process.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// How long the login manager may take to answer.
constexpr int kBusTimeoutMs = 10000;

// Qt's bus connections expect an application object; a program without one
// (the unattended installer) gets a core application for the call.
class CoreApplicationScope {
public:
    CoreApplicationScope()
    {
        if (QCoreApplication::instance() == nullptr)
            fApplication = std::make_unique<QCoreApplication>(fArgc, fArgv);
    }

private:
    int fArgc = 1;
    char fName[8] = "ondelle";
    char* fArgv[2] = {fName, nullptr};
    std::unique_ptr<QCoreApplication> fApplication;
};

status_t CallLogind(const std::string& method)
{
    CoreApplicationScope scope;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return B_ERROR;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QString::fromStdString(method));
    // interactive = false: the user's own rights decide, nobody is asked.
    call << false;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return B_OK;
    std::fprintf(stderr, "The login manager refused to %s: %s\n", method == "Reboot" ? "restart" : "power off",
        reply.errorMessage().toLocal8Bit().constData());
    return B_NOT_ALLOWED;
}

status_t RunAndWait(const std::vector<std::string>& args)
{
    process_result result;
    const status_t status = run_process(args, process_options{}, &result);
    if (status != B_OK)
        return status;
    return result.exitCode == 0 ? B_OK : B_ERROR;
}

} // namespace

shutdown_services system_shutdown_services()
{
    return shutdown_services{CallLogind, RunAndWait};
}

status_t request_system_shutdown(bool restart, const shutdown_services& services)
{
    status_t status = B_ERROR;
    if (services.callLoginManager) {
        status = services.callLoginManager(restart ? "Reboot" : "PowerOff");
        if (status == B_OK)
            return B_OK;
    }
    if (services.runProgram)
        status = services.runProgram({"systemctl", restart ? "reboot" : "poweroff"});
    return status;
}

status_t system_shutdown(bool restart)
{
    const char* sandbox = std::getenv("ONDELLE_SANDBOX");
    if (sandbox != nullptr && sandbox[0] != '\0') {
        const std::string path = std::string(sandbox) + "/shutdown-requests";
        FILE* file = std::fopen(path.c_str(), "a");
        if (file == nullptr)
            return status_from_errno(errno);
        std::fputs(restart ? "restart\n" : "shutdown\n", file);
        std::fclose(file);
        return B_OK;
    }
    return request_system_shutdown(restart, system_shutdown_services());
}
