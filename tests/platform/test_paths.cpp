#include "platform/colour.h"
#include "platform/paths.h"

#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

class TestPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entryAddressUnderWindowsConvention();
    void entryAddressUnderNativeConvention();
    void bareNameAndDrivePrefix();
    void colourValuesClampComponents();
};

void TestPaths::entryAddressUnderWindowsConvention()
{
    const PathRules &win = PathRules::windows();
    QCOMPARE(win.entryAddress(u"C:\\Music"_s, u"a.mp3"_s), u"C:\\Music\\a.mp3"_s);
    QCOMPARE(win.entryAddress(u"C:\\"_s, u"a.mp3"_s), u"C:\\a.mp3"_s);
    // CD tracks: the folder plays no part; the test is case-sensitive.
    QCOMPARE(win.entryAddress(u"D:\\"_s, u"Track07.cda"_s), u"wmpcd://0/07"_s);
    QCOMPARE(win.entryAddress(u"C:\\Some\\Folder"_s, u"Track12.cda"_s), u"wmpcd://0/12"_s);
    QCOMPARE(win.entryAddress(u"D:\\"_s, u"TRACK07.CDA"_s), u"D:\\TRACK07.CDA"_s);
    // A name shorter than six characters gives what its last six hold.
    QCOMPARE(win.entryAddress(u"D:\\"_s, u"a.cda"_s), u"wmpcd://0/a."_s);
    // With no file selected the folder and a separator are all there is.
    QCOMPARE(win.entryAddress(u"C:\\Music"_s, QString()), u"C:\\Music\\"_s);
    QCOMPARE(win.entryAddress(u"C:\\"_s, QString()), u"C:\\"_s);
}

void TestPaths::entryAddressUnderNativeConvention()
{
    const PathRules &native = PathRules::native();
    QVERIFY(native.isRoot(u"/"_s));
    QVERIFY(!native.isRoot(u"/mn"_s)); // three characters are no root here
    QCOMPARE(native.entryAddress(u"/"_s, u"a.mp3"_s), u"/a.mp3"_s);
    QCOMPARE(native.entryAddress(u"/home/me/Music"_s, u"a.mp3"_s), u"/home/me/Music/a.mp3"_s);
    QCOMPARE(native.entryAddress(u"/media/cdrom"_s, u"Track05.cda"_s), u"wmpcd://0/05"_s);
    QCOMPARE(native.entryAddress(u"/music"_s, u"Ünïcødé ♫.mp3"_s), u"/music/Ünïcødé ♫.mp3"_s);
}

void TestPaths::bareNameAndDrivePrefix()
{
    // The names of whole entries are checked with the playlist's reading rules.
    QCOMPARE(PathRules::windows().bareName(u"C:\\Music\\"_s), QString());
    QCOMPARE(PathRules::windows().drivePrefix(u"D:\\Lists\\x.pla"_s), u"D:"_s);
    QCOMPARE(PathRules::native().drivePrefix(u"/lists/x.pla"_s), QString());
}

void TestPaths::colourValuesClampComponents()
{
    QCOMPARE(rgb(250, 150, 150), 9869050L);
    QCOMPARE(rgb(180, 255, 200), 13172660L);
    QCOMPARE(rgb(180, 280, 200), 13172660L); // above 255 counts as 255
    QCOMPARE(rgb(255 - 10 * 26, 0, 260), rgb(0, 0, 255)); // and below 0 as 0
    QCOMPARE(toQColor(rgb(5, 0, 250)), QColor(5, 0, 250));
    QCOMPARE(fromQColor(QColor(200, 255, 0)), 65480L);
}

QTEST_APPLESS_MAIN(TestPaths)
#include "test_paths.moc"
