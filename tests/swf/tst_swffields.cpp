// Text fields bound to a variable: a field placed sets its variable when
// the movie has not, and shows the variable's value after each tick; of
// fields bound to a variable gone, the first in the stage's order sets it.

#include "swf/movieplayer.h"
#include "rendercheck.h"

#include <QTest>

using namespace sky::swf;

namespace {

// DefineEditText `id` in the player's default font, bound to `variable`.
QByteArray boundField(int id, const QByteArray &variable, const QByteArray &initial)
{
    return swftest::Bits().u16(id).rect(QRect(0, 0, 2000, 400)).u8(0x80).u8(0x00) // has text
        .bytes(variable).u8(0).bytes(initial).u8(0).data();
}

QByteArray setVariable(const QByteArray &name, const QByteArray &value)
{
    return swftest::Actions().push(name).push(value).op(0x1D).code();
}

QByteArray traceVariable(const QByteArray &name) { return swftest::Actions().push(name).op(0x1C).op(0x26).code(); }

// Plays `movie` in `player` up to its second frame: the lines traced.
QStringList tracedUpToFrameTwo(MoviePlayer &player, const QByteArray &movie)
{
    QStringList lines;
    player.setTraceSink([&lines](const QString &text) { lines << text; });
    if (player.loadData(movie))
        player.tick();
    player.setTraceSink({});
    return lines;
}

const StageClip *clipAt(const MoviePlayer &player, int depth)
{
    for (const StageObject &object : player.stageObjects())
        if (object.depth == depth)
            return object.clip;
    return nullptr;
}

} // namespace

class TestSwfFields : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsShowTheirVariables();
    void theFieldIsDrawnWithTheVariablesText();
    void aCachedFieldShowsItsNewText();
    void theStageOrderDecidesWhichFieldSetsAVariable();
    void aButtonsFieldBindsToTheClipHoldingTheButton();
};

void TestSwfFields::fieldsShowTheirVariables()
{
    swftest::Movie m(6, 200, 100);
    m.tag(37, boundField(1, "score", "7"));
    m.tag(37, boundField(2, "_root.v", "x"));
    m.place(1, 1).place(2, 2);
    m.doAction(traceVariable("score") + setVariable("score", "AB"));
    m.showFrame();
    m.doAction(traceVariable("score") + setVariable("v", "5"));
    m.showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &text) { lines << text; });
    QVERIFY(player.loadData(m.fws()));
    // The field gave the variable its text before the frame's script ran.
    QCOMPARE(lines, QStringList{QStringLiteral("7")});
    const StageClip *score = clipAt(player, 1);
    QVERIFY(score);
    QCOMPARE(score->fieldText, QStringLiteral("AB"));
    QCOMPARE(score->fieldChanges, 1);
    QVERIFY(score->fieldLayout);
    QCOMPARE(std::get<TextCharacter>(*score->fieldLayout).glyphs.size(), 2u);
    const StageClip *v = clipAt(player, 2);
    QVERIFY(v && !v->fieldLayout);
    player.tick();
    QCOMPARE(lines, (QStringList{QStringLiteral("7"), QStringLiteral("AB")}));
    QCOMPARE(clipAt(player, 2)->fieldText, QStringLiteral("5"));
    // Nothing changed: the layout is kept.
    player.tick();
    QCOMPARE(clipAt(player, 1)->fieldChanges, 1);
}

void TestSwfFields::theFieldIsDrawnWithTheVariablesText()
{
    const auto movie = [](const QByteArray &script) {
        swftest::Movie m(6, 200, 40);
        m.tag(37, boundField(1, "label", "Wide"));
        m.place(1, 1);
        m.doAction(script);
        m.showFrame();
        return m.fws();
    };
    MoviePlayer kept, changed, shownFromTheStart;
    QVERIFY(kept.loadData(movie({})));
    QVERIFY(changed.loadData(movie(setVariable("label", "ii"))));
    QVERIFY(shownFromTheStart.loadData(movie(setVariable("label", "Wide"))));
    QVERIFY(kept.renderFrame() != changed.renderFrame());
    QCOMPARE(shownFromTheStart.renderFrame(), kept.renderFrame());
}

// A bound field inside a cached bitmap: the frame after its variable
// changes shows the new text, not the bitmap kept from the frames before.
void TestSwfFields::aCachedFieldShowsItsNewText()
{
    swftest::Movie m(8, 200, 40);
    m.tag(37, boundField(1, "_root.label", "Wide"));
    swftest::Movie inner(8, 200, 40);
    inner.place(1, 1).showFrame();
    m.sprite(2, inner);
    // PlaceObject3 of sprite 2 as a cached bitmap.
    m.tag(70, swftest::Bits().u8(0x06).u8(0x04).u16(1).u16(2).matrix(1, 1, 0, 0).u8(1).data());
    m.showFrame().showFrame().showFrame();
    m.doAction(setVariable("label", "ii")).stopAction().showFrame();
    const auto drawn = [](const MoviePlayer &player) { return swftest::drawnWhole(player, {200, 40}, {false}); };
    MoviePlayer everyFrameDrawn, lastFrameDrawn;
    QVERIFY(everyFrameDrawn.loadData(m.fws()));
    QVERIFY(lastFrameDrawn.loadData(m.fws()));
    const QImage before = drawn(everyFrameDrawn);
    for (int frame = 2; frame <= 4; ++frame) {
        everyFrameDrawn.tick();
        lastFrameDrawn.tick();
        drawn(everyFrameDrawn);
    }
    const QImage after = drawn(everyFrameDrawn);
    QVERIFY(after != before);
    QCOMPARE(after, drawn(lastFrameDrawn));
}

// "a" is made first, "b" below it. After a.text = "x" the script deletes
// the variable: b, first in the stage's order, sets it to the text it
// shows, which a then shows.
void TestSwfFields::theStageOrderDecidesWhichFieldSetsAVariable()
{
    swftest::Movie m(6, 200, 100);
    m.tag(37, boundField(1, "v", "one"));
    m.placeNamed(2, 1, "a").placeNamed(1, 1, "b");
    m.doAction(swftest::Actions().push("a").op(0x1C).push("text").push("x").op(0x4F).push("v").op(0x3B).op(0x17).code());
    m.showFrame();
    m.doAction(traceVariable("v")).stopAction().showFrame();
    MoviePlayer player;
    QCOMPARE(tracedUpToFrameTwo(player, m.fws()), QStringList{QStringLiteral("one")});
    QCOMPARE(clipAt(player, 2)->fieldText, QStringLiteral("one"));
}

// A field among a button's parts names a variable of the clip that holds
// the button, as buttons have none of their own: it gives "holder" its
// text, and shows what a script sets there.
void TestSwfFields::aButtonsFieldBindsToTheClipHoldingTheButton()
{
    swftest::Movie m(6, 200, 100);
    m.tag(37, boundField(1, "label", "one"));
    m.button(2, {{1, 1, buttonUp | buttonOver | buttonDown}}, {});
    swftest::Movie inner(6, 200, 100);
    inner.place(1, 2).showFrame();
    m.sprite(3, inner);
    m.placeNamed(1, 3, "holder");
    m.showFrame();
    m.doAction(swftest::Actions()
                   .push("holder").op(0x1C).push("label").op(0x4E).op(0x26) // trace(holder.label)
                   .push("holder").op(0x1C).push("label").push("two").op(0x4F)
                   .code());
    m.stopAction().showFrame();
    MoviePlayer player;
    QCOMPARE(tracedUpToFrameTwo(player, m.fws()), QStringList{QStringLiteral("one")});
    const StageClip *holder = clipAt(player, 1);
    const StageClip *button = holder ? holder->childAt(1) : nullptr;
    const StageClip *field = button ? button->childAt(1) : nullptr;
    QVERIFY(field && field->field);
    QCOMPARE(field->fieldText, QStringLiteral("two"));
}

QTEST_MAIN(TestSwfFields)
#include "tst_swffields.moc"
