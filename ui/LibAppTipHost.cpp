#include "LibAppTipHost.h"

#include "LibTipWin.h"

#include <Application.h>

LibAppTipHost::LibAppTipHost(BApplication* app)
    :
    fApp(app),
    fWindow(nullptr)
{
}

LibAppTipHost::~LibAppTipHost()
{
}

void LibAppTipHost::CreateTipWindow()
{
    if (fWindow != nullptr)
        return;
    fWindow = new LibTipWin();
    // Starts the window's thread while it stays hidden.
    fWindow->Run();
}

void LibAppTipHost::SetTipText(const char* text, const int32& width)
{
    if (fWindow != nullptr)
        fWindow->SetText(text, width);
}

void LibAppTipHost::MoveTipWindow(const BPoint& where)
{
    if (fWindow != nullptr && fWindow->Lock()) {
        fWindow->PopTo(where);
        fWindow->Unlock();
    }
}

void LibAppTipHost::PopTipWindow()
{
    if (fWindow != nullptr && fWindow->Lock()) {
        fWindow->Pop();
        fWindow->Unlock();
    }
}

void LibAppTipHost::HideTipWindow()
{
    if (fWindow != nullptr && fWindow->Lock()) {
        fWindow->Hide();
        fWindow->Unlock();
    }
}

void LibAppTipHost::SetTipPulseRate(const bigtime_t& rate)
{
    if (fWindow != nullptr && fWindow->Lock()) {
        fWindow->SetPulseRate(rate);
        fWindow->Unlock();
    }
}

void LibAppTipHost::SetAppPulseRate(const bigtime_t& rate)
{
    if (fApp != nullptr)
        fApp->SetPulseRate(rate);
}
