#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <thread>

namespace sky {

// Turns MIDI files into WAV files the player can play, on worker threads so
// the user interface never waits for the synthesiser. Only the newest job
// matters: starting one cancels the others. The WAV files live in a
// temporary folder, made with the first job (a player that plays no MIDI
// file makes none at its start) and gone with this object.
class MidiRenderer : public QObject
{
    Q_OBJECT

public:
    explicit MidiRenderer(QObject *parent = nullptr);
    // Cancels every job and waits for the workers, which stop within one
    // block of samples.
    ~MidiRenderer() override;

    // Starts a job and returns its number; finished() reports it. A file
    // rendered just before (same path, size and time) is not rendered again.
    quint64 start(const QString &midiPath);
    void cancelAll();

Q_SIGNALS:
    // `wavPath` is "" when the file could not be rendered.
    void finished(quint64 job, const QString &wavPath);

private:
    struct Job
    {
        std::thread worker;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    struct Rendered
    {
        QString midiPath;
        qint64 size = -1;
        QDateTime modified;
        QString wavPath;
    };

    void jobDone(quint64 job, const Rendered &result, bool ok);

    std::optional<QTemporaryDir> m_dir;
    quint64 m_lastJob = 0;
    std::map<quint64, Job> m_jobs;
    Rendered m_last;
};

} // namespace sky
