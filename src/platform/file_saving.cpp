#include "platform/file_saving.h"

#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sky {

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A new, empty file beside target, created with the permissions a new file
// gets (or those of target when it exists).
int createSibling(const QByteArray &target, QByteArray &name)
{
    const QFileInfo info(QFile::decodeName(target));
    const QByteArray prefix = QFile::encodeName(info.dir().filePath(u'.' + info.fileName()));
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = prefix + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            struct stat old
            {
            };
            if (fd >= 0 && ::stat(target.constData(), &old) == 0)
                ::fchmod(fd, old.st_mode & 07777);
            return fd;
        }
    }
    return -1;
}

bool writeAll(int fd, const QByteArray &content)
{
    const char *at = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

} // namespace

std::optional<QString> replaceFileContent(const QString &path, const QByteArray &content)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : path);
    QByteArray temporary;
    const int fd = createSibling(target, temporary);
    if (fd < 0)
        return errorText(errno);
    int error = 0;
    if (!writeAll(fd, content) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    ::unlink(temporary.constData());
    return errorText(error);
}

bool saveUserFile(MessageBoxService &messageBox, const QString &path, const QByteArray &content)
{
    const std::optional<QString> failure = replaceFileContent(path, content);
    if (!failure)
        return true;
    messageBox.show(QStringLiteral("The file \"%1\" could not be saved: %2. The file that was there is unchanged.")
                        .arg(QDir::toNativeSeparators(path), *failure));
    return false;
}

} // namespace sky
