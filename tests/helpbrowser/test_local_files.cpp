#include "helpbrowser/local_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// Which local files the help browser's pages may read.
class TestLocalFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void helpFilesOfTheApplicationFolderOnly();
    void whatTheUserOpenedAndItsFolder();
    void addressesAsTyped();
};

void TestLocalFiles::helpFilesOfTheApplicationFolderOnly()
{
    const LocalFileAccess access(u"/opt/sky/bin"_s);
    QVERIFY(access.allows(QUrl::fromLocalFile(u"/opt/sky/bin/MediaPlayer.htm"_s)));
    QVERIFY(access.allows(QUrl::fromLocalFile(u"/opt/sky/bin/help/shot.PNG"_s)));
    QVERIFY(access.allows(QUrl(u"https://duckduckgo.com/"_s)));
    // The settings, other folders, a folder whose name merely starts the
    // same, and a way out through "..".
    QVERIFY(!access.allows(QUrl::fromLocalFile(u"/opt/sky/bin/save.ata"_s)));
    QVERIFY(!access.allows(QUrl::fromLocalFile(u"/etc/passwd"_s)));
    QVERIFY(!access.allows(QUrl::fromLocalFile(u"/opt/sky/bin2/page.htm"_s)));
    QVERIFY(!access.allows(QUrl(u"file:///opt/sky/bin/../../../home/me/page.htm"_s)));
    QVERIFY(!access.allows(QUrl::fromLocalFile(u"/opt/sky/bin"_s)));
}

void TestLocalFiles::whatTheUserOpenedAndItsFolder()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(u"docs/pictures"_s));
    QVERIFY(QDir(home.path()).mkpath(u"other"_s));
    LocalFileAccess access(u"/opt/sky/bin"_s);
    const QUrl page = QUrl::fromLocalFile(home.filePath(u"docs/page.htm"_s));
    QVERIFY(!access.allows(page));
    access.allowOpened(page);
    QVERIFY(access.allows(page));
    QVERIFY(access.allows(QUrl::fromLocalFile(home.filePath(u"docs/pictures/a.jpg"_s))));
    QVERIFY(!access.allows(QUrl::fromLocalFile(home.filePath(u"other/b.htm"_s))));
    // A folder opened is read as a whole.
    access.allowOpened(QUrl::fromLocalFile(home.filePath(u"other"_s)));
    QVERIFY(access.allows(QUrl::fromLocalFile(home.filePath(u"other/b.htm"_s))));
    // The help page opened from the Home button opens nothing more.
    access.allowOpened(QUrl::fromLocalFile(u"/opt/sky/bin/MediaPlayer.htm"_s));
    QVERIFY(!access.allows(QUrl::fromLocalFile(u"/opt/sky/bin/save.ata"_s)));
}

void TestLocalFiles::addressesAsTyped()
{
    QCOMPARE(addressUrl(u"  /opt/sky/bin/MediaPlayer.htm "_s), QUrl::fromLocalFile(u"/opt/sky/bin/MediaPlayer.htm"_s));
    QCOMPARE(addressUrl(u"file:///tmp/a b.htm"_s), QUrl::fromLocalFile(u"/tmp/a b.htm"_s));
    QCOMPARE(addressUrl(u"example.org"_s), QUrl(u"http://example.org"_s));
    // A place in a page that exists; a file whose name holds "#".
    QTemporaryDir folder;
    QFile page(folder.filePath(u"help.htm"_s));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QUrl place = QUrl::fromLocalFile(page.fileName());
    place.setFragment(u"files"_s);
    QCOMPARE(addressUrl(page.fileName() + u"#files"_s), place);
    QFile hashed(folder.filePath(u"a#b.htm"_s));
    QVERIFY(hashed.open(QIODevice::WriteOnly));
    hashed.close();
    QCOMPARE(addressUrl(hashed.fileName()), QUrl::fromLocalFile(hashed.fileName()));
    QCOMPARE(addressUrl(u"https://duckduckgo.com/"_s), QUrl(u"https://duckduckgo.com/"_s));
}

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "test_local_files.moc"
