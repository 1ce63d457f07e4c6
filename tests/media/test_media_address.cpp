#include "media/mediaaddress.h"
#include "media/metafile.h"
#include "mediafixtures.h"

#include <QTemporaryDir>
#include <QtTest>

using sky::MediaSource;
using sky::resolveMediaAddress;

class MediaAddressTest : public QObject
{
    Q_OBJECT

private:
    QString make(const QString &name, const QByteArray &bytes = "x") { return fixtures::make(m_dir, name, bytes); }

    QTemporaryDir m_dir;
    const QString m_cd = QStringLiteral("/dev/sr0");

private Q_SLOTS:
    void plainPathsAndUrls()
    {
        const QString song = make(QStringLiteral("music/song.mp3"));

        QCOMPARE(resolveMediaAddress(QString(), m_cd).kind, MediaSource::Kind::None);
        // What STOP assigns: a name that exists nowhere.
        QCOMPARE(resolveMediaAddress(QStringLiteral(".mp3"), m_cd).kind, MediaSource::Kind::None);
        QCOMPARE(
            resolveMediaAddress(m_dir.filePath(QStringLiteral("missing.wav")), m_cd).kind, MediaSource::Kind::None);
        // A folder is not playable.
        QCOMPARE(resolveMediaAddress(m_dir.path(), m_cd).kind, MediaSource::Kind::None);

        const MediaSource direct = resolveMediaAddress(song, m_cd);
        QCOMPARE(direct.kind, MediaSource::Kind::Player);
        QCOMPARE(direct.url, song);
        QVERIFY(direct.options.isEmpty());

        // Addresses built the Windows way, with "\" between folder and name.
        const QString windowsStyle = m_dir.path() + QStringLiteral("\\music\\song.mp3");
        QCOMPARE(resolveMediaAddress(windowsStyle, m_cd).url, song);

        QCOMPARE(resolveMediaAddress(QUrl::fromLocalFile(song).toString(), m_cd).url, song);
        const QString stream = QStringLiteral("http://example.invalid/radio.mp3");
        QCOMPARE(resolveMediaAddress(stream, m_cd).url, stream);
    }

    void cdTracks()
    {
        const MediaSource track = resolveMediaAddress(QStringLiteral("wmpcd://0/08"), m_cd);
        QCOMPARE(track.kind, MediaSource::Kind::Player);
        QCOMPARE(track.url, QStringLiteral("cdda://"));
        QVERIFY(track.options.contains(QStringLiteral("cdrom-device=/dev/sr0")));
        QVERIFY(track.options.contains(QStringLiteral("start=#8")));
        QVERIFY(track.options.contains(QStringLiteral("end=#9")));

        // No drive, no track 0, no number: nothing to open.
        QCOMPARE(resolveMediaAddress(QStringLiteral("wmpcd://0/8"), QString()).kind, MediaSource::Kind::None);
        QCOMPARE(resolveMediaAddress(QStringLiteral("wmpcd://0/00"), m_cd).kind, MediaSource::Kind::None);
        QCOMPARE(resolveMediaAddress(QStringLiteral("wmpcd://0/xy"), m_cd).kind, MediaSource::Kind::None);

        // A ".cda" file stands for its track on the disc.
        const MediaSource cda = resolveMediaAddress(make(QStringLiteral("TRACK07.CDA")), m_cd);
        QVERIFY(cda.options.contains(QStringLiteral("start=#7")));
        QCOMPARE(resolveMediaAddress(make(QStringLiteral("Track05.cda")), QString()).kind, MediaSource::Kind::None);
    }

    void midiFiles()
    {
        for (const QString &name : { QStringLiteral("a.mid"), QStringLiteral("b.MIDI") }) {
            const QString path = make(name);
            const MediaSource midi = resolveMediaAddress(path, m_cd);
            QCOMPARE(midi.kind, MediaSource::Kind::Midi);
            QCOMPARE(midi.url, path);
        }
    }

    void metafileReferences()
    {
        const QString song = make(QStringLiteral("list/sub/tune.wav"));
        // Real-world metafiles: mixed-case tags, a comment naming another
        // file first, a relative reference written with "\".
        const QString asx = make(QStringLiteral("list/play.wmx"),
            "<ASX version=\"3.0\"><!-- <ref href=\"old.wav\"/> -->\n"
            "<Entry><Title>x & y</Title><REF HREF = \"sub\\tune.wav\" />"
            "<ref href=\"second.wav\"/></entry></asx>");
        QCOMPARE(sky::firstMetafileEntry(asx), song);
        QCOMPARE(resolveMediaAddress(asx, m_cd).url, song);

        const QString playlist = make(QStringLiteral("list/smil.wmp"),
            "<?wpl version=\"1.0\"?><smil><body><seq>"
            "<media src='sub/tune.wav'/></seq></body></smil>");
        QCOMPARE(resolveMediaAddress(playlist, m_cd).url, song);

        const QString url = make(
            QStringLiteral("list/url.asx"), "<asx><entry><ref href=\"http://h.invalid/a?x=1&amp;y=2\"/></entry></asx>");
        QCOMPARE(sky::firstMetafileEntry(url), QStringLiteral("http://h.invalid/a?x=1&y=2"));
        const QString drive = make(QStringLiteral("list/drive.wmx"), "<asx><ref href=\"C:\\m\\a.mp3\"/></asx>");
        QCOMPARE(sky::firstMetafileEntry(drive), QStringLiteral("C:\\m\\a.mp3"));

        // One metafile naming another.
        const QString outer = make(QStringLiteral("outer.wmx"), "<asx><entryref href=\"list/play.wmx\"/></asx>");
        QCOMPARE(resolveMediaAddress(outer, m_cd).url, song);

        // UTF-16 with a byte-order mark, as Windows tools write them.
        const QString wide = QStringLiteral("<asx><ref href=\"list/sub/tune.wav\"/></asx>");
        QByteArray utf16("\xff\xfe", 2);
        utf16.append(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
        QCOMPARE(resolveMediaAddress(make(QStringLiteral("wide.wmx"), utf16), m_cd).url, song);
    }

    void metafilesThatNameNothingPlayable()
    {
        const QString loop = make(QStringLiteral("loop.wmx"), "<asx><ref href=\"loop.wmx\"/></asx>");
        QCOMPARE(resolveMediaAddress(loop, m_cd).kind, MediaSource::Kind::None);
        const QString gone = make(QStringLiteral("gone.wmp"), "<asx><ref href=\"nothere.mp3\"/></asx>");
        QCOMPARE(resolveMediaAddress(gone, m_cd).kind, MediaSource::Kind::None);
        // Not a metafile at all: the player gets the file as it is.
        const QString binary = make(QStringLiteral("media.wmx"), QByteArray(64, '\x30'));
        QCOMPARE(resolveMediaAddress(binary, m_cd).url, binary);
        QVERIFY(sky::firstMetafileEntry(m_dir.filePath(QStringLiteral("absent.wmx"))).isEmpty());
    }
};

QTEST_GUILESS_MAIN(MediaAddressTest)
#include "test_media_address.moc"
