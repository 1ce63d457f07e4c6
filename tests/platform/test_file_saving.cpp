// Saving the settings and playlists on a disk that is full or read-only.
// The test runs itself again inside a private mount namespace, where it
// mounts small file systems of its own over its temporary folders.

#include "core/module1.h"
#include "core/settings_file.h"
#include "mainwindow/form1.h"
#include "options/form5.h"
#include "test_rig.h"

#include <QApplication>
#include <QDir>
#include <QtTest>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const char *const kPrivateMounts = "SKY_TEST_PRIVATE_MOUNTS";

// A 64 KiB memory file system mounted over a folder for the life of the
// object.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }

    // Takes every free block with one file.
    void fill() const
    {
        const int fd = ::open((m_folder + "/filler").constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), static_cast<std::size_t>(block.size())) > 0) { }
        QCOMPARE(errno, ENOSPC);
        // What does not fit in a whole block fills the last one.
        while (::write(fd, "f", 1) > 0) { }
        ::close(fd);
    }

    bool makeReadOnly() const
    {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// Settings that fill more than two blocks of the disk, so that a save cut
// short would show.
Module1 largeSettings()
{
    Module1 m;
    m.SaveSettings = 1;
    for (int i = 0; i < kMaxSkins; ++i) {
        m.SkinPath[static_cast<std::size_t>(i)] = u"/pictures/%1/"_s.arg(i) + QString(100, u'p') + u".jpg"_s;
        m.SkinName[static_cast<std::size_t>(i)] = QString(20, u'n');
    }
    m.SkinCount = kMaxSkins;
    return m;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestFileSaving : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void fullDiskKeepsTheSettingsAtExit();
    void fullDiskKeepsTheSettingsFromTheOptions();
    void fullDiskKeepsThePlaylist();
    void readOnlyFoldersKeepEverything();

private:
    // The file in the application folder is as it was, the last of the
    // messages shown names it, and no temporary file is left beside it.
    void kept(const QString &name, const QByteArray &before, qsizetype messages, const QStringList &files);

    // The player's application folder on a disk of its own.
    std::unique_ptr<test::TestRig> rig;
    std::unique_ptr<SmallDisk> disk;
    Form1 *main = nullptr;
};

void TestFileSaving::init()
{
    if (!qEnvironmentVariableIsSet(kPrivateMounts))
        QSKIP("no private mount namespace here (unshare is missing or not allowed)");
    rig = std::make_unique<test::TestRig>();
    disk = std::make_unique<SmallDisk>(rig->folder.path());
    QVERIFY(disk->mounted());
    main = &rig->startMainWindow();
}

void TestFileSaving::cleanup()
{
    disk.reset();
    rig.reset();
}

void TestFileSaving::kept(const QString &name, const QByteArray &before, qsizetype messages, const QStringList &files)
{
    QCOMPARE(rig->readAppFile(name), before);
    QCOMPARE(rig->messageBox.shown.size(), messages);
    QVERIFY(rig->messageBox.shown.last().contains(rig->appPath(name)));
    QCOMPARE(filesIn(rig->folder.path()), files);
}

void TestFileSaving::fullDiskKeepsTheSettingsAtExit()
{
    const QByteArray before = settingsFileContent(largeSettings());
    rig->writeAppFile(u"save.ata"_s, before);
    Module1 &m = rig->program->module();
    m = largeSettings();
    m.SkinPath[0] = u"/pictures/new.jpg"_s;
    disk->fill();

    rig->program->terminate();
    kept(u"save.ata"_s, before, 1, {u"filler"_s, u"save.ata"_s});
}

void TestFileSaving::fullDiskKeepsTheSettingsFromTheOptions()
{
    const QByteArray before = settingsFileContent(largeSettings());
    rig->writeAppFile(u"save.ata"_s, before);
    rig->program->module() = largeSettings();
    rig->program->module().SaveSettings = 0;
    disk->fill();

    Form5 &options = rig->program->form5();
    options.Show(true);
    QVERIFY(rig->messageBox.shown.isEmpty());
    options.Check5.setValue(1);
    options.Check5.setValue(0);
    // Each failed save is told once.
    kept(u"save.ata"_s, before, 2, {u"filler"_s, u"save.ata"_s});
}

void TestFileSaving::fullDiskKeepsThePlaylist()
{
    QStringList addresses;
    for (int i = 0; i < kMaxPlaylistEntries; ++i)
        addresses.append(u"/music/%1/"_s.arg(i) + QString(200, u'm') + u".mp3"_s);
    rig->loadPlaylist(addresses);
    const QByteArray before = rig->readAppFile(u"rig.pla"_s);
    QVERIFY(before.size() > 8192);
    rig->writeAppFile(u"other.pla"_s, "/music/other.mp3\r\n");
    rig->fileDialog.answers.push_back(rig->appPath(u"other.pla"_s));
    main->Command18_Click();
    disk->fill();

    rig->fileDialog.answers.push_back(rig->appPath(u"rig.pla"_s));
    main->Command17_Click();
    kept(u"rig.pla"_s, before, 1, {u"filler"_s, u"other.pla"_s, u"rig.pla"_s, u"save.ata"_s});
}

void TestFileSaving::readOnlyFoldersKeepEverything()
{
    rig->loadPlaylist({u"/music/a.mp3"_s});
    const QByteArray before = rig->readAppFile(u"rig.pla"_s);
    QVERIFY(disk->makeReadOnly());

    main->Command7_Click();
    rig->fileDialog.answers.push_back(rig->appPath(u"rig.pla"_s));
    main->Command17_Click();
    kept(u"rig.pla"_s, before, 1, {u"rig.pla"_s, u"save.ata"_s});

    // With the per-user folder on the same read-only disk, the exit cannot
    // keep the settings either, says so, and still ends.
    rig->program->module().SaveSettings = 1;
    rig->program->terminate();
    QCOMPARE(rig->messageBox.shown.size(), 2);
    QVERIFY(rig->messageBox.shown.last().contains(u"save.ata"_s));
    QCOMPARE(filesIn(rig->folder.path()), QStringList({u"rig.pla"_s, u"save.ata"_s}));
}

// Runs the test again in a mount namespace of its own when one can be had.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet(kPrivateMounts)) {
        const bool root = ::geteuid() == 0;
        const std::string probe = root ? "unshare -m true" : "unshare -Urm true";
        if (std::system((probe + " >/dev/null 2>&1").c_str()) == 0) {
            ::setenv(kPrivateMounts, "1", 1);
            std::vector<char *> args { const_cast<char *>("unshare"), const_cast<char *>(root ? "-m" : "-Urm"),
                const_cast<char *>("--") };
            args.insert(args.end(), argv, argv + argc);
            args.push_back(nullptr);
            ::execvp("unshare", args.data());
            ::unsetenv(kPrivateMounts);
        }
    }
    QApplication app(argc, argv);
    TestFileSaving test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_saving.moc"
