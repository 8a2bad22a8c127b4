// The thread that owns every widget: Qt's GUI thread. Code of the interface
// kit that touches a widget from another thread hands the work over to it
// here. Only the platform layer includes this header.
#pragma once

#include <OS.h>

#include <functional>

class QObject;

namespace BPrivate {

class GuiThread {
public:
    // Makes sure Qt's widget application object exists: creates it when
    // there is none yet (on the offscreen platform when this session has
    // no display), and lets be_app run Qt's event loop when it has not
    // started yet. Call it first from the main thread.
    static void EnsureApplication();

    // True when the calling thread is the thread of Qt's application object
    // (or no application object exists yet).
    static bool IsCurrent();

    // Runs work on the GUI thread and waits until it is done; runs it at
    // once when called on the GUI thread.
    static void Call(const std::function<void()>& work);

    // Queues work to run on the GUI thread later, in posting order.
    static void Post(std::function<void()> work);

    // Queues work to run on the GUI thread after a delay.
    static void PostDelayed(int milliseconds, std::function<void()> work);

    // An object that lives on the GUI thread, for queued calls.
    static QObject* Context();
};

} // namespace BPrivate
