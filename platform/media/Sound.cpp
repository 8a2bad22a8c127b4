#include <Sound.h>

#include <Errors.h>
#include <Path.h>
#include <RawAudio.h>
#include <WaveFile.h>

#include <cstdlib>

BSound::BSound(void* data, size_t size, const media_raw_audio_format& format, bool freeWhenDone)
    : fFormat(format)
{
    if (data != nullptr)
        fData.assign(static_cast<const uint8*>(data), static_cast<const uint8*>(data) + size);
    if (freeWhenDone)
        std::free(data);
    fStatus = data == nullptr ? B_BAD_VALUE : check_raw_audio_format(fFormat);
}

BSound::BSound(const entry_ref* soundFile, bool loadIntoMemory)
{
    (void)loadIntoMemory;
    if (soundFile == nullptr) {
        fStatus = B_BAD_VALUE;
        return;
    }
    BPath path(soundFile);
    if (path.InitCheck() != B_OK) {
        fStatus = path.InitCheck();
        return;
    }
    fStatus = read_wave_file(path.Path(), &fData, &fFormat);
    if (fStatus == B_OK)
        fStatus = check_raw_audio_format(fFormat);
}

BSound::~BSound() = default;
