// Movies that load other movies into their clips: the loaded movie plays
// there with its own characters, frames and version, the clip keeps its
// place and name, MovieClipLoader tells each stage of the load, a movie
// that loads itself without end is stopped, and loaded movies sound from
// their own libraries until they go.

#include "scriptactions.h"
#include "soundwriter.h"

#include "swf/audio/soundtags.h"
#include "swf/movieplayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;
using namespace swftest;
using sky::swf::MoviePlayer;

namespace {

// trace(text)
Actions say(const QByteArray &text) { return Actions().push(text).op(0x26); }

// loadMovie(url, target), as the action GetURL2 does it.
Actions loadMovie(const QByteArray &url, const QByteArray &target)
{
    return Actions().push(url).push(target).op(0x9A, QByteArray(1, char(0x40)));
}

// A square of `size` twips from the origin, in `colour`, as character `id`.
void square(swftest::Movie &m, int id, const QColor &colour, int size)
{
    const QRect box(0, 0, size, size);
    m.shape(id, 1, box, {swftest::solidFill(colour, false)}, {}, swftest::Edges().rect(box, 1).end());
}

// Traces a MovieClipLoader event's name, its clip's name and its second
// argument.
Actions loaderHandler(const QByteArray &event)
{
    Actions body;
    body.push(event + " ").push("arguments").op(0x1C).push(0).op(0x4E).push("_name").op(0x4E).op(0x47);
    body.push(" ").op(0x47).push("arguments").op(0x1C).push(1).op(0x4E).op(0x47).op(0x26);
    return Actions().function(body);
}

// Sound 1, `samples` of a `hz` tone, exported as "tone".
void addTone(swftest::Movie &m, int hz, int samples)
{
    m.tag(sky::swf::audio::tagDefineSound,
          swftest::defineSound(1, swftest::soundFormat(3, 3, true, false), quint32(samples),
                               swftest::littleEndian16(swftest::sine(44100, samples, hz))));
    m.tag(56, swftest::Bits().u16(1).u16(1).bytes(QByteArray("tone", 5)).data()); // ExportAssets
}

// A movie whose sound 1, `samples` of a `hz` tone, starts on its first
// frame, where it stops: started by the frame, or by `script` when there
// is one.
QByteArray toneMovie(int hz, int samples = 44100, const std::optional<Actions> &script = {})
{
    swftest::Movie m(8, 100, 100);
    addTone(m, hz, samples);
    if (script)
        m.doAction(script->code());
    else
        m.tag(sky::swf::audio::tagStartSound, swftest::startSound(1));
    m.stopAction().showFrame();
    return m.fws();
}

// s = new Sound(target); s.attachSound("tone"); s.onSoundComplete =
// function () { trace(done); }; s.start();
Actions startTone(const QByteArray &target, const QByteArray &done)
{
    Actions a;
    if (target.isEmpty())
        a.then(construct("s", "Sound"));
    else
        a.push("s").then(valueOf(target)).push(1).push("Sound").op(0x40).op(0x1D);
    a.push("tone").callWithPushed("s", "attachSound");
    a.then(setMember("s", "onSoundComplete", Actions().function(say(done))));
    return a.then(callOn("s", "start")).op(0x17);
}

// The pitch the player's next tenth of a second of sound has, from the
// crossings of zero on the left, to 50 Hz.
int pitchHeard(MoviePlayer &player)
{
    constexpr qsizetype frames = 4410;
    std::vector<float> out(size_t(frames) * 2, 0.0f);
    player.mixSound(out.data(), frames);
    int crossings = 0;
    for (size_t i = 2; i < out.size(); i += 2)
        crossings += (out[i - 2] < 0) != (out[i] < 0);
    return int(std::lround(crossings * 10.0 / 2 / 50)) * 50;
}

} // namespace

class TestSwfLoadMovie : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aLoadedMoviePlaysInTheClipWithItsOwnCharacters();
    void movieClipLoaderTellsEachStageOfAMovieLoad();
    void loadedMoviesKeepTheirVersionsRules();
    void aMovieLoadingItselfStopsAtALimit();
    void loadedMoviesSoundFromTheirOwnLibrariesUntilTheyGo();
    void soundObjectsOfLoadedMoviesPlayTheirOwnSounds();
    void theMainMoviesVolumeReachesLoadedMovies();

private:
    // Runs `bytes` as the movie test.swf of the test folder for `ticks`
    // ticks and returns what it traced.
    QStringList run(const QByteArray &bytes, int ticks, QImage *frame = nullptr);
    void writeFile(const QString &name, const QByteArray &content);

    QTemporaryDir dir;
};

void TestSwfLoadMovie::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush());
}

QStringList TestSwfLoadMovie::run(const QByteArray &bytes, int ticks, QImage *frame)
{
    writeFile(QStringLiteral("test.swf"), bytes);
    QStringList lines;
    MoviePlayer player;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    if (!player.load(dir.filePath(QStringLiteral("test.swf"))))
        qFatal("the test movie does not load");
    for (int i = 1; i < ticks; ++i)
        player.tick();
    if (frame)
        *frame = player.renderFrame();
    return lines;
}

void TestSwfLoadMovie::aLoadedMoviePlaysInTheClipWithItsOwnCharacters()
{
    // Three frames, each tracing its number; its character 1 is a green
    // square. The first frame traces what the clip it plays in shows
    // scripts, then what _root is, before and after _lockroot.
    swftest::Movie child(8, 100, 100);
    square(child, 1, Qt::green, 400);
    child.place(1, 1);
    Actions first = say("frame 1");
    for (const QByteArray path : {"this._name", "this._x", "this.v", "this.inner", "this._totalframes", "this._url"})
        first.then(trace(path));
    first.then(Actions(callOn("this", "getBytesTotal")).op(0x26));
    first.then(trace("_root.hostName")).then(setMember("this", "_lockroot", Actions().push(1)));
    first.then(trace("_root.hostName"));
    child.doAction(first.code()).showFrame();
    child.doAction(say("frame 2").code()).showFrame();
    child.doAction(say("frame 3").code()).showFrame();
    const QByteArray childBytes = child.fws();
    writeFile(QStringLiteral("child.swf"), childBytes);

    // The host's character 1 is a red square at (150, 150); its clip
    // "holder" at (50, 0) has a variable, a child and a blue drawing
    // before the child movie comes into it.
    swftest::Movie host(8, 200, 200);
    square(host, 1, Qt::red, 400);
    host.place(1, 1, 3000, 3000);
    Actions script;
    script.push("hostName").push("host").op(0x1D);
    script.makeClip("_root", "holder", 5).makeClip("_root.holder", "inner", 1);
    script.fillSquare("_root.holder", 0x0000ff, 0, 0, 40);
    script.then(setMember("holder", "_x", Actions().push(50))).then(setMember("holder", "v", Actions().push(1)));
    script.then(loadMovie("child.swf", "holder")).op(0x07);
    host.doAction(script.code()).showFrame();

    QImage frame;
    QCOMPARE(run(host.fws(), 3, &frame),
             (QStringList{u"frame 1"_s, u"holder"_s, u"50"_s, u"undefined"_s, u"undefined"_s, u"3"_s,
                          u"file:///child.swf"_s, QString::number(childBytes.size()), u"host"_s, u"undefined"_s,
                          u"frame 2"_s, u"frame 3"_s}));
    QCOMPARE(frame.pixel(55, 5), qRgb(0, 255, 0));        // the child's square, where the clip is
    QCOMPARE(frame.pixel(80, 30), qRgb(255, 255, 255));   // the drawing went
    QCOMPARE(frame.pixel(155, 155), qRgb(255, 0, 0));     // the host's own character 1
}

void TestSwfLoadMovie::movieClipLoaderTellsEachStageOfAMovieLoad()
{
    swftest::Movie child(8, 100, 100);
    square(child, 1, Qt::green, 400);
    child.place(1, 1).doAction(say("first frame").code()).showFrame();
    const QByteArray childBytes = child.fws();
    writeFile(QStringLiteral("child.swf"), childBytes);
    writeFile(QStringLiteral("broken.swf"), QByteArray("FWS\x08", 4));

    // Frame 1 loads the child, a broken movie and a missing one into
    // "holder"; frame 2 unloads it again.
    swftest::Movie host(8, 100, 100);
    Actions script;
    script.makeClip("_root", "holder", 1).then(construct("mcl", "MovieClipLoader"));
    for (const QByteArray event : {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"})
        script.then(setMember("mcl", event, loaderHandler(event)));
    for (const QByteArray url : {"child.swf", "broken.swf", "none.swf"})
        script.then(valueOf("holder")).push(url).push(2).then(valueOf("mcl")).push("loadClip").op(0x52).op(0x17);
    host.doAction(script.code()).showFrame();
    host.doAction(Actions(valueOf("holder")).push(1).then(valueOf("mcl")).push("unloadClip").op(0x52).op(0x17)
                      .op(0x07).code())
        .showFrame();
    const QString size = QString::number(childBytes.size());
    QImage loaded, unloaded;
    QCOMPARE(run(host.fws(), 1, &loaded),
             (QStringList{u"onLoadStart holder undefined"_s, u"onLoadProgress holder "_s + size,
                          u"onLoadComplete holder 0"_s, u"first frame"_s, u"onLoadInit holder undefined"_s,
                          u"onLoadStart holder undefined"_s, u"onLoadProgress holder 4"_s,
                          u"onLoadError holder LoadNeverCompleted"_s, u"onLoadError holder URLNotFound"_s}));
    QCOMPARE(loaded.pixel(5, 5), qRgb(0, 255, 0));
    run(host.fws(), 2, &unloaded);
    QCOMPARE(unloaded.pixel(5, 5), qRgb(255, 255, 255));
}

void TestSwfLoadMovie::loadedMoviesKeepTheirVersionsRules()
{
    // Names are the same whatever their case up to SWF 6, and not after.
    const auto caseTest = [](const QByteArray &label) {
        return Actions().push("Name").push(label).op(0x1D).then(trace("name"));
    };
    swftest::Movie child(6, 100, 100);
    child.doAction(caseTest("version 6").code()).showFrame();
    writeFile(QStringLiteral("child.swf"), child.fws());
    swftest::Movie host(8, 100, 100);
    Actions script;
    script.makeClip("_root", "holder", 1).then(loadMovie("child.swf", "holder"));
    host.doAction(script.code()).showFrame();
    host.doAction(caseTest("version 8").op(0x07).code()).showFrame();
    QCOMPARE(run(host.fws(), 2), (QStringList{u"version 6"_s, u"undefined"_s}));
}

void TestSwfLoadMovie::aMovieLoadingItselfStopsAtALimit()
{
    // Each copy makes a clip of its own and loads itself into it.
    swftest::Movie self(8, 100, 100);
    Actions script = say("in");
    script.makeClip("this", "c", 1).then(loadMovie("test.swf", "c"));
    self.doAction(script.code()).showFrame();
    QCOMPARE(run(self.fws(), 20), QStringList(9, u"in"_s));
}

void TestSwfLoadMovie::loadedMoviesSoundFromTheirOwnLibrariesUntilTheyGo()
{
    // Each movie's sound 1 is a tone of its own; the main movie's is never
    // started. Frame 1 loads a movie into a clip, frame 2 unloads it and
    // loads another into level 1, frame 3 unloads that level.
    writeFile(QStringLiteral("clip.swf"), toneMovie(3000));
    writeFile(QStringLiteral("level.swf"), toneMovie(1000));
    swftest::Movie host(8, 100, 100);
    addTone(host, 440, 44100);
    host.doAction(Actions().makeClip("_root", "holder", 1).then(loadMovie("clip.swf", "holder")).code()).showFrame();
    const QByteArray toLevel = "level.swf\0_level1\0"_ba;
    host.doAction(Actions(loadMovie("", "holder")).op(0x83, toLevel).code()).showFrame();
    host.doAction(Actions().op(0x83, "\0_level1\0"_ba).op(0x07).code()).showFrame();
    writeFile(QStringLiteral("test.swf"), host.fws());

    MoviePlayer player;
    QVERIFY(player.load(dir.filePath(QStringLiteral("test.swf"))));
    QCOMPARE(pitchHeard(player), 3000);
    player.tick();
    QCOMPARE(pitchHeard(player), 1000);
    player.tick();
    QCOMPARE(pitchHeard(player), 0);
}

void TestSwfLoadMovie::soundObjectsOfLoadedMoviesPlayTheirOwnSounds()
{
    // The main movie exports a tone of its own under the same name, which
    // nobody starts. A Sound made without a target in the movie loaded
    // into a clip plays that movie's tenth of a second of 3 kHz, and tells
    // when it has played out; one made for level 1's root plays the
    // level's 1 kHz.
    writeFile(QStringLiteral("clip.swf"), toneMovie(3000, 4410, startTone({}, "clip done")));
    writeFile(QStringLiteral("level.swf"), toneMovie(1000, 44100, startTone("this", "level done")));
    // Frame 1 loads the clip's movie, frame 2 level 1's, frame 3 unloads
    // the level.
    swftest::Movie host(8, 100, 100);
    addTone(host, 440, 44100);
    host.doAction(Actions().makeClip("_root", "holder", 1).then(loadMovie("clip.swf", "holder")).code()).showFrame();
    host.doAction(Actions().op(0x83, "level.swf\0_level1\0"_ba).code()).showFrame();
    host.doAction(Actions().op(0x83, "\0_level1\0"_ba).op(0x07).code()).showFrame();
    writeFile(QStringLiteral("test.swf"), host.fws());

    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    QVERIFY(player.load(dir.filePath(QStringLiteral("test.swf"))));
    QCOMPARE(pitchHeard(player), 3000);
    player.tick();
    QCOMPARE(pitchHeard(player), 1000);
    QCOMPARE(lines, QStringList{u"clip done"_s});
    player.tick();
    QCOMPARE(pitchHeard(player), 0);
    QCOMPARE(lines, QStringList{u"clip done"_s});
}

void TestSwfLoadMovie::theMainMoviesVolumeReachesLoadedMovies()
{
    // The main movie turns every sound down as it loads a movie whose
    // frame starts a tone, and up again on its next frame; a Sound made
    // for the clip the movie is loaded into then halves that movie's.
    writeFile(QStringLiteral("clip.swf"), toneMovie(3000));
    swftest::Movie host(8, 100, 100);
    host.doAction(Actions()
                      .makeClip("_root", "holder", 1)
                      .then(loadMovie("clip.swf", "holder"))
                      .then(construct("s", "Sound"))
                      .then(callOn("s", "setVolume", {"0"}))
                      .op(0x17)
                      .code())
        .showFrame();
    host.doAction(Actions(callOn("s", "setVolume", {"100"})).op(0x17).code()).showFrame();
    host.doAction(Actions(construct("h", "Sound", {"holder"})).then(callOn("h", "setVolume", {"50"})).op(0x17).code())
        .stopAction()
        .showFrame();
    writeFile(QStringLiteral("test.swf"), host.fws());

    MoviePlayer player;
    QVERIFY(player.load(dir.filePath(QStringLiteral("test.swf"))));
    QCOMPARE(pitchHeard(player), 0);
    player.tick();
    QCOMPARE(pitchHeard(player), 3000);
    std::vector<float> out(4410 * 2, 0.0f);
    player.mixSound(out.data(), 4410);
    const float loud = *std::max_element(out.begin(), out.end());
    player.tick();
    std::fill(out.begin(), out.end(), 0.0f);
    player.mixSound(out.data(), 4410);
    QCOMPARE(std::lround(*std::max_element(out.begin(), out.end()) / loud * 100), 50L);
}

QTEST_GUILESS_MAIN(TestSwfLoadMovie)
#include "tst_swfloadmovie.moc"
