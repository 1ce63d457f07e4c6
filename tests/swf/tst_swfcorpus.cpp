// Renders the reference movies of the shared corpus and compares them with
// the images taken from the original player.

#include "corpusrules.h"

#include "swf/devicefonts.h"
#include "swf/movieplayer.h"
#include "swf/tracerun.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QTest>

using namespace sky::swf;

namespace {

// Matches reached so far; raise it when the engine gets better.
constexpr int minimumMatches = SKY_SWF_CORPUS_MINIMUM;

QString corpusDir() { return QStringLiteral(SKY_SWF_CORPUS_DIR); }

// The reference player's own font for device text, where a test has it
// draw with that instead of the system's fonts: Noto Sans, its metrics as
// the font gives them. It is carried here rather than installed, since an
// installed Noto would become the system's sans and serif font for every
// other movie as well.
QString playerDefaultFontFile() { return QStringLiteral(SKY_SWF_TEST_FONT); }

// The fonts a movie's test ships beside it, standing for the system's
// default fonts while that movie is drawn, as its font configuration would
// have the system's own font matching do; and the player's own font, when
// the test draws device text with it.
class ShippedFonts {
public:
    ShippedFonts(const QDir &dir, const CorpusCase &test)
    {
        for (const QString &file : test.fontFiles)
            ids_.push_back(QFontDatabase::addApplicationFont(dir.filePath(file)));
        static const std::map<QString, QString> generic = {{QStringLiteral("sans"), QStringLiteral("Sans Serif")},
                                                           {QStringLiteral("serif"), QStringLiteral("Serif")},
                                                           {QStringLiteral("typewriter"), QStringLiteral("Monospace")}};
        if (test.playerDefaultFont)
            setCarriedDeviceFont(playerDefaultFontFile());
        for (const auto &[kind, families] : test.defaultFonts) {
            if (const auto found = generic.find(kind); found != generic.end()) {
                QFont::insertSubstitutions(found->second, families);
                replaced_.push_back(found->second);
            }
        }
    }
    ~ShippedFonts()
    {
        setCarriedDeviceFont({});
        for (const QString &family : replaced_)
            QFont::removeSubstitutions(family);
        for (const int id : ids_)
            QFontDatabase::removeApplicationFont(id);
    }
    ShippedFonts(const ShippedFonts &) = delete;
    ShippedFonts &operator=(const ShippedFonts &) = delete;

private:
    std::vector<int> ids_;
    QStringList replaced_;
};

} // namespace

class TestSwfCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checksFollowTheirImagesTriggers();
    void referencesMatch();
    void otherMoviesDrawEveryFrame();
};

// A table of checks given after the triggers of several images belongs to
// the image it names: each image is compared once, at its own tick, by its
// own checks.
void TestSwfCorpus::checksFollowTheirImagesTriggers()
{
    const CorpusCase test = readCorpusToml(QStringLiteral("num_frames = 10\n"
                                                          "image_comparisons.\"output.01\".trigger = 1\n"
                                                          "image_comparisons.\"output.02\".trigger = 2\n"
                                                          "[[image_comparisons.\"output.01\".checks]]\n"
                                                          "tolerance = 40\n"
                                                          "[[image_comparisons.\"output.02\".checks]]\n"
                                                          "tolerance = 2\n"
                                                          "max_outliers = 8\n"));
    QCOMPARE(test.images.size(), std::size_t(2));
    QCOMPARE(test.images[0].name, QStringLiteral("output.01"));
    QCOMPARE(test.images[0].tick, 1);
    QCOMPARE(test.images[0].checks.size(), std::size_t(1));
    QCOMPARE(test.images[0].checks[0].tolerance, 40);
    QCOMPARE(test.images[1].tick, 2);
    QCOMPARE(test.images[1].checks.size(), std::size_t(1));
    QCOMPARE(test.images[1].checks[0].tolerance, 2);
    QCOMPARE(test.images[1].checks[0].maxOutliers, 8);
}

void TestSwfCorpus::referencesMatch()
{
    const QDir root(corpusDir() + QStringLiteral("/ruffle"));
    if (!root.exists())
        QSKIP("the SWF corpus is not beside the sources");
    const QString only = qEnvironmentVariable("SKY_SWF_CORPUS_ONLY");
    const QString dumpDir = qEnvironmentVariable("SKY_SWF_CORPUS_DUMP");
    int counted = 0;
    int matched = 0;
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!only.isEmpty() && !name.contains(only))
            continue;
        const QDir dir(root.filePath(name));
        QFile toml(dir.filePath(QStringLiteral("test.toml")));
        QVERIFY(toml.open(QIODevice::ReadOnly));
        CorpusCase test = readCorpusToml(QString::fromUtf8(toml.readAll()));
        std::sort(test.images.begin(), test.images.end(),
                  [](const ReferenceImage &a, const ReferenceImage &b) { return a.tick < b.tick; });
        const ShippedFonts fonts(dir, test);
        MoviePlayer player;
        const bool loaded = player.load(dir.filePath(QStringLiteral("test.swf")));
        // Recorded input follows each tick up to its next Wait, and a tick's
        // picture is taken after that input: the reference player draws
        // what the input changed before the next frame runs.
        std::vector<InputEvent> events;
        readInputFile(dir.filePath(QStringLiteral("input.json")), events, nullptr);
        InputReplay replay(std::move(events));
        int ticksRun = 1;
        bool inputAfterTick = false;
        RenderOptions options;
        options.antialias = !test.lowQuality;
        for (const ReferenceImage &ref : test.images) {
            while (loaded) {
                if (!inputAfterTick)
                    replay.toNextWait(player);
                inputAfterTick = true;
                if (ticksRun >= ref.tick)
                    break;
                player.tick();
                ++ticksRun;
                inputAfterTick = false;
            }
            const QImage expected(dir.filePath(ref.name + QStringLiteral(".expected.png")));
            const QImage actual = test.viewport.isEmpty() ? player.renderFrame(options) : [&] {
                // A window of its own size, the stage scaled to fit it.
                QImage shown(test.viewport, QImage::Format_ARGB32_Premultiplied);
                QPainter painter(&shown);
                player.draw(painter, QRectF(shown.rect()), options);
                return shown;
            }();
            const bool ok = loaded && imageMatches(actual, expected, ref.checks);
            if (!ref.knownFailure) {
                ++counted;
                matched += ok;
            }
            QString detail;
            for (const ImageCheck &check : ref.checks)
                detail += QStringLiteral(" %1/%2@%3")
                              .arg(actual.size() == expected.size() ? countOutliers(actual, expected, check.tolerance) : -1)
                              .arg(check.maxOutliers)
                              .arg(check.tolerance);
            qInfo("%s %s/%s (tick %d, outliers/allowed@tolerance:%s)", ok ? "match   " : "MISMATCH", qPrintable(name),
                  qPrintable(ref.name), ref.tick, qPrintable(detail));
            if (!dumpDir.isEmpty())
                actual.save(dumpDir + u'/' + name + u'.' + ref.name + QStringLiteral(".png"));
        }
    }
    qInfo("%d of %d reference images match", matched, counted);
    if (only.isEmpty())
        QVERIFY2(matched >= minimumMatches, "fewer reference images match than before");
}

void TestSwfCorpus::otherMoviesDrawEveryFrame()
{
    const QDir other(corpusDir() + QStringLiteral("/other"));
    if (!other.exists())
        QSKIP("the SWF corpus is not beside the sources");
    for (const QString &file : other.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        MoviePlayer player;
        QVERIFY2(player.load(other.filePath(file)), qPrintable(file + u' ' + player.errorString()));
        QCOMPARE(player.movie()->damagedTags(), 0);
        for (int frame = 1; frame <= player.totalFrames(); ++frame) {
            player.gotoFrame(frame);
            QCOMPARE(player.currentFrame(), frame);
            QVERIFY(!player.renderFrame().isNull());
        }
    }
}

QTEST_MAIN(TestSwfCorpus)
#include "tst_swfcorpus.moc"
