#include "GuiThread.h"

#include <ThreadWaitMark.h>

#include "FontEngine.h"
#include "QtMessagePump.h"

#include <Application.h>
#include <Cursor.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <InterfaceKit.h>

#include <QApplication>
#include <QFontInfo>
#include <QPalette>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

namespace BPrivate {

namespace {

QColor QtColor(color_which which)
{
    const rgb_color color = ui_color(which);
    return QColor(color.red, color.green, color.blue);
}

// The platform's look on top of Qt's plain Fusion style: panel grey, black
// text, the plain font for every control.
void ApplyLook(QApplication* application)
{
    static bool applied = false;
    if (applied)
        return;
    applied = true;
    if (QStyle* style = QStyleFactory::create("Fusion"))
        application->setStyle(style);
    QPalette palette;
    const QColor panel = QtColor(B_PANEL_BACKGROUND_COLOR);
    palette.setColor(QPalette::Window, panel);
    palette.setColor(QPalette::Button, panel);
    palette.setColor(QPalette::Base, QtColor(B_DOCUMENT_BACKGROUND_COLOR));
    palette.setColor(QPalette::AlternateBase, panel);
    palette.setColor(QPalette::WindowText, QtColor(B_PANEL_TEXT_COLOR));
    palette.setColor(QPalette::ButtonText, QtColor(B_CONTROL_TEXT_COLOR));
    palette.setColor(QPalette::Text, QtColor(B_DOCUMENT_TEXT_COLOR));
    palette.setColor(QPalette::Highlight, QtColor(B_LIST_SELECTED_BACKGROUND_COLOR));
    palette.setColor(QPalette::HighlightedText, QtColor(B_DOCUMENT_TEXT_COLOR));
    palette.setColor(QPalette::ToolTipBase, QtColor(B_TOOL_TIP_BACKGROUND_COLOR));
    palette.setColor(QPalette::ToolTipText, QtColor(B_TOOL_TIP_TEXT_COLOR));
    const QColor disabled = QColor(128, 128, 128);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    application->setPalette(palette);
    // The application's font is still the desktop's here. Against Qt's own
    // default (9 points at 96 dots per inch, 12 pixels: a desktop that sets
    // no font) its size scales every font of the program; a desktop with a
    // larger font gets larger texts, a smaller one keeps the platform's.
    constexpr float kUsualDesktopPixels = 12;
    const int desktopPixels = QFontInfo(application->font()).pixelSize();
    FontEngine::SetDesktopScale(float(desktopPixels) / kUsualDesktopPixels);
    application->setFont(FontEngine::QtFontOf(*be_plain_font));
}

// The application object made here (none when the program made its own).
// It must go before the program's static objects and Qt's own do (see
// interface_shutdown): ending the program with it alive crashes in its
// destructor.
std::unique_ptr<QApplication>& OwnApplication()
{
    static std::unique_ptr<QApplication> application;
    return application;
}

// Lets be_app run Qt's event loop, unless it runs already.
void AdoptApplication()
{
    if (be_app == nullptr || be_app->Thread() >= 0)
        return;
    BMessagePump* pump = BQtMessagePump::Default();
    if (be_app->MessagePump() != pump)
        be_app->SetMessagePump(pump);
}

// The handler that was in place while the application object is made.
QtMessageHandler& HandlerBeforeApplication()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

// Qt ends the program when no platform plugin can be loaded for the
// display, with a message about plugins that tells a user nothing they can
// act on; this adds what happened in plain words and how to install without
// a window.
void ApplicationMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && message.contains(QStringLiteral("platform plugin")))
        std::fprintf(stderr,
            "The window cannot open: the display support (Qt platform plugin) could not be loaded on "
            "this system.\nTo install without a window, start the installer with --unattended "
            "(--help lists its options).\n");
    if (QtMessageHandler previous = HandlerBeforeApplication())
        previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

void GuiThread::EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        if (!interface_has_display() && std::getenv("QT_QPA_PLATFORM") == nullptr)
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Qt keeps references to argc and argv for the application's life.
        static int argc = 1;
        static char name[] = "ondelle";
        static char* argv[] = {name, nullptr};
        HandlerBeforeApplication() = qInstallMessageHandler(ApplicationMessage);
        OwnApplication() = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(HandlerBeforeApplication());
    }
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr) {
        std::fprintf(stderr, "interface kit: the program made a Qt application without widgets; "
            "windows cannot be shown\n");
        return;
    }
    application->setQuitOnLastWindowClosed(false);
    ApplyLook(application);
    BApplication::_SetCursorHandler([](const void* data) {
        if (data == B_HAND_CURSOR || data == nullptr) {
            set_application_cursor(nullptr);
        } else {
            const BCursor cursor(data);
            set_application_cursor(&cursor);
        }
    });
    if (IsCurrent()) {
        BQtMessagePump::Default();
        AdoptApplication();
    }
}

bool GuiThread::IsCurrent()
{
    QCoreApplication* application = QCoreApplication::instance();
    return application == nullptr || QThread::currentThread() == application->thread();
}

void GuiThread::Call(const std::function<void()>& work)
{
    if (IsCurrent()) {
        work();
        return;
    }
    // The caller waits for the GUI thread (a dialog's answer, say): a kill
    // meanwhile need not wait for it to reach a stop point.
    ThreadWaitMark mark(B_THREAD_WAITING);
    // The wait ends when the posted work is gone: run, or dropped unrun by
    // an application that ended first. The end is told through a lock of
    // ours, which orders everything the work did before the caller goes on.
    struct Completion {
        std::mutex lock;
        std::condition_variable ended;
        bool done = false;
    } completion;
    struct EndSignal {
        Completion& completion;
        ~EndSignal()
        {
            std::lock_guard lock(completion.lock);
            completion.done = true;
            completion.ended.notify_all();
        }
    };
    // Shared, not copied: the signal is given once, by the last owner.
    std::shared_ptr<EndSignal> signal(new EndSignal{completion});
    Post([&work, signal = std::move(signal)] { work(); });
    std::unique_lock lock(completion.lock);
    completion.ended.wait(lock, [&completion] { return completion.done; });
}

void GuiThread::Post(std::function<void()> work)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
        return;
#if defined(__SANITIZE_THREAD__)
    // Qt's queue orders a post before its delivery with a lock on a futex
    // that ThreadSanitizer does not see. Under the sanitizer the same order
    // also goes through a lock it does see: the post is made while holding
    // it, and the delivery takes it before it touches the work.
    static std::mutex postLock;
    std::lock_guard posting(postLock);
    QMetaObject::invokeMethod(application, [work = std::move(work)] {
        { std::lock_guard delivered(postLock); }
        work();
    }, Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
#endif
}

void GuiThread::PostDelayed(int milliseconds, std::function<void()> work)
{
    Post([milliseconds, work = std::move(work)]() mutable {
        QTimer::singleShot(milliseconds, QCoreApplication::instance(), std::move(work));
    });
}

QObject* GuiThread::Context()
{
    return QCoreApplication::instance();
}

} // namespace BPrivate

bool interface_has_display()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && (std::strcmp(platform, "offscreen") == 0 || std::strcmp(platform, "minimal") == 0))
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

status_t interface_init(bool display)
{
    if (QCoreApplication::instance() != nullptr && !BPrivate::GuiThread::IsCurrent())
        return B_NOT_ALLOWED;
    if (!display && QCoreApplication::instance() == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    BPrivate::GuiThread::EnsureApplication();
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr ? B_OK : B_ERROR;
}

void interface_shutdown()
{
    if (BPrivate::GuiThread::IsCurrent())
        BPrivate::OwnApplication().reset();
}
