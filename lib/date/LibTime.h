// LibTime: a time of day, hours 0..23, minutes and seconds 0..59. Every
// setter normalises: seconds carry into minutes, minutes into hours (a
// negative value borrows), and whole days are dropped.
#pragma once

#include <SupportDefs.h>

#include <ctime>

class BMessage;

class LibTime {
public:
    LibTime(const int32& hours = 0, const int32& minutes = 0, const int32& seconds = 0);
    // With now set, the current time of day (local or UTC); otherwise
    // 00:00:00.
    LibTime(const bool& now, const bool& local);
    LibTime(const LibTime& other) = default;
    LibTime& operator=(const LibTime& other) = default;
    virtual ~LibTime();

    // Adds int32 "hours", "minutes", "seconds".
    virtual status_t Archive(BMessage& archive) const;
    // Reads the three fields (index 0); unchanged unless all are present.
    virtual status_t Restore(const BMessage& archive);
    // SetTime(now, local).
    virtual void SetNow(const bool& local = true);
    virtual void AddHours(const int32& hours);
    virtual void AddMinutes(const int32& minutes);
    virtual void AddSeconds(const int32& seconds);
    virtual int32 GetSeconds() const;

    void SetTime(const int32& hours, const int32& minutes, const int32& seconds);
    void SetHours(const int32& hours);
    void SetMinutes(const int32& minutes);
    void SetSeconds(const int32& seconds);
    // Hours, minutes and seconds of the tm.
    void SetTime(const struct tm* fields);
    // The time of day of a clock value (seconds since 1970) in local time;
    // without local, the local zone's offset is then subtracted through the
    // virtual AddSeconds(), which gives the UTC time of day (a LibDateTime
    // moves its date with it).
    void SetTime(const int32& clock, const bool& local);
    // Hours as a fraction: whole hours, the fraction x 60 as minutes, the
    // rest x 60 as seconds, each truncated.
    void SetTime(const float& hours);
    // Fixed layout "HH?MM?SS": hours from characters 0-1, minutes from 3-4,
    // seconds from 6-7, each a decimal number (an empty field reads 0). A
    // null text changes nothing.
    void SetTime(const char* text);
    // "hours[:minutes]" typed by a person, one or two digits each; seconds
    // become 0. False, time unchanged, for text it cannot read.
    bool SetUnformattedTime(const char* text);

    int32 GetHours() const { return fHours; }
    int32 GetMinutes() const { return fMinutes; }
    int32 NumberOfSeconds() const;
    float NumberOfMinutes() const;
    // Hours, minutes and seconds into the tm; other fields are not touched.
    void GetTime(struct tm& fields) const;

    // The local zone's offset from UTC now (east positive, daylight-saving
    // time included): in seconds, or in minutes (unit 2), or in hours
    // (unit 3).
    static int32 TimeZone(const int& unit = 1);

    // The difference, normalised (it wraps at 24 hours).
    LibTime operator-(const LibTime& other) const;

    bool operator==(const LibTime& other) const;
    bool operator!=(const LibTime& other) const;
    bool operator<(const LibTime& other) const;
    bool operator<=(const LibTime& other) const;
    bool operator>(const LibTime& other) const;
    bool operator>=(const LibTime& other) const;

    // "Time: hh:mm:ss" on standard error.
    void PrintToStream() const;

protected:
    // Sets the fields from 64-bit values, then normalises.
    void SetClock(int64 hours, int64 minutes, int64 seconds);
    void SetTimeOfClock(time_t clock, bool local);
    void CorrectTime();

    int32 fHours;
    int32 fMinutes;
    int32 fSeconds;
};
