#include "platform/paths.h"

namespace sky {

PathRules::PathRules(Convention convention, QChar separator)
    : m_convention(convention), m_separator(separator)
{
}

const PathRules &PathRules::windows()
{
    static const PathRules rules(Convention::Windows, u'\\');
    return rules;
}

const PathRules &PathRules::native()
{
    static const PathRules rules(Convention::Native, u'/');
    return rules;
}

bool PathRules::isRoot(const QString &folder) const
{
    if (m_convention == Convention::Windows)
        return folder.size() == 3;
    return folder == QStringLiteral("/");
}

QString PathRules::join(const QString &folder, const QString &name) const
{
    if (isRoot(folder))
        return folder + name;
    return folder + m_separator + name;
}

QString PathRules::entryAddress(const QString &folder, const QString &name) const
{
    if (isCdTrackName(name))
        return cdTrackAddress(name);
    return join(folder, name);
}

QString PathRules::bareName(const QString &path) const
{
    if (isCdTrackAddress(path))
        return path;
    const qsizetype at = path.lastIndexOf(m_separator);
    return at < 0 ? path : path.mid(at + 1);
}

QString PathRules::drivePrefix(const QString &path) const
{
    if (m_convention == Convention::Windows)
        return path.left(2);
    return {};
}

QString rightChars(const QString &text, qsizetype n)
{
    return n >= text.size() ? text : text.right(n);
}

bool isCdTrackName(const QString &name)
{
    return rightChars(name, 3) == QStringLiteral("cda");
}

namespace {

const QString kCdTrackScheme = QStringLiteral("wmpcd://");

} // namespace

QString cdTrackAddress(const QString &name)
{
    return kCdTrackScheme + QStringLiteral("0/") + rightChars(name, 6).left(2);
}

bool isCdTrackAddress(const QString &address)
{
    return address.startsWith(kCdTrackScheme, Qt::CaseInsensitive);
}

} // namespace sky
