#include "options/form4.h"

#include "core/program.h"
#include "options/form5.h"
#include "platform/colour.h"

#include <QApplication>
#include <QPalette>

namespace sky {

namespace {

constexpr int kEnter = 13;

// The text the prompt accepts. Every key lands at both ends of the box, and
// the comparison sees the text from before the key with the key added: typing
// the password the hint names, "quorb", key by key into the empty box makes
// the fifth comparison see exactly this.
const QString kAccessValue = QStringLiteral("rouqquorb");

QString hintText()
{
    return QString(9, QLatin1Char(' ')) + QStringLiteral("Password is quorb") + QString(68, QLatin1Char(' '))
        + QStringLiteral("This has been intensionally put so that you don't change the advanced settings too often.");
}

} // namespace

Form4::Form4(Program &program)
    : Form(QStringLiteral("Form4"), program.services()), Label1(*this, QStringLiteral("Label1")),
      Text1(*this, QStringLiteral("Text1")), Label2(*this, QStringLiteral("Label2")),
      Timer1(*this, QStringLiteral("Timer1")), m_program(program)
{
    Text1.KeyPress = [this](int &key) { Text1_KeyPress(key); };
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void Form4::design()
{
    setCaption(QStringLiteral("Password"));
    setBorder(Border::Fixed);
    setBackColor(rgb(0, 0, 0));
    setClientSize(4605, 4500);
    Label1.setCaption(QStringLiteral("Enter Password"));
    Label1.setForeColor(rgb(192, 255, 255));
    Label1.setFont(QStringLiteral("DejaVu Sans"), 12, true);
    Label1.Move(360, 360, 3495, 375);
    Text1.setText(QString());
    Text1.Move(840, 1080, 2415, 495);
    Text1.setVisible(true);
    Label2.setCaption(hintText());
    // The tooltip text colour, unless it would not show on black: then the
    // tooltip's own light background colour.
    const QPalette palette = QApplication::palette();
    QColor hint = palette.color(QPalette::ToolTipText);
    if (hint.lightness() < 96)
        hint = palette.color(QPalette::ToolTipBase);
    Label2.setForeColor(fromQColor(hint));
    Label2.Move(480, 2040, 3975, 2055);
    Label2.setVisible(false);
    Timer1.setInterval(3000);
    Timer1.setEnabled(true);
}

void Form4::Text1_KeyPress(int &keyAscii)
{
    // The key is added here, and again by the text box where the caret now
    // stands: at the start of the text.
    Text1.setText(Text1.Text() + QChar(keyAscii));
    if (Text1.Text() == kAccessValue) {
        Hide();
        m_program.form5().Show(true);
        Unload();
    }
    if (keyAscii == kEnter)
        Text1.setText(QString());
}

void Form4::Timer1_Timer()
{
    Label2.setVisible(true);
}

} // namespace sky
