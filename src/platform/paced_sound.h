#pragma once

#include "platform/services.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <vector>

namespace sky {

// What a sound output does without a sound device: it pulls its source at
// the pace of a steady clock, every few milliseconds, and drops the sound,
// so that what depends on the sound's timing keeps it.
class PacedSound
{
public:
    // `elapsedMs` reads the clock in milliseconds; by default the system's
    // steady clock.
    explicit PacedSound(std::function<qint64()> elapsedMs = {});

    // Pulls `source` at `rate` sample frames a second from now on.
    void start(SoundOutput::Source source, int rate);
    void stop();
    bool isActive() const { return m_source != nullptr; }
    // The timer's tick: pulls the sample frames due since the last one.
    void pull();

private:
    std::function<qint64()> m_elapsedMs;
    QElapsedTimer m_steady;
    QTimer m_timer;
    SoundOutput::Source m_source;
    int m_rate = 44100;
    qint64 m_startMs = 0;
    qint64 m_pulled = 0;
    std::vector<float> m_mix;
};

} // namespace sky
