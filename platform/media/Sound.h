// BSound: one sound held in memory, raw samples with their format, made
// from sample bytes or read from a sound file.
#pragma once

#include <EntryRef.h>
#include <MediaDefs.h>

#include <vector>

class BSound {
public:
    // Keeps a copy of size bytes of samples in the given format; the caller
    // keeps its buffer (freeWhenDone is accepted for the platform's
    // signature: the caller's buffer is freed here with free() when set).
    BSound(void* data, size_t size, const media_raw_audio_format& format, bool freeWhenDone = false);
    // Reads a WAVE sound file. The whole file is always loaded into memory,
    // so loadIntoMemory has no effect.
    BSound(const entry_ref* soundFile, bool loadIntoMemory = false);
    virtual ~BSound();

    BSound(const BSound&) = delete;
    BSound& operator=(const BSound&) = delete;

    // B_OK, or why the sound could not be made (B_BAD_VALUE for a format
    // that cannot be played, the file's error otherwise).
    status_t InitCheck() const { return fStatus; }
    const media_raw_audio_format& Format() const { return fFormat; }
    const void* Data() const { return fData.empty() ? nullptr : fData.data(); }
    size_t Size() const { return fData.size(); }

private:
    std::vector<uint8> fData;
    media_raw_audio_format fFormat;
    status_t fStatus = B_NO_INIT;
};
