#include "core/module1.h"
#include "core/settings_file.h"
#include "platform/file_saving.h"
#include "platform/sound_module.h"
#include "player_process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kAppId = u"org.skyvantrix.MediaPlayer"_s;

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return { -1, u"did not finish"_s };
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAll()) };
}

// The keys of a desktop entry's main group.
QMap<QString, QString> desktopEntryKeys(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMainGroup = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == u"[Desktop Entry]"_s;
        else if (inMainGroup && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

} // namespace

// `cmake --install` into a temporary prefix: what lands where, whether the
// desktop's own validators accept it, and whether the installed player finds
// its folder through the command on the PATH.
class TestInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void playerAndResourcesShareTheProgramFolder();
    void iconsComeInEverySizeOfTheTheme();
    void desktopEntryAndMetainfoPassTheValidators();
    void playlistsAndListedTypesAreKnownToTheMimeDatabase();
    void installedPlayerKeepsItsSettingsInItsFolder();

private:
    QString installed(const QString &relative) const { return QDir(m_prefix.path()).filePath(relative); }
    QString desktopEntry() const { return installed(u"share/applications/"_s + kAppId + u".desktop"_s); }

    QTemporaryDir m_prefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const Run install = run(QString::fromUtf8(SKY_CMAKE_COMMAND),
        { u"--install"_s, QString::fromUtf8(SKY_BUILD_DIR), u"--prefix"_s, m_prefix.path() });
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void TestInstall::playerAndResourcesShareTheProgramFolder()
{
    const QString programDir = installed(QString::fromUtf8(SKY_PROGRAM_DIR));
    const QFileInfo command(installed(u"bin/skyvantrix"_s));
    QVERIFY(command.isSymLink());
    QCOMPARE(QFileInfo(command.symLinkTarget()).canonicalFilePath(),
        QFileInfo(QDir(programDir).filePath(u"skyvantrix"_s)).canonicalFilePath());
    QVERIFY(command.isExecutable());
    // A relative link: the tree still works after it is moved.
    char target[4096] = {};
    QVERIFY(::readlink(QFile::encodeName(command.filePath()).constData(), target, sizeof target - 1) > 0);
    QVERIFY(!QDir::isAbsolutePath(QFile::decodeName(target)));
    QVERIFY(QFile::exists(QDir(programDir).filePath(u"TIPOFDAY.TXT"_s)));
    QVERIFY(QFile::exists(QDir(programDir).filePath(u"MediaPlayer.htm"_s)));
    // The help browser, which the player starts from its own folder.
    QVERIFY(QFileInfo(QDir(programDir).filePath(u"skyvantrix-help"_s)).isExecutable());
    // The sound output both open beside themselves.
    QVERIFY(QFile::exists(QDir(programDir).filePath(QString::fromLatin1(sky::kSoundModule))));
}

void TestInstall::iconsComeInEverySizeOfTheTheme()
{
    const QString hicolor = installed(u"share/icons/hicolor/"_s);
    QVERIFY(QFile::exists(hicolor + u"scalable/apps/skyvantrix.svg"_s));
    const QStringList sizes = QString::fromUtf8(SKY_ICON_SIZES).split(QLatin1Char(','));
    QVERIFY(sizes.contains(u"16"_s) && sizes.contains(u"256"_s));
    for (const QString &size : sizes) {
        const QImage icon(hicolor + u"%1x%1/apps/skyvantrix.png"_s.arg(size));
        QVERIFY2(!icon.isNull(), qPrintable(size));
        QCOMPARE(icon.size(), QSize(size.toInt(), size.toInt()));
        QVERIFY(icon.hasAlphaChannel());
    }
}

void TestInstall::desktopEntryAndMetainfoPassTheValidators()
{
    const Run desktop = run(u"desktop-file-validate"_s, { desktopEntry() });
    QVERIFY2(desktop.exitCode == 0 && desktop.output.trimmed().isEmpty(), qPrintable(desktop.output));
    const Run metainfo = run(u"appstreamcli"_s,
        { u"validate"_s, u"--no-net"_s, installed(u"share/metainfo/"_s + kAppId + u".metainfo.xml"_s) });
    QVERIFY2(metainfo.exitCode == 0, qPrintable(metainfo.output));

    const QMap<QString, QString> entry = desktopEntryKeys(desktopEntry());
    QCOMPARE(entry.value(u"Exec"_s), u"skyvantrix %f"_s);
    QCOMPARE(entry.value(u"Categories"_s), u"AudioVideo;Audio;Video;Player;"_s);
    // The icon it names is the one installed.
    QVERIFY(QFile::exists(installed(u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(entry.value(u"Icon"_s)))));
}

void TestInstall::playlistsAndListedTypesAreKnownToTheMimeDatabase()
{
    const Run update = run(u"update-mime-database"_s, { installed(u"share/mime"_s) });
    QVERIFY2(update.exitCode == 0, qPrintable(update.output));
    qputenv("XDG_DATA_DIRS", (installed(u"share"_s) + u":/usr/share"_s).toLocal8Bit());
    const QMimeDatabase mime;
    // Ours, not the other program's playlists that share the extension.
    QCOMPARE(mime.mimeTypeForFile(u"songs.pla"_s, QMimeDatabase::MatchExtension).name(),
        u"application/x-skyvantrix-playlist"_s);
    const QStringList listed
        = desktopEntryKeys(desktopEntry()).value(u"MimeType"_s).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QVERIFY(!listed.isEmpty());
    for (const QString &name : listed)
        QVERIFY2(mime.mimeTypeForName(name).isValid(), qPrintable(name));
    // Every kind of file the player opens is offered to it.
    for (const QString &extension :
        { u"m3u"_s, u"swf"_s, u"mp3"_s, u"wav"_s, u"mpg"_s, u"avi"_s, u"mid"_s, u"pla"_s }) {
        const QMimeType type = mime.mimeTypeForFile(u"a."_s + extension, QMimeDatabase::MatchExtension);
        bool offered = listed.contains(type.name());
        for (const QString &alias : type.aliases())
            offered = offered || listed.contains(alias);
        QVERIFY2(offered, qPrintable(extension + u" "_s + type.name()));
    }
}

void TestInstall::installedPlayerKeepsItsSettingsInItsFolder()
{
    // Settings that are kept: the player writes them back when it ends.
    const QString settings = QDir(installed(QString::fromUtf8(SKY_PROGRAM_DIR))).filePath(u"save.ata"_s);
    sky::Module1 kept;
    kept.SaveSettings = 1;
    kept.SkinDisplayMode = kept.SkinFitMode;
    QVERIFY(!sky::replaceFileContent(settings, sky::settingsFileContent(kept)));
    const QDateTime longAgo(QDate(2000, 1, 1), QTime(0, 0));
    {
        QFile file(settings);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }

    QTemporaryDir elsewhere;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"HOME"_s, elsewhere.path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(elsewhere.path());
    process.start(installed(u"bin/skyvantrix"_s), {});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sky::test::catchesSignal(process.processId(), SIGTERM), 20000);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
    // The prefix is the user's own: "save.ata" is read and written beside
    // the player, not beside the link nor in the working folder.
    QVERIFY(QFileInfo(settings).lastModified() > longAgo);
    QFile saved(settings);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), sky::settingsFileContent(kept));
    QVERIFY(!QFile::exists(installed(u"bin/save.ata"_s)));
    QVERIFY(!QFile::exists(QDir(elsewhere.path()).filePath(u"save.ata"_s)));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
