#include "core/splash.h"

#include "core/program.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"

#include <QPainter>

namespace sky {

namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 0;

} // namespace

QImage productIcon()
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(0, 128, 128));
    painter.drawEllipse(2, 2, 28, 28);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawPolygon(QPolygon({QPoint(12, 9), QPoint(24, 16), QPoint(12, 23)}));
    painter.end();
    // Sixteen colours, as the icon was drawn.
    return icon.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).convertToFormat(QImage::Format_ARGB32);
}

frmSplash::frmSplash(Program &program)
    : Form(QStringLiteral("frmSplash"), program.services()), Frame1(*this, QStringLiteral("Frame1")),
      imgLogo(*this, QStringLiteral("imgLogo"), &Frame1),
      lblCompanyProduct(*this, QStringLiteral("lblCompanyProduct"), &Frame1),
      lblVersion(*this, QStringLiteral("lblVersion"), &Frame1), Timer1(*this, QStringLiteral("Timer1")),
      m_program(program)
{
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void frmSplash::design()
{
    setBorder(Border::None);
    setBackColor(rgb(0, 0, 0));
    setClientSize(6000, 2400);
    centreOnScreen();
    Frame1.Move(150, 60, 5700, 2250);
    imgLogo.setPicture(Picture(productIcon()));
    imgLogo.setStretch(false);
    imgLogo.Move(360, 360, 480, 480);
    lblCompanyProduct.setCaption(QStringLiteral("SKYVANTRIX Media Player"));
    lblCompanyProduct.setFont(QStringLiteral("Arial"), 20, true);
    lblCompanyProduct.Move(1080, 420, 4500, 600);
    lblVersion.setCaption(QStringLiteral("Version 1.0.0"));
    lblVersion.setFont(QStringLiteral("Arial"), 12, true);
    lblVersion.setAlignment(Label::RightJustify);
    lblVersion.Move(1080, 1320, 4500, 420);
    Timer1.setInterval(50);
    Timer1.setEnabled(true);
}

void frmSplash::Form_Load()
{
    lblCompanyProduct.setForeColor(rgb(255, 0, 0));
    lblVersion.setForeColor(rgb(255, 255, 255));
    m_ticks = 0;
    lblVersion.setCaption(QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
}

void frmSplash::Timer1_Timer()
{
    const int c = m_ticks;
    lblCompanyProduct.setForeColor(rgb(255 - 10 * c, 0, 10 * c));
    lblVersion.setForeColor(rgb(255 - 10 * c, 255 - 10 * c, 255 - 10 * c));
    if (c > 24) {
        m_program.form1().Show();
        Unload();
    }
    m_ticks = static_cast<short>(m_ticks + 1);
}

} // namespace sky
