#include "flashwindowtest.h"
#include "swfwriter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace sky::test {

QByteArray emptyMovie(int frames)
{
    swftest::Movie movie(8, 0, 0);
    for (int i = 0; i < frames; ++i)
        movie.showFrame();
    return movie.fws();
}

QRect areaOf(const QImage &image, const QColor &c)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == c)
                area |= QRect(x, y, 1, 1);
    return area;
}

void hover(QWidget *view, const QPoint &pos, Qt::MouseButtons held)
{
    QMouseEvent move(QEvent::MouseMove, pos, view->mapToGlobal(pos), Qt::NoButton, held, {});
    QApplication::sendEvent(view, &move);
}

void activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QCoreApplication::processEvents();
}

void FlashWindowTest::init()
{
    MainWindowTest::init();
    main->Command11_Click();
    flash = &rig->program->form3();
    QCOMPARE(rig->modal.shown, QStringList({u"Form3"_s}));
    QVERIFY(rig->messageBox.shown.isEmpty());
}

ShockwaveFlash &FlashWindowTest::openMovie(const QString &name, const QByteArray &data)
{
    rig->writeAppFile(name, data);
    rig->fileDialog.answers.push_back(rig->appPath(name));
    flash->Command7_Click();
    return flash->ShockwaveFlash1;
}

} // namespace sky::test
