#include "core/module1.h"
#include "core/program.h"
#include "platform/caption_text.h"
#include "platform/painted_buttons.h"
#include "skins/form2.h"
#include "test_rig.h"

#include <QApplication>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// Captions fit their controls at the program's font, and the skin manager's
// controls fit its window.
class TestCaptionFit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void skinManagerControlsFitTheWindow();
    void buttonCaptionsFitTheirButtons();
    void pictureViewerSwitchFitsBothCaptions();

private:
    // Paints every coloured button and check box of the form and lists those
    // whose caption does not fit.
    static QStringList captionsCut(Form &form);

    std::unique_ptr<test::TestRig> rig;
    Form1 *main = nullptr;
};

void TestCaptionFit::initTestCase()
{
    QApplication::setFont(programFont());
}

void TestCaptionFit::init()
{
    rig = std::make_unique<test::TestRig>();
    main = &rig->startMainWindow();
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
    QCOMPARE(skins.Width(), 4755.0f);
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
    main->Check4.setValue(1);
    QCOMPARE(main->Check4.Caption(), u"Show Media Player"_s);
    QCOMPARE(captionsCut(*main), QStringList());
    main->Check4.setValue(0);
    QCOMPARE(main->Check4.Caption(), u"Show Picture Viewer"_s);
    QCOMPARE(captionsCut(*main), QStringList());
}

QTEST_MAIN(TestCaptionFit)
#include "test_caption_fit.moc"
