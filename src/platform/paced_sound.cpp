#include "platform/paced_sound.h"

namespace sky {

namespace {

constexpr int kPullMs = 10;

} // namespace

PacedSound::PacedSound(std::function<qint64()> elapsedMs) : m_elapsedMs(std::move(elapsedMs))
{
    if (!m_elapsedMs) {
        m_steady.start();
        m_elapsedMs = [this] { return m_steady.elapsed(); };
    }
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { pull(); });
}

void PacedSound::start(SoundOutput::Source source, int rate)
{
    m_source = std::move(source);
    m_rate = rate;
    m_startMs = m_elapsedMs();
    m_pulled = 0;
    m_timer.start(kPullMs);
}

void PacedSound::stop()
{
    m_timer.stop();
    m_source = nullptr;
}

void PacedSound::pull()
{
    if (!m_source)
        return;
    const qint64 due = (m_elapsedMs() - m_startMs) * m_rate / 1000;
    if (due <= m_pulled)
        return;
    m_mix.assign(size_t(2 * (due - m_pulled)), 0.0f);
    m_source(m_mix.data(), due - m_pulled);
    m_pulled = due;
}

} // namespace sky
