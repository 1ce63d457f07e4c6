// Reading movies: headers, compression, tag streams, damaged input.

#include "swfwriter.h"

#include "swf/movieplayer.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

using namespace sky::swf;

namespace {

swftest::Movie twoFrames()
{
    swftest::Movie m(8, 40, 30, 0.25);
    m.background(QColor(10, 20, 30)).background(QColor(200, 0, 0));
    m.shape(1, 1, QRect(0, 0, 200, 200), {swftest::solidFill(Qt::red, false)}, {},
            swftest::Edges().rect(QRect(0, 0, 200, 200), 1).end());
    m.place(1, 1).showFrame().remove(1).showFrame();
    return m;
}

} // namespace

class TestSwfMovie : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerIsReadFromEveryContainer();
    void tagsDecideTheFrameCount();
    void brokenInputEndsInAnErrorOrAPartialMovie();
    void everyTruncationLoadsOrFailsCleanly();
    void hostileShapesStayCheap();
};

void TestSwfMovie::headerIsReadFromEveryContainer()
{
    const swftest::Movie m = twoFrames();
    for (const QByteArray &data : {m.fws(), m.cws(), m.zws()}) {
        QString error;
        const auto movie = Movie::fromData(data, &error);
        QVERIFY2(movie, qPrintable(error));
        QCOMPARE(movie->version(), 8);
        QCOMPARE(movie->stageSize(), QSize(40, 30));
        QCOMPARE(movie->frameRate(), 0.25);
        QCOMPARE(movie->headerFrameCount(), 2);
        QCOMPARE(movie->timeline().frameCount(), 2);
        // Only the first background colour counts.
        QCOMPARE(movie->backgroundColor(), QColor(10, 20, 30));
        QCOMPARE(movie->damagedTags(), 0);
    }
}

void TestSwfMovie::tagsDecideTheFrameCount()
{
    QByteArray data = twoFrames().fws();
    data[data.size() - 3] = 0; // frame count in the header is not trusted
    QByteArray lying = data;
    lying.chop(2); // and the End tag may be missing
    for (const QByteArray &bytes : {data, lying}) {
        const auto movie = Movie::fromData(bytes);
        QVERIFY(movie);
        QCOMPARE(movie->timeline().frameCount(), 2);
    }
    // A file length far beyond the data changes nothing either.
    QByteArray longClaim = twoFrames().cws();
    longClaim[7] = char(0x7F);
    QVERIFY(Movie::fromData(longClaim));
}

void TestSwfMovie::brokenInputEndsInAnErrorOrAPartialMovie()
{
    QString error;
    QVERIFY(!Movie::fromData(QByteArray(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!Movie::fromData(QByteArray("GIF89a..........."), &error));
    QVERIFY(error.contains(QStringLiteral("signature")));
    QVERIFY(!Movie::fromData(QByteArray("CWS\x0a\x10\x00\x00\x00garbage!", 15), &error));

    // A shape tag claiming more bytes than it holds is skipped; the rest of
    // the movie still plays.
    swftest::Movie m(8, 40, 30);
    m.tag(2, QByteArray("\x01\x00\xff", 3));
    m.tag(26, QByteArray("\x06\x01", 2)).showFrame().showFrame();
    const auto movie = Movie::fromData(m.fws(), &error);
    QVERIFY(movie);
    QCOMPARE(movie->timeline().frameCount(), 2);
    QVERIFY(movie->damagedTags() >= 1);

    // Clip events whose closing flags are cut short by the tag's end still
    // come with their clip.
    swftest::Movie events(8, 40, 30);
    events.sprite(1, swftest::Movie(8, 1, 1).showFrame());
    const QByteArray stop("\x07\x00", 2);
    events.tag(26, swftest::Bits().u8(0x86).u16(1).u16(1).matrix().u16(0).u32(1).u32(1).u32(2).bytes(stop).u16(0).data());
    const auto placed = Movie::fromData(events.showFrame().fws(), &error);
    QVERIFY(placed);
    QCOMPARE(placed->damagedTags(), 0);
    const DisplayOp &op = placed->timeline().frames[0].ops[0];
    QVERIFY(op.hasCharacter && op.values.clipActions);
    QCOMPARE(op.values.clipActions->size(), std::size_t(1));
    QCOMPARE(*op.values.clipActions->front().code, stop);
}

void TestSwfMovie::everyTruncationLoadsOrFailsCleanly()
{
    swftest::Movie m = twoFrames();
    m.bitmap(2, 2, 2, {qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 255), qRgba(0, 0, 255, 255), qRgba(0, 0, 0, 0)});
    m.shape(3, 3, QRect(0, 0, 400, 400), {swftest::bitmapFill(2, false, 20, 0, 0)}, {},
            swftest::Edges().rect(QRect(0, 0, 400, 400), 1).end());
    m.place(2, 3).showFrame();
    QImage canvas(40, 30, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    for (const QByteArray &whole : {m.fws(), m.cws(), m.zws()}) {
        for (qsizetype n = 0; n <= whole.size(); ++n) {
            QByteArray cut = whole.left(n);
            if (n > 8 && n % 3 == 0)
                cut[random.bounded(int(n))] = char(random.bounded(256));
            MoviePlayer player;
            if (!player.loadData(cut))
                continue;
            QVERIFY(player.totalFrames() >= 1);
            QPainter painter(&canvas);
            for (int frame = 1; frame <= player.totalFrames(); ++frame) {
                player.gotoFrame(frame);
                player.draw(painter, canvas.rect());
            }
        }
    }
}

void TestSwfMovie::hostileShapesStayCheap()
{
    // Tens of thousands of edges meeting at one point, in two fill styles:
    // assembling outlines must not compare every edge with every other.
    swftest::Edges edges;
    edges.style(0, 1, 0).moveTo(100, 100);
    for (int i = 0; i < 30000; ++i)
        edges.line(i % 2 ? 40 : -40, 0);
    edges.style(2, 1, 0).line(0, 40).line(0, -40);
    swftest::Movie m(8, 40, 30);
    m.shape(1, 1, QRect(0, 0, 800, 600), {swftest::solidFill(Qt::red, false), swftest::solidFill(Qt::blue, false)}, {},
            edges.end());
    m.place(1, 1).showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.cws()));
    QCOMPARE(player.movie()->damagedTags(), 0);
    QVERIFY(!player.renderFrame().isNull());
}

QTEST_GUILESS_MAIN(TestSwfMovie)
#include "tst_swfmovie.moc"
