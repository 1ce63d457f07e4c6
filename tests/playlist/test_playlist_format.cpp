#include "playlist/playlist_format.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

class TestPlaylistFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shownNames_data();
    void shownNames();
    void readingRules();
};

void TestPlaylistFormat::shownNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("pla");
    QTest::addColumn<QString>("name");
    QTest::newRow("full path") << u"C:\\Music\\Song.mp3"_s << true << u"Song.mp3"_s;
    QTest::newRow("bare name") << u"Song.mp3"_s << false << u"Song.mp3"_s;
    QTest::newRow("cd track") << u"wmpcd://0/05"_s << true << u"wmpcd://0/05"_s;
    QTest::newRow("root path, .pla") << u"\\Music\\a.mp3"_s << true << u"a.mp3"_s;
    QTest::newRow("slash path, .pla") << u"/Music/a.mp3"_s << true << u":/Music/a.mp3"_s;
    QTest::newRow("slash path, .m3u") << u"/Music/a.mp3"_s << false << u"/Music/a.mp3"_s;
}

void TestPlaylistFormat::shownNames()
{
    // Written for a playlist on drive D: under the Windows convention.
    QFETCH(QString, line);
    QFETCH(bool, pla);
    QFETCH(QString, name);
    const ParsedPlaylist parsed = parsePlaylist(line.toUtf8() + "\r\n", pla ? PlaylistRules::Pla : PlaylistRules::M3u,
                                                u"D:"_s, PathRules::windows(), 50);
    QCOMPARE(parsed.entries.size(), std::size_t(1));
    QCOMPARE(parsed.entries[0].address, line);
    QCOMPARE(parsed.entries[0].name, name);
}

void TestPlaylistFormat::readingRules()
{
    const QByteArray m3u = "#EXTM3U\r\n#EXTINF:123,Artist - A\r\n/music/a.mp3\r\n\r\n"
                           "#EXTINF:5,B\n/music/b.mp3\n/music/\nc.wav";
    const ParsedPlaylist fromM3u = parsePlaylist(m3u, PlaylistRules::M3u, QString(), PathRules::native(), 50);
    QCOMPARE(fromM3u.entries.size(), std::size_t(3));
    QCOMPARE(fromM3u.entries[1].address, u"/music/b.mp3"_s); // no trailing CR
    QCOMPARE(fromM3u.entries[2].name, u"c.wav"_s);
    // The same lines under the ".pla" rules keep the comments as entries.
    const ParsedPlaylist fromPla = parsePlaylist(m3u, PlaylistRules::Pla, QString(), PathRules::native(), 50);
    QCOMPARE(fromPla.entries.size(), std::size_t(6));
    QCOMPARE(fromPla.entries[0].name, u"#EXTM3U"_s);
    QCOMPARE(fromPla.entries[4].name, u"b.mp3"_s);
    // Under either convention a CD track keeps its whole address as its name.
    const ParsedPlaylist cd = parsePlaylist("wmpcd://0/05\r\n", PlaylistRules::M3u, QString(), PathRules::native(), 50);
    QCOMPARE(cd.entries.at(0).name, u"wmpcd://0/05"_s);
}

QTEST_APPLESS_MAIN(TestPlaylistFormat)
#include "test_playlist_format.moc"
