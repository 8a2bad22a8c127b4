#include "LibLocaleDateTime.h"

#include <Message.h>

LibLocaleDateTime::LibLocaleDateTime()
    : fFieldSeparator(" ")
{
}

LibLocaleDateTime::LibLocaleDateTime(const LibLocaleDateTime& other) = default;

LibLocaleDateTime::~LibLocaleDateTime() = default;

LibLocaleDateTime& LibLocaleDateTime::operator=(const LibLocaleDateTime& other) = default;

LibString LibLocaleDateTime::Format(const LibDateTime& dateTime) const
{
    LibString text = LibLocaleDate::Format(dateTime);
    text.Concat(fFieldSeparator);
    text.Concat(fTime.Format(dateTime));
    return text;
}

void LibLocaleDateTime::SetSeperator(const char* separator)
{
    fFieldSeparator = separator != nullptr ? separator : "";
}

status_t LibLocaleDateTime::Write(BMessage& message) const
{
    status_t status = LibLocaleDate::Write(message);
    if (status == B_OK)
        status = fTime.Write(message);
    if (status == B_OK)
        status = message.AddString("field_seperator", fFieldSeparator);
    return status;
}

status_t LibLocaleDateTime::Read(const BMessage& message)
{
    status_t result = LibLocaleDate::Read(message);
    status_t status = fTime.Read(message);
    if (result == B_OK)
        result = status;
    const char* separator;
    status = message.FindString("field_seperator", 0, &separator);
    if (status == B_OK)
        fFieldSeparator = separator;
    else if (result == B_OK)
        result = status;
    return result;
}
