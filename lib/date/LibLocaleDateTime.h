// LibLocaleDateTime: a date formatter that also formats the time of day,
// joining the two with a field separator: "Thu, Sep 14 2000, 3:07 PM".
#pragma once

#include <LibDateTime.h>
#include <LibLocaleDate.h>
#include <LibLocaleTime.h>

class LibLocaleDateTime : public LibLocaleDate {
public:
    LibLocaleDateTime();
    LibLocaleDateTime(const LibLocaleDateTime& other);
    ~LibLocaleDateTime() override;

    LibLocaleDateTime& operator=(const LibLocaleDateTime& other);

    // The formatted date, the field separator, the formatted time.
    LibString Format(const LibDateTime& dateTime) const;
    using LibLocaleDate::Format;

    // The separator between date and time (default " ").
    void SetSeperator(const char* separator);
    const char* Seperator() const { return fFieldSeparator; }

    // The time formatter it owns.
    LibLocaleTime& LocaleTime() { return fTime; }
    const LibLocaleTime& LocaleTime() const { return fTime; }

    // The date and time fields plus "field_seperator" (string), all in one
    // message.
    status_t Write(BMessage& message) const override;
    status_t Read(const BMessage& message) override;

private:
    LibLocaleTime fTime;
    LibString fFieldSeparator;
};
