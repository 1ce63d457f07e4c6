#include "media/midirenderer.h"

#include "media/midisynth.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

namespace sky {

MidiRenderer::MidiRenderer(QObject *parent) : QObject(parent) { }

MidiRenderer::~MidiRenderer()
{
    cancelAll();
    for (auto &[id, job] : m_jobs)
        job.worker.join();
}

quint64 MidiRenderer::start(const QString &midiPath)
{
    cancelAll();
    const quint64 job = ++m_lastJob;
    const QFileInfo info(midiPath);
    Rendered wanted { info.absoluteFilePath(), info.size(), info.lastModified(), QString() };

    if (!m_last.wavPath.isEmpty() && m_last.midiPath == wanted.midiPath && m_last.size == wanted.size
        && m_last.modified == wanted.modified) {
        const QString wav = m_last.wavPath;
        QMetaObject::invokeMethod(
            this, [this, job, wav] { Q_EMIT finished(job, wav); }, Qt::QueuedConnection);
        return job;
    }
    if (!m_dir)
        m_dir.emplace(QDir::tempPath() + QStringLiteral("/skyvantrix-midi-XXXXXX"));
    if (!m_dir->isValid()) {
        QMetaObject::invokeMethod(
            this, [this, job] { Q_EMIT finished(job, QString()); }, Qt::QueuedConnection);
        return job;
    }

    wanted.wavPath = m_dir->filePath(QStringLiteral("%1.wav").arg(job));
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([this, job, wanted, cancel] {
        const bool ok = renderMidiToWav(wanted.midiPath, wanted.wavPath, findSoundFont(), *cancel);
        // This object outlives the worker (its destructor joins), so the
        // queued call always finds it.
        QMetaObject::invokeMethod(
            this, [this, job, wanted, ok] { jobDone(job, wanted, ok); }, Qt::QueuedConnection);
    });
    m_jobs.emplace(job, Job { std::move(worker), cancel });
    return job;
}

void MidiRenderer::cancelAll()
{
    for (auto &[id, job] : m_jobs)
        job.cancel->store(true);
}

void MidiRenderer::jobDone(quint64 job, const Rendered &result, bool ok)
{
    auto it = m_jobs.find(job);
    if (it != m_jobs.end()) {
        it->second.worker.join(); // it has returned or is just returning
        m_jobs.erase(it);
    }
    if (ok) {
        if (!m_last.wavPath.isEmpty() && m_last.wavPath != result.wavPath)
            QFile::remove(m_last.wavPath);
        m_last = result;
    }
    Q_EMIT finished(job, ok ? result.wavPath : QString());
}

} // namespace sky
