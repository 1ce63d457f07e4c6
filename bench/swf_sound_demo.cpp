// A movie with a stream soundtrack and a button that clicks when pressed,
// and the measurement of what a sound server's monitor heard of it while
// the player showed it and a person clicked the button:
//
//   swf_sound_demo write MOVIE.swf
//   swf_sound_demo capture SOURCE RATE SECONDS X Y CLICK_SECONDS...
//
// `capture` records SOURCE (a monitor of the sink the player plays into)
// with parec for SECONDS, moves the pointer onto (X, Y) of the screen with
// xdotool and presses the button there at each of CLICK_SECONDS, then
// prints the soundtrack's level, the timing of its chord changes, the gaps
// in it and how long after each press its click was heard. bench/
// sound_capture.sh sets up the screen, the sound server and the player.

#include "soundwriter.h"
#include "swfwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int kMovieRate = 44100;
constexpr int kSoundtrackSeconds = 12;
constexpr double kFps = 24;
constexpr double kClickHz = 3000;
constexpr double kClickSeconds = 0.06;

// 400 x 300 pixels: a 200 x 150 button in the middle, red, green under the
// pointer and blue pressed, whose press plays a 60 ms 3 kHz tone; the
// soundtrack a 12-second MP3 of chords, the movie as long as it.
std::optional<QByteArray> demoMovie()
{
    const auto packets = swftest::ffmpegPackets(swftest::chordMusic(kMovieRate, kSoundtrackSeconds), kMovieRate,
                                                QStringLiteral("libmp3lame"));
    if (!packets || packets->empty())
        return std::nullopt;
    swftest::Movie m(8, 400, 300, kFps);
    m.background(QColor(40, 40, 60));
    const int clickFrames = int(kMovieRate * kClickSeconds);
    m.tag(14, swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(clickFrames),
                                   swftest::littleEndian16(swftest::sine(kMovieRate, clickFrames, kClickHz))));
    const QRect face(0, 0, 4000, 3000);
    const QColor colours[] = {QColor(200, 40, 40), QColor(40, 200, 40), QColor(40, 40, 220)};
    for (int i = 0; i < 3; ++i)
        m.shape(2 + i, 1, face, {swftest::solidFill(colours[i], false)}, {}, swftest::Edges().rect(face, 1).end());
    m.button(10, {{2, 1, 1}, {3, 1, 2}, {4, 1, 4 | 8}}, {});
    // DefineButtonSound: nothing on leaving or entering, the tone on a
    // press, nothing on the release.
    m.tag(17, swftest::Bits().u16(10).u16(0).u16(0).data() + swftest::startSound(1)
                  + swftest::Bits().u16(0).data());
    m.place(1, 10, 2000, 1500);
    swftest::addMp3Stream(m, *packets, kMovieRate, kFps);
    return m.fws();
}

int writeMovie(const QString &path)
{
    const auto swf = demoMovie();
    if (!swf) {
        std::fprintf(stderr, "ffmpeg with libmp3lame is needed to make the soundtrack\n");
        return 1;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*swf) != swf->size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

// The amplitude of `hz` in `n` samples of the left channel from `at`, on a
// full scale of 1, through a Hann window.
double amplitudeAt(const std::vector<float> &left, qsizetype at, qsizetype n, double hz, int rate)
{
    const double w = 2 * std::numbers::pi * hz / rate;
    double re = 0, im = 0, sumWindow = 0;
    for (qsizetype i = 0; i < n && at + i < qsizetype(left.size()); ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n));
        re += left[size_t(at + i)] * hann * std::cos(w * double(i));
        im += left[size_t(at + i)] * hann * std::sin(w * double(i));
        sumWindow += hann;
    }
    return sumWindow > 0 ? 2 * std::hypot(re, im) / sumWindow : 0;
}

struct Recording {
    int rate = 0;
    std::vector<float> left;
    double startMs = 0; // when its first sample was heard, on the capture's clock
};

// Which of the twelve chords plays in `n` samples from `at`.
int chordAt(const Recording &r, qsizetype at, qsizetype n)
{
    int best = 0;
    double loudest = -1;
    for (int k = 0; k < 12; ++k) {
        const double level = amplitudeAt(r.left, at, n, swftest::chordRoot(k / 2.0 + 0.25), r.rate);
        if (level > loudest) {
            loudest = level;
            best = k;
        }
    }
    return best;
}

void measureSoundtrack(const Recording &r, const std::vector<qsizetype> &clicks)
{
    // Level, away from the clicks.
    const qsizetype clickSpan = qsizetype(r.rate * 0.1);
    double sum = 0, peak = 0;
    qsizetype counted = 0, heardFrom = -1;
    for (qsizetype i = 0; i < qsizetype(r.left.size()); ++i) {
        const bool nearClick = std::any_of(clicks.begin(), clicks.end(),
                                           [&](qsizetype c) { return i >= c - 10 && i < c + clickSpan; });
        const float s = r.left[size_t(i)];
        if (heardFrom < 0 && std::abs(s) > 0.01f)
            heardFrom = i;
        if (nearClick || heardFrom < 0)
            continue;
        sum += double(s) * s;
        peak = std::max(peak, double(std::abs(s)));
        ++counted;
    }
    if (counted == 0) {
        std::printf("soundtrack: nothing heard\n");
        return;
    }
    std::printf("soundtrack: RMS %.3f, peak %.3f over %.2f s (the movie's: RMS 0.240, peak 0.55)\n",
                std::sqrt(sum / double(counted)), peak, double(counted) / r.rate);
    // Gaps: 3 ms and more of silence once the soundtrack has begun.
    int gaps = 0;
    double longest = 0;
    for (qsizetype i = heardFrom, quiet = 0; i < qsizetype(r.left.size()); ++i) {
        quiet = std::abs(r.left[size_t(i)]) < 0.002f ? quiet + 1 : 0;
        if (quiet == qsizetype(r.rate * 0.003))
            ++gaps;
        longest = std::max(longest, double(quiet) * 1000 / r.rate);
    }
    std::printf("gaps of 3 ms or more: %d, the longest %.1f ms\n", gaps, longest);
    // The chord changes every half second: find each change to a window
    // of 10 ms (a chord counts once heard in three windows running, as two
    // chords blend where one gives way) and compare the spacing with 500 ms.
    const qsizetype window = r.rate / 20, hop = r.rate / 100;
    std::vector<double> changes;
    int steps = 0, others = 0;
    int current = -1, candidate = -1, run = 0;
    qsizetype since = 0;
    for (qsizetype at = heardFrom; at + window < qsizetype(r.left.size()); at += hop) {
        const int chord = chordAt(r, at, window);
        if (chord == current) {
            candidate = -1;
            continue;
        }
        if (chord != candidate) {
            candidate = chord;
            since = at;
            run = 0;
        }
        if (++run < 3)
            continue;
        if (current >= 0) {
            changes.push_back(double(since + window / 2) * 1000 / r.rate);
            (chord == (current + 1) % 12 || chord == 0 ? steps : others)++;
        }
        current = chord;
        candidate = -1;
    }
    std::vector<double> spacing;
    for (size_t i = 1; i < changes.size(); ++i)
        spacing.push_back(changes[i] - changes[i - 1]);
    if (spacing.empty())
        return;
    double mean = 0, worst = 0;
    for (double s : spacing) {
        mean += s;
        worst = std::max(worst, std::abs(s - 500));
    }
    mean /= double(spacing.size());
    std::printf("chord changes: %zu (%d a semitone up or back to the first, %d others), spacing %.1f ms on "
                "average (500 in the movie), at most %.1f ms off\n",
                changes.size(), steps, others, mean, worst);
}

// The first sample of the click tone within a second after `fromMs`, -1
// when none is heard.
qsizetype clickOnset(const Recording &r, double fromMs)
{
    const qsizetype window = qsizetype(r.rate * 0.004), hop = std::max<qsizetype>(1, r.rate / 4000);
    const qsizetype begin = std::max<qsizetype>(0, qsizetype((fromMs - r.startMs - 50) * r.rate / 1000));
    const qsizetype end = std::min(qsizetype(r.left.size()) - window, begin + r.rate);
    for (qsizetype at = begin; at < end; at += hop)
        if (amplitudeAt(r.left, at, window, kClickHz, r.rate) > 0.15)
            return at + window / 2; // the window is half full of the tone
    return -1;
}

int capture(const QStringList &args)
{
    const QString source = args[0];
    const int rate = args[1].toInt();
    const double seconds = args[2].toDouble();
    const QString x = args[3], y = args[4];
    std::vector<double> clickAt;
    for (qsizetype i = 5; i < args.size(); ++i)
        clickAt.push_back(args[i].toDouble());

    QElapsedTimer clock;
    clock.start();
    QProcess parec;
    QByteArray raw;
    Recording r;
    r.rate = rate;
    r.startMs = 1e18;
    // Each block's last sample was heard no later than it arrived: the
    // block that came soonest dates the whole recording.
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, [&] {
        raw += parec.readAllStandardOutput();
        const double now = double(clock.nsecsElapsed()) / 1e6;
        r.startMs = std::min(r.startMs, now - double(raw.size() / 4) * 1000 / rate);
    });
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("--raw"), QStringLiteral("--format=s16le"), QStringLiteral("--channels=2"),
                 QStringLiteral("--rate=%1").arg(rate), QStringLiteral("--latency-msec=5"),
                 QStringLiteral("--device=%1").arg(source)});
    if (!parec.waitForStarted()) {
        std::fprintf(stderr, "parec did not start\n");
        return 1;
    }
    const auto xdotool = [](const QStringList &a) { QProcess::execute(QStringLiteral("xdotool"), a); };
    std::vector<double> pressedMs;
    size_t next = 0;
    bool inside = false;
    while (clock.elapsed() < qint64(seconds * 1000)) {
        parec.waitForReadyRead(5);
        const double now = double(clock.nsecsElapsed()) / 1e6;
        if (!inside && next < clickAt.size() && now >= clickAt[next] * 1000 - 300) {
            xdotool({QStringLiteral("mousemove"), x, y});
            inside = true;
        }
        if (inside && now >= clickAt[next] * 1000) {
            // The press is in the X server once xdotool is done.
            xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
            pressedMs.push_back(double(clock.nsecsElapsed()) / 1e6);
            parec.waitForReadyRead(100);
            xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
            xdotool({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
            inside = false;
            ++next;
        }
    }
    parec.terminate();
    parec.waitForFinished(2000);
    raw += parec.readAllStandardOutput();
    const auto *samples = reinterpret_cast<const qint16 *>(raw.constData());
    for (qsizetype i = 0; i + 1 < raw.size() / 2; i += 2)
        r.left.push_back(float(samples[i]) / 32768.0f);
    std::printf("recorded %.2f s at %d Hz\n", double(r.left.size()) / rate, rate);

    std::vector<qsizetype> onsets;
    for (size_t i = 0; i < pressedMs.size(); ++i) {
        const qsizetype onset = clickOnset(r, pressedMs[i]);
        if (onset < 0) {
            std::printf("press %zu at %.3f s: no click heard\n", i + 1, pressedMs[i] / 1000);
            continue;
        }
        onsets.push_back(onset);
        const double heardMs = r.startMs + double(onset) * 1000 / rate;
        std::printf("press %zu at %.3f s: click heard %.1f ms later, level %.3f\n", i + 1, pressedMs[i] / 1000,
                    heardMs - pressedMs[i], amplitudeAt(r.left, onset + qsizetype(rate * 0.01),
                                                        qsizetype(rate * 0.02), kClickHz, rate));
    }
    measureSoundtrack(r, onsets);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == u"write")
        return writeMovie(args[1]);
    if (args.size() >= 6 && args[0] == u"capture")
        return capture(args.mid(1));
    std::fprintf(stderr, "usage: swf_sound_demo write MOVIE.swf\n"
                         "       swf_sound_demo capture SOURCE RATE SECONDS X Y CLICK_SECONDS...\n");
    return 2;
}
