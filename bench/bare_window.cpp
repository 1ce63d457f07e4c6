// The start-up benchmark's baseline: a bare Qt Widgets window, shown as the
// player shows its main window, of the size given as "WIDTHxHEIGHT".

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList size = argc > 1 ? QString::fromLocal8Bit(argv[1]).split(u'x') : QStringList();
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    if (size.size() == 2)
        window.resize(size[0].toInt(), size[1].toInt());
    window.show();
    return QApplication::exec();
}
