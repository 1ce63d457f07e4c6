#include "platform/buttons.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/simple_controls.h"
#include "test_rig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

class Counter : public Form
{
public:
    explicit Counter(Services &services) : Form(u"Counter"_s, services) {}

    CheckBox box{*this, u"box"_s};
    Label caption{*this, u"caption"_s};
    Label above{*this, u"above"_s};
    ListBox list{*this, u"list"_s};
    ComboBox combo{*this, u"combo"_s, ComboBox::DropdownCombo};
    Timer timer{*this, u"timer"_s};
    int loads = 0;
    int activations = 0;
    int resizes = 0;
    int windowLevelValue = 0; // survives unloading
    int picturesDrawn = 0;

protected:
    void design() override
    {
        setClientSize(3000, 1500);
        setPicture([this] {
            ++picturesDrawn;
            QImage picture(400, 200, QImage::Format_RGB32);
            picture.fill(Qt::red);
            return picture;
        });
        caption.setCaption(u"design"_s);
        box.setValue(0);
        timer.setInterval(100);
        timer.setEnabled(true);
        // Three overlapping controls, the first one hidden, a list and a
        // box with typed text.
        for (Control *c : std::initializer_list<Control *>{&caption, &box, &above})
            c->Move(0, 0, 1500, 300);
        box.setVisible(false);
        box.setCaption(u"&Box"_s);
        above.setCaption(u"above"_s);
        list.Clear();
        list.AddItem(u"a"_s);
        list.AddItem(u"b"_s);
        list.setListIndex(1);
        combo.Clear();
        combo.AddItem(u"5 secs"_s);
        combo.AddItem(u"30 secs"_s);
        combo.setListIndex(0);
        combo.setText(u"7 secs"_s);
    }
    void Form_Load() override { ++loads; }
    void Form_Activate() override { ++activations; }
    void Form_Resize() override
    {
        ++resizes;
        if (Width() < 4000)
            setWidth(4000); // raises Resize again before this run goes on
    }
};

} // namespace

class TestForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lifetimeKeepsWindowLevelVariables();
    void geometryIsExactInTwips();
    void activationCountsOncePerSwitch();
    void widgetsAreMadeAsTheWindowIsFirstShown();

private:
    test::TestRig rig;
};

void TestForm::lifetimeKeepsWindowLevelVariables()
{
    Counter form(rig.services);
    int clicks = 0;
    form.box.Click = [&] { ++clicks; };
    QVERIFY(!form.isLoaded());
    form.Show(true);
    QCOMPARE(rig.modal.shown, QStringList({u"Counter"_s}));
    QCOMPARE(form.loads, 1);
    QCOMPARE(form.resizes, 2); // the first showing and the nested one
    form.caption.setCaption(u"changed"_s);
    form.box.setValue(1);
    form.windowLevelValue = 7;

    form.Unload();
    QVERIFY(!form.isLoaded());
    QVERIFY(!form.Visible());
    form.Load();
    QCOMPARE(form.loads, 2);
    // Controls are back in their design-time state, without events raised
    // on the way; the window's own variables are kept.
    QCOMPARE(form.caption.Caption(), u"design"_s);
    QCOMPARE(form.box.Value(), 0);
    QCOMPARE(clicks, 1);
    QCOMPARE(form.windowLevelValue, 7);
    // Hide loads a window that is not loaded.
    form.Unload();
    form.Hide();
    QVERIFY(form.isLoaded());
}

void TestForm::geometryIsExactInTwips()
{
    Counter form(rig.services);
    form.Load();
    QCOMPARE(form.ScaleWidth(), 3000.0f);
    QCOMPARE(form.ScaleHeight(), 1500.0f);
    // Sizes that are no whole number of pixels read back as they were set.
    form.setHeight(7070);
    QCOMPARE(form.Height(), 7070.0f);
    form.setWidth(8900);
    QCOMPARE(form.Width(), 8900.0f);
    QCOMPARE(form.window()->width(), qRound((8900 - (form.Width() - form.ScaleWidth())) / 15));
}

void TestForm::activationCountsOncePerSwitch()
{
    Counter first(rig.services);
    Counter second(rig.services);
    first.Load();
    second.Load();
    first.windowActivated();
    first.windowActivated(); // back from another program: no activation
    QCOMPARE(first.activations, 1);
    second.windowActivated();
    first.windowActivated();
    QCOMPARE(first.activations, 2);
    first.Unload();
    first.Load();
    first.windowActivated();
    QCOMPARE(first.activations, 3);
}

void TestForm::widgetsAreMadeAsTheWindowIsFirstShown()
{
    Counter form(rig.services);
    int clicks = 0;
    form.list.Click = [&] { ++clicks; };
    // Loaded and unloaded unseen, as the skin manager is at every start: no
    // widget is made, and the controls answer all the same.
    const qsizetype before = QApplication::allWidgets().size();
    form.Load();
    QCOMPARE(form.list.ListIndex(), 1);
    QCOMPARE(form.combo.ListIndex(), -1); // the typed text names no entry
    form.Unload();
    QCOMPARE(QApplication::allWidgets().size(), before);
    QCOMPARE(form.picturesDrawn, 0);

    // Shown, each widget shows what was set before, and making it raises
    // no events; the window's picture lies behind them.
    form.Show();
    QCOMPARE(clicks, 0);
    QCOMPARE(form.window()->grab().toImage().pixelColor(form.window()->width() - 2, form.window()->height() - 2),
             QColor(Qt::red));
    auto *list = qobject_cast<QListWidget *>(form.list.widget());
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(qobject_cast<QComboBox *>(form.combo.widget())->currentText(), u"7 secs"_s);
    QCOMPARE(qobject_cast<QLabel *>(form.caption.widget())->text(), u"design"_s);
    // The user's choice comes back to the control.
    list->setCurrentRow(0);
    QCOMPARE(form.list.ListIndex(), 0);
    QCOMPARE(clicks, 1);

    // A control hidden at first makes its widget as it is shown, in its
    // place under those that come after it.
    form.box.setValue(1);
    form.box.setVisible(true);
    auto *box = qobject_cast<QCheckBox *>(form.box.widget());
    QVERIFY(box->isChecked());
    QCOMPARE(box->text(), u"&Box"_s);
    const QObjectList order = form.window()->children();
    QVERIFY(order.indexOf(box) < order.indexOf(form.caption.widget()));
    QVERIFY(order.indexOf(form.caption.widget()) < order.indexOf(form.above.widget()));
}

QTEST_MAIN(TestForm)
#include "test_form.moc"
