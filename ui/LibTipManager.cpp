#include "LibTipManager.h"

#include <Point.h>

LibTipManager::LibTipManager(LibTipHost& host)
    : fHost(host),
      fHasWindow(false),
      fShowTips(true),
      fStartDelay(kDefaultStartDelay),
      fEndDelay(kDefaultEndDelay),
      fPending(false)
{
}

LibTipManager::~LibTipManager() = default;

void LibTipManager::MessageReceived(BMessage* message)
{
    if (message == nullptr)
        return;
    if (message->what == kLibTipToggle)
        ToggleTips();
    else if (message->what == kLibTipRequest)
        HandleRequest(*message);
}

void LibTipManager::HandleRequest(const BMessage& message)
{
    // While tips are off every request is ignored, hide requests too: a tip
    // already up goes by its end delay or when its window loses activation.
    if (!fShowTips)
        return;
    if (!fHasWindow) {
        fHost.CreateTipWindow();
        fHasWindow = true;
    }

    bool show = false;
    if (message.FindBool("show", &show) != B_OK)
        show = false;
    if (!show) {
        fHost.HideTipWindow();
        fPending = false;
        fHost.SetAppPulseRate(0);
        return;
    }

    int32 width = 0;
    if (message.FindInt32("width", &width) != B_OK)
        width = 0;
    const char* text = nullptr;
    if (message.FindString("tip", &text) != B_OK || text == nullptr)
        text = "";
    fHost.SetTipText(text, width);
    BPoint where;
    if (message.FindPoint("loc", &where) == B_OK)
        fHost.MoveTipWindow(where);

    int16 delay = 0;
    fStartDelay = message.FindInt16("sdelay", &delay) == B_OK ? delay : kDefaultStartDelay;
    fEndDelay = message.FindInt16("edelay", &delay) == B_OK ? delay : kDefaultEndDelay;
    // Negative delays make no sense as times; they count as "at once" and
    // "until hidden".
    if (fStartDelay < 0)
        fStartDelay = 0;
    if (fEndDelay < 0)
        fEndDelay = 0;
    fPending = true;
    fHost.SetAppPulseRate(fStartDelay * kSecond);
    if (fStartDelay == 0)
        ShowNow();
}

void LibTipManager::PostPending()
{
    if (fPending)
        ShowNow();
}

void LibTipManager::ShowNow()
{
    fHost.PopTipWindow();
    fHost.SetTipPulseRate(fEndDelay * kSecond);
    fPending = false;
}

void LibTipManager::ToggleTips()
{
    fShowTips = !fShowTips;
}

void LibTipManager::SetShowTips(const bool& show)
{
    fShowTips = show;
}
