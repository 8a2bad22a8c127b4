#include <SoundPlayback.h>

#include <QAudioSink>
#include <QBuffer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

// How often the playing thread looks for a stop request.
constexpr int kStopPollMs = 20;

void PlayOnThisThread(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& samples,
    float volume, const std::atomic<bool>& stop)
{
    QBuffer buffer;
    buffer.setData(samples);
    buffer.open(QIODevice::ReadOnly);
    QAudioSink sink(device, format);
    sink.setVolume(volume);
    QEventLoop loop;
    QObject::connect(&sink, &QAudioSink::stateChanged, &loop, [&loop](QAudio::State state) {
        // Idle: every sample was handed to the device; Stopped: an error
        // or a stop request.
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop.load())
            loop.quit();
    });
    poll.start(kStopPollMs);
    sink.start(&buffer);
    if (sink.error() != QAudio::NoError) {
        std::fprintf(stderr, "sound: the audio device refused the sound (Qt audio error %d)\n", int(sink.error()));
        return;
    }
    loop.exec();
    sink.stop();
}

} // namespace

SoundPlayback::SoundPlayback(const QAudioDevice& device, const QAudioFormat& format, QByteArray samples,
    float volume)
    : fStop(std::make_shared<std::atomic<bool>>(false))
    , fDone(std::make_shared<std::atomic<bool>>(false))
{
    auto stop = fStop;
    auto done = fDone;
    fThread.reset(QThread::create([device, format, samples = std::move(samples), volume, stop, done] {
        PlayOnThisThread(device, format, samples, volume, *stop);
        done->store(true);
    }));
    fThread->start();
}

SoundPlayback::~SoundPlayback()
{
    Stop();
    Wait();
}

void SoundPlayback::Wait()
{
    if (fThread)
        fThread->wait();
}
