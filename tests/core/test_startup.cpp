#include "core/module1.h"
#include "core/settings_file.h"
#include "core/splash.h"
#include "mainwindow/default_skin.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"
#include "test_rig.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const QString kFirstStart = u"Application is starting for the first time."_s;

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStartShowsOneMessageAndIgnoresArguments();
    void settingsFileDecidesTheStart();
    void commandLinePlaylist();
    void commandLinePlaylistBeyondTheLimit();
    void commandLineFile();
    void terminationWritesOrEmptiesTheFile();
    void resizeKeepsTheMinimumSize();
    void splashFadesThenShowsTheMainWindow();

private:
    std::unique_ptr<test::TestRig> rig;
    QTemporaryDir media;
    QString savedFolder;
};

void TestStartup::init()
{
    rig = std::make_unique<test::TestRig>();
    savedFolder = QDir::currentPath();
}

void TestStartup::firstStartShowsOneMessageAndIgnoresArguments()
{
    rig->environment.args = {rig->appPath(u"list.pla"_s)};
    Form1 &main = rig->program->form1();
    main.Load();
    QCOMPARE(rig->messageBox.shown, QStringList({kFirstStart}));
    QCOMPARE(rig->media->opened, QStringList({u"wmpcd://0/8"_s}));
    QCOMPARE(rig->media->displaySize(), 4L);
    QCOMPARE(main.Check2.Value(), 0);
    QVERIFY(rig->media->assigned.isEmpty());
    const Module1 &m = rig->program->module();
    QCOMPARE(m.PlayerStopped, kTrue);
    QCOMPARE(m.TitleScroll.size(), 192);
    QVERIFY(rig->modal.shown.isEmpty());
    // Nothing is created at start-up.
    QVERIFY(!QFileInfo::exists(rig->appPath(u"save.ata"_s)));
}

void TestStartup::settingsFileDecidesTheStart()
{
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    rig->program->form1().Load();
    QVERIFY(rig->messageBox.shown.isEmpty());

    // A file that ends early: the message, and the values read so far.
    init();
    Module1 saved;
    saved.ScrollTitle = 0;
    rig->writeAppFile(u"save.ata"_s, settingsFileContent(saved).left(100));
    rig->program->form1().Load();
    QCOMPARE(rig->messageBox.shown, QStringList({kFirstStart}));
    QCOMPARE(rig->program->module().ScrollTitle.value(), 0.0);

    // A pipe in its place, which nothing writes to, counts as no file; the
    // exit puts a file there.
    init();
    QCOMPARE(::mkfifo(QFile::encodeName(rig->appPath(u"save.ata"_s)).constData(), 0600), 0);
    rig->program->form1().Load();
    QCOMPARE(rig->messageBox.shown, QStringList({kFirstStart}));
    rig->program->terminate();
    QVERIFY(QFileInfo(rig->appPath(u"save.ata"_s)).isFile());
}

void TestStartup::commandLinePlaylist()
{
    for (const bool quoted : {true, false}) {
        init();
        const QString path = rig->appPath(u"my list.pla"_s);
        const QString argument = quoted ? u"\""_s + path + u"\""_s : path;
        rig->writeAppFile(u"save.ata"_s, QByteArray());
        rig->writeAppFile(u"my list.pla"_s, "/music/one.mp3\r\n\r\n/music/two.wav\nrelative.mid\r\n/music/\r\n");
        rig->environment.args = {argument};
        Form1 &main = rig->program->form1();
        main.Load();
        const Module1 &m = rig->program->module();
        QVERIFY2(rig->messageBox.shown.isEmpty(), qPrintable(rig->messageBox.shown.join(u'|')));
        QCOMPARE(main.Check2.Value(), 1);
        QCOMPARE(m.PlayerStopped, kFalse);
        QVERIFY(main.List1.Enabled());
        QCOMPARE(rig->playlistLines(), QStringList({u"one.mp3"_s, u"two.wav"_s, u"relative.mid"_s}));
        QCOMPARE(m.PlaylistCount, 3);
        QCOMPARE(m.PlaylistPath[1], u"/music/two.wav"_s);
        QCOMPARE(m.PlaylistPath[3], QString());
        QCOMPARE(m.PlaylistName[2], u"relative.mid"_s);
        QCOMPARE(m.PlaylistIndex, short(0));
        QVERIFY(rig->media->assigned.isEmpty()); // the main timer starts it
        // The engine is told which entry to expect, the one the first tick
        // starts; STOP before that tick leaves nothing to start.
        QCOMPARE(rig->media->prepared, QStringList({u"/music/one.mp3"_s}));
        if (quoted)
            main.Command10_Click();
        main.Timer1_Timer();
        QCOMPARE(rig->media->assigned, QStringList({quoted ? u".mp3"_s : u"/music/one.mp3"_s}));
    }
    // A playlist that cannot be opened takes the start-up error path.
    init();
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    rig->environment.args = {rig->appPath(u"missing.pla"_s)};
    rig->program->form1().Load();
    QCOMPARE(rig->messageBox.shown, QStringList({kFirstStart}));
}

void TestStartup::commandLinePlaylistBeyondTheLimit()
{
    QByteArray content;
    for (int i = 0; i < 60; ++i)
        content += "/music/song" + QByteArray::number(i) + ".mp3\r\n";
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    rig->writeAppFile(u"big.pla"_s, content);
    rig->environment.args = {rig->appPath(u"big.pla"_s)};
    Form1 &main = rig->program->form1();
    main.Load();
    const Module1 &m = rig->program->module();
    QCOMPARE(main.List1.ListCount(), 50);
    QCOMPARE(m.PlaylistCount, 50);
    QCOMPARE(m.PlaylistPath[49], u"/music/song49.mp3"_s);
    QCOMPARE(m.PlaylistPath[50], QString());
    QCOMPARE(rig->messageBox.shown, QStringList({u"Maximun files possible is 50"_s}));
}

void TestStartup::commandLineFile()
{
    const QDir dir(media.path());
    for (const char *name : {"a.mp3", "Track05.cda", "z.wav", "readme.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QDir::setCurrent(media.path());
    const auto start = [&](const QString &argument) {
        init();
        rig->writeAppFile(u"save.ata"_s, QByteArray());
        rig->environment.args = {argument};
        rig->program->form1().Load();
    };

    // A media file named on the command line is played.
    start(dir.filePath(u"z.wav"_s));
    Form1 *main = &rig->program->form1();
    QCOMPARE(rig->media->assigned, QStringList({dir.filePath(u"z.wav"_s)}));
    QCOMPARE(main->File1.FileName(), u"z.wav"_s);
    QCOMPARE(rig->program->module().PlayerStopped, kFalse);
    QCOMPARE(rig->program->module().MediaPlayerShown, 1);
    QVERIFY(main->MediaPlayer1.Visible() && main->Command10.Visible() && main->Command5.Visible());

    // Anything else plays the first file of the list; a CD track plays
    // through its track address.
    start(dir.filePath(u"readme.txt"_s));
    QCOMPARE(rig->media->assigned, QStringList({dir.filePath(u"a.mp3"_s)}));
    QFile::remove(dir.filePath(u"a.mp3"_s));
    start(u"--whatever"_s);
    QCOMPARE(rig->media->assigned, QStringList({u"wmpcd://0/05"_s}));
    QCOMPARE(rig->media->displaySize(), 4L);

    // With no file listed, nothing plays and nothing is reported.
    QDir::setCurrent(rig->appPath(QString()));
    start(u"--whatever"_s);
    QVERIFY(rig->media->assigned.isEmpty());
    QVERIFY(rig->messageBox.shown.isEmpty());
    QDir::setCurrent(savedFolder);
}

void TestStartup::terminationWritesOrEmptiesTheFile()
{
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    rig->program->start();
    Module1 &m = rig->program->module();
    m.SaveSettings = 1;
    m.SkinPath[0] = u"/pics/a.jpg"_s;
    rig->program->closeMainWindow();
    rig->program->terminate();
    rig->program->terminate(); // once only
    QCOMPARE(rig->readAppFile(u"save.ata"_s), settingsFileContent(m));

    rig->program.reset(); // a new run over the same folder
    rig->program = std::make_unique<Program>(rig->services, [this](QWidget *) {
        auto engine = std::make_unique<test::FakeMediaEngine>();
        rig->media = engine.get();
        return engine;
    }, rig->helpBrowser);
    rig->program->start();
    QCOMPARE(rig->program->module().SkinPath[0], u"/pics/a.jpg"_s);
    rig->program->module().SaveSettings = 0;
    rig->program->terminate();
    QCOMPARE(QFileInfo(rig->appPath(u"save.ata"_s)).size(), 0);
}

void TestStartup::resizeKeepsTheMinimumSize()
{
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    Form1 &main = rig->program->form1();
    main.Show();
    // The default skin is carried at the size its box takes as the window
    // opens: the first drawing shows it without stretching it.
    QCOMPARE(main.Image1.widget()->size(), QSize(kDefaultSkinWidth, kDefaultSkinHeight));
    Module1 &m = rig->program->module();
    main.setHeight(5000);
    main.setWidth(6000);
    QCOMPARE(main.Width(), 8900.0f);
    QCOMPARE(main.Height(), 7070.0f);
    QCOMPARE(main.Image1.Height(), 6645.0f);
    // The skin follows a larger window.
    main.setWidth(15360);
    main.setHeight(11520);
    QCOMPARE(m.BackImageWidth, 15360.0f);
    QCOMPARE(main.Image1.Height(), 11095.0f);
}

void TestStartup::splashFadesThenShowsTheMainWindow()
{
    rig->writeAppFile(u"save.ata"_s, QByteArray());
    frmSplash &splash = rig->program->splash();
    splash.Show();
    for (int tick = 1; tick <= 25; ++tick)
        splash.Timer1_Timer();
    QVERIFY(splash.isLoaded());
    QVERIFY(!rig->program->form1().isLoaded());
    splash.Timer1_Timer(); // the 26th tick
    QVERIFY(!splash.isLoaded());
    QVERIFY(rig->program->form1().Visible());
    QCOMPARE(splash.lblCompanyProduct.ForeColor(), rgb(5, 0, 250)); // faded from red to blue
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
