#include "media/library_pages.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

#include <string>
#include <vector>

using sky::loadedLibraries;
using sky::releaseReadOnlyPages;

namespace {

// One mapping of a file, as /proc/self/smaps tells it.
struct Mapping
{
    bool writable = false;
    qint64 residentKiB = 0;
    bool randomReads = false; // no pages around a fault are read along
};

std::vector<Mapping> mappingsOf(const std::string &path)
{
    // The system names the file itself, not a link to it.
    const QByteArray file = QFileInfo(QString::fromStdString(path)).canonicalFilePath().toUtf8();
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return {};
    std::vector<Mapping> mappings;
    bool ours = false;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-')) { // a mapping's first line
            ours = fields.size() == 6 && fields[5] == file;
            if (ours)
                mappings.push_back({ fields[1].contains('w'), 0, false });
        } else if (ours && fields[0] == "Rss:") {
            mappings.back().residentKiB = fields[1].toLongLong();
        } else if (ours && fields[0] == "VmFlags:") {
            mappings.back().randomReads = fields.contains("rr");
        }
    }
    return mappings;
}

} // namespace

// The pages of a library's read-only parts are handed back all at once
// (its code and constants read again from the file as they are used), and
// the pages it has written are kept.
class LibraryPagesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readOnlyPagesGoWrittenPagesStay()
    {
        // The toolkit's regular expressions bring their library's code in;
        // nothing in this test uses it again.
        QVERIFY(QRegularExpression(QStringLiteral("^(a|b)+c$")).match(QStringLiteral("ababc")).hasMatch());
        std::string library;
        for (const std::string &path : loadedLibraries())
            if (path.find("libpcre2-16.so") != std::string::npos)
                library = path;
        QVERIFY(!library.empty());
        const auto resident = [](const std::vector<Mapping> &mappings, bool writable) {
            qint64 kib = 0;
            for (const Mapping &mapping : mappings)
                kib += mapping.writable == writable ? mapping.residentKiB : 0;
            return kib;
        };
        const std::vector<Mapping> before = mappingsOf(library);
        QVERIFY(resident(before, false) >= 16 && resident(before, true) > 0);

        releaseReadOnlyPages({ library });

        // Only pages a segment shares with the next one stay, in mappings
        // of their own; the writable pages all stay.
        int released = 0;
        for (const Mapping &mapping : mappingsOf(library)) {
            if (mapping.randomReads) {
                QVERIFY(!mapping.writable);
                QCOMPARE(mapping.residentKiB, 0);
                ++released;
            } else if (!mapping.writable) {
                QVERIFY(mapping.residentKiB <= 4);
            }
        }
        QVERIFY(released >= 2);
        QCOMPARE(resident(mappingsOf(library), true), resident(before, true));
    }
};

QTEST_GUILESS_MAIN(LibraryPagesTest)
#include "test_library_pages.moc"
