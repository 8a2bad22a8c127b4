// LibLocaleTime: turns a time of day into display text ("3:07 PM",
// "15:07:09") and reads a typed time back.
#pragma once

#include <LibString.h>
#include <LibTime.h>

class BMessage;

class LibLocaleTime {
public:
    LibLocaleTime();
    LibLocaleTime(const LibLocaleTime& other);
    virtual ~LibLocaleTime();

    LibLocaleTime& operator=(const LibLocaleTime& other);

    // Hours (12-hour clock: 1..12 without a leading zero; 24-hour clock:
    // two digits), then separator and two-digit minutes when shown, then
    // separator and two-digit seconds when shown, then the suffix when
    // shown (the 24-hour suffix, or the after-noon suffix for hours 12..23
    // and the before-noon suffix for the rest).
    LibString Format(const LibTime& time) const;

    // Reads a time typed as up to three digit groups of at most three digits
    // each, separated by any non-digits: hours, minutes, seconds. On the
    // 12-hour clock, a text that contains the (non-empty) after-noon suffix
    // gets 12 added to hours below 12; one that does not gets 12 taken from
    // hours above 11. False, time unchanged, for a text without digits, a
    // longer group or a fourth group.
    bool GetTime(const char* text, LibTime& time) const;
    // As above; 00:00:00 for text it cannot read.
    LibTime GetTime(const char* text) const;

    // Either 12-hour suffix is non-empty.
    bool Has12ClockSuffix() const;

    void SetShowSeconds(const bool& show);
    void SetShowMinutes(const bool& show);
    void SetSeparator(const char& separator);
    void Set24Clock(const bool& use24);
    void SetShowSuffix(const bool& show);
    void Set24ClockSuffix(const char* suffix);
    void Set12ClockBeforeNoonSuffix(const char* suffix);
    void Set12ClockAfterNoonSuffix(const char* suffix);

    bool ShowsSeconds() const { return fShowSeconds; }
    bool ShowsMinutes() const { return fShowMinutes; }
    char Separator() const { return fSeparator; }
    bool Is24Clock() const { return f24Clock; }
    bool ShowsSuffix() const { return fShowSuffix; }
    const char* Get24ClockSuffix() const { return f24Suffix; }
    const char* Get12ClockBeforeNoonSuffix() const { return fBeforeNoonSuffix; }
    const char* Get12ClockAfterNoonSuffix() const { return fAfterNoonSuffix; }

    // "show_seconds", "show_minutes" (bool), "seperator" (int16),
    // "24_hour_clock", "show_suffix" (bool), "24_hour_suffix",
    // "12_hour_before_noon_suffix", "12_hour_after_noon_suffix" (string).
    virtual status_t Write(BMessage& message) const;
    // Takes every field that is present; B_OK when all were, otherwise the
    // first problem (the rest is still taken).
    virtual status_t Read(const BMessage& message);

    // "show sec %d, min %d" on standard error.
    virtual void PrintToStream() const;

private:
    bool fShowSeconds;
    bool fShowMinutes;
    char fSeparator;
    bool f24Clock;
    bool fShowSuffix;
    LibString f24Suffix;
    LibString fBeforeNoonSuffix;
    LibString fAfterNoonSuffix;
};
