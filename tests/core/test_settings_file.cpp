#include "core/module1.h"
#include "core/settings_file.h"
#include "platform/colour.h"
#include "platform/file_saving.h"
#include "test_rig.h"

#include <QBuffer>
#include <QDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

QStringList lines(const QByteArray &content)
{
    QStringList all = QString::fromUtf8(content).split(u"\r\n"_s);
    if (!all.isEmpty() && all.constLast().isEmpty())
        all.removeLast();
    return all;
}

QByteArray fileOf(const QStringList &lines)
{
    return (lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8();
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startValuesWriteTheDocumentedLines();
    void roundTripIsByteForByte();
    void numbersAndTexts();
    void shortAndEmptyFiles();
    void readingStopsAfterTheLastLine();
    void atomicSaveAndLocation();
};

void TestSettingsFile::startValuesWriteTheDocumentedLines()
{
    const QStringList written = lines(settingsFileContent(Module1()));
    QCOMPARE(written.size(), kSettingsLineCount);
    QCOMPARE(written.mid(0, 18),
             QStringList({u" 1"_s, u" 0"_s, u" 4"_s, u"9869050"_s, u" 1"_s, u" 0"_s, u" 0"_s, u" 0"_s, u" 0"_s,
                          u" 1"_s, u" 13172660"_s, u" 1"_s, u" 300"_s, u" 0"_s, QString(), u" 0"_s, u" 0"_s,
                          u" 0"_s}));
    for (int i = 18; i < 178; ++i)
        QVERIFY(written.at(i).isEmpty());
    QCOMPARE(written.at(178), u" 0"_s);
    QVERIFY(settingsFileContent(Module1()).endsWith("\r\n"));
}

void TestSettingsFile::roundTripIsByteForByte()
{
    Module1 changed;
    changed.ScrollTitle = 0;
    changed.FixedButtonColour = u"65480"_s;
    changed.SkinDisplayMode = 2;
    changed.SkinFitMode = 2;
    changed.SkinListColour = rgb(255, 120, 120);
    changed.SkinPath[0] = u"/home/me/Pictures/sky.jpg"_s;
    changed.SkinName[0] = u"sky.jpg ( /home/me/Pictures/ ) "_s;
    changed.SkinPath[2] = u"/home/me/Bilder/Mönch ♫.png"_s; // slot 1 stays empty
    changed.SkinPath[80] = u"/never/written.jpg"_s;
    changed.SkinTick = -3;
    changed.SaveSettings = 1;
    const QByteArray first = settingsFileContent(changed);
    QVERIFY(!first.contains("never"));

    Module1 loaded;
    QCOMPARE(parseSettings(first, loaded), SettingsRead::Loaded);
    QCOMPARE(settingsFileContent(loaded), first);
    QCOMPARE(loaded.SkinPath[1], QString());
    QCOMPARE(loaded.SkinPath[2], changed.SkinPath[2]);
    QCOMPARE(loaded.SkinListColour, 7895295.0);
    QCOMPARE(loaded.SkinTick.value(), -3.0);

    // Texts of a hand-edited file come back exactly as they were read.
    QStringList edited = lines(first);
    edited[0] = u"1 "_s;    // trailing blank
    edited[12] = u"  50"_s; // more blanks
    edited[14] = QString(); // display mode never chosen
    edited[16] = u"lots"_s; // no number
    Module1 fromEdited;
    QCOMPARE(parseSettings(fileOf(edited), fromEdited), SettingsRead::Loaded);
    QCOMPARE(settingsFileContent(fromEdited), fileOf(edited));
    QCOMPARE(fromEdited.ScrollTitle.value(), 1.0);
    QCOMPARE(fromEdited.SkinInterval.value(), 50.0);
    QVERIFY(!fromEdited.SkinDisplayMode.isEmpty());
    QCOMPARE(fromEdited.SkinDisplayMode.value(), 0.0);
    // A text that is no number counts as the start value.
    QCOMPARE(fromEdited.SkinCount.value(), 0.0);

    // Byte order marks an editor put before the file, or left where two
    // files were joined, are no part of the lines they begin: the values
    // are those written, and written again they read back the same.
    QList<QByteArray> marked = first.split('\n');
    marked[0].prepend("\xEF\xBB\xBF\xEF\xBB\xBF");
    marked[12].prepend("\xEF\xBB\xBF");
    Module1 fromMarked;
    QCOMPARE(parseSettings(marked.join('\n'), fromMarked), SettingsRead::Loaded);
    QCOMPARE(settingsFileContent(fromMarked), first);
}

void TestSettingsFile::numbersAndTexts()
{
    QStringList edited = lines(settingsFileContent(Module1()));
    edited[6] = u" 2.5 "_s;    // 16-bit lines round half to even
    edited[8] = u"70000"_s;    // out of 16-bit range: start value
    edited[10] = u"red"_s;     // colour that is no number: start value
    edited[11] = u" 3.5"_s;
    edited[17] = u"-1"_s;
    edited[0] = u"1e300"_s;       // numbers beyond their type: start values,
    edited[2] = u"99999999999"_s; // written back as they were read
    edited[16] = u"-1"_s;         // a skin count below zero
    edited.append(u"line 180 is ignored"_s);
    Module1 m;
    QCOMPARE(parseSettings(fileOf(edited), m), SettingsRead::Loaded);
    QCOMPARE(m.AnimatePreview, short(2));
    QCOMPARE(m.RandomSkin, short(0));
    QCOMPARE(m.SkinListColour, 13172660.0);
    QCOMPARE(m.SkinFitMode, short(4));
    QCOMPARE(m.SaveSettings.value(), -1.0);
    QCOMPARE(m.ScrollTitle.value(), 1.0);
    QCOMPARE(m.VideoDisplaySize.value(), 4.0);
    QCOMPARE(m.SkinCount.value(), 0.0);
    QCOMPARE(lines(settingsFileContent(m)).mid(0, 3), QStringList({u"1e300"_s, u" 0"_s, u"99999999999"_s}));
    QCOMPARE(lines(settingsFileContent(m)).at(16), u"-1"_s);
    QCOMPARE(lines(settingsFileContent(m)).at(6), u" 2"_s);

    // Lines ended by a lone line feed read the same.
    Module1 fromLf;
    QCOMPARE(parseSettings(settingsFileContent(Module1()).replace("\r\n", "\n"), fromLf), SettingsRead::Loaded);
    QCOMPARE(settingsFileContent(fromLf), settingsFileContent(Module1()));
}

void TestSettingsFile::shortAndEmptyFiles()
{
    Module1 m;
    m.ScrollTitle = 5;
    QCOMPARE(parseSettings(QByteArray(), m), SettingsRead::Empty);
    QCOMPARE(m.ScrollTitle.value(), 5.0);

    // A file that ends early keeps what it had read.
    QStringList written = lines(settingsFileContent(Module1()));
    written[0] = u" 0"_s;
    written[18] = u"/pics/a.jpg"_s;
    Module1 truncated;
    QCOMPARE(parseSettings(fileOf(written.mid(0, 20)), truncated), SettingsRead::Truncated);
    QCOMPARE(truncated.ScrollTitle.value(), 0.0);
    QCOMPARE(truncated.SkinPath[0], u"/pics/a.jpg"_s);
    QCOMPARE(truncated.ShowTipsAtStartup.value(), 0.0);

    Module1 untouched;
    QCOMPARE(readSettingsFile(u"/no/such/save.ata"_s, untouched), SettingsRead::Missing);
}

void TestSettingsFile::readingStopsAfterTheLastLine()
{
    // A first line that puts its CR LF across the reader's 4 KiB blocks,
    // lines ended by a lone CR and a lone LF, then far more than the file
    // holds.
    QStringList expected{QString(4095, u'x')};
    for (int i = 1; i < kSettingsLineCount; ++i)
        expected << u"line %1"_s.arg(i);
    QByteArray content = fileOf(expected.mid(0, 10)) + expected.at(10).toUtf8() + '\r' + expected.at(11).toUtf8()
        + '\n' + fileOf(expected.mid(12));
    const qsizetype fileEnd = content.size();
    content += QByteArray("more\r\n").repeated(200000);

    QBuffer device(&content);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const QByteArray head = readLeadingLines(device, kSettingsLineCount, kMaxTextFileBytes);
    QCOMPARE(splitTextLines(head), expected);
    QVERIFY(head.size() <= fileEnd);
    QVERIFY(device.pos() <= fileEnd + 4096);

    // A line that never ends is read no further than the limit, and none
    // of it is taken for a value; one far longer than any path keeps its
    // first part, and the lines after it their places.
    QByteArray endless = "1\r\n" + QByteArray(100000, 'y') + "\r\n2\n" + QByteArray(2 * kMaxTextFileBytes, 'x');
    QBuffer endlessDevice(&endless);
    QVERIFY(endlessDevice.open(QIODevice::ReadOnly));
    QCOMPARE(splitTextLines(readLeadingLines(endlessDevice, kSettingsLineCount, kMaxTextFileBytes)),
             QStringList({u"1"_s, QString(kMaxTextLineBytes, u'y'), u"2"_s}));
    QVERIFY(endlessDevice.pos() <= kMaxTextFileBytes + 1);
    // A whole settings file with 100 MB after its last line: test_shutdown_signal.
}

void TestSettingsFile::atomicSaveAndLocation()
{
    test::TestRig rig;
    const QString path = rig.appPath(u"save.ata"_s);
    QCOMPARE(settingsFilePath(rig.environment), path);

    Module1 m;
    m.SaveSettings = 1;
    QVERIFY(!replaceFileContent(path, settingsFileContent(m)));
    QCOMPARE(rig.readAppFile(u"save.ata"_s), settingsFileContent(m));
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(rig.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"save.ata"_s}));
    QVERIFY(!replaceFileContent(path, {}));
    QCOMPARE(QFileInfo(path).size(), 0);

    // A save that cannot be completed leaves the old file as it was.
    QVERIFY(!replaceFileContent(path, settingsFileContent(m)));
    QVERIFY(replaceFileContent(rig.appPath(u"gone/save.ata"_s), settingsFileContent(Module1())));
    QCOMPARE(rig.readAppFile(u"save.ata"_s), settingsFileContent(m));

    // An application folder that cannot be written to sends the file to the
    // per-user data folder.
    rig.environment.appFolder = rig.appPath(u"not-there"_s);
    QCOMPARE(settingsFilePath(rig.environment), QDir(rig.environment.dataFolder).filePath(u"save.ata"_s));
    QVERIFY(QFileInfo(rig.environment.dataFolder).isDir());
}

QTEST_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
