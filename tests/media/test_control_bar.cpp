#include "media/controlbar.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QtTest>
#include <limits>

using sky::ControlBar;

class ControlBarTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsTimes()
    {
        QCOMPARE(ControlBar::formatTime(0), QStringLiteral("0:00"));
        QCOMPARE(ControlBar::formatTime(59.9), QStringLiteral("0:59"));
        QCOMPARE(ControlBar::formatTime(61), QStringLiteral("1:01"));
        QCOMPARE(ControlBar::formatTime(3600 + 62), QStringLiteral("1:01:02"));
        QCOMPARE(ControlBar::formatTime(-3), QStringLiteral("0:00"));
        QCOMPARE(ControlBar::formatTime(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0:00"));
    }

    void seekSliderFollowsThePlayerAndTheUser()
    {
        ControlBar bar;
        QSignalSpy seeks(&bar, &ControlBar::seekRequested);
        auto *slider = bar.findChildren<QSlider *>().at(0);
        auto *time = bar.findChild<QLabel *>();

        bar.setTimes(5, 0);
        QCOMPARE(time->text(), QStringLiteral("0:05 / --:--"));
        bar.setTimes(5.5, 60);
        QCOMPARE(time->text(), QStringLiteral("0:05 / 1:00"));
        QCOMPARE(slider->maximum(), 600);
        QCOMPARE(slider->value(), 55);
        bar.setTimes(30, 60);
        QCOMPARE(slider->value(), 300);
        bar.setTimes(5.5, 60);
        QVERIFY(seeks.isEmpty()); // the player's own progress is no request

        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(seeks.count(), 1);
        QCOMPARE(seeks.takeFirst().at(0).toDouble(), 5.6);

        // While the handle is held, playback does not move it and nothing
        // is sought until it is let go.
        slider->setSliderDown(true);
        slider->setSliderPosition(300);
        bar.setTimes(7, 60);
        QCOMPARE(slider->sliderPosition(), 300);
        QVERIFY(seeks.isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(seeks.count(), 1);
        QCOMPARE(seeks.takeFirst().at(0).toDouble(), 30.0);
    }

    void aClickPutsTheHandleUnderThePointer()
    {
        ControlBar bar;
        bar.resize(640, bar.sizeHint().height());
        bar.show();
        QSignalSpy seeks(&bar, &ControlBar::seekRequested);
        auto *slider = bar.findChildren<QSlider *>().at(0);
        bar.setTimes(0, 15 * 60);

        const QPoint at(slider->width() * 8 / 10, slider->height() / 2);
        QTest::mouseClick(slider, Qt::LeftButton, {}, at);
        QCOMPARE(seeks.count(), 1);
        const double sought = seeks.takeFirst().at(0).toDouble();
        QVERIFY2(sought > 0.75 * 15 * 60 && sought < 0.85 * 15 * 60, qPrintable(QString::number(sought)));
        // The middle of the handle stands where the bar was clicked.
        const int span = slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider);
        const int handle = QStyle::sliderPositionFromValue(0, slider->maximum(), slider->value(), slider->width() - span);
        QVERIFY2(std::abs(handle + span / 2 - at.x()) <= 2, qPrintable(QString::number(handle + span / 2)));
    }

    void muteAndVolume()
    {
        // Play, pause and stop go through the engine's own tests; here the
        // player's answers must not come back as requests.
        ControlBar bar;
        QSignalSpy mutes(&bar, &ControlBar::muteRequested);
        QSignalSpy volumes(&bar, &ControlBar::volumeRequested);
        QToolButton *mute = bar.findChildren<QToolButton *>().at(2);
        auto *volume = bar.findChildren<QSlider *>().at(1);

        mute->click();
        QCOMPARE(mutes.count(), 1);
        QCOMPARE(mutes.at(0).at(0).toBool(), true);
        bar.setMuted(false); // the player's answer is shown, not sent back
        QVERIFY(!mute->isChecked());
        QCOMPARE(mutes.count(), 1);

        volume->setValue(40);
        QCOMPARE(volumes.count(), 1);
        QCOMPARE(volumes.at(0).at(0).toInt(), 40);
        bar.setVolume(70);
        QCOMPARE(volume->value(), 70);
        QCOMPARE(volumes.count(), 1);
    }
};

QTEST_MAIN(ControlBarTest)
#include "test_control_bar.moc"
