#include "core/module1.h"
#include "core/settings_file.h"
#include "platform/colour.h"
#include "skins/form2.h"
#include "skins/skin_rules.h"
#include "keyboard.h"
#include "main_window_test.h"

#include <QDir>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

// The skin manager: its load from the shared state, the skin list, applying
// a picture, the preview's growth and the slideshow.
class TestSkinManager : public test::MainWindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void loadTakesTheSharedState();
    void addAllStopsAtEighty();
    void removingAndClearing();
    void namesWithLineBreaksStayOut();
    void handEditedCountsStayWithinTheList();
    void handEditedNumbersOutOfRange();
    void applyingAPicture();
    void keyboardPicksAndAppliesAPicture();
    void previewGrowsBack();
    void slideshowCountAndBlink();

private:
    QString makePictures(const QString &folder, int count, const QString &extension = u"jpg"_s);

    Form2 *skins = nullptr;
    QTemporaryDir pictures;
};

void TestSkinManager::init()
{
    MainWindowTest::init();
    skins = &rig->program->form2();
}

QString TestSkinManager::makePictures(const QString &folder, int count, const QString &extension)
{
    const QString path = QDir(pictures.path()).filePath(folder);
    QDir().mkpath(path);
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::green);
    for (int i = 0; i < count; ++i)
        image.save(QDir(path).filePath(u"pic%1.%2"_s.arg(i, 3, 10, QLatin1Char('0')).arg(extension)),
                   extension == u"gif"_s ? "PNG" : nullptr);
    return path;
}

void TestSkinManager::loadTakesTheSharedState()
{
    m->AutoSkinChange = 1;
    m->SkinIntervalChoice = 3;
    m->SkinFitMode = 2;
    m->SkinPath[0] = u"/p/a.jpg"_s;
    m->SkinName[0] = u"a.jpg ( /p/ ) "_s;
    m->SkinName[1] = u"stale name of a free slot"_s;
    m->SkinPath[2] = u"/p/c.jpg"_s;
    m->SkinName[2] = u"c.jpg ( /p/ ) "_s;
    skins->Show();
    QVERIFY(!skins->Command1.Enabled()); // no Apply while the change is automatic
    QCOMPARE(m->SkinInterval.value(), 3000.0);
    QCOMPARE(skins->Combo2.ListIndex(), 2);
    QCOMPARE(m->SkinDisplayMode.value(), 2.0);
    QCOMPARE(skins->List1.ListCount(), 2);
    QCOMPARE(skins->List1.List(1), u"c.jpg ( /p/ ) "_s);
    QCOMPARE(skins->Width(), 4755.0f);
    skins->Command2_Click();
    QCOMPARE(skins->Width(), 7620.0f);
    skins->Check2.setValue(0);
    QVERIFY(skins->Command1.Enabled());
    QCOMPARE(m->AutoSkinChange.value(), 0.0);
    // Text that names no interval leaves it as it was.
    skins->Combo1.setText(u"7 secs"_s);
    skins->Combo1_Click();
    QCOMPARE(m->SkinInterval.value(), 3000.0);
    // A hand-edited choice out of range selects nothing, without failing.
    skins->Unload();
    m->SkinIntervalChoice = 9;
    skins->Load();
    QCOMPARE(skins->Combo1.ListIndex(), -1);
}

void TestSkinManager::addAllStopsAtEighty()
{
    skins->Show();
    skins->Dir1.setPath(makePictures(u"none"_s, 0));
    skins->Command5_Click();
    QCOMPARE(skins->List1.ListCount(), 0);
    QCOMPARE(m->SkinListColour, 13172660.0);

    const QString folder = makePictures(u"many"_s, 100);
    skins->Dir1.setPath(folder);
    QCOMPARE(skins->File1.ListCount(), 100);
    skins->Command5_Click();
    QCOMPARE(m->SkinCount.value(), 80.0);
    QCOMPARE(skins->List1.ListCount(), 80);
    QCOMPARE(rig->messageBox.shown, QStringList({u"Maximun skins possible is 80"_s}));
    QCOMPARE(m->SkinListColour, double(rgb(255, 120, 120)));
    QCOMPARE(m->AddAllBusy, 0);
    QCOMPARE(m->SkinPath[79], QDir(folder).filePath(u"pic079.jpg"_s));
    QCOMPARE(m->SkinName[0], u"pic000.jpg ( "_s + folder + u"/ ) "_s);
    skins->Command3_Click();
    QCOMPARE(rig->messageBox.shown.size(), 2);
}

void TestSkinManager::removingAndClearing()
{
    skins->Show();
    skins->Dir1.setPath(makePictures(u"three"_s, 3, u"gif"_s));
    skins->Command5_Click();
    int escape = 27;
    skins->List1_KeyPress(escape); // nothing selected
    QCOMPARE(skins->List1.ListCount(), 3);
    skins->List1.setListIndex(2);
    skins->List1_KeyPress(escape);
    QCOMPARE(skins->List1.ListCount(), 2);
    QCOMPARE(skins->List1.ListIndex(), 1);
    skins->List1.setListIndex(0);
    skins->List1_KeyPress(escape);
    QCOMPARE(m->SkinPath[0], QDir(pictures.path()).filePath(u"three/pic001.gif"_s));
    QCOMPARE(m->SkinPath[1], QString());
    skins->List1_KeyPress(escape);
    QCOMPARE(skins->List1.ListCount(), 0);
    QCOMPARE(skins->List1.ListIndex(), -1);
    QCOMPARE(m->SkinCount.value(), 0.0);
    QCOMPARE(m->SkinListColour, double(skinListColour(3))); // removal keeps the colour

    skins->Command5_Click();
    skins->Command4_Click();
    QCOMPARE(m->SkinCount.value(), 0.0);
    QCOMPARE(m->SkinListColour, 13172660.0);
    skins->Unload();
    skins->Show();
    QCOMPARE(skins->List1.ListCount(), 0);
}

void TestSkinManager::namesWithLineBreaksStayOut()
{
    // A file and a folder whose names hold a line break, as Linux allows.
    const QString folder = makePictures(u"line breaks"_s, 2);
    QVERIFY(QFile::copy(QDir(folder).filePath(u"pic000.jpg"_s), QDir(folder).filePath(u"new\nline.jpg"_s)));
    const QString broken = makePictures(u"a\rb"_s, 1);
    m->SaveSettings = 1;
    m->ShowTipsAtStartup = 1;
    skins->Show();
    skins->Dir1.setPath(folder);
    QCOMPARE(skins->File1.ListCount(), 3);
    skins->Command5_Click();
    QCOMPARE(skins->List1.ListCount(), 2);
    QCOMPARE(rig->messageBox.shown,
             QStringList({u"File names with a line break in them cannot be put in the skin list"_s}));
    skins->Dir1.setPath(broken);
    skins->File1.setListIndex(0);
    skins->Command3_Click();
    QCOMPARE(rig->messageBox.shown.size(), 2);
    QCOMPARE(m->SkinCount.value(), 2.0);
    QCOMPARE(m->SkinPath[2], QString());

    // What is saved reads back whole, every line in its place.
    rig->program->terminate();
    const QByteArray saved = rig->readAppFile(u"save.ata"_s);
    QCOMPARE(splitLines(saved).size(), kSettingsLineCount);
    restart(saved);
    QCOMPARE(m->SkinCount.value(), 2.0);
    QCOMPARE(m->SkinPath[1], QDir(folder).filePath(u"pic001.jpg"_s));
    QCOMPARE(m->ShowTipsAtStartup.value(), 1.0);
}

void TestSkinManager::handEditedCountsStayWithinTheList()
{
    const QString folder = makePictures(u"two"_s, 2);
    const QString kept = QDir(folder).filePath(u"pic000.jpg"_s);
    // A count below zero, beyond the list's limit, beyond any integer, and
    // one of zero beside a listed entry.
    for (const QString &count : {u"-1"_s, u"81"_s, u"1e300"_s, u"99999999999"_s, u" 0"_s}) {
        restart(test::TestRig::editedSettings({{17, count}, {19, kept}, {99, u"pic000.jpg"_s}}));
        skins = &rig->program->form2();
        QCOMPARE(m->SkinCount.value(), 0.0);
        rig->program->showSkinManager();
        QCOMPARE(skins->List1.ListCount(), 1);
        skins->List1.setListIndex(0);
        int escape = 27;
        skins->List1_KeyPress(escape);
        QCOMPARE(skins->List1.ListCount(), 0);
        QCOMPARE(m->SkinCount.value(), 0.0);
        skins->List1_KeyPress(escape); // nothing left to remove
        QCOMPARE(m->SkinCount.value(), 0.0);

        skins->Dir1.setPath(folder);
        skins->File1.setListIndex(1);
        skins->Command3_Click();
        QCOMPARE(m->SkinCount.value(), 1.0);
        QCOMPARE(m->SkinPath[0], QDir(folder).filePath(u"pic001.jpg"_s));
        QCOMPARE(skins->List1.ListCount(), 1);
        QVERIFY(rig->messageBox.shown.isEmpty());
    }
}

void TestSkinManager::handEditedNumbersOutOfRange()
{
    for (const QString &number : {u"1e300"_s, u"-1e300"_s, u"99999999999"_s}) {
        // Automatic change, interval choice, list colour, the interval, the
        // display mode and the next skin.
        restart(test::TestRig::editedSettings(
            {{8, number}, {10, number}, {11, number}, {13, number}, {15, number}, {16, number}, {18, u" 1"_s}}));
        skins = &rig->program->form2();
        QVERIFY(rig->messageBox.shown.isEmpty());
        rig->program->showSkinManager();
        QCOMPARE(skins->Check2.Value(), 0);
        QCOMPARE(skins->Combo1.ListIndex(), 1);
        QCOMPARE(skins->List1.BackColor(), 13172660L);
        rig->program->hideAndUnloadSkinManager();

        // The numbers that did not fit go back to the file as they were read.
        rig->program->terminate();
        const QList<QByteArray> written = rig->readAppFile(u"save.ata"_s).split('\n');
        QCOMPARE(written.at(7), number.toUtf8() + '\r');
        QCOMPARE(written.at(10), QByteArray(" 13172660\r"));
        QCOMPARE(written.at(15), number.toUtf8() + '\r');
    }
}

void TestSkinManager::applyingAPicture()
{
    skins->Show();
    const QString folder = makePictures(u"apply"_s, 2);
    m->SkinPicturePath = u"/old.jpg"_s;
    skins->File1.setPath(folder);
    skins->Command1_Click(); // no file selected: the old path stays
    QCOMPARE(m->SkinChosen, 1);
    QCOMPARE(m->SkinPicturePath, u"/old.jpg"_s);
    QCOMPARE(m->SkinWindowReshown, 1); // the main window brought the manager back

    skins->Dir1.setPath(folder); // selects and previews the first picture
    skins->Combo2.setListIndex(1);
    skins->File1_DblClick();
    QCOMPARE(m->SkinPicturePath, QDir(folder).filePath(u"pic000.jpg"_s));
    QCOMPARE(main->Image1.picture().image().size(), QSize(8, 6));
    QCOMPARE(m->SkinDisplayMode.value(), 1.0);
    const QColor background = toQColor(main->BackColor());
    QVERIFY(background.red() < 150 && background.green() < 150 && background.blue() < 150);

    // With the automatic change on, a double-click adds to the list instead.
    skins->Check2.setValue(1);
    skins->File1_DblClick();
    QCOMPARE(skins->List1.ListCount(), 1);
    int enter = 13;
    skins->File1_KeyPress(enter);
    QCOMPARE(skins->List1.ListCount(), 2);
}

// From the folder the manager opens in, with the keyboard alone: the file
// list takes the focus without choosing a file, an arrow chooses one, and
// moving back and forth over the folder list keeps it for Apply.
void TestSkinManager::keyboardPicksAndAppliesAPicture()
{
    const QString folder = makePictures(u"keys"_s, 3);
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    skins->Show();
    QDir::setCurrent(before);
    test::activate(*skins);
    QVERIFY(test::tabTo(skins->File1));
    QCOMPARE(skins->File1.ListIndex(), -1);
    QVERIFY(skins->Image1.picture().isNull());

    test::press(Qt::Key_Down);
    QCOMPARE(skins->File1.FileName(), u"pic001.jpg"_s);
    QVERIFY(!skins->Image1.picture().isNull());
    test::press(Qt::Key_Tab, Qt::ShiftModifier);
    QVERIFY(test::hasFocus(skins->Dir1));
    test::press(Qt::Key_Tab);
    test::press(Qt::Key_Tab);
    QVERIFY(test::hasFocus(skins->Command1));
    test::press(Qt::Key_Return);
    QCOMPARE(m->SkinChosen, 1);
    QCOMPARE(m->SkinPicturePath, QDir(folder).filePath(u"pic001.jpg"_s));
}

void TestSkinManager::previewGrowsBack()
{
    skins->Show();
    const QString folder = makePictures(u"grow"_s, 1);
    skins->File1.setPath(folder);
    const auto growth = [&](double random, int steps) {
        rig->random.values = {random};
        skins->File1.setListIndex(0);
        for (int tick = 0; tick < steps; ++tick)
            skins->Timer1_Timer();
        return QSize(qRound(skins->Image1.Width()), qRound(skins->Image1.Height()));
    };
    QCOMPARE(growth(0.5, 0), QSize(2535, 1935)); // animation off: full size at once
    QCOMPARE(skins->GrowStyle, short(4));
    skins->Check4.setValue(1);
    QCOMPARE(growth(0.5, 20), QSize(2530, 1935)); // style 1: the width grows
    QCOMPARE(skins->GrowStyle, short(1));
    QCOMPARE(growth(0.9, 20), QSize(2535, 1935)); // style 2: the height grows
    QCOMPARE(growth(0.1, 20), QSize(2520, 1935)); // style 0: both grow
    QVERIFY(!skins->Image1.picture().isNull());
}

void TestSkinManager::slideshowCountAndBlink()
{
    skins->Show();
    skins->Timer1_Timer();
    QCOMPARE(skins->Label2.Caption(), u"Total Number of Picture(s) = 0"_s);
    skins->Dir1.setPath(makePictures(u"show"_s, 3));
    skins->Command5_Click();
    m->PreviewTick = 0;
    m->PreviewIndex = 0;
    QStringList numbers;
    for (int tick = 0; tick < 48; ++tick) {
        skins->Timer1_Timer();
        if (m->PreviewTick == 0)
            numbers.append(skins->Label4.Caption());
    }
    QCOMPARE(numbers, QStringList({u"1"_s, u"2"_s, u"3"_s, u"1"_s}));
    QCOMPARE(skins->Label2.Caption(), u"Total Number of Picture(s) = 3"_s);

    // Every 142nd tick the automatic-change box takes a new colour.
    const long before = skins->Check2.BackColor();
    skins->BlinkTick = 141;
    rig->random.values = {0.0, 0.0, 0.0};
    skins->Timer1_Timer();
    QCOMPARE(skins->BlinkTick, 0);
    QCOMPARE(skins->Check2.BackColor(), rgb(0, 100, 0));
    QVERIFY(before != skins->Check2.BackColor());
}

QTEST_MAIN(TestSkinManager)
#include "test_skin_manager.moc"
