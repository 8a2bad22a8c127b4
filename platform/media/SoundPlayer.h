// BSoundPlayer: plays BSound objects through the sound server's default
// output (PulseAudio's simple API, loaded at the first sound). Every sound
// plays once on a thread of its own, never on the GUI thread. For a sound
// whose format cannot be played, StartPlaying() writes one line to standard
// error and returns an error; without the library or a server the sound's
// thread writes the line and ends at once. Nothing is heard, and the
// program goes on.
#pragma once

#include <MediaDefs.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BSound;
class SoundPlayback;

typedef int32 play_id;

class BSoundPlayer {
public:
    // The format is the one the player was made for (the sounds it plays
    // carry their own and are converted); name appears in diagnostics.
    BSoundPlayer(const media_raw_audio_format* format = nullptr, const char* name = nullptr);
    virtual ~BSoundPlayer();

    BSoundPlayer(const BSoundPlayer&) = delete;
    BSoundPlayer& operator=(const BSoundPlayer&) = delete;

    status_t InitCheck() const { return B_OK; }
    const media_raw_audio_format& Format() const { return fFormat; }

    status_t Start();
    // Stops every sound; block waits until their threads ended (flush is
    // accepted for the platform's signature: nothing is queued beyond the
    // sounds themselves).
    void Stop(bool block = true, bool flush = true);

    // Starts the sound at once; atTime is not used. A positive id, or a
    // negative error: B_BAD_VALUE for a missing or unplayable sound,
    // B_NOT_ALLOWED after Stop() until Start(). A missing audio output is
    // found on the sound's thread, which then ends without playing.
    play_id StartPlaying(BSound* sound, bigtime_t atTime = 0, float volume = 1.0f);
    status_t StopPlaying(play_id id);
    bool IsPlaying(play_id id);
    // True while any sound of this player plays.
    bool IsPlaying();

    float Volume() const { return fVolume; }
    void SetVolume(float volume);

    // Whether an audio output exists right now: the server library loads
    // and a stream to the server opens (and is closed again).
    static bool HasAudioOutput();

private:
    struct Playing {
        play_id id;
        std::unique_ptr<SoundPlayback> playback;
    };

    void ReapFinished();

    media_raw_audio_format fFormat;
    std::string fName;
    float fVolume = 1.0f;
    bool fRunning = true;
    play_id fNextID = 1;
    std::mutex fLock;
    std::vector<Playing> fPlaying;
};
