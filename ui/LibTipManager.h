// LibTipManager: the tool-tip machinery of the application. Windows post
// tool-tip requests to the application, which hands them here:
//
//   'stip' (kLibTipRequest): "show" (bool; missing counts as false),
//     "tip" (string), "loc" (point, screen coordinates of the tip's
//     top-left corner), "width" (int32, optional fixed text width),
//     "sdelay" (int16, whole seconds before the tip shows; default 1),
//     "edelay" (int16, whole seconds it stays up; default 4, 0 = until
//     hidden). A request without "show" hides any tip and cancels a pending
//     one.
//   'tipf' (kLibTipToggle): switches tips off or on again.
//
// A tip goes hidden -> pending (a show request with a start delay) ->
// shown (at the next application pulse, or at once with start delay 0) ->
// hidden (the tip window's pulse after the end delay, a hide request, or the
// tip window losing activation). The application's pulse runs at the start
// delay's rate while tips are in use; later pulses find nothing pending.
//
// All calls come from the application's thread.
#pragma once

#include "LibTipHost.h"

#include <Message.h>
#include <SupportDefs.h>

enum {
    kLibTipRequest = 'stip',
    kLibTipToggle = 'tipf'
};

class LibTipManager {
public:
    // One second of pulse rate, in microseconds.
    static constexpr bigtime_t kSecond = 1000000;
    static constexpr int32 kDefaultStartDelay = 1;
    static constexpr int32 kDefaultEndDelay = 4;

    // host is not owned and must outlive the manager.
    explicit LibTipManager(LibTipHost& host);
    virtual ~LibTipManager();

    LibTipManager(const LibTipManager&) = delete;
    LibTipManager& operator=(const LibTipManager&) = delete;

    // 'stip' requests and 'tipf'; anything else is ignored.
    virtual void MessageReceived(BMessage* message);
    // Called on every application pulse: shows a pending tip.
    void PostPending();
    void ToggleTips();
    void SetShowTips(const bool& show);

    bool ShowTips() const { return fShowTips; }
    bool Pending() const { return fPending; }
    int32 StartDelay() const { return fStartDelay; }
    int32 EndDelay() const { return fEndDelay; }

private:
    void HandleRequest(const BMessage& message);
    // Brings the tip up and starts its end delay.
    void ShowNow();

    LibTipHost& fHost;
    bool fHasWindow;
    bool fShowTips;
    int32 fStartDelay;
    int32 fEndDelay;
    bool fPending;
};
