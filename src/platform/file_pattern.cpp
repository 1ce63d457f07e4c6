#include "platform/file_pattern.h"

namespace sky {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Matches from the left; after a mismatch the last "*" takes one more
// character and the match goes on from there.
bool wildcardMatches(QStringView wildcard, QStringView name)
{
    qsizetype w = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype starTook = 0;
    while (n < name.size()) {
        if (w < wildcard.size() && wildcard[w] == u'*') {
            star = w++;
            starTook = n;
        } else if (w < wildcard.size() && (wildcard[w] == u'?' || sameLetter(wildcard[w], name[n]))) {
            ++w;
            ++n;
        } else if (star >= 0) {
            w = star + 1;
            n = ++starTook;
        } else {
            return false;
        }
    }
    while (w < wildcard.size() && wildcard[w] == u'*')
        ++w;
    return w == wildcard.size();
}

} // namespace

FilePattern::FilePattern(const QString &pattern)
    : m_wildcards(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts))
{
}

bool FilePattern::matches(QStringView name) const
{
    if (m_wildcards.isEmpty())
        return true;
    for (const QString &wildcard : m_wildcards) {
        if (wildcardMatches(wildcard, name))
            return true;
    }
    return false;
}

} // namespace sky
