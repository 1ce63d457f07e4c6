#include "test_rig.h"

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
    });
}

TestRig::~TestRig() = default;

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
