#include "test_rig.h"

#include "core/settings_file.h"

#include <QDir>
#include <QFile>

namespace sky::test {

TestRig::TestRig()
{
    environment.appFolder = folder.path();
    environment.dataFolder = folder.filePath(QStringLiteral("user-data"));
    program = std::make_unique<Program>(services, [this](QWidget *) {
        auto engine = std::make_unique<FakeMediaEngine>();
        media = engine.get();
        return engine;
    }, helpBrowser);
}

TestRig::~TestRig() = default;

Form1 &TestRig::startMainWindow(const QByteArray &settings)
{
    writeAppFile(QStringLiteral("save.ata"), settings);
    Form1 &main = program->form1();
    main.Load();
    return main;
}

void TestRig::loadPlaylist(const QStringList &addresses)
{
    QByteArray content;
    for (const QString &address : addresses)
        content += address.toUtf8() + "\r\n";
    writeAppFile(QStringLiteral("rig.pla"), content);
    fileDialog.answers.push_back(appPath(QStringLiteral("rig.pla")));
    program->form1().Command18_Click();
}

QStringList TestRig::playlistLines()
{
    const ListBox &list = program->form1().List1;
    QStringList lines;
    for (int i = 0; i < list.ListCount(); ++i)
        lines.append(list.List(i));
    return lines;
}

QByteArray TestRig::editedSettings(const QMap<int, QString> &lines)
{
    QByteArray content = settingsFileContent(Module1());
    QList<QByteArray> all = content.split('\n');
    for (auto line = lines.begin(); line != lines.end(); ++line)
        all[line.key() - 1] = line.value().toUtf8() + '\r';
    return all.join('\n');
}

void TestRig::createFiles(const QString &folder, const QStringList &names)
{
    for (const QString &name : names) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
}

QString TestRig::appPath(const QString &name) const
{
    return QDir(folder.path()).filePath(name);
}

void TestRig::writeAppFile(const QString &name, const QByteArray &content) const
{
    QFile file(appPath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QByteArray TestRig::readAppFile(const QString &name) const
{
    QFile file(appPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace sky::test
