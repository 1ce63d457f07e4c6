#include "core/module1.h"
#include "core/settings_file.h"
#include "options/form4.h"
#include "options/form5.h"
#include "keyboard.h"
#include "main_window_test.h"

#include <QLineEdit>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The password prompt and the advanced options behind it.
class TestOptions : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void passwordPromptEchoesAndAccepts();
    void optionsFillThemselvesFromTheSettings();
    void framesRunAboveTheirControls();
    void swatchesShowWhereTheFocusIs();
    void clicksWriteTheSettings();
    void handEditedNumbersOutOfRange();

private:
    QStringList settingsLines();

};

QStringList TestOptions::settingsLines()
{
    return QString::fromUtf8(rig->readAppFile(u"save.ata"_s)).split(u"\r\n"_s);
}

void TestOptions::passwordPromptEchoesAndAccepts()
{
    rig->program->form1().Command12_Click();
    Form4 &prompt = rig->program->form4();
    QVERIFY(prompt.Visible());
    QVERIFY(!prompt.Label2.Visible());
    QWidget *box = prompt.Text1.widget();
    QTest::keyClick(box, Qt::Key_A);
    QCOMPARE(prompt.Text1.Text(), u"aa"_s);
    QTest::keyClick(box, Qt::Key_B);
    QCOMPARE(prompt.Text1.Text(), u"baab"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(prompt.Text1.Text(), QString());
    prompt.Timer1_Timer();
    QVERIFY(prompt.Label2.Visible());
    QCOMPARE(prompt.Label2.Caption().size(), 183);

    // The password the hint names, typed key by key into the emptied box,
    // opens the options on its last key.
    const QString hint = prompt.Label2.Caption().simplified();
    const QString password = hint.section(u' ', 2, 2);
    QCOMPARE(password, u"quorb"_s);
    QTest::keyClicks(box, password.chopped(1));
    QVERIFY(rig->modal.shown.isEmpty());
    QVERIFY(prompt.Visible());
    QTest::keyClick(box, password.back().toLatin1());
    QCOMPARE(rig->modal.shown, QStringList({u"Form5"_s}));
    QVERIFY(!prompt.isLoaded());
    QVERIFY(rig->program->form5().isLoaded());

    // Each opening starts empty, with the hint hidden.
    rig->program->form1().Command12_Click();
    QCOMPARE(prompt.Text1.Text(), QString());
    QVERIFY(!prompt.Label2.Visible());
}

void TestOptions::optionsFillThemselvesFromTheSettings()
{
    m->SaveSettings = 1;
    m->FixedButtonColour = u"12345"_s;
    m->VideoDisplaySize = 5;
    m->StopColourChange = 1;
    m->ThemeOption = 1;
    m->ScrollTitle = 0;
    Form5 &options = rig->program->form5();
    options.Show(true);
    // Opening with Save Settings on writes the file before anything else.
    QCOMPARE(settingsLines().at(3), u"12345"_s);
    QCOMPARE(m->FixedButtonColour, u"65480"_s);
    QVERIFY(options.Option8.Value());
    QCOMPARE(m->VideoDisplaySize.value(), 3.0);
    QCOMPARE(options.Check1.Value(), 1);
    QVERIFY(options.Option2.Value());
    QVERIFY(options.Frame2.Visible());
    QCOMPARE(options.Option3.BackColor(), 6604900L);
    QCOMPARE(options.Check2.Value(), 0);
    options.Command1_Click();
    QVERIFY(!options.isLoaded());

    m->FixedButtonColour = u" 16422550 "_s;
    m->VideoDisplaySize = 4;
    options.Show(true);
    QVERIFY(options.Option4.Value());
    QCOMPARE(options.Check1.Value(), 0);
    QCOMPARE(m->VideoDisplaySize.value(), 4.0);
}

void TestOptions::framesRunAboveTheirControls()
{
    // The frame's line runs above the check boxes in it, and its inside has
    // the check boxes' colour, so that none of them stands out as a box.
    Form5 &options = rig->program->form5();
    options.Show(true);
    QWidget *frameView = options.Frame3.widget();
    const QImage frame = frameView->grab().toImage();
    const QColor inside(192, 192, 255);
    QCOMPARE(QColor(frame.pixel(frame.width() - 10, frame.height() - 8)), inside);
    QCOMPARE(options.Check2.BackColor(), options.Frame3.BackColor());
    int line = 0;
    while (line < frame.height() && QColor(frame.pixel(frame.width() / 2, line)) == inside)
        ++line;
    const int firstControl
        = options.Check2.widget()->mapToGlobal(QPoint()).y() - frameView->mapToGlobal(QPoint()).y();
    QVERIFY2(line < firstControl, qPrintable(u"line %1, control %2"_s.arg(line).arg(firstControl)));
}

void TestOptions::swatchesShowWhereTheFocusIs()
{
    m->StopColourChange = 1;
    Form5 &options = rig->program->form5();
    options.Show(true);
    test::activate(options);
    // The left edge, halfway down: where a frame round the swatch runs.
    const auto edge = [](const OptionButton &swatch) {
        const QImage face = swatch.widget()->grab().toImage();
        return QColor(face.pixel(0, face.height() / 2));
    };
    const QColor frame = options.Option5.widget()->palette().color(QPalette::Highlight);
    QVERIFY(edge(options.Option5) != frame);

    // Tab reaches the selected swatch and frames it; an arrow key moves
    // the frame with the choice.
    QVERIFY(test::tabTo(options.Option5));
    QCOMPARE(edge(options.Option5), frame);
    test::press(Qt::Key_Right);
    QVERIFY(test::hasFocus(options.Option6));
    QCOMPARE(edge(options.Option6), frame);
    QVERIFY(edge(options.Option5) != frame);
    QCOMPARE(m->FixedButtonColour, u"6605000"_s);
    // The captioned options keep the style's own focus drawing.
    QVERIFY(test::tabTo(options.Option1));
    QVERIFY(edge(options.Option1) != frame);
}

void TestOptions::clicksWriteTheSettings()
{
    Form5 &options = rig->program->form5();
    options.Show(true);
    QVERIFY(!QFileInfo::exists(rig->appPath(u"save.ata"_s)) || rig->readAppFile(u"save.ata"_s).isEmpty());
    options.Option2.setValue(true);
    QCOMPARE(m->ThemeOption.value(), 1.0);
    options.Option1.setValue(true);
    QCOMPARE(m->ThemeOption.value(), 0.0);
    options.Check3.setValue(1);
    options.Option6.setValue(true);
    QCOMPARE(m->FixedButtonColour, u"6605000"_s);
    options.Check3.setValue(0); // hides the swatches, keeps the colour
    QVERIFY(!options.Frame2.Visible());
    QCOMPARE(m->FixedButtonColour, u"6605000"_s);

    options.Check5.setValue(1);
    QCOMPARE(settingsLines().at(17), u" 1"_s);
    options.Check5.setValue(0); // clearing writes the whole file too
    QCOMPARE(settingsLines().size(), kSettingsLineCount + 1);
    QCOMPARE(settingsLines().at(17), u" 0"_s);
    // The exit that follows empties it.
    rig->program->terminate();
    QCOMPARE(rig->readAppFile(u"save.ata"_s), QByteArray());
}

void TestOptions::handEditedNumbersOutOfRange()
{
    for (const QString &number : {u"1e300"_s, u"-1e300"_s, u"99999999999"_s}) {
        // Scroll title, display size, time in title, fixed colour, saving.
        const QByteArray edited =
            test::TestRig::editedSettings({{1, number}, {3, number}, {5, number}, {6, number}, {18, number}});
        restart(edited);
        Form5 &options = rig->program->form5();
        options.Show(true);
        QCOMPARE(options.Check5.Value(), 0);
        QCOMPARE(options.Check2.Value(), 1);
        QCOMPARE(options.Check1.Value(), 0);
        QCOMPARE(options.Check4.Value(), 1);
        QCOMPARE(options.Check3.Value(), 0);
        QVERIFY(!options.Frame2.Visible());
        QVERIFY(rig->messageBox.shown.isEmpty());
        // Opening with saving off wrote nothing.
        QCOMPARE(rig->readAppFile(u"save.ata"_s), edited);
    }
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
