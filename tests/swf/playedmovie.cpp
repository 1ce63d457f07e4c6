#include "playedmovie.h"

#include "swf/tracerun.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace swftest {

Movie buttonMovie(bool trackAsMenu, int version)
{
    Movie m(version, 200, 200);
    const auto say = [](const char *text) { return Actions().push(text).op(0x26).code(); };
    m.squareButton(10, 1,
                   {{sky::swf::idleToOverUp, say("rollOver")},
                    {sky::swf::overUpToIdle, say("rollOut")},
                    {sky::swf::overUpToOverDown, say("press")},
                    {sky::swf::overDownToOverUp, say("release")},
                    {sky::swf::overDownToOutDown, say("dragOut")},
                    {sky::swf::outDownToOverDown, say("dragOver")},
                    {sky::swf::outDownToIdle, say("releaseOutside")},
                    {13 << 9, say("Enter")}},
                   trackAsMenu);
    m.place(1, 10, 1000, 1000);
    m.showFrame();
    return m;
}

QStringList tracedWithRecording(const Movie &movie, const QByteArray &recording)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recorded.swf"));
    QFile file(path);
    std::vector<sky::swf::InputEvent> events;
    if (!file.open(QIODevice::WriteOnly) || file.write(movie.fws()) <= 0 || !file.flush()
        || !sky::swf::readInputEvents(recording, events, nullptr))
        return {QStringLiteral("(no movie or recording)")};
    file.close();
    return sky::swf::traceMovie(path, 1, events).lines;
}

Played::Played(const Movie &movie)
{
    player.setTraceSink([this](const QString &line) { traced << line; });
    QVERIFY(player.loadData(movie.fws()));
}

QImage Played::editing(bool caretShown)
{
    QImage image = player.renderFrame();
    QPainter painter(&image);
    player.drawEditing(painter, QRectF(image.rect()), caretShown);
    return image;
}

} // namespace swftest
