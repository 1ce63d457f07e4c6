#include "platform/units.h"
#include "skins/picture_fitting.h"

#include <QtTest>

using namespace sky;

class TestPictureFitting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fitsLargePicturesAndCentres_data();
    void fitsLargePicturesAndCentres();
};

void TestPictureFitting::fitsLargePicturesAndCentres_data()
{
    QTest::addColumn<int>("pictureWidth");
    QTest::addColumn<int>("pictureHeight");
    QTest::addColumn<float>("clientWidth");
    QTest::addColumn<float>("clientHeight");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::newRow("fits: natural size, centred")
        << 10000 << 5000 << 6000.f << 6000.f << 165.35f << 1582.68f << 5669.29f << 2834.65f;
    QTest::newRow("wide: width fills") << 20000 << 10000 << 6000.f << 4000.f << 0.f << 500.f << 6000.f << 3000.f;
    QTest::newRow("tall: height fills") << 5000 << 20000 << 6000.f << 4000.f << 2500.f << 0.f << 1000.f << 4000.f;
    // The box's natural width is below the picture's height in the narrow
    // area's units, so it keeps its natural size and is cut off at the sides.
    QTest::newRow("narrow: unchanged") << 10000 << 12000 << 3000.f << 8000.f << -1334.65f << 598.43f << 5669.29f
                                       << 6803.15f;
}

void TestPictureFitting::fitsLargePicturesAndCentres()
{
    QFETCH(int, pictureWidth);
    QFETCH(int, pictureHeight);
    QFETCH(float, clientWidth);
    QFETCH(float, clientHeight);
    const FittedBox box = fitPicture(pictureWidth, pictureHeight, himetricToTwips(pictureWidth),
                                     himetricToTwips(pictureHeight), clientWidth, clientHeight);
    QFETCH(float, left);
    QFETCH(float, top);
    QFETCH(float, width);
    QFETCH(float, height);
    QVERIFY2(qAbs(box.left - left) < 0.1f, qPrintable(QString::number(box.left)));
    QVERIFY2(qAbs(box.top - top) < 0.1f, qPrintable(QString::number(box.top)));
    QVERIFY2(qAbs(box.width - width) < 0.1f, qPrintable(QString::number(box.width)));
    QVERIFY2(qAbs(box.height - height) < 0.1f, qPrintable(QString::number(box.height)));
}

QTEST_APPLESS_MAIN(TestPictureFitting)
#include "test_picture_fitting.moc"
