#include "platform/buttons.h"
#include "platform/file_controls.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/picture.h"
#include "platform/runtime_error.h"
#include "platform/simple_controls.h"
#include "keyboard.h"
#include "test_rig.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

// A window with one control of each kind and a count of the events raised.
class Sample : public Form
{
public:
    explicit Sample(Services &services) : Form(u"Sample"_s, services)
    {
        for (Control *c : std::initializer_list<Control *>{&check, &optionA, &optionB, &optionC, &list, &files, &combo, &dropdown})
            c->Click = [this, c] { clicks.append(c->Name()); };
    }
    CheckBox check{*this, u"check"_s};
    OptionButton optionA{*this, u"optionA"_s};
    OptionButton optionB{*this, u"optionB"_s};
    Frame frame{*this, u"frame"_s};
    OptionButton optionC{*this, u"optionC"_s, &frame};
    ListBox list{*this, u"list"_s};
    FileListBox files{*this, u"files"_s};
    ComboBox combo{*this, u"combo"_s, ComboBox::DropdownCombo};
    DirListBox folders{*this, u"folders"_s};
    Image image{*this, u"image"_s};
    Timer timer{*this, u"timer"_s};
    ComboBox dropdown{*this, u"dropdown"_s, ComboBox::DropdownList};
    Label label{*this, u"label"_s};
    QStringList clicks;
};

// Counts the requests for a new layout that reach a window.
class LayoutRequests : public QObject
{
public:
    explicit LayoutRequests(QWidget *window) { window->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::LayoutRequest;
        return false;
    }
};

void touch(const QDir &dir, const QString &name)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void valuesSetFromCodeRaiseClick();
    void optionGroupIsOneStopOfTab();
    void controlsOutOfViewTakeNoKeys();
    void listBoxSelection();
    void comboBoxTextThatNamesNoEntry();
    void dropdownListFindsTheLetterTyped();
    void fileListFiltersAndSorts();
    void fileListOnScreenShowsItsFolder();
    void folderListFindsTheNameTyped();
    void imageTakesNaturalSizeWithoutStretch();
    void stretchedImageFollowsItsPictureAndSize();
    void labelTakesCaptionsWhereItStands();

private:
    test::TestRig rig;
};

void TestControls::valuesSetFromCodeRaiseClick()
{
    Sample form(rig.services);
    form.check.setValue(1);
    form.check.setValue(1); // no change, no click
    form.check.setValue(0);
    QCOMPARE(form.clicks, QStringList({u"check"_s, u"check"_s}));
    form.clicks.clear();

    form.optionA.setValue(true);
    form.optionA.setValue(true); // an option raises Click every time
    form.optionB.setValue(true);
    QCOMPARE(form.clicks, QStringList({u"optionA"_s, u"optionA"_s, u"optionB"_s}));
    QVERIFY(!form.optionA.Value());
    QVERIFY(form.optionB.Value());
    // The options inside a frame are a group of their own.
    form.optionC.setValue(true);
    form.optionA.setValue(true);
    QVERIFY(form.optionC.Value() && form.optionA.Value() && !form.optionB.Value());
}

void TestControls::optionGroupIsOneStopOfTab()
{
    Sample form(rig.services);
    form.optionB.setValue(true);
    form.Show();
    test::activate(form);
    form.check.SetFocus();
    form.clicks.clear();

    // Tab passes over the group's other option to the selected one, and
    // the frame's group, with nothing selected, stops at its first.
    test::press(Qt::Key_Tab);
    QVERIFY(test::hasFocus(form.optionB));
    test::press(Qt::Key_Tab);
    QVERIFY(test::hasFocus(form.optionC));
    test::press(Qt::Key_Backtab);
    QVERIFY(test::hasFocus(form.optionB));
    QVERIFY(form.clicks.isEmpty());

    // The arrow keys select round the group, as clicks would; Tab then
    // stops at the option they chose. Alone in its group, an option stays.
    test::press(Qt::Key_Down);
    QVERIFY(test::hasFocus(form.optionA));
    QVERIFY(form.optionA.Value() && !form.optionB.Value());
    test::press(Qt::Key_Tab);
    test::press(Qt::Key_Backtab);
    QVERIFY(test::hasFocus(form.optionA));
    test::press(Qt::Key_Left);
    QVERIFY(test::hasFocus(form.optionB) && form.optionB.Value());
    QCOMPARE(form.clicks, QStringList({u"optionA"_s, u"optionB"_s}));
    form.optionC.SetFocus();
    test::press(Qt::Key_Down);
    QVERIFY(test::hasFocus(form.optionC) && !form.optionC.Value());

    // A disabled option is passed over; Space selects the focused one.
    form.optionA.setEnabled(false);
    form.optionB.SetFocus();
    test::press(Qt::Key_Up);
    QVERIFY(test::hasFocus(form.optionB) && form.optionB.Value());
    form.optionC.SetFocus();
    test::press(Qt::Key_Space);
    QVERIFY(form.optionC.Value() && form.optionB.Value());
    QCOMPARE(form.clicks, QStringList({u"optionA"_s, u"optionB"_s, u"optionC"_s}));
}

void TestControls::controlsOutOfViewTakeNoKeys()
{
    // A window narrower than its design: a check box beyond its right
    // edge, a frame with an option below its bottom.
    Sample form(rig.services);
    form.setClientSize(3000, 1500);
    form.optionA.Move(0, 0, 1500, 300);
    form.check.Move(3000, 0, 1500, 300);
    form.check.setCaption(u"&Beyond"_s);
    form.frame.Move(0, 1500, 1500, 600);
    form.optionC.setCaption(u"&Under"_s);
    form.Show();
    test::activate(form);
    form.optionA.SetFocus();

    // Neither Tab nor their access keys reach what nobody can see.
    QSet<QWidget *> reached;
    for (int i = 0; i < 8; ++i) {
        test::press(Qt::Key_Tab);
        reached.insert(test::focused());
    }
    QVERIFY(reached.contains(form.optionA.widget()));
    QVERIFY(!reached.contains(form.check.widget()) && !reached.contains(form.optionC.widget()));
    test::press(Qt::Key_B, Qt::AltModifier);
    test::press(Qt::Key_U, Qt::AltModifier);
    QVERIFY(form.clicks.isEmpty());
    QVERIFY(form.check.Visible());

    // Widened, the window shows the box, and Tab reaches it.
    form.setClientSize(4500, 1500);
    QCoreApplication::processEvents();
    QVERIFY(test::tabTo(form.check));
    test::press(Qt::Key_Space);
    QCOMPARE(form.clicks, QStringList({u"check"_s}));
}

void TestControls::listBoxSelection()
{
    Sample form(rig.services);
    for (const char *name : {"a", "b", "c"})
        form.list.AddItem(QString::fromLatin1(name));
    QCOMPARE(form.list.ListIndex(), -1);
    QVERIFY(form.clicks.isEmpty());
    form.list.setListIndex(1);
    form.list.setListIndex(1); // the same index raises Click again
    QCOMPARE(form.clicks.size(), 2);
    form.list.setList(1, u" #  b"_s);
    QCOMPARE(form.list.List(1), u" #  b"_s);
    // Removing a line leaves nothing selected, and raises no Click.
    form.list.RemoveItem(1);
    QCOMPARE(form.list.ListCount(), 2);
    QCOMPARE(form.list.ListIndex(), -1);
    QCOMPARE(form.clicks.size(), 2);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, form.list.setListIndex(2));
    form.list.Clear();
    QCOMPARE(form.list.ListCount(), 0);
}

void TestControls::comboBoxTextThatNamesNoEntry()
{
    Sample form(rig.services);
    form.combo.AddItem(u"5 secs"_s);
    form.combo.AddItem(u"30 secs"_s);
    QCOMPARE(form.combo.ListIndex(), -1);
    form.combo.setListIndex(1);
    QCOMPARE(form.combo.Text(), u"30 secs"_s);
    form.combo.setText(u"7 secs"_s);
    QCOMPARE(form.combo.ListIndex(), -1);
}

void TestControls::dropdownListFindsTheLetterTyped()
{
    Sample form(rig.services);
    for (const QString &line : {u"Fit"_s, u"stretch"_s, u"Sky"_s, u"Tile"_s})
        form.dropdown.AddItem(line);
    form.Show();
    test::activate(form);
    form.dropdown.SetFocus();
    form.clicks.clear();

    // Each letter goes on to the next entry that begins with it, in either
    // case and round the end; letters typed together make no word ("st"
    // finds "Tile", not "stretch"), and each move is a click.
    test::press(Qt::Key_S);
    QCOMPARE(form.dropdown.ListIndex(), 1);
    test::press(Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(form.dropdown.ListIndex(), 2);
    test::press(Qt::Key_S);
    QCOMPARE(form.dropdown.ListIndex(), 1);
    test::press(Qt::Key_T);
    QCOMPARE(form.dropdown.ListIndex(), 3);
    test::press(Qt::Key_Q); // begins nothing
    QCOMPARE(form.dropdown.ListIndex(), 3);
    QCOMPARE(form.clicks, QStringList(4, u"dropdown"_s));

    // Open, the list follows the same rule, and Enter takes the entry.
    test::press(Qt::Key_F4);
    QVERIFY(qobject_cast<QComboBox *>(form.dropdown.widget())->view()->isVisible());
    test::press(Qt::Key_S);
    test::press(Qt::Key_T);
    test::press(Qt::Key_Return);
    QCOMPARE(form.dropdown.ListIndex(), 3);
    test::press(Qt::Key_F4);
    test::press(Qt::Key_F);
    test::press(Qt::Key_Return);
    QCOMPARE(form.dropdown.ListIndex(), 0);
}

void TestControls::fileListFiltersAndSorts()
{
    QTemporaryDir temp;
    const QDir dir(temp.path());
    for (const char *name : {"b.MP3", "a.wav", "C.mid", "notes.txt", ".hidden.mp3", "Track01.cda"})
        touch(dir, QString::fromLatin1(name));
    QVERIFY(dir.mkdir(u"sub.mp3"_s)); // folders are no files

    Sample form(rig.services);
    form.files.setPattern(u"*.mp3;*.wav;*.mid;*.cda"_s);
    form.files.setPath(temp.path());
    QStringList listed;
    for (int i = 0; i < form.files.ListCount(); ++i)
        listed.append(form.files.List(i));
    QCOMPARE(listed, QStringList({u"a.wav"_s, u"b.MP3"_s, u"C.mid"_s, u"Track01.cda"_s}));
    QCOMPARE(form.files.FileName(), QString());
    form.files.setListIndex(2);
    QCOMPARE(form.files.FileName(), u"C.mid"_s);
    QCOMPARE(form.clicks, QStringList({u"files"_s}));

    // A new file shows up and the selection stays on the same file.
    touch(dir, u"0-first.mp3"_s);
    QTRY_COMPARE_WITH_TIMEOUT(form.files.ListCount(), 5, 5000);
    QCOMPARE(form.files.FileName(), u"C.mid"_s);

    QVERIFY_THROWS_EXCEPTION(RuntimeError, form.files.setPath(dir.filePath(u"missing"_s)));
}

void TestControls::fileListOnScreenShowsItsFolder()
{
    QTemporaryDir temp;
    const QDir dir(temp.path());
    for (const char *name : {"a.mp3", "b.wav", "c.txt"})
        touch(dir, QString::fromLatin1(name));
    const auto shownRows = [](FileListBox &files) {
        const auto *view = qobject_cast<QListWidget *>(files.widget());
        QStringList rows;
        for (int i = 0; i < view->count(); ++i)
            rows.append(view->item(i)->text());
        return rows;
    };

    // Set up while the window is hidden, as a window's load does.
    Sample form(rig.services);
    form.Load();
    form.files.setPath(temp.path());
    form.files.setPattern(u"*.mp3;*.wav"_s);
    form.Show();
    QCOMPARE(shownRows(form.files), QStringList({u"a.mp3"_s, u"b.wav"_s}));

    // Changed on screen, it shows the change at once.
    form.files.setPattern(u"*.txt"_s);
    QCOMPARE(shownRows(form.files), QStringList({u"c.txt"_s}));
    touch(dir, u"d.txt"_s);
    form.files.Refresh();
    QCOMPARE(shownRows(form.files), QStringList({u"c.txt"_s, u"d.txt"_s}));

    // Hidden again, it still answers for what the folder holds.
    form.Hide();
    form.files.setPattern(u"*.*"_s);
    QCOMPARE(form.files.ListCount(), 4);
    form.files.setListIndex(3);
    QCOMPARE(form.files.FileName(), u"d.txt"_s);
}

void TestControls::folderListFindsTheNameTyped()
{
    QTemporaryDir temp;
    for (const char *name : {"xray", "yankee", "yellow"})
        QVERIFY(QDir(temp.path()).mkdir(QString::fromLatin1(name)));
    Sample form(rig.services);
    form.folders.setPath(temp.path());
    form.Show();
    test::activate(form);
    form.folders.SetFocus();

    // The folders' lines are indented, yet a letter typed finds the next
    // one that begins with it, in either case and round the end; Enter
    // opens the folder found.
    test::press(Qt::Key_Y);
    QCOMPARE(form.folders.ListIndex(), 1);
    test::press(Qt::Key_Y);
    QCOMPARE(form.folders.ListIndex(), 2);
    test::press(Qt::Key_Y, Qt::ShiftModifier);
    QCOMPARE(form.folders.ListIndex(), 1);
    test::press(Qt::Key_X);
    QCOMPARE(form.folders.ListIndex(), 0);
    test::press(Qt::Key_Home);
    test::press(Qt::Key_End);
    test::press(Qt::Key_Up);
    QCOMPARE(form.folders.ListIndex(), 1);
    test::press(Qt::Key_Return);
    QCOMPARE(form.folders.Path(), QDir(temp.path()).filePath(u"yankee"_s));
}

void TestControls::imageTakesNaturalSizeWithoutStretch()
{
    Sample form(rig.services);
    QImage picture(40, 30, QImage::Format_RGB32);
    form.image.Move(0, 0, 1000, 1000);
    form.image.setStretch(true);
    form.image.setPicture(Picture(picture));
    QCOMPARE(form.image.Width(), 1000.0f); // stretched pictures keep the box
    form.image.setStretch(false);
    QCOMPARE(form.image.picture().Width(), 1058L); // HIMETRIC
    QCOMPARE(qRound(form.image.Width()), 600);
    QCOMPARE(qRound(form.image.Height()), 450);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, Picture::load(u"/no/such/picture.jpg"_s));
}

void TestControls::stretchedImageFollowsItsPictureAndSize()
{
    Sample form(rig.services);
    const auto drawn = [&form](int x, int y) { return form.image.widget()->grab().toImage().pixelColor(x, y); };
    form.image.Move(0, 0, 1500, 1500); // 100 x 100 pixels
    form.image.setStretch(true);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    form.image.setPicture(Picture(picture));
    QCOMPARE(drawn(99, 99), QColor(Qt::red));

    // A new skin, then a wider box: what is drawn is never the copy kept
    // for the picture or the size before.
    picture.fill(Qt::blue);
    form.image.setPicture(Picture(picture));
    QCOMPARE(drawn(50, 50), QColor(Qt::blue));
    form.image.Move(0, 0, 3000, 1500);
    QCOMPARE(drawn(199, 99), QColor(Qt::blue));
}

void TestControls::labelTakesCaptionsWhereItStands()
{
    Sample form(rig.services);
    form.label.Move(150, 150, 1500, 300); // 100 x 20 pixels
    form.Show();
    QCoreApplication::sendPostedEvents();
    const QWidget *shown = form.label.widget();

    // New captions, as the main window's bar of squares takes at every tick,
    // ask the window for no new layout.
    const LayoutRequests requests(form.window());
    for (const QString &caption : {u"n"_s, u"nn"_s, u"a caption far wider than the label"_s})
        form.label.setCaption(caption);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(requests.count, 0);
    QCOMPARE(shown->geometry(), QRect(10, 10, 100, 20));

    // Placed again, larger and then smaller, it takes each place.
    form.label.Move(300, 0, 3000, 600);
    QCOMPARE(shown->geometry(), QRect(20, 0, 200, 40));
    form.label.setWidth(750);
    form.label.setHeight(150);
    QCOMPARE(shown->geometry(), QRect(20, 0, 50, 10));
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"
