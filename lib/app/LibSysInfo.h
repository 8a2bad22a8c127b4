// LibSysInfo: a snapshot of the machine: processor, platform, clocks,
// memory, kernel build and main screen, taken at construction.
#pragma once

#include <GraphicsDefs.h>
#include <LibString.h>
#include <OS.h>

class BRect;

class LibSysInfo {
public:
    // Fills every field from the system information and the main screen.
    LibSysInfo();
    // The same from given values (a screen frame and colour space as the
    // main screen reports them).
    LibSysInfo(const system_info& info, color_space colorSpace, const BRect& screenFrame);
    LibSysInfo(const LibSysInfo& other);
    virtual ~LibSysInfo();

    LibSysInfo& operator=(const LibSysInfo& other);

    // "%s (%d-%s@%d/%dMHz) %dMB RAM": platform, processor count, processor,
    // processor MHz, bus MHz, memory MB.
    void Description(LibString& text) const;
    // The description and a line "%s, %dx%d\n" (depth, width, height) on
    // standard error.
    virtual void PrintToStream();
    // Name of the screen's colour depth. The text lives in one object
    // shared by every call and is overwritten by the next call.
    const char* ScreenDepthStr();

    color_space ColorSpace() const { return fColorSpace; }
    int32 ProcessorCount() const { return fProcessorCount; }
    const LibString& ProcessorName() const { return fProcessorName; }
    const LibString& PlatformName() const { return fPlatformName; }
    int32 ScreenWidth() const { return fScreenWidth; }
    int32 ScreenHeight() const { return fScreenHeight; }
    int32 ProcessorRevision() const { return fProcessorRevision; }
    int32 ProcessorMHz() const { return fProcessorMHz; }
    int32 BusMHz() const { return fBusMHz; }
    const LibString& KernelBuild() const { return fKernelBuild; }
    int32 MemoryMB() const { return fMemoryMB; }

    // Table look-ups: "Unknown" for codes not listed.
    static const char* ProcessorNameFor(int32 cpuType);
    static const char* PlatformNameFor(int32 platformType);
    static const char* DepthNameFor(int32 colorSpace);
    // Hz to MHz: the integer part, one more only when the rest is above .5.
    static int32 ClockMHz(int64 hertz);

private:
    void _SetFrom(const system_info& info, color_space colorSpace, const BRect& screenFrame);

    color_space fColorSpace;
    int32 fProcessorCount;
    LibString fProcessorName;
    LibString fPlatformName;
    int32 fScreenWidth;
    int32 fScreenHeight;
    int32 fProcessorRevision;
    int32 fProcessorMHz;
    int32 fBusMHz;
    LibString fKernelBuild;
    int32 fMemoryMB;
};
