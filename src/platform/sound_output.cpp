#include "platform/sound_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>

namespace sky {

namespace {

// The timer tops the device's buffer up this often, and the buffer holds
// a few of its periods: little enough that the picture, which follows the
// sound handed over, stays within a frame of what is heard.
constexpr int kFeedMs = 10;
constexpr int kBufferMs = 60;
constexpr int kChannels = 2;

} // namespace

QtSoundOutput::QtSoundOutput()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { feed(); });
}

QtSoundOutput::~QtSoundOutput() { stop(); }

void QtSoundOutput::openDevice()
{
    if (m_probed)
        return;
    m_probed = true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat format = device.preferredFormat();
    if (format.sampleRate() > 0)
        m_rate = format.sampleRate();
    format.setSampleRate(m_rate);
    format.setChannelCount(kChannels);
    format.setSampleFormat(QAudioFormat::Float);
    if (!device.isFormatSupported(format)) {
        format.setSampleFormat(QAudioFormat::Int16);
        m_floatSamples = false;
        if (!device.isFormatSupported(format))
            return;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
}

int QtSoundOutput::rate()
{
    openDevice();
    return m_rate;
}

void QtSoundOutput::start(Source source)
{
    stop();
    openDevice();
    m_source = std::move(source);
    if (m_sink) {
        m_device = m_sink->start();
        if (!m_device || m_sink->error() != QAudio::NoError) {
            m_device = nullptr;
            m_sink.reset();
        }
    }
    if (!m_sink) {
        m_silent.start(std::move(m_source), m_rate);
        return;
    }
    m_timer.start(kFeedMs);
}

void QtSoundOutput::stop()
{
    m_timer.stop();
    m_silent.stop();
    m_source = nullptr;
    if (m_sink && m_device) {
        // reset() drops what the server still holds; stop() would play it out.
        m_sink->reset();
        m_sink->stop();
    }
    m_device = nullptr;
}

qsizetype QtSoundOutput::queuedFrames()
{
    if (!m_sink || !m_device)
        return 0;
    return (m_sink->bufferSize() - m_sink->bytesFree()) / std::max(1, m_sink->format().bytesPerFrame());
}

void QtSoundOutput::pull(qsizetype frames)
{
    m_mix.assign(size_t(frames * kChannels), 0.0f);
    if (m_source)
        m_source(m_mix.data(), frames);
}

void QtSoundOutput::feed()
{
    if (m_sink->error() != QAudio::NoError) {
        // The device went away: the sound goes on in silence, on the clock.
        qWarning("sound output failed (error %d); playing on without sound", int(m_sink->error()));
        m_device = nullptr;
        m_sink.reset();
        m_timer.stop();
        m_silent.start(std::move(m_source), m_rate);
        return;
    }
    const int frameBytes = m_sink->format().bytesPerFrame();
    const qsizetype frames = m_sink->bytesFree() / frameBytes;
    if (frames <= 0)
        return;
    pull(frames);
    if (m_floatSamples) {
        m_device->write(reinterpret_cast<const char *>(m_mix.data()), frames * frameBytes);
        return;
    }
    m_bytes.resize(frames * frameBytes);
    auto *out = reinterpret_cast<qint16 *>(m_bytes.data());
    for (size_t i = 0; i < m_mix.size(); ++i)
        out[i] = qint16(std::lround(std::clamp(m_mix[i], -1.0f, 1.0f) * 32767.0f));
    m_device->write(m_bytes);
}

} // namespace sky

// The module's entry (see sound_module.h).
extern "C" Q_DECL_EXPORT sky::SoundOutput *skyvantrixSoundOutput()
{
    return new sky::QtSoundOutput;
}
