// Runs the sound movies of the shared corpus on a simulated clock with no
// sound device: what they trace must be what the original player printed,
// and the loudness of their sound in the frames their tests name must be
// as it was there.

#include "tracecorpus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace sky::swf;

namespace {

// Movies that play as they did in the original player so far; raise it when
// the engine gets better.
constexpr int minimumMatches = SKY_SWF_SOUND_MINIMUM;

QString corpusDir() { return QStringLiteral(SKY_SWF_CORPUS_DIR) + QStringLiteral("/audio"); }

// One of a movie's loudness checks: in each frame listed, the loudest
// sample is at most `most` or at least `least`.
struct LoudnessCheck {
    QString name;
    std::vector<int> frames; // from 1
    std::optional<double> most, least;
};

// The checks the index notes hold as `audio_assert.NAME:{json}`.
std::vector<LoudnessCheck> loudnessChecks(const QString &notes)
{
    std::vector<LoudnessCheck> checks;
    static const QRegularExpression entry(QStringLiteral("audio_assert\\.(\\w+):(\\{[^;]*\\})"));
    for (const auto &match : entry.globalMatch(notes)) {
        const QJsonObject o = QJsonDocument::fromJson(match.captured(2).toUtf8()).object();
        LoudnessCheck check;
        check.name = match.captured(1);
        const QJsonValue frames = o.value(u"frames");
        if (frames.isArray()) {
            for (const QJsonValue &f : frames.toArray())
                check.frames.push_back(f.toInt());
        } else {
            for (int f = frames[u"from"].toInt(); f <= frames[u"to"].toInt(); ++f)
                check.frames.push_back(f);
        }
        if (o.contains(u"max_amplitude"))
            check.most = o.value(u"max_amplitude").toDouble();
        if (o.contains(u"min_max_amplitude"))
            check.least = o.value(u"min_max_amplitude").toDouble();
        checks.push_back(check);
    }
    return checks;
}

// The first check the sound fails, or nothing.
std::optional<QString> failedCheck(const TraceResult &result, const std::vector<LoudnessCheck> &checks)
{
    for (const LoudnessCheck &check : checks)
        for (const int frame : check.frames) {
            const float peak = frame >= 1 && size_t(frame) <= result.peaks.size() ? result.peaks[size_t(frame - 1)] : 0;
            if ((check.most && peak > *check.most) || (check.least && peak < *check.least))
                return QStringLiteral("%1: frame %2 peaks at %3").arg(check.name).arg(frame).arg(peak);
        }
    return std::nullopt;
}

} // namespace

class TestSwfSoundCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void moviesSoundAndTraceAsTheOriginalPlayer();
};

void TestSwfSoundCorpus::moviesSoundAndTraceAsTheOriginalPlayer()
{
    const std::vector<TraceCorpusMovie> movies = readTraceCorpus(corpusDir());
    if (movies.empty())
        QSKIP("the sound corpus is not beside the sources");
    const QString only = qEnvironmentVariable("SKY_SWF_CORPUS_ONLY");
    int matched = 0;
    for (const TraceCorpusMovie &movie : movies) {
        if (!only.isEmpty() && !movie.name.contains(only))
            continue;
        const TraceResult result = runTraceCorpusMovie(corpusDir(), movie);
        QVERIFY2(result.loaded, qPrintable(movie.name));
        const bool traced = traceMatches(corpusDir(), movie, result);
        const std::optional<QString> failed = failedCheck(result, loudnessChecks(movie.notes));
        const bool ok = traced && !failed && result.abandoned == 0;
        matched += ok;
        qInfo("%s %s%s%s", ok ? "match   " : "MISMATCH", qPrintable(movie.name), traced ? "" : " (trace)",
              failed ? qPrintable(u" ("_qs + *failed + u')') : "");
    }
    qInfo("%d of %d movies play as in the original player", matched, int(movies.size()));
    if (only.isEmpty())
        QVERIFY2(matched >= minimumMatches, "fewer movies match than before");
}

QTEST_GUILESS_MAIN(TestSwfSoundCorpus)
#include "tst_swfsoundcorpus.moc"
