// Sets the TZ variable for the life of the object and restores it after, so
// that tests of local time see a known zone.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        fHadOld = old != nullptr;
        if (fHadOld)
            fOld = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (fHadOld)
            setenv("TZ", fOld.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool fHadOld = false;
    std::string fOld;
};
