#include <SoundPlayback.h>

#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// How often the playing thread looks for a stop request.
constexpr int kStopPollMs = 20;
// Time allowed after the sound's own length for the device to play out
// what it has buffered.
constexpr qint64 kTailMs = 250;

// Length of the samples in milliseconds.
qint64 DurationMs(const QAudioFormat& format, const QByteArray& samples)
{
    const qint64 frameBytes = format.bytesPerFrame();
    if (frameBytes <= 0 || format.sampleRate() <= 0)
        return 0;
    return samples.size() / frameBytes * 1000 / format.sampleRate();
}

void PlayOnThisThread(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& samples,
    float volume, const std::atomic<bool>& stop)
{
    QBuffer buffer;
    buffer.setData(samples);
    buffer.open(QIODevice::ReadOnly);
    QAudioSink sink(device, format);
    sink.setVolume(volume);
    QEventLoop loop;
    QElapsedTimer clock;
    const qint64 duration = DurationMs(format, samples);
    QObject::connect(&sink, &QAudioSink::stateChanged, &loop, [&](QAudio::State state) {
        if (state == QAudio::StoppedState) {
            loop.quit();
        } else if (state == QAudio::IdleState) {
            // Every sample was handed to the device, which still has to
            // play them: stopping the sink now would cut the sound short.
            const qint64 remaining = duration + kTailMs - clock.elapsed();
            QTimer::singleShot(std::max<qint64>(0, remaining), &loop, &QEventLoop::quit);
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop.load())
            loop.quit();
    });
    poll.start(kStopPollMs);
    clock.start();
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
