#include "core/module1.h"
#include "main_window_test.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>

using namespace sky;
using namespace Qt::StringLiterals;

// Saving and loading playlist files through the file dialog.
class TestPlaylistFiles : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void saveAndLoadRoundTrip();
    void cancelAndUnreadableFilesChangeNothing();
    void readingRulesFollowTheName();
    void loadingKeepsTheFirstFifty();
    void windowsNamesAreReadAndSavedInUtf8();
    void otherProgramsEncodingsAreRead();

private:
    QByteArray saveTo(const QString &name);

};

QByteArray TestPlaylistFiles::saveTo(const QString &name)
{
    rig->fileDialog.answers.push_back(rig->appPath(name));
    main->Command17_Click();
    return rig->readAppFile(name);
}

void TestPlaylistFiles::saveAndLoadRoundTrip()
{
    QCOMPARE(saveTo(u"empty.pla"_s), QByteArray());
    QVERIFY(QFileInfo::exists(rig->appPath(u"empty.pla"_s)));
    const auto &request = rig->fileDialog.requests.back();
    QCOMPARE(request.mode, FileDialogService::Mode::Save);
    QCOMPARE(request.filter, u"Playlist Files (*.pla)|*.pla|Playlist Files(*.m3u)|*.m3u"_s);
    QCOMPARE(request.title, u" Save Playlist "_s);
    QCOMPARE(request.initialDir, rig->folder.path() + u"/"_s);

    const QStringList addresses = {u"/música/Tränen ♫.mp3"_s, u"wmpcd://0/05"_s, u"/m/b.wav"_s};
    rig->loadPlaylist(addresses);
    QCOMPARE(rig->fileDialog.requests.back().title, u" Open Playlist "_s);
    QCOMPARE(rig->fileDialog.requests.back().filter, u"Playlist Files (*.pla)|*.pla|Playlist Files (*.m3u)|*.m3u"_s);
    m->PlaylistIndex = 2;
    const QByteArray saved = saveTo(u"list.m3u"_s);
    QCOMPARE(saved, QByteArray("/música/Tränen ♫.mp3\r\nwmpcd://0/05\r\n/m/b.wav\r\n"));

    main->Command7_Click();
    m->PlaylistIndex = 2;
    rig->fileDialog.answers.push_back(rig->appPath(u"list.m3u"_s));
    main->Command18_Click();
    QCOMPARE(m->PlaylistCount, 3);
    QCOMPARE(m->PlaylistPath[0], addresses[0]);
    QCOMPARE(rig->playlistLines(), QStringList({u"Tränen ♫.mp3"_s, u"wmpcd://0/05"_s, u"b.wav"_s}));
    QCOMPARE(m->PlaylistIndex, short(2)); // loading leaves the play order alone

    // Saving over an existing file replaces it whole.
    main->Command7_Click();
    QCOMPARE(saveTo(u"list.m3u"_s), QByteArray());
}

void TestPlaylistFiles::cancelAndUnreadableFilesChangeNothing()
{
    rig->loadPlaylist({u"/m/a.mp3"_s, u"/m/b.mp3"_s});
    rig->fileDialog.answers.push_back(QString()); // Cancel
    main->Command18_Click();
    rig->fileDialog.answers.push_back(rig->appPath(u"missing.pla"_s));
    main->Command18_Click();
    rig->fileDialog.answers.push_back(rig->folder.path()); // a folder
    main->Command18_Click();
    // A pipe nobody writes to, and a device without end.
    QCOMPARE(::mkfifo(QFile::encodeName(rig->appPath(u"pipe.pla"_s)).constData(), 0600), 0);
    rig->fileDialog.answers.push_back(rig->appPath(u"pipe.pla"_s));
    main->Command18_Click();
    rig->fileDialog.answers.push_back(u"/dev/zero"_s);
    main->Command18_Click();
    QCOMPARE(m->PlaylistCount, 2);
    QCOMPARE(rig->playlistLines(), QStringList({u"a.mp3"_s, u"b.mp3"_s}));
    QCOMPARE(m->PlaylistPath[1], u"/m/b.mp3"_s);
    rig->fileDialog.answers.push_back(QString());
    main->Command17_Click();
    QCOMPARE(QDir(rig->folder.path()).entryList({u"*.m3u"_s, u"*.pla"_s}), QStringList({u"rig.pla"_s}));
    QVERIFY(rig->messageBox.shown.isEmpty());
}

void TestPlaylistFiles::readingRulesFollowTheName()
{
    const QByteArray content = "#EXTM3U\r\n#EXTINF:1,A\r\n/m/a.mp3\r\n\r\n/m/dir/\r\nb.mp3\n";
    rig->writeAppFile(u"LIST.PLA"_s, content); // upper case: ".m3u" rules
    rig->fileDialog.answers.push_back(rig->appPath(u"LIST.PLA"_s));
    main->Command18_Click();
    QCOMPARE(rig->playlistLines(), QStringList({u"a.mp3"_s, u"b.mp3"_s}));
    QCOMPARE(m->PlaylistCount, 2);
    QCOMPARE(m->PlaylistPath[1], u"b.mp3"_s);

    rig->writeAppFile(u"list.pla"_s, content);
    rig->fileDialog.answers.push_back(rig->appPath(u"list.pla"_s));
    main->Command18_Click();
    QCOMPARE(m->PlaylistCount, 4);
    QCOMPARE(rig->playlistLines().at(0), u"#EXTM3U"_s);
    QCOMPARE(m->PlaylistPath[4], QString());
}

void TestPlaylistFiles::loadingKeepsTheFirstFifty()
{
    QStringList many;
    for (int i = 0; i < 51; ++i)
        many.append(u"/m/%1.mp3"_s.arg(i));
    rig->loadPlaylist(many);
    QCOMPARE(m->PlaylistCount, 50);
    QCOMPARE(main->List1.ListCount(), 50);
    QCOMPARE(m->PlaylistPath[50], QString());
    QCOMPARE(rig->messageBox.shown, QStringList({u"Maximun files possible is 50"_s}));
    rig->loadPlaylist(many.mid(0, 50));
    QCOMPARE(m->PlaylistCount, 50);
    QCOMPARE(rig->messageBox.shown.size(), 1);
}

void TestPlaylistFiles::windowsNamesAreReadAndSavedInUtf8()
{
    // A playlist written on Windows names "café.wav" with the byte E9 of its
    // code page; another line of the same file is UTF-8.
    QTemporaryDir media;
    test::TestRig::createFiles(media.path(), {u"café.wav"_s, u"“quoted”.wav"_s, u"Tränen.wav"_s});
    const QByteArray folder = media.path().toUtf8() + '/';
    rig->writeAppFile(u"windows.m3u"_s,
                      "#EXTM3U\r\n" + folder + "caf\xE9.wav\r\n" + folder + "\x93quoted\x94.wav\r\n" + folder
                          + "Tr\xC3\xA4nen.wav\r\n");
    rig->fileDialog.answers.push_back(rig->appPath(u"windows.m3u"_s));
    main->Command18_Click();
    QCOMPARE(rig->playlistLines(), QStringList({u"café.wav"_s, u"“quoted”.wav"_s, u"Tränen.wav"_s}));
    for (int i = 0; i < 3; ++i)
        QVERIFY2(QFileInfo::exists(m->PlaylistPath[static_cast<std::size_t>(i)]),
                 qPrintable(m->PlaylistPath[static_cast<std::size_t>(i)]));
    QCOMPARE(saveTo(u"saved.pla"_s), folder + "caf\xC3\xA9.wav\r\n" + folder + "\xE2\x80\x9Cquoted\xE2\x80\x9D.wav\r\n"
                                        + folder + "Tr\xC3\xA4nen.wav\r\n");
}

void TestPlaylistFiles::otherProgramsEncodingsAreRead()
{
    QTemporaryDir media;
    test::TestRig::createFiles(media.path(), {u"café.wav"_s, u"Tränen.wav"_s});
    const QString folder = media.path() + u'/';
    const QString lines = u"#EXTM3U\r\n#EXTINF:12,Café\r\n"_s + folder + u"café.wav\r\n"_s + folder + u"Tränen.wav\r\n"_s;
    const auto utf16 = [&](QStringConverter::Encoding encoding) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder(lines));
    };
    const QByteArray utf8Bom = "\xEF\xBB\xBF" + lines.toUtf8();
    const QList<QByteArray> files = {
        utf16(QStringConverter::Utf16LE), // Notepad's "Unicode"
        utf16(QStringConverter::Utf16BE),
        utf8Bom,
        // A UTF-8 file with its mark whose names are in the ANSI code page.
        "\xEF\xBB\xBF" + folder.toUtf8() + "caf\xE9.wav\n" + folder.toUtf8() + "Tr\xE4nen.wav\n",
        // Two playlists joined together, the second one's mark in the middle.
        "\xEF\xBB\xBF" + folder.toUtf8() + "café.wav\r\n" + "\xEF\xBB\xBF" + folder.toUtf8() + "Tränen.wav",
    };
    for (const QByteArray &content : files) {
        main->Command7_Click();
        rig->writeAppFile(u"other.m3u"_s, content);
        rig->fileDialog.answers.push_back(rig->appPath(u"other.m3u"_s));
        main->Command18_Click();
        QCOMPARE(rig->playlistLines(), QStringList({u"café.wav"_s, u"Tränen.wav"_s}));
        for (int i = 0; i < 2; ++i)
            QVERIFY2(QFileInfo(m->PlaylistPath[static_cast<std::size_t>(i)]).isFile(),
                     qPrintable(m->PlaylistPath[static_cast<std::size_t>(i)]));
    }
    // Saved back in UTF-8, without a mark.
    QCOMPARE(saveTo(u"saved.m3u"_s), (folder + u"café.wav\r\n"_s + folder + u"Tränen.wav\r\n"_s).toUtf8());
}

QTEST_MAIN(TestPlaylistFiles)
#include "test_playlist_files.moc"
