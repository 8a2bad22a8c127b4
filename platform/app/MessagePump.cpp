#include <MessagePump.h>

#include <Looper.h>

BMessagePump::~BMessagePump()
{
}

namespace {

int32 LooperThreadEntry(void* data)
{
    static_cast<BLooper*>(data)->_RunLoop();
    return 0;
}

} // namespace

thread_id BThreadMessagePump::Start(BLooper* looper)
{
    const char* name = looper->Name();
    thread_id thread = spawn_thread(LooperThreadEntry, name != nullptr ? name : "BLooper",
        looper->_InitialPriority(), looper);
    if (thread < 0)
        return thread;
    // The thread cannot dispatch before Run() has released the looper's
    // lock, so it may start at once.
    status_t status = resume_thread(thread);
    return status == B_OK ? thread : status;
}

void BThreadMessagePump::Run(BLooper* looper)
{
    looper->_RunLoop();
}

void BThreadMessagePump::MessagesWaiting(BLooper*)
{
    // The looper's thread waits on its queue and wakes by itself.
}

void BThreadMessagePump::Stopped(BLooper*)
{
}

BThreadMessagePump* BThreadMessagePump::Default()
{
    static BThreadMessagePump* pump = new BThreadMessagePump();
    return pump;
}
