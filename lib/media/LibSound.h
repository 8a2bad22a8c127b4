// LibSound: one sound, read from a sound file or rebuilt from raw audio kept
// in a message, played once through a sound player of its own.
//
// The audio message (the configuration's "audio_data", and what Archive
// writes):
//   "data"        B_ANY_TYPE  the raw samples
//   "frame_rate"  float       frames per second
//   "channel_count" int32     channels
//   "format"      int32       sample format code (media_raw_audio_format)
//   "byte_order"  int32       B_MEDIA_BIG_ENDIAN or B_MEDIA_LITTLE_ENDIAN
//   "buffer_size" int32       player buffer size in bytes
//
// A sound that cannot be loaded leaves the object unloaded: Play() does
// nothing and no player exists. Playing never shows an alert: without an
// audio device the player writes one line to standard error and the
// program goes on.
#pragma once

#include <EntryRef.h>
#include <LibString.h>
#include <MediaDefs.h>
#include <SupportDefs.h>

#include <memory>

class BMessage;
class BSound;
class BSoundPlayer;

typedef int32 play_id;

class LibSound {
public:
    // Resolves the path (following links) and loads the sound file.
    LibSound(const char* path, const char* playerName);
    // Rebuilds the sound from an audio message.
    LibSound(const BMessage& audio, const char* playerName);
    virtual ~LibSound();

    LibSound(const LibSound&) = delete;
    LibSound& operator=(const LibSound&) = delete;

    // Copies "data" into a buffer of its own, builds the format from the
    // other fields and makes the sound; true when it initialised. A
    // message without samples, or with a format that cannot be played,
    // gives false with a line on standard error.
    virtual bool LoadSound(const BMessage& audio);
    // Loads a sound file into memory; true when it initialised.
    virtual bool LoadSound(const char* path);

    // Adds the audio message fields for the current sound; B_NO_INIT when
    // no sound is loaded.
    virtual status_t Archive(BMessage& audio) const;

    // Starts the sound; see the class comment. While it plays, a second
    // call does nothing unless multiple playing is allowed.
    virtual void Play();
    virtual bool IsPlaying();
    virtual void AllowMultiple(const bool& allow) { fAllowMultiple = allow; }
    // True when a sound was loaded and a player exists.
    virtual bool IsProceeding() const { return fLoaded; }
    // One line about the sound on standard error.
    virtual void PrintToStream() const;

    const media_raw_audio_format& Format() const { return fFormat; }

private:
    void MakePlayer();

    LibString fPlayerName;
    std::unique_ptr<BSound> fSound;
    std::unique_ptr<BSoundPlayer> fPlayer;
    play_id fPlayID = 0;
    bool fLoaded = false;
    bool fAllowMultiple = false;
    entry_ref fRef;
    LibString fPath;
    media_raw_audio_format fFormat;
};
