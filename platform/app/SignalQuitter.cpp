#include <SignalQuitter.h>

#include <Message.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's writing end for the handler; -1 when no quitter lives.
std::atomic<int> sWriteEnd{-1};

void SignalArrived(int signal)
{
    const int saved = errno;
    const int fd = sWriteEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        // A full pipe already carries enough requests.
        [[maybe_unused]] ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

SignalQuitter::SignalQuitter(const BMessenger& target)
    : fTarget(target)
{
    if (::pipe2(fPipe, O_CLOEXEC) != 0)
        return;
    ::fcntl(fPipe[1], F_SETFL, O_NONBLOCK);
    int expected = -1;
    if (!sWriteEnd.compare_exchange_strong(expected, fPipe[1])) {
        ::close(fPipe[0]);
        ::close(fPipe[1]);
        fPipe[0] = fPipe[1] = -1;
        return;
    }
    fThread = std::thread([this] { _Watch(); });
    struct sigaction action = {};
    action.sa_handler = SignalArrived;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; i++)
        sigaction(kSignals[i], &action, &fPrevious[i]);
    fActive = true;
}

SignalQuitter::~SignalQuitter()
{
    if (fPipe[0] < 0)
        return;
    if (fActive) {
        for (int i = 0; i < kSignalCount; i++)
            sigaction(kSignals[i], &fPrevious[i], nullptr);
    }
    sWriteEnd.store(-1);
    // Closing the writing end ends the watching thread's read.
    ::close(fPipe[1]);
    if (fThread.joinable())
        fThread.join();
    ::close(fPipe[0]);
}

void SignalQuitter::_Watch()
{
    while (true) {
        unsigned char byte = 0;
        const ssize_t got = ::read(fPipe[0], &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        BMessage quit(B_QUIT_REQUESTED);
        quit.AddString("cause", "signal");
        quit.AddInt32("signal", int32(byte));
        fTarget.SendMessage(&quit);
    }
}
