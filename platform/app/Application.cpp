#include <Application.h>

#include <Message.h>
#include <MessagePump.h>
#include <PulseTimer.h>

#include "HandlerRegistry.h"
#include "LooperLock.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <strings.h>
#include <unistd.h>
#include <vector>

using BPrivate::HandlerRegistry;

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

namespace {

const bigtime_t kDefaultPulseRate = 500000;

// Set once by the interface kit when it starts.
std::atomic<void (*)(const void*)> sCursorHandler{nullptr};

// The program's own arguments, as Linux recorded them.
std::vector<std::string> CommandLine()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos)
            end = text.size();
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

} // namespace

BApplication::BApplication(const char* signature)
    :
    BLooper(signature)
{
    _Init(signature, nullptr);
}

BApplication::BApplication(const char* signature, status_t* error)
    :
    BLooper(signature)
{
    _Init(signature, error);
}

void BApplication::_Init(const char* signature, status_t* error)
{
    fSignature = signature != nullptr ? signature : "";
    fInitStatus = B_OK;
    fPulsePending = false;
    fLaunching = true;
    fQuitting = false;
    fReadyToRunCalled = false;

    if (signature == nullptr || strncasecmp(signature, "application/", 12) != 0
        || signature[12] == '\0') {
        std::fprintf(stderr, "BApplication: signature \"%s\" must begin with \"application/\"\n",
            fSignature.c_str());
        fInitStatus = B_BAD_VALUE;
    }
    if (be_app != nullptr) {
        std::fprintf(stderr, "BApplication: only one application object may exist\n");
        fInitStatus = B_ALREADY_RUNNING;
    } else {
        be_app = this;
        be_app_messenger = BMessenger(nullptr, this);
    }
    if (error != nullptr)
        *error = fInitStatus;

    fPulse = std::make_unique<BPulseTimer>([this] {
        // At most one pulse waits in the queue: a slow application gets no
        // burst of pulses afterwards.
        if (!fPulsePending.exchange(true))
            PostMessage(B_PULSE);
    });
    fPulse->SetRate(kDefaultPulseRate);
}

BApplication::~BApplication()
{
    fPulse.reset();
    fQuitting = true;
    _QuitAllWindows(true);
    if (be_app == this) {
        be_app = nullptr;
        be_app_messenger = BMessenger();
    }
}

status_t BApplication::InitCheck() const
{
    return fInitStatus;
}

const char* BApplication::Signature() const
{
    return fSignature.c_str();
}

thread_id BApplication::Run()
{
    if (fRunCalled) {
        std::fprintf(stderr, "BApplication::Run() called twice\n");
        return Thread();
    }
    if (!IsLocked() && !Lock())
        return B_ERROR;
    fRunCalled = true;
    fThread = find_thread(nullptr);
    _PostCommandLine();
    PostMessage(B_READY_TO_RUN);
    Unlock();
    // Quit() before Run() leaves nothing to run.
    if (fTerminating)
        return Thread();
    MessagePump()->Run(this);
    return Thread();
}

void BApplication::_PostCommandLine()
{
    std::vector<std::string> arguments = CommandLine();
    if (arguments.size() <= 1)
        return;
    BMessage message(B_ARGV_RECEIVED);
    message.AddInt32("argc", int32(arguments.size()));
    for (const std::string& argument : arguments)
        message.AddString("argv", argument.c_str());
    char cwd[4096];
    if (::getcwd(cwd, sizeof(cwd)) != nullptr)
        message.AddString("cwd", cwd);
    PostMessage(&message);
}

void BApplication::Quit()
{
    bool unlock = false;
    if (!IsLocked()) {
        if (!Lock())
            return;
        unlock = true;
    }
    fQuitting = true;
    if (!fRunCalled) {
        fTerminating = true;
    } else if (find_thread(nullptr) == Thread() && fDispatching) {
        fTerminating = true;
    } else {
        // The loop ends when it reaches this; the application object stays
        // for its owner to delete.
        _PostQuit();
    }
    if (unlock)
        Unlock();
}

bool BApplication::QuitRequested()
{
    return _QuitAllWindows(false);
}

bool BApplication::_QuitAllWindows(bool force)
{
    bool wasQuitting = fQuitting;
    fQuitting = true;
    std::vector<std::pair<BLooper*, int32>> windows;
    {
        std::lock_guard lock(HandlerRegistry::Default().Mutex());
        for (BLooper* looper : HandlerRegistry::Default().Loopers()) {
            if (looper != this && looper->QuitsWithApplication())
                windows.emplace_back(looper, looper->Token());
        }
    }
    for (auto& [looper, token] : windows) {
        if (BLooper::_LockLooperIfAlive(looper, token, B_INFINITE_TIMEOUT) != B_OK)
            continue;
        if (!force && !looper->QuitRequested()) {
            looper->Unlock();
            fQuitting = wasQuitting;
            return false;
        }
        looper->Quit();
    }
    return true;
}

void BApplication::_LoopEnded()
{
    // Run() returns; the owner deletes the application.
}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
    if (handler != this) {
        BLooper::DispatchMessage(message, handler);
        return;
    }
    switch (message->what) {
        case B_ARGV_RECEIVED:
            _ArgvReceived(message);
            break;
        case B_REFS_RECEIVED:
            RefsReceived(message);
            break;
        case B_READY_TO_RUN:
            if (!fReadyToRunCalled) {
                fReadyToRunCalled = true;
                ReadyToRun();
            }
            fLaunching = false;
            break;
        case B_ABOUT_REQUESTED:
            AboutRequested();
            break;
        case B_PULSE:
            fPulsePending = false;
            Pulse();
            break;
        case B_APP_ACTIVATED: {
            bool active;
            if (message->FindBool("active", &active) == B_OK)
                AppActivated(active);
            else
                MessageReceived(message);
            break;
        }
        case B_QUIT_REQUESTED:
            if (QuitRequested())
                Quit();
            break;
        default:
            MessageReceived(message);
            break;
    }
}

void BApplication::_ArgvReceived(BMessage* message)
{
    std::vector<std::string> arguments;
    const char* argument;
    for (int32 i = 0; message->FindString("argv", i, &argument) == B_OK; i++)
        arguments.emplace_back(argument);
    std::vector<char*> argv;
    for (std::string& text : arguments)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    ArgvReceived(int32(arguments.size()), argv.data());
}

void BApplication::MessageReceived(BMessage* message)
{
    BLooper::MessageReceived(message);
}

void BApplication::ReadyToRun()
{
}

void BApplication::ArgvReceived(int32, char**)
{
}

void BApplication::RefsReceived(BMessage*)
{
}

void BApplication::AboutRequested()
{
}

void BApplication::AppActivated(bool)
{
}

void BApplication::Pulse()
{
}

void BApplication::SetPulseRate(bigtime_t rate)
{
    fPulse->SetRate(rate);
}

bigtime_t BApplication::PulseRate() const
{
    return fPulse->Rate();
}

bool BApplication::IsLaunching() const
{
    return fLaunching;
}

bool BApplication::IsQuitting() const
{
    return fQuitting;
}

void BApplication::SetCursor(const void* cursor)
{
    if (auto handler = sCursorHandler.load())
        handler(cursor);
}

void BApplication::_SetCursorHandler(void (*handler)(const void* cursor))
{
    sCursorHandler = handler;
}
