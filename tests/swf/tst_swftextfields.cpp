// Text fields as scripts see them: fields made by createTextField, their
// colours, boxes and text read back, TextFormat, and the variable a field
// shows when a script gives it text.

#include "swf/movieplayer.h"
#include "swfwriter.h"

#include <QTest>

using namespace sky::swf;
using namespace Qt::StringLiterals;

namespace {

QByteArray getVariable(const QByteArray &name) { return swftest::Actions().push(name).op(0x1C).code(); }

// `object.property = value`, the object a variable.
QByteArray setMember(const QByteArray &object, const QByteArray &property, int value)
{
    return getVariable(object) + swftest::Actions().push(property).push(value).op(0x4F).code();
}

QByteArray setMember(const QByteArray &object, const QByteArray &property, const QByteArray &value)
{
    return getVariable(object) + swftest::Actions().push(property).push(value).op(0x4F).code();
}

QByteArray traceMember(const QByteArray &object, const QByteArray &property)
{
    return getVariable(object) + swftest::Actions().push(property).op(0x4E).op(0x26).code();
}

// `result = _root.createTextField(name, depth, x, y, width, height)`, the
// result kept under the field's name unless another is given.
QByteArray createField(const QByteArray &name, int depth, const QRect &box, const QByteArray &result = {})
{
    return swftest::Actions()
        .push(result.isEmpty() ? name : result)
        .push(box.height()).push(box.width()).push(box.y()).push(box.x()).push(depth).push(name).push(6)
        .push("_root").op(0x1C).push("createTextField").op(0x52)
        .op(0x1D)
        .code();
}

// `object.method(argument)` with its result dropped.
QByteArray callMethod(const QByteArray &object, const QByteArray &method, const QByteArray &argumentVariable)
{
    return getVariable(argumentVariable) + swftest::Actions().push(1).code() + getVariable(object)
         + swftest::Actions().push(method).op(0x52).op(0x17).code();
}

// `s = new TextField.StyleSheet(); trace(s.parseCSS(css)); field.styleSheet = s`.
QByteArray styleSheetOf(const QByteArray &field, const QByteArray &css)
{
    return swftest::Actions().push("s").push(0).push("TextField").op(0x1C).push("StyleSheet").op(0x53).op(0x1D)
        .push(css).push(1).push("s").op(0x1C).push("parseCSS").op(0x52).op(0x26)
        .push(field).op(0x1C).push("styleSheet").push("s").op(0x1C).op(0x4F).code();
}

// `g = field.getTextFormat(begin, end)`.
QByteArray textFormatOf(const QByteArray &field, int begin, int end)
{
    return swftest::Actions().push("g").push(end).push(begin).push(2).push(field).op(0x1C)
        .push("getTextFormat").op(0x52).op(0x1D).code();
}

QStringList traced(int version, const QByteArray &script)
{
    swftest::Movie m(version, 100, 60);
    m.doAction(script).showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &text) { lines << text; });
    if (!player.loadData(m.fws()))
        return {QStringLiteral("not loaded")};
    return lines;
}

} // namespace

class TestSwfTextFields : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aMadeFieldDrawsItsBackgroundAndBorderInItsColours();
    void onlySwf8GetsTheMadeFieldBack();
    void theBoxRunsFromTheOriginEitherWay();
    void textAndHtmlReadBackAsThePlayerWritesThem();
    void aTextFormatChangesTheTextItIsGiven();
    void anAutoSizedFieldFitsItsText();
    void textGivenToABoundFieldSetsItsVariable();
    void replaceSelTypesOverTheFocusedSelection();
    void aStyleSheetFormatsTheHtmlItIsGiven();
};

void TestSwfTextFields::aMadeFieldDrawsItsBackgroundAndBorderInItsColours()
{
    swftest::Movie m(8, 100, 60);
    m.background(Qt::white);
    m.doAction(createField("t", 1, QRect(10, 10, 40, 20)) + setMember("t", "background", 1)
               + setMember("t", "backgroundColor", 0xFF0000) + setMember("t", "border", 1)
               + setMember("t", "borderColor", 0x0000FF));
    m.showFrame();
    MoviePlayer player;
    QVERIFY(player.loadData(m.fws()));
    const QImage frame = player.renderFrame();
    QCOMPARE(frame.pixelColor(30, 20), QColor(Qt::red));
    QCOMPARE(frame.pixelColor(10, 20), QColor(Qt::blue)); // left edge
    QCOMPARE(frame.pixelColor(50, 20), QColor(Qt::blue)); // just past the right edge
    QCOMPARE(frame.pixelColor(5, 5), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(70, 20), QColor(Qt::white));
}

void TestSwfTextFields::onlySwf8GetsTheMadeFieldBack()
{
    const QByteArray script = createField("t", 1, QRect(0, 0, 10, 10), "made") + getVariable("made")
                            + swftest::Actions().op(0x44).op(0x26).code() + traceMember("_root.t", "_width");
    QCOMPARE(traced(8, script), (QStringList{QStringLiteral("object"), QStringLiteral("10")}));
    QCOMPARE(traced(7, script), (QStringList{QStringLiteral("undefined"), QStringLiteral("10")}));
}

void TestSwfTextFields::theBoxRunsFromTheOriginEitherWay()
{
    QCOMPARE(traced(8, createField("t", 1, QRect(50, 40, -20, -10)) + traceMember("t", "_x") + traceMember("t", "_width")
                           + traceMember("t", "_height")),
             (QStringList{QStringLiteral("50"), QStringLiteral("20"), QStringLiteral("10")}));
}

void TestSwfTextFields::textAndHtmlReadBackAsThePlayerWritesThem()
{
    const QByteArray make = createField("t", 1, QRect(0, 0, 80, 40));
    QCOMPARE(traced(8, make + setMember("t", "text", "a\nb") + traceMember("t", "length")
                           + setMember("t", "htmlText", "<b>x</b>") + traceMember("t", "text")),
             (QStringList{QStringLiteral("3"), QStringLiteral("<b>x</b>")}));
    QCOMPARE(traced(8, make + setMember("t", "html", 1) + setMember("t", "htmlText", "<p>a &amp; <b>b</b></p>")
                           + traceMember("t", "text") + traceMember("t", "htmlText")),
             (QStringList{QStringLiteral("a & b"),
                          QStringLiteral("<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
                                         "LETTERSPACING=\"0\" KERNING=\"0\">a &amp; <B>b</B></FONT></P>")}));
    // A field of one line runs paragraphs and breaks together.
    const QByteArray lines = setMember("t", "htmlText", "<p>a</p><p>b<br>c</p>") + traceMember("t", "length");
    QCOMPARE(traced(8, make + setMember("t", "html", 1) + lines + setMember("t", "multiline", 1) + lines),
             (QStringList{QStringLiteral("3"), QStringLiteral("5")}));
}

void TestSwfTextFields::aTextFormatChangesTheTextItIsGiven()
{
    const QByteArray format = swftest::Actions().push("tf").push(0).push("TextFormat").op(0x40).op(0x1D).code()
                            + setMember("tf", "size", 20) + setMember("tf", "color", 0x00FF00)
                            + setMember("tf", "align", "center");
    const QByteArray getFormat = swftest::Actions().push("g").push(0).push("t").op(0x1C).push("getTextFormat")
                                     .op(0x52).op(0x1D).code();
    QCOMPARE(traced(8, createField("t", 1, QRect(0, 0, 80, 40)) + setMember("t", "text", "ab") + format
                           + callMethod("t", "setTextFormat", "tf") + getFormat + traceMember("g", "size")
                           + traceMember("g", "color") + traceMember("g", "align") + traceMember("g", "bold")
                           + traceMember("g", "font")),
             (QStringList{QStringLiteral("20"), QStringLiteral("65280"), QStringLiteral("center"),
                          QStringLiteral("false"), QStringLiteral("Times New Roman")}));
    // The new text format is what text set later is drawn in.
    QCOMPARE(traced(8, createField("t", 1, QRect(0, 0, 80, 40)) + format + callMethod("t", "setNewTextFormat", "tf")
                           + setMember("t", "text", "ab") + getFormat + traceMember("g", "size")),
             QStringList{QStringLiteral("20")});
}

void TestSwfTextFields::anAutoSizedFieldFitsItsText()
{
    const QByteArray script = createField("t", 1, QRect(0, 0, 300, 100)) + setMember("t", "text", "Hello")
                            + setMember("t", "autoSize", "left")
                            + swftest::Actions().push("t").op(0x1C).push("_width").op(0x4E).push("t").op(0x1C)
                                  .push("textWidth").op(0x4E).op(0x0B).op(0x26).code()
                            + swftest::Actions().push("t").op(0x1C).push("textWidth").op(0x4E).push(0).op(0x67).op(0x26)
                                  .code();
    // The box is the text's width and the gutter of two pixels each side.
    QCOMPARE(traced(8, script), (QStringList{QStringLiteral("4"), QStringLiteral("true")}));
}

void TestSwfTextFields::textGivenToABoundFieldSetsItsVariable()
{
    swftest::Movie m(6, 200, 100);
    m.tag(37, swftest::Bits().u16(1).rect(QRect(0, 0, 2000, 400)).u8(0x80).u8(0x00).bytes("v").u8(0).bytes("old").u8(0).data());
    m.placeNamed(1, 1, "f");
    m.doAction(setMember("f", "text", "new") + getVariable("v") + swftest::Actions().op(0x26).code()
               + traceMember("f", "variable"));
    m.showFrame();
    MoviePlayer player;
    QStringList lines;
    player.setTraceSink([&lines](const QString &text) { lines << text; });
    QVERIFY(player.loadData(m.fws()));
    QCOMPARE(lines, (QStringList{QStringLiteral("new"), QStringLiteral("v")}));
}

void TestSwfTextFields::replaceSelTypesOverTheFocusedSelection()
{
    const auto selection = [](const QByteArray &method, std::initializer_list<int> args) {
        swftest::Actions a;
        for (auto it = std::rbegin(args); it != std::rend(args); ++it)
            a.push(*it);
        return a.push(int(args.size())).push("Selection").op(0x1C).push(method).op(0x52).code();
    };
    const auto trace = swftest::Actions().op(0x26).code();
    const auto drop = swftest::Actions().op(0x17).code();
    const QByteArray replaceSel =
        swftest::Actions().push("ZZ").push(1).push("t").op(0x1C).push("replaceSel").op(0x52).op(0x17).code();
    const QByteArray make = createField("t", 1, QRect(0, 0, 80, 20)) + setMember("t", "text", "abc");
    // Without the focus nothing is replaced.
    QCOMPARE(traced(8, make + replaceSel + traceMember("t", "text") + selection("getFocus", {}) + trace),
             (QStringList{u"abc"_s, u"null"_s}));
    const QByteArray focus = getVariable("t") + swftest::Actions().push(1).push("Selection").op(0x1C).push("setFocus")
                                                    .op(0x52).op(0x26).code();
    QCOMPARE(traced(8, make + focus + selection("setSelection", {1, 2}) + drop + replaceSel + traceMember("t", "text")
                           + selection("getCaretIndex", {}) + trace + selection("getFocus", {}) + trace),
             (QStringList{u"true"_s, u"aZZc"_s, u"3"_s, u"_level0.t"_s}));
    // The system's fonts by name.
    QCOMPARE(traced(8, swftest::Actions().push(0).push("TextField").op(0x1C).push("getFontList").op(0x52)
                           .push("Array").op(0x1C).op(0x54).op(0x26).code()),
             QStringList{u"true"_s});
}

void TestSwfTextFields::aStyleSheetFormatsTheHtmlItIsGiven()
{
    QCOMPARE(traced(8, createField("t", 1, QRect(0, 0, 80, 40))
                           + styleSheetOf("t", "p { text-align: center } .red, .warm { color: #FF0000; font-size: 20px }")
                           + setMember("t", "htmlText", "<p><span class=\"warm\">ab</span></p>")
                           + traceMember("t", "text") + traceMember("t", "htmlText") + textFormatOf("t", 0, 2)
                           + traceMember("g", "color") + traceMember("g", "size") + traceMember("g", "align")),
             (QStringList{u"true"_s, u"ab"_s, u"<p><span class=\"warm\">ab</span></p>"_s, u"16711680"_s, u"20"_s,
                          u"center"_s}));
    // Class names match in any case; of the tags only paragraphs, list
    // items and links take styles of their own; a tag's own attributes
    // outweigh its style.
    const QByteArray css = "p { text-align: center } span, font, textformat { color: #0000FF } .warm { color: #FF0000 }";
    const QByteArray html = "<p align=\"right\"><span class=\"WARM\">a</span><span>b</span><font>c</font>"
                            "<textformat>d</textformat></p>";
    QByteArray formats;
    for (int i = 0; i < 4; ++i)
        formats += textFormatOf("t", i, i + 1) + traceMember("g", "color");
    QCOMPARE(traced(8, createField("t", 1, QRect(0, 0, 80, 40)) + styleSheetOf("t", css) + setMember("t", "htmlText", html)
                           + formats + textFormatOf("t", 0, 4) + traceMember("g", "align")),
             (QStringList{u"true"_s, u"16711680"_s, u"0"_s, u"0"_s, u"0"_s, u"right"_s}));
}

QTEST_MAIN(TestSwfTextFields)
#include "tst_swftextfields.moc"
