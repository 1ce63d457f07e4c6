#include "fuzz_input.h"

#include "swf/movieplayer.h"

#include <QImage>
#include <QPainter>

#include <vector>

// Loads the bytes as a movie and draws its frames, forwards, backwards and
// by ticks (running its scripts on a small budget), in every quality, and
// mixes its sound as the output would ask for it; for the ticks the same
// bytes play in a clip of the movie and as level 1 too, as movies its
// scripts loaded. Between the ticks a person uses the movie: the pointer
// crosses the stage and clicks, and keys are typed into what has the focus.
void runFuzzInput(const uint8_t *data, size_t size)
{
    sky::swf::MoviePlayer player;
    // Scripts run on every tick; a small budget keeps each input quick.
    sky::swf::avm1::Limits limits;
    limits.actionsPerFrame = 20'000;
    limits.millisecondsPerFrame = 1000;
    limits.callDepth = 64;
    limits.objects = 50'000;
    limits.stringLength = 1 << 20;
    player.setScriptLimits(limits);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!player.loadData(bytes))
        return;
    QImage canvas(48, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    const int frames = qMin(player.totalFrames(), 6);
    for (int frame = frames; frame >= 1; --frame) {
        player.gotoFrame(frame);
        // Low, high, and the window's smooth edges in turn.
        player.draw(painter, canvas.rect(), sky::swf::RenderOptions{frame % 3 != 0, frame % 3 == 1});
    }
    sky::swf::ScriptRuntime &scripts = *player.scripts();
    if (const int holder = scripts.createEmptyClip(scripts.clipRoot(), QStringLiteral("loaded"), 0))
        scripts.showMovie(holder, bytes, QStringLiteral("loaded.swf"), {});
    scripts.showLevel(1, bytes, QStringLiteral("level.swf"));
    player.play();
    std::vector<float> stereo(2 * 2048);
    const QSizeF stage = player.movie()->stageSize();
    for (int tick = 0; tick < 4; ++tick) {
        // From the top left corner to past the bottom right one.
        const QPointF at(stage.width() * (tick + 0.5) / 3, stage.height() * (tick + 0.5) / 3);
        player.input([&](sky::swf::ScriptRuntime &movie) {
            movie.mouseMove(at);
            movie.mouseDown(at, 1 + tick % 3);
            movie.keyDown('A', 'a' + tick);
            movie.keyUp('A', 'a' + tick);
            movie.mouseUp(at);
            movie.keyDown(tick % 2 ? 8 : 9, 0);
            movie.keyUp(tick % 2 ? 8 : 9, 0);
        });
        player.tick();
        player.draw(painter, QRectF(3, 2, 40, 20), sky::swf::RenderOptions{false});
        player.mixSound(stereo.data(), qsizetype(stereo.size() / 2));
    }
}
