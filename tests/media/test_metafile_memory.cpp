// Reading a metafile sets aside memory for what the file holds, not for the
// largest file it would read. The test watches the size of every allocation:
// by standing in for malloc in the ordinary build, through the allocator's
// hooks in the sanitizer build (whose allocator cannot be stood in for).

#include "media/metafile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SKY_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SKY_OWN_ALLOCATOR 1
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> largest{0};

void note(std::size_t size)
{
    if (!counting)
        return;
    std::size_t seen = largest;
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

} // namespace

#ifdef SKY_OWN_ALLOCATOR
#include <sanitizer/allocator_interface.h>

namespace {

void noteAllocation(const volatile void *, std::size_t size)
{
    note(size);
}

void noteRelease(const volatile void *) {}

const int hooked = __sanitizer_install_malloc_and_free_hooks(noteAllocation, noteRelease);

} // namespace
#else
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_realloc(void *pointer, std::size_t size);

void *malloc(std::size_t size)
{
    note(size);
    return __libc_malloc(size);
}

void *realloc(void *pointer, std::size_t size)
{
    note(size);
    return __libc_realloc(pointer, size);
}
}
#endif

class TestMetafileMemory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void smallFilesTakeLittleMemory()
    {
#ifdef SKY_OWN_ALLOCATOR
        QVERIFY(hooked);
#endif
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("list.asx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<asx version=\"3.0\"><entry><ref href=\"song.mp3\"/></entry></asx>\r\n");
        file.close();
        const QString song = QDir(dir.path()).filePath(QStringLiteral("song.mp3"));
        QCOMPARE(sky::firstMetafileEntry(path), song); // the patterns are made once

        counting = true;
        const QString again = sky::firstMetafileEntry(path);
        counting = false;
        QCOMPARE(again, song);
        QVERIFY2(largest < 64 * 1024, qPrintable(QString::number(largest)));
    }
};

QTEST_GUILESS_MAIN(TestMetafileMemory)
#include "test_metafile_memory.moc"
