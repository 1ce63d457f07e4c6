#include "scriptruntime.h"

#include "avm1/clipproperties.h"
#include "movieplayer.h"

#include <cmath>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

constexpr int maxJumpsPerFrame = 16;

avm1::Limits limitsFor(const MoviePlayer &player)
{
    avm1::Limits limits = player.scriptLimits();
    limits.callDepth = qMin(limits.callDepth, player.movie()->recursionLimit());
    return limits;
}

} // namespace

ScriptRuntime::ScriptRuntime(MoviePlayer &player)
    : player_(player)
    , vm_(player.movie()->version(), this, limitsFor(player))
{
    root_ = vm_.newObject(vm_.clipProto ? vm_.clipProto : vm_.objectProto, avm1::ObjectKind::Clip);
    root_->clip = rootClip;
    initDone_.assign(std::size_t(player.totalFrames()) + 1, false);
}

void ScriptRuntime::runScriptsOf(int frame)
{
    const Timeline &timeline = player_.movie()->timeline();
    if (frame < 1 || frame > timeline.frameCount())
        return;
    const Frame &f = timeline.frames[std::size_t(frame - 1)];
    if (!initDone_[std::size_t(frame)]) {
        initDone_[std::size_t(frame)] = true;
        for (const auto &code : f.initScripts)
            vm_.runScript(code, root_);
    }
    for (const auto &code : f.scripts)
        vm_.runScript(code, root_);
}

void ScriptRuntime::runFrame()
{
    vm_.beginFrame();
    runScriptsOf(player_.currentFrame());
    for (int jump = 0; jump < maxJumpsPerFrame && !pendingFrames_.empty(); ++jump) {
        const int frame = pendingFrames_.front();
        pendingFrames_.erase(pendingFrames_.begin());
        runScriptsOf(frame);
    }
    pendingFrames_.clear();
    vm_.collect({root_});
}

void ScriptRuntime::trace(const QString &text)
{
    if (onTrace)
        onTrace(text);
}

void ScriptRuntime::fsCommand(const QString &command, const QString &)
{
    if (command.compare(QStringLiteral("quit"), Qt::CaseInsensitive) == 0)
        quit_ = true;
}

Object *ScriptRuntime::clipObject(int clip) { return clip == rootClip ? root_ : nullptr; }

QString ScriptRuntime::clipTarget(int clip) { return clip == rootClip ? QStringLiteral("_level0") : QString(); }

int ScriptRuntime::clipParent(int) { return 0; }

int ScriptRuntime::clipChild(int, const QString &) { return 0; }

Value ScriptRuntime::clipProperty(int clip, int index)
{
    if (clip != rootClip)
        return {};
    switch (index) {
    case 0:
    case 1:
    case 10: return 0;
    case 2:
    case 3:
    case 6: return 100;
    case 4: return player_.currentFrame();
    case 5:
    case 12: return player_.totalFrames();
    case 7: return true;
    case 8: return player_.movie()->stageRect().width() / 20;
    case 9: return player_.movie()->stageRect().height() / 20;
    case 11: return QStringLiteral("/");
    case 13:
    case 14: return QString();
    case 16: return 1;
    case 19: return QStringLiteral("HIGH");
    default: return 0;
    }
}

void ScriptRuntime::setClipProperty(int, int, const Value &) { }

void ScriptRuntime::gotoFrame(int clip, int frame, bool play)
{
    if (clip != rootClip)
        return;
    frame = qBound(1, frame, player_.totalFrames());
    if (play)
        player_.play();
    else
        player_.stop();
    if (frame == player_.currentFrame())
        return;
    player_.enterFrame(frame);
    pendingFrames_.push_back(frame);
}

bool ScriptRuntime::gotoLabel(int clip, const QString &label, bool play)
{
    const int frame = frameOfLabel(clip, label);
    if (frame <= 0)
        return false;
    gotoFrame(clip, frame, play);
    return true;
}

void ScriptRuntime::setPlaying(int clip, bool playing)
{
    if (clip != rootClip)
        return;
    if (playing)
        player_.play();
    else
        player_.stop();
}

void ScriptRuntime::stepFrame(int clip, int delta)
{
    if (clip == rootClip)
        gotoFrame(clip, player_.currentFrame() + delta, false);
}

int ScriptRuntime::framesLoaded(int clip) { return clip == rootClip ? player_.totalFrames() : 0; }

int ScriptRuntime::frameOfLabel(int clip, const QString &label)
{
    if (clip != rootClip)
        return 0;
    const auto &frames = player_.movie()->timeline().frames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].label.compare(label, Qt::CaseInsensitive) == 0)
            return int(i + 1);
    return 0;
}

std::vector<std::shared_ptr<const QByteArray>> ScriptRuntime::frameScripts(int clip, int frame)
{
    const Timeline &timeline = player_.movie()->timeline();
    if (clip != rootClip || frame < 1 || frame > timeline.frameCount())
        return {};
    return timeline.frames[std::size_t(frame - 1)].scripts;
}

void ScriptRuntime::duplicateClip(int, const QString &, int) { }
void ScriptRuntime::removeClip(int) { }
void ScriptRuntime::startDrag(int, bool, const QRectF *) { }
void ScriptRuntime::stopDrag() { }

double ScriptRuntime::time() { return player_.elapsedTicks() * 1000.0 / qMax(1.0, player_.movie()->frameRate()); }

} // namespace sky::swf
