// Movies that load and keep data: XML read and written back as the player
// does, files beside the movie coming in at the player's next turn (and
// none from elsewhere), and SharedObjects kept between runs in the host's
// store, whose records may be anything.

#include "scriptactions.h"

#include "swf/avm1/storeddata.h"
#include "swf/movieplayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace sky::swf;
using namespace Qt::StringLiterals;
using swftest::Actions;
using swftest::callOn;
using swftest::construct;
using swftest::setMember;
using swftest::trace;
using swftest::valueOf;

namespace {

// A handler tracing `label` and then its first argument.
Actions tracingHandler(const QByteArray &label)
{
    return Actions().function(Actions().push(label).push("arguments").op(0x1C).push(0).op(0x4E).op(0x47).op(0x26));
}

// One frame running `script`, then stopping.
QByteArray movie(const Actions &script)
{
    swftest::Movie m(8, 100, 100);
    m.doAction(script.code()).stopAction().showFrame();
    return m.fws();
}

// A store in memory that can be told to refuse writes.
class MemoryStore : public ObjectStore {
public:
    std::map<QString, QByteArray> records;
    bool refuse = false;

    std::optional<QByteArray> read(const QString &name, qint64 maxBytes) override
    {
        const auto found = records.find(name);
        if (found == records.end() || found->second.size() > maxBytes)
            return std::nullopt;
        return found->second;
    }
    bool write(const QString &name, const QByteArray &bytes) override
    {
        if (refuse)
            return false;
        records[name] = bytes;
        return true;
    }
    bool remove(const QString &name) override
    {
        records.erase(name);
        return true;
    }
};

} // namespace

class TestSwfData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void xmlIsReadLenientlyAndWrittenBack();
    void xmlTreesChangeOnlyIntoTrees();
    void filesComeInFromBesideTheMovieOnly();
    void variablesLoadIntoObjectsAndClips();
    void picturesLoadIntoClips();
    void sharedObjectsAreKeptBetweenRuns();
    void sharedObjectsThatCannotBeWrittenSaySo();
    void hostileStoredRecordsGiveEmptyData();

private:
    // Runs `bytes` as a movie in the test folder for `ticks` ticks and
    // returns what it traced; the movie ends before this returns.
    QStringList run(const QByteArray &bytes, int ticks = 1, QImage *frame = nullptr);
    void writeFile(const QString &name, const QByteArray &content);

    QTemporaryDir dir;
    MemoryStore store;
};

void TestSwfData::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

QStringList TestSwfData::run(const QByteArray &bytes, int ticks, QImage *frame)
{
    QDir(dir.path()).mkpath(QStringLiteral("movies"));
    writeFile(QStringLiteral("movies/test.swf"), bytes);
    QStringList lines;
    MoviePlayer player;
    player.setTraceSink([&lines](const QString &line) { lines << line; });
    player.setObjectStore(&store);
    if (!player.load(dir.filePath(QStringLiteral("movies/test.swf"))))
        qFatal("the test movie does not load");
    for (int i = 1; i < ticks; ++i)
        player.tick();
    if (frame)
        *frame = player.renderFrame();
    return lines;
}

void TestSwfData::xmlIsReadLenientlyAndWrittenBack()
{
    const QByteArray text = "<?xml version=\"1.0\"?><!DOCTYPE r><r a=\"1&amp;2\" b='x'><b>t &lt; u&#33;</b><c/>  "
                            "<![CDATA[<raw>]]><!-- passed over --><?pi passed over?></r>";
    Actions script = construct("x", "XML", {text});
    for (const char *path : {"x.status", "x.xmlDecl", "x.docTypeDecl", "x.firstChild.attributes.a",
                             "x.firstChild.firstChild.firstChild.nodeValue", "x.firstChild.childNodes.length",
                             "x.firstChild.lastChild.nodeValue", "x.firstChild.lastChild.nodeType"})
        script.then(trace(path));
    script.then(callOn("x", "toString")).op(0x26);
    // Whitespace between elements is text, unless ignoreWhite says not.
    script.then(construct("y", "XML")).then(setMember("y", "ignoreWhite", Actions().push(1)));
    script.then(callOn("y", "parseXML", {"<r>\n  <b/>\n <c> x </c></r>"})).op(0x17);
    script.then(trace("y.firstChild.childNodes.length")).then(trace("y.firstChild.lastChild.firstChild.nodeValue"));
    // Malformed text: its status, and what came before the fault.
    const QList<QByteArray> malformed = {"<a><![CDATA[x</a>", "<?xml version", "<!DOCTYPE a",   "<a><!-- x</a>",
                                         "<a b></a>",         "<a b=\"x></a>",  "<a><b></b>", "<a></b>", "</a>"};
    for (const QByteArray &bad : malformed)
        script.then(construct("z", "XML", {bad})).then(trace("z.status"));
    script.then(construct("z", "XML", {"<a><b>kept</b><c"})).then(callOn("z", "toString")).op(0x26);

    const QStringList lines = run(movie(script));
    QCOMPARE(lines, (QStringList{u"0"_s, u"<?xml version=\"1.0\"?>"_s, u"<!DOCTYPE r>"_s, u"1&2"_s,
                                 u"t < u!"_s, u"4"_s, u"<raw>"_s, u"3"_s,
                                 u"<?xml version=\"1.0\"?><!DOCTYPE r><r a=\"1&amp;2\" b=\"x\"><b>t &lt; u!</b><c />  "
                                 u"&lt;raw&gt;</r>"_s,
                                 u"2"_s, u" x "_s, u"-2"_s, u"-3"_s, u"-4"_s, u"-5"_s, u"-6"_s, u"-8"_s, u"-9"_s,
                                 u"-10"_s, u"-10"_s, u"<a><b>kept</b></a>"_s}));
}

void TestSwfData::xmlTreesChangeOnlyIntoTrees()
{
    Actions script = construct("x", "XML", {"<r><b/><c/></r>"});
    script.push("r").then(valueOf("x.firstChild")).op(0x1D);
    script.push("kids").then(valueOf("r.childNodes")).op(0x1D);
    script.push("e").then(callOn("x", "createElement", {"n"})).op(0x1D);
    // Put first, it stands before b; the array read before follows.
    script.then(valueOf("r.firstChild")).then(valueOf("e")).push(2).then(valueOf("r")).push("insertBefore").op(0x52).op(0x17);
    script.then(trace("e.nextSibling.nodeName")).then(trace("kids.length"));
    // A node cannot hold itself or the nodes it lies in.
    script.then(valueOf("x")).push(1).then(valueOf("r")).push("appendChild").op(0x52).op(0x17);
    script.then(valueOf("r")).push(1).then(valueOf("e")).push("appendChild").op(0x52).op(0x17);
    script.then(trace("r.childNodes.length")).then(callOn("e", "hasChildNodes")).op(0x26);
    // Moved, a node leaves where it was; a deep copy writes the same.
    script.then(valueOf("e")).push(1).then(valueOf("r.lastChild")).push("appendChild").op(0x52).op(0x17);
    script.then(trace("r.childNodes.length")).then(trace("e.parentNode.nodeName"));
    script.push("k").push(1).push(1).then(valueOf("x")).push("cloneNode").op(0x52).op(0x1D);
    script.then(callOn("k", "toString")).op(0x26).then(callOn("x", "toString")).op(0x26);
    script.then(callOn("e", "removeNode")).op(0x17).then(trace("e.parentNode")).then(callOn("x", "toString")).op(0x26);

    // XML's onData called on an object that is no XML parses nothing into
    // it, and tells its onLoad all the same.
    script.push("o").push(0).push("Object").op(0x40).op(0x1D);
    script.then(setMember("o", "onLoad", tracingHandler("loaded ")));
    script.push("<a/>").then(valueOf("o")).push(2).then(valueOf("XML.prototype.onData")).push("call").op(0x52).op(0x17);
    script.then(trace("o.firstChild"));

    const QStringList lines = run(movie(script));
    QCOMPARE(lines, (QStringList{u"b"_s, u"3"_s, u"3"_s, u"false"_s, u"2"_s, u"c"_s, u"<r><b /><c><n /></c></r>"_s,
                                 u"<r><b /><c><n /></c></r>"_s, u"null"_s, u"<r><b /><c /></r>"_s, u"loaded true"_s,
                                 u"undefined"_s}));
}

void TestSwfData::filesComeInFromBesideTheMovieOnly()
{
    const QByteArray list = "\xef\xbb\xbf<list>\n <item id=\"7\">caf\xc3\xa9</item>\n</list>";
    writeFile(QStringLiteral("movies/list.xml"), list);
    writeFile(QStringLiteral("secret.xml"), "<secret/>");
    Actions script;
    const QList<std::pair<QByteArray, QByteArray>> loads = {
        {"list", "list.xml?fresh=1"}, {"missing", "none.xml"}, {"above", "../secret.xml"},
        {"network", "http://example.com/list.xml"}};
    Actions listLoaded;
    listLoaded.then(trace("this.firstChild.firstChild.attributes.id"))
        .then(trace("this.firstChild.firstChild.firstChild.nodeValue"))
        .then(callOn("this", "getBytesTotal"))
        .op(0x26);
    for (const auto &[name, url] : loads) {
        script.then(construct(name, "XML")).then(setMember(name, "ignoreWhite", Actions().push(1)));
        script.then(setMember(name, "onLoad", name == "list" ? Actions().function(listLoaded)
                                                             : tracingHandler(name + " ")));
        script.then(callOn(name, "load", {url})).op(0x17);
    }
    script.then(trace("list.loaded")).then(callOn("list", "getBytesTotal")).op(0x26);
    const QStringList lines = run(movie(script), 2);
    QCOMPARE(lines, (QStringList{u"false"_s, u"undefined"_s, u"7"_s, u"caf\u00e9"_s, QString::number(list.size()),
                                 u"missing false"_s, u"above false"_s, u"network false"_s}));
}

void TestSwfData::variablesLoadIntoObjectsAndClips()
{
    writeFile(QStringLiteral("movies/vars.txt"), "name=J%C3%B6rg+M&score=12&empty&odd=%zz");
    Actions script = construct("out", "LoadVars");
    script.then(setMember("out", "msg", Actions().push("x y&z=\xc3\xa9")));
    script.then(callOn("out", "toString")).op(0x26);
    script.then(construct("lv", "LoadVars"));
    script.then(setMember("lv", "onLoad",
                          Actions().function(Actions().push("loaded ").push("arguments").op(0x1C).push(0).op(0x4E)
                                                 .op(0x47).op(0x26).then(trace("this.name"))
                                                 .then(trace("this.score")))));
    script.then(callOn("lv", "load", {"vars.txt"})).op(0x17);
    // Into a clip by its method, and into the main movie by the action
    // loadVariables("vars.txt", "_root") compiles to.
    script.makeClip("_root", "holder", 1);
    script.then(setMember("holder", "onData", Actions().function(Actions().push("holder ").then(valueOf("this.name"))
                                                                       .op(0x47).op(0x26))));
    script.then(callOn("holder", "loadVariables", {"vars.txt"})).op(0x17);
    script.then(setMember("_root", "onData", Actions().function(Actions().push("root ").then(valueOf("_root.score"))
                                                                      .op(0x47).op(0x26))));
    script.push("vars.txt").push("_root").op(0x9A, QByteArray(1, char(0xc0)));
    script.push("missing.txt").push("_root").op(0x9A, QByteArray(1, char(0xc0)));
    QCOMPARE(run(movie(script), 2), (QStringList{u"msg=x%20y%26z%3D%C3%A9"_s, u"loaded true"_s, u"J\u00f6rg M"_s,
                                                 u"12"_s, u"holder J\u00f6rg M"_s, u"root 12"_s}));
}

void TestSwfData::picturesLoadIntoClips()
{
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(dir.filePath(QStringLiteral("movies/red.png"))));
    writeFile(QStringLiteral("movies/other.png"), "no picture");
    Actions script;
    script.makeClip("_root", "holder", 1).makeClip("_root", "other", 2).makeClip("_root", "direct", 3);
    script.fillSquare("_root.holder", 0x0000ff, 0, 0, 40).then(setMember("direct", "_x", Actions().push(50)));
    script.then(construct("mcl", "MovieClipLoader"));
    for (const QByteArray event : {"onLoadStart", "onLoadComplete", "onLoadInit", "onLoadError"})
        script.then(setMember("mcl", event,
                              Actions().function(Actions().push(event + " ").push("arguments").op(0x1C).push(0)
                                                     .op(0x4E).push("_name").op(0x4E).op(0x47).push(" ").op(0x47)
                                                     .push("arguments").op(0x1C).push(1).op(0x4E).op(0x47).op(0x26))));
    for (const auto &[url, clip] : {std::pair("red.png", "holder"), {"other.png", "other"}, {"none.png", "other"}})
        script.then(valueOf(clip)).push(url).push(2).then(valueOf("mcl")).push("loadClip").op(0x52).op(0x17);
    // What loadMovie("red.png", "direct") compiles to.
    script.push("red.png").push("direct").op(0x9A, QByteArray(1, char(0x40)));
    QImage frame;
    QCOMPARE(run(movie(script), 1, &frame),
             (QStringList{u"onLoadStart holder undefined"_s, u"onLoadComplete holder 0"_s, u"onLoadInit holder undefined"_s,
                          u"onLoadStart other undefined"_s, u"onLoadError other LoadNeverCompleted"_s,
                          u"onLoadError other URLNotFound"_s}));
    // The picture in place of the square drawn before, and in the clip
    // moved aside.
    QCOMPARE(frame.pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(frame.pixel(15, 15), qRgb(255, 255, 255));
    QCOMPARE(frame.pixel(55, 5), qRgb(255, 0, 0));
}

void TestSwfData::sharedObjectsAreKeptBetweenRuns()
{
    store.records.clear();
    Actions script;
    script.push("so").push("game").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x1D);
    script.then(trace("so.data.score")).then(trace("so.data.list.2.three")).then(trace("so.data.again.1"));
    script.then(setMember("so.data", "score", Actions().push(42)));
    script.push("so").op(0x1C).push("data").op(0x4E).push("list").push("three").push(3).push(1).op(0x43)
        .push("two").push(1).push(3).op(0x42).op(0x4F);
    script.then(setMember("so.data", "again", valueOf("so.data.list")));
    script.then(setMember("so.data", "f", Actions().function(Actions())));
    script.then(callOn("so", "flush")).op(0x26);
    // Another name, not flushed: written as the movie ends.
    script.push("other").push("other").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x1D);
    script.then(trace("other.data.seen")).then(setMember("other.data", "seen", Actions().push("yes")));
    // Names the player refuses, and a path that does not lead to the movie.
    script.push("a b").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x26);
    script.push("/elsewhere").push("game").push(2).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x26);

    QCOMPARE(run(movie(script)), (QStringList{u"undefined"_s, u"undefined"_s, u"undefined"_s, u"true"_s,
                                              u"undefined"_s, u"null"_s, u"null"_s}));
    const QString record = u"localhost"_s + dir.filePath(QStringLiteral("movies/test.swf")) + u"/game"_s;
    QVERIFY(store.records.contains(record));
    QCOMPARE(run(movie(script)), (QStringList{u"42"_s, u"3"_s, u"two"_s, u"true"_s, u"yes"_s, u"null"_s,
                                              u"null"_s}));
}

void TestSwfData::sharedObjectsThatCannotBeWrittenSaySo()
{
    store.records.clear();
    const auto script = [](int score) {
        Actions a;
        a.push("so").push("game").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x1D);
        a.then(trace("so.data.score")).then(setMember("so.data", "score", Actions().push(score)));
        a.then(setMember("so", "onStatus",
                         Actions().function(Actions().push("arguments").op(0x1C).push(0).op(0x4E).push("code")
                                                .op(0x4E).op(0x26))));
        return a.then(callOn("so", "flush")).op(0x26);
    };
    QCOMPARE(run(movie(script(7))), (QStringList{u"undefined"_s, u"true"_s}));
    // Refused, the flush and the write as the movie ends leave the last
    // record as it was.
    store.refuse = true;
    QCOMPARE(run(movie(script(8))), (QStringList{u"7"_s, u"SharedObject.Flush.Failed"_s, u"false"_s}));
    store.refuse = false;
    QCOMPARE(run(movie(script(9))).first(), u"7"_s);
}

void TestSwfData::hostileStoredRecordsGiveEmptyData()
{
    // What the player writes, then cut, nested past the limit, pointing
    // at objects never read, or claiming more than there is.
    const QByteArray header = QByteArray("\x00\xbf\x00\x00\x00\x00TCSO\x00\x04\x00\x00\x00\x00\x00\x04game\x00\x00\x00\x00", 26);
    QByteArray deep = header + QByteArray("\x00\x01x", 3);
    for (int i = 0; i < 5000; ++i)
        deep += QByteArray("\x03\x00\x01y", 4);
    const QList<QByteArray> records = {
        header + QByteArray("\x00\x05score\x00\x40\x45", 10),
        deep,
        header + QByteArray("\x00\x05score\x07\x00\x05\x00", 10),
        header + QByteArray("\x00\x05score\x0a\xff\xff\xff\xff\x00", 12),
        header + QByteArray("\x00\x05score\x0c\x7f\xff\xff\xff", 12),
        QByteArray(100, '\xff'),
    };
    Actions script;
    script.push("so").push("game").push(1).push("SharedObject").op(0x1C).push("getLocal").op(0x52).op(0x1D);
    script.then(trace("so.data.score")).then(callOn("so", "getSize")).op(0x26);
    const QString record = u"localhost"_s + dir.filePath(QStringLiteral("movies/test.swf")) + u"/game"_s;
    for (const QByteArray &bytes : records) {
        store.records[record] = bytes;
        QCOMPARE(run(movie(script)), (QStringList{u"undefined"_s, u"0"_s}));
    }
    // A record that refers back to the object holding it reads whole.
    store.records[record] = header + QByteArray("\x00\x05score\x03\x00\x04self\x07\x00\x00\x00\x00\x09\x00", 21);
    script.then(trace("so.data.score.self.self.self"));
    QCOMPARE(run(movie(script)).last(), u"[object Object]"_s);
}

QTEST_GUILESS_MAIN(TestSwfData)
#include "tst_swfdata.moc"
