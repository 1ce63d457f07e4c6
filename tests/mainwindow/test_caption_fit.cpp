#include "core/module1.h"
#include "core/program.h"
#include "platform/caption_text.h"
#include "platform/painted_buttons.h"
#include "skins/form2.h"
#include "main_window_test.h"

#include <QApplication>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// Captions fit their controls at the program's font, and the skin manager's
// controls fit its window.
class TestCaptionFit : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void skinManagerControlsFitTheWindow();
    void buttonCaptionsFitTheirButtons();
    void pictureViewerSwitchFitsBothCaptions();
    void longFileNameStaysOnOneLine();
    void animatePreviewReadsOnOneLine();

private:
    // Paints every coloured button and check box of the form and lists those
    // whose caption does not fit.
    static QStringList captionsCut(Form &form);

};

void TestCaptionFit::initTestCase()
{
    QApplication::setFont(programFont());
}

QStringList TestCaptionFit::captionsCut(Form &form)
{
    QStringList cut;
    for (Control *control : form.Controls()) {
        QWidget *widget = control->widget();
        // The narrow group bars, a few pixels wide, carry only access keys.
        if (!widget || !control->Visible() || widget->width() < 20)
            continue;
        QSizeF room;
        const ButtonLook *look = nullptr;
        if (auto *box = dynamic_cast<CheckBoxView *>(widget)) {
            look = &box->look;
            room = QSizeF(widget->width() - 18, widget->height());
        } else if (auto *button = dynamic_cast<PushButtonView *>(widget)) {
            look = &button->look;
            room = QSizeF(widget->width() - 8, widget->height() - 4);
        }
        if (!look || !look->painted())
            continue;
        widget->grab();
        const QSizeF used = look->caption.size();
        if (used.width() > room.width() || used.height() > room.height())
            cut.append(control->Name());
    }
    return cut;
}

void TestCaptionFit::skinManagerControlsFitTheWindow()
{
    rig->program->showSkinManager();
    Form2 &skins = rig->program->form2();
    for (Control *control : skins.Controls())
        if (control->hasVisibility() && control->Visible() && control->Left() < 4680)
            QVERIFY2(control->Left() + control->Width() <= skins.ScaleWidth(), qPrintable(control->Name()));
}

void TestCaptionFit::buttonCaptionsFitTheirButtons()
{
    rig->program->showSkinManager();
    Form2 &skins = rig->program->form2();
    skins.Command2_Click();
    QCOMPARE(captionsCut(skins), QStringList());
    QCOMPARE(captionsCut(*main), QStringList());
}

void TestCaptionFit::pictureViewerSwitchFitsBothCaptions()
{
    rig->program->module().ThemeOption = 1;
    main->Form_Activate();
    QVERIFY(main->Check4.Visible());
    QCOMPARE(captionsCut(*main), QStringList());
    main->Check4.setValue(1); // "Show Media Player"
    QCOMPARE(captionsCut(*main), QStringList());
}

void TestCaptionFit::longFileNameStaysOnOneLine()
{
    const QString name = u"Live at the Royal Albert Hall - Encore and Finale (Remastered 2011).avi"_s;
    test::TestRig::createFiles(rig->folder.path(), {name});
    rig->loadPlaylist({rig->appPath(name)});
    main->Check2.setValue(1);
    main->Timer1_Timer(); // starts the first item
    main->Timer1_Timer(); // shows its name
    for (Label *label : {&main->Label3, &main->Label4}) {
        QCOMPARE(label->Caption(), name);
        QWidget *widget = label->widget();
        QImage drawn(widget->size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        widget->render(&drawn, QPoint(), QRegion(), QWidget::RenderFlags());
        int top = drawn.height();
        int bottom = -1;
        int left = drawn.width();
        int right = -1;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (qAlpha(drawn.pixel(x, y)) != 0) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        // One line, whole, within the box: nothing reaches the bar of
        // squares below or is cut at the sides.
        QVERIFY(bottom >= top);
        QVERIFY2(bottom - top < widget->fontMetrics().height(), qPrintable(label->Name()));
        QVERIFY(bottom < drawn.height() - 1);
        QVERIFY(left > 0 && right < drawn.width() - 1);
        QCOMPARE(widget->toolTip(), name);
    }
}

void TestCaptionFit::animatePreviewReadsOnOneLine()
{
    rig->program->showSkinManager();
    CheckBox &animate = rig->program->form2().Check4;
    auto *box = dynamic_cast<CheckBoxView *>(animate.widget());
    QVERIFY(box);
    box->grab();
    // At the program's size, neither shrunk nor broken over two lines.
    const QFontMetricsF metrics(box->font());
    QVERIFY(box->font().pointSizeF() >= programFont().pointSizeF());
    QCOMPARE(box->look.caption.size().width(), metrics.horizontalAdvance(u"Animate Preview"_s));
    QVERIFY(box->look.caption.size().height() < 2 * metrics.height() - 1);
}

QTEST_MAIN(TestCaptionFit)
#include "test_caption_fit.moc"
