#include "platform/buttons.h"
#include "platform/caption_text.h"
#include "platform/colour.h"
#include "platform/form.h"
#include "test_rig.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

const QRect kArea(0, 0, 200, 60);

QImage draw(CaptionText &caption, const QString &text, int flags, QColor colour = Qt::black)
{
    QImage image(kArea.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    painter.setPen(colour);
    caption.paint(painter, kArea, text, flags);
    return image;
}

QImage draw(const QString &text, int flags)
{
    CaptionText caption;
    return draw(caption, text, flags);
}

// The smallest rectangle holding every pixel that is not transparent.
QRect ink(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect difference(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestCaptionText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessKeysAreUnderlinedNotShown();
    void alignsAndBreaksLines();
    void keptLayoutFollowsTextAndPen();
    void colouredButtonDrawsItsFace();
    void longCaptionShrinksByQuarterPointsToFit();
};

void TestCaptionText::accessKeysAreUnderlinedNotShown()
{
    const int centred = Qt::AlignCenter;
    // "&&" is a plain "&"; without mnemonics every "&" shows as it is.
    QCOMPARE(draw(QStringLiteral("A&&B"), centred | Qt::TextShowMnemonic), draw(QStringLiteral("A&B"), centred));
    QVERIFY(draw(QStringLiteral("&PLAY"), centred) != draw(QStringLiteral("PLAY"), centred));

    // The underline sits under the marked letter, below the letters.
    const QImage plain = draw(QStringLiteral("PLAY"), centred);
    const QImage marked = draw(QStringLiteral("P&LAY"), centred | Qt::TextShowMnemonic);
    const QRect letters = ink(plain);
    const QRect underline = difference(plain, marked);
    QVERIFY(!underline.isEmpty());
    QVERIFY(underline.top() > letters.bottom() - 2);
    QVERIFY(underline.left() > letters.left() + 3);
    QVERIFY(underline.right() < letters.center().x() + 3);

    // Only the first marked letter is underlined.
    const QRect twice = difference(
        draw(QStringLiteral("PLAY"), centred), draw(QStringLiteral("P&L&AY"), centred | Qt::TextShowMnemonic));
    QCOMPARE(twice, underline);
}

void TestCaptionText::alignsAndBreaksLines()
{
    const QRect centred = ink(draw(QStringLiteral("centre"), Qt::AlignCenter));
    QVERIFY(qAbs(centred.center().x() - kArea.center().x()) <= 1);
    QVERIFY(qAbs(centred.center().y() - kArea.center().y()) <= 2);
    QVERIFY(ink(draw(QStringLiteral("left"), Qt::AlignLeft | Qt::AlignTop)).left() <= 1);
    QVERIFY(ink(draw(QStringLiteral("right"), Qt::AlignRight | Qt::AlignTop)).right() >= kArea.right() - 1);

    // A line break starts a new line; a long caption wraps only when asked.
    const int oneLine = ink(draw(QStringLiteral("Ayg"), Qt::AlignLeft | Qt::AlignTop)).height();
    QVERIFY(ink(draw(QStringLiteral("Ayg\nAyg"), Qt::AlignLeft | Qt::AlignTop)).height() > oneLine * 3 / 2);
    const QString words = QStringLiteral("words that are far too long for one line of the area");
    const QRect unwrapped = ink(draw(words, Qt::AlignLeft | Qt::AlignTop));
    const QRect wrapped = ink(draw(words, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap));
    QVERIFY(unwrapped.height() < oneLine * 3 / 2);
    QVERIFY(wrapped.height() > oneLine * 3 / 2);
    QVERIFY(wrapped.right() < kArea.right());
}

void TestCaptionText::keptLayoutFollowsTextAndPen()
{
    // One caption object painted again and again, as a button does, draws
    // what a fresh one draws for the same text and colour.
    CaptionText kept;
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    draw(kept, QStringLiteral("&Repeat"), flags);
    QCOMPARE(draw(kept, QStringLiteral("&Repeat"), flags, Qt::red), [&] {
        CaptionText fresh;
        return draw(fresh, QStringLiteral("&Repeat"), flags, Qt::red);
    }());
    QCOMPARE(draw(kept, QStringLiteral("A t&o B"), flags), draw(QStringLiteral("A t&o B"), flags));
    QCOMPARE(draw(kept, QStringLiteral("A t&o B"), Qt::AlignLeft), draw(QStringLiteral("A t&o B"), Qt::AlignLeft));
    // More captions than are kept, as a growing bar of squares goes through.
    for (int round = 0; round < 2; ++round) {
        for (int n = 0; n < 45; n += 1 + round) {
            const QString bar(n, QChar(0x25A0));
            QCOMPARE(draw(kept, bar, Qt::AlignLeft), draw(bar, Qt::AlignLeft));
        }
    }
}

void TestCaptionText::colouredButtonDrawsItsFace()
{
    test::TestRig rig;
    Form1 &main = rig.startMainWindow();
    main.Show();
    for (Control *control : std::initializer_list<Control *> { &main.Command1, &main.Check1 }) {
        control->setBackColor(rgb(10, 200, 30));
        const QImage look = control->widget()->grab().toImage();
        // Just inside the top right corner, away from the caption.
        QCOMPARE(QColor(look.pixel(look.width() - 2, 2)), QColor(10, 200, 30));
    }
    // A disabled button greys its caption but keeps its face.
    main.Command1.setEnabled(false);
    const QImage disabled = main.Command1.widget()->grab().toImage();
    QCOMPARE(QColor(disabled.pixel(disabled.width() - 2, 2)), QColor(10, 200, 30));
}

void TestCaptionText::longCaptionShrinksByQuarterPointsToFit()
{
    const QString text = u"Add to PlayList and play it"_s;
    const QFont own(u"DejaVu Sans"_s, 10);
    for (const int flags : {int(Qt::AlignCenter), Qt::AlignCenter | Qt::TextWordWrap}) {
        for (int width = 200; width >= 40; width -= 7) {
            const QRect area(0, 0, width, 30);
            // The largest quarter-point size from 10 down to 7.5 at which it
            // fits, or 7.5.
            QFont expected = own;
            while (expected.pointSizeF() > 7.5
                   && (QFontMetricsF(expected).boundingRect(QRectF(area), flags, text).width() > width
                       || QFontMetricsF(expected).boundingRect(QRectF(area), flags, text).height() > 30))
                expected.setPointSizeF(expected.pointSizeF() - 0.25);
            QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&image);
            painter.setFont(own);
            CaptionText caption;
            caption.paintFitted(painter, area, text, flags);
            QCOMPARE(painter.font().pointSizeF(), expected.pointSizeF());
        }
    }
    // An area narrower than a letter at the smallest size, as the main
    // window's group bars are, shows no letter whole at any size: the
    // caption keeps its own font.
    QImage bar(5, 145, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&bar);
    painter.setFont(own);
    CaptionText caption;
    caption.paintFitted(painter, bar.rect(), u"   &1"_s, Qt::AlignCenter | Qt::TextShowMnemonic);
    QCOMPARE(painter.font(), own);
}

QTEST_MAIN(TestCaptionText)
#include "test_caption_text.moc"
