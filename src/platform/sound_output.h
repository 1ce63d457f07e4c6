#pragma once

#include "platform/paced_sound.h"
#include "platform/services.h"

#include <QTimer>

#include <memory>
#include <vector>

class QAudioSink;
class QIODevice;

namespace sky {

// The default output of the desktop's sound server through Qt Multimedia,
// fed from a timer on the GUI thread, so the source needs no locking. With
// no device, or when the device fails, the source is pulled at the pace of
// the clock and its sound is dropped.
class QtSoundOutput : public SoundOutput
{
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    int rate() override;
    void start(Source source) override;
    void stop() override;
    qsizetype queuedFrames() override;

private:
    void openDevice();
    void feed();
    void pull(qsizetype frames);

    Source m_source;
    QTimer m_timer;
    bool m_probed = false;
    int m_rate = 44100;
    bool m_floatSamples = true;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_device = nullptr;
    PacedSound m_silent; // without a device
    std::vector<float> m_mix;
    QByteArray m_bytes;
};

} // namespace sky
