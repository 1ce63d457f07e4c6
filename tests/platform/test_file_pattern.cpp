#include "platform/file_pattern.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using sky::FilePattern;

// The file lists' patterns, as the design sets them.
class TestFilePattern : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mediaPattern_data();
    void mediaPattern();
    void wildcards_data();
    void wildcards();
};

void TestFilePattern::mediaPattern_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("mp3") << u"Song.mp3"_s << true;
    QTest::newRow("either case") << u"SONG.Mp3"_s << true;
    QTest::newRow("last of the list") << u"Track01.cda"_s << true;
    QTest::newRow("longer extension") << u"song.mp3.txt"_s << false;
    QTest::newRow("extension only as a prefix") << u"song.mpeg4"_s << false;
    QTest::newRow("no dot") << u"mp3"_s << false;
    QTest::newRow("dot file") << u".mp3"_s << true;
    QTest::newRow("accented name") << u"Été.WAV"_s << true;
}

void TestFilePattern::mediaPattern()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);
    const FilePattern pattern(u"*.avi;*.mp3;*.dat;*.mpg;*.wav;*.mpeg;*.midi;*.mid;*.wm;*.wmp;*.wmx;*.mp1;*.mp2;*.cda"_s);
    QCOMPARE(pattern.matches(name), listed);
}

void TestFilePattern::wildcards_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("any file with a dot") << u"*.*"_s << u"a.b"_s << true;
    QTest::newRow("*.* needs a dot") << u"*.*"_s << u"README"_s << false;
    QTest::newRow("empty pattern lists all") << QString() << u"README"_s << true;
    QTest::newRow("question mark is one character") << u"track?.mp3"_s << u"track1.mp3"_s << true;
    QTest::newRow("question mark is not none") << u"track?.mp3"_s << u"track.mp3"_s << false;
    QTest::newRow("star backs off") << u"a*b*c"_s << u"abxbxc"_s << true;
    QTest::newRow("star cannot skip the end") << u"a*b*c"_s << u"abxbxcd"_s << false;
    QTest::newRow("letters in the middle") << u"*live*"_s << u"Concert LIVE 1999.mp3"_s << true;
    QTest::newRow("whole name") << u"song.mp3"_s << u"my song.mp3"_s << false;
}

void TestFilePattern::wildcards()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QCOMPARE(FilePattern(pattern).matches(name), listed);
}

QTEST_APPLESS_MAIN(TestFilePattern)
#include "test_file_pattern.moc"
