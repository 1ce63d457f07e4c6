#include "media/midirenderer.h"
#include "media/midisynth.h"
#include "mediafixtures.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

class MidiSynthTest : public QObject
{
    Q_OBJECT

private:
    QString make(const QString &name, const QByteArray &bytes) { return fixtures::make(m_dir, name, bytes); }

    QTemporaryDir m_dir;
    QString m_soundFont;

private Q_SLOTS:
    void initTestCase()
    {
        m_soundFont = sky::findSoundFont();
        if (m_soundFont.isEmpty())
            QSKIP("no General MIDI soundfont installed");
    }

    void rendersTheWholeFileAsWav()
    {
        const QString midi = make(QStringLiteral("tune.mid"), fixtures::midiBytes(4, 0.5));
        const QString wav = m_dir.filePath(QStringLiteral("tune.wav"));
        std::atomic<bool> cancel { false };
        QVERIFY(sky::renderMidiToWav(midi, wav, m_soundFont, cancel));

        QFile out(wav);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray bytes = out.readAll();
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
        QCOMPARE(bytes.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 24), 44100u);
        const auto dataBytes = qFromLittleEndian<quint32>(bytes.constData() + 40);
        QCOMPARE(qsizetype(dataBytes) + 44, bytes.size());
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), dataBytes + 36);
        // Two seconds of notes and about one second for them to fade.
        const double seconds = dataBytes / (44100.0 * 4);
        QVERIFY2(seconds > 2.9 && seconds < 3.2, qPrintable(QString::number(seconds)));
        // The notes sound: the first second is not silence.
        const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + 44);
        int loudest = 0;
        for (int i = 0; i < 44100 * 2; ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        QVERIFY(loudest > 500);
    }

    void refusesWhatItCannotRender()
    {
        const QString wav = m_dir.filePath(QStringLiteral("never.wav"));
        std::atomic<bool> go { false };
        std::atomic<bool> cancelled { true };
        const QString notMidi = make(QStringLiteral("fake.mid"), fixtures::wavBytes(0.5));
        const QString midi = make(QStringLiteral("real.mid"), fixtures::midiBytes(2, 0.5));

        QVERIFY(!sky::renderMidiToWav(notMidi, wav, m_soundFont, go));
        const QString header = make(QStringLiteral("header.mid"), "MThd and then nothing a MIDI file has");
        QVERIFY(!sky::renderMidiToWav(header, wav, m_soundFont, go));
        QVERIFY(!sky::renderMidiToWav(make(QStringLiteral("empty.mid"), {}), wav, m_soundFont, go));
        QVERIFY(!sky::renderMidiToWav(midi, wav, QString(), go));
        QVERIFY(!sky::renderMidiToWav(midi, wav, m_dir.filePath(QStringLiteral("no.sf2")), go));
        QVERIFY(!sky::renderMidiToWav(midi, wav, m_soundFont, cancelled));
        QVERIFY(!QFile::exists(wav));
    }

    void rendererReportsTheNewestJob()
    {
        const QString longMidi = make(QStringLiteral("long.mid"), fixtures::midiBytes(600, 1.0));
        const QString shortMidi = make(QStringLiteral("short.mid"), fixtures::midiBytes(2, 0.25));
        sky::MidiRenderer renderer;
        QSignalSpy done(&renderer, &sky::MidiRenderer::finished);

        const quint64 first = renderer.start(longMidi);
        const quint64 second = renderer.start(shortMidi); // cancels the first
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 20000);
        QString wav;
        for (const QList<QVariant> &result : done) {
            if (result.at(0).toULongLong() == first)
                QVERIFY(result.at(1).toString().isEmpty());
            if (result.at(0).toULongLong() == second)
                wav = result.at(1).toString();
        }
        QVERIFY(QFile::exists(wav));

        // The same file again is not synthesised anew.
        done.clear();
        const quint64 third = renderer.start(shortMidi);
        QVERIFY(done.wait(5000));
        QCOMPARE(done.at(0).at(0).toULongLong(), third);
        QCOMPARE(done.at(0).at(1).toString(), wav);

        // A job still running when the renderer goes away is cancelled and
        // its worker joined; the test would hang or crash otherwise.
        renderer.start(longMidi);
    }
};

QTEST_GUILESS_MAIN(MidiSynthTest)
#include "test_midi_synth.moc"
