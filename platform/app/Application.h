// BApplication: the program's application object and its message loop.
//
// There is one per program (be_app). Run() delivers the command line
// (B_ARGV_RECEIVED, when there are arguments) and B_READY_TO_RUN, then runs
// the loop in the calling thread, or hands it to the message pump set with
// SetMessagePump() (another event loop), and returns when the application
// has quit. The pulse (B_PULSE, Pulse()) comes every 500 ms by default;
// SetPulseRate(0) stops it.
#pragma once

#include <Looper.h>
#include <Messenger.h>

#include <atomic>
#include <memory>
#include <string>

class BPulseTimer;

class BApplication : public BLooper {
public:
    explicit BApplication(const char* signature);
    BApplication(const char* signature, status_t* error);
    virtual ~BApplication();

    status_t InitCheck() const;
    const char* Signature() const;

    thread_id Run() override;
    void Quit() override;
    // Asks every window (looper marked to quit with the application) to
    // quit and quits them; false when one refuses.
    bool QuitRequested() override;

    virtual void ReadyToRun();
    virtual void ArgvReceived(int32 argc, char** argv);
    virtual void RefsReceived(BMessage* message);
    virtual void AboutRequested();
    virtual void AppActivated(bool active);
    virtual void Pulse();

    void DispatchMessage(BMessage* message, BHandler* handler) override;
    void MessageReceived(BMessage* message) override;

    void SetPulseRate(bigtime_t rate);
    bigtime_t PulseRate() const;

    // The pointer shown over all the application's windows, as cursor data
    // (B_HAND_CURSOR for the usual pointer). The interface kit carries it
    // out; without windows nothing happens.
    void SetCursor(const void* cursor);
    // For the interface kit: the function that shows a cursor.
    static void _SetCursorHandler(void (*handler)(const void* cursor));

    // True until ReadyToRun() has been called.
    bool IsLaunching() const;
    // True from the moment the application starts to quit (extension):
    // windows asked to quit then know that the whole program ends.
    bool IsQuitting() const;

protected:
    void _LoopEnded() override;

private:
    void _Init(const char* signature, status_t* error);
    bool _QuitAllWindows(bool force);
    void _PostCommandLine();
    void _ArgvReceived(BMessage* message);

    std::string fSignature;
    status_t fInitStatus;
    std::unique_ptr<BPulseTimer> fPulse;
    std::atomic<bool> fPulsePending;
    std::atomic<bool> fLaunching;
    std::atomic<bool> fQuitting;
    bool fReadyToRunCalled;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;
