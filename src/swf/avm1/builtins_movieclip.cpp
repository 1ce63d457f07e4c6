#include "activation.h"
#include "builtins.h"

#include "../clipstage.h"
#include "../movie.h"

#include <cmath>

namespace sky::swf::avm1 {
namespace {

int clipOfSelf(CallInfo &c)
{
    return c.self.isObject() && c.self.object->kind == ObjectKind::Clip ? c.self.object->clip : 0;
}

Value clipValue(Vm &vm, int clip) { return clip ? Value(vm.host()->clipObject(clip)) : Value(); }

// A clip given as an object or as a target path.
int clipArgument(Vm &vm, const Value &v, int from)
{
    if (v.isObject())
        return v.object->kind == ObjectKind::Clip ? v.object->clip : 0;
    if (v.isNullish())
        return 0;
    Object *self = vm.host()->clipObject(from);
    if (!self || !vm.current)
        return 0;
    Activation act = *vm.current;
    act.target = self;
    return clipOf(resolveTarget(vm, act, vm.toString(v)));
}

void gotoArgument(Vm &vm, CallInfo &c, bool play)
{
    if (c.self.isObject() && !c.args.empty())
        gotoFrameValue(vm, vm.current, c.self.object, c.args[0], play, 0);
}

Value play(Vm &vm, CallInfo &c)
{
    vm.host()->setPlaying(clipOfSelf(c), true);
    return {};
}

Value stop(Vm &vm, CallInfo &c)
{
    vm.host()->setPlaying(clipOfSelf(c), false);
    return {};
}

Value gotoAndPlay(Vm &vm, CallInfo &c)
{
    gotoArgument(vm, c, true);
    return {};
}

Value gotoAndStop(Vm &vm, CallInfo &c)
{
    gotoArgument(vm, c, false);
    return {};
}

Value nextFrame(Vm &vm, CallInfo &c)
{
    vm.host()->stepFrame(clipOfSelf(c), 1);
    return {};
}

Value prevFrame(Vm &vm, CallInfo &c)
{
    vm.host()->stepFrame(clipOfSelf(c), -1);
    return {};
}

Value attachMovie(Vm &vm, CallInfo &c)
{
    const int parent = clipOfSelf(c);
    if (!parent || c.args.size() < 3)
        return {};
    // Arguments are converted in order: a valueOf or toString may trace.
    const QString id = vm.toString(c.args[0]);
    const QString name = vm.toString(c.args[1]);
    return clipValue(vm, vm.host()->attachClip(parent, id, name, vm.toInt32(c.args[2]), c.arg(3)));
}

Value duplicateMovieClip(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    if (!clip || c.args.size() < 2)
        return {};
    // Arguments are converted in order: a valueOf or toString may trace.
    const QString name = vm.toString(c.args[0]);
    return clipValue(vm, vm.host()->duplicateClip(clip, name, vm.toInt32(c.args[1]), c.arg(2)));
}

Value createEmptyMovieClip(Vm &vm, CallInfo &c)
{
    const int parent = clipOfSelf(c);
    if (!parent || c.args.size() < 2)
        return {};
    const QString name = vm.toString(c.args[0]);
    const Value made = clipValue(vm, vm.host()->createEmptyClip(parent, name, vm.toInt32(c.args[1])));
    // The new clip's onConstruct runs at once; what it throws stops there.
    if (made.isObject())
        if (const Value onConstruct = vm.handler(made.object, QStringLiteral("onConstruct")); onConstruct.isObject())
            vm.callEvent(onConstruct, made);
    return made;
}

Value removeMovieClip(Vm &vm, CallInfo &c)
{
    if (const int clip = clipOfSelf(c))
        vm.host()->removeClip(clip);
    return {};
}

Value getDepth(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    return clip ? Value(vm.host()->clipDepth(clip)) : Value();
}

Value swapDepths(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    if (!clip || c.args.empty() || c.args[0].isUndefined())
        return {};
    const Value to = c.args[0];
    const int parent = vm.host()->clipParent(clip);
    const int other = to.isNumber() ? 0 : clipArgument(vm, to, clip);
    if (other) {
        if (vm.host()->clipParent(other) == parent)
            vm.host()->swapDepths(clip, vm.host()->clipDepth(other));
        return {};
    }
    vm.host()->swapDepths(clip, vm.toInt32(to));
    return {};
}

Value getNextHighestDepth(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    return clip ? Value(vm.host()->nextHighestDepth(clip)) : Value();
}

Value getInstanceAtDepth(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    if (!clip || c.args.empty())
        return {};
    return clipValue(vm, vm.host()->clipAtDepth(clip, int(vm.toNumber(c.args[0]))));
}

Value getBounds(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    if (!clip)
        return {};
    const int space = c.args.empty() ? clip : clipArgument(vm, c.args[0], clip);
    if (!space)
        return {};
    // Nothing drawn: every edge at the largest twips value. Once a call has
    // run by SWF 8's rules (of its own movie or of the main one), the edges
    // in another clip's space lie one twip further out.
    if (vm.movieVersion() >= 8 || vm.mainMovieVersion() >= 8)
        vm.sinceBoundsUnderSwf8 = true;
    QRectF area = vm.host()->clipBounds(clip);
    Object *out = vm.newPlain();
    if (area.isNull()) {
        const double edge = (space != clip && vm.sinceBoundsUnderSwf8 ? 0x8000000 : 0x7FFFFFF) / 20.0;
        for (const char16_t *name : {u"xMin", u"xMax", u"yMin", u"yMax"})
            vm.set(out, QString::fromUtf16(name), edge);
        return out;
    }
    if (space != clip) {
        const QTransform toSpace = vm.host()->clipToStage(clip) * vm.host()->clipToStage(space).inverted();
        area = toSpace.mapRect(area);
    }
    vm.set(out, QStringLiteral("xMin"), area.left());
    vm.set(out, QStringLiteral("xMax"), area.right());
    vm.set(out, QStringLiteral("yMin"), area.top());
    vm.set(out, QStringLiteral("yMax"), area.bottom());
    return out;
}

Value hitTest(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    if (!clip || c.args.empty())
        return false;
    if (c.args.size() >= 2) {
        // The point is in the coordinates of the clip's root, which a
        // script may have moved, not the stage's.
        const QPointF point(vm.toNumber(c.args[0]), vm.toNumber(c.args[1]));
        if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
            return false;
        int root = clip;
        while (const int parent = vm.host()->clipParent(root))
            root = parent;
        return vm.host()->clipHitsPoint(clip, vm.host()->clipToStage(root).map(point), vm.toBoolean(c.arg(2)));
    }
    // An empty path names no clip here.
    const int other = c.args[0].isObject() || !vm.toString(c.args[0]).isEmpty() ? clipArgument(vm, c.args[0], clip) : 0;
    if (!other)
        return false;
    const QRectF a = vm.host()->clipToStage(clip).mapRect(vm.host()->clipBounds(clip));
    const QRectF b = vm.host()->clipToStage(other).mapRect(vm.host()->clipBounds(other));
    return a.intersects(b);
}

// localToGlobal and globalToLocal: change the x and y of a point object.
void mapPoint(Vm &vm, CallInfo &c, bool toStage)
{
    const int clip = clipOfSelf(c);
    if (!clip || c.args.empty() || !c.args[0].isObject())
        return;
    Object *point = c.args[0].object;
    const QTransform t = toStage ? vm.host()->clipToStage(clip) : vm.host()->clipToStage(clip).inverted();
    const QPointF mapped = t.map(QPointF(vm.toNumber(vm.get(point, QStringLiteral("x"))),
                                         vm.toNumber(vm.get(point, QStringLiteral("y")))));
    vm.set(point, QStringLiteral("x"), mapped.x());
    vm.set(point, QStringLiteral("y"), mapped.y());
}

Value localToGlobal(Vm &vm, CallInfo &c)
{
    mapPoint(vm, c, true);
    return {};
}

Value globalToLocal(Vm &vm, CallInfo &c)
{
    mapPoint(vm, c, false);
    return {};
}

Value startDrag(Vm &vm, CallInfo &c)
{
    if (const int clip = clipOfSelf(c)) {
        const bool lock = vm.toBoolean(c.arg(0));
        if (c.args.size() >= 5) {
            const QRectF bounds(QPointF(vm.toNumber(c.args[1]), vm.toNumber(c.args[2])),
                                QPointF(vm.toNumber(c.args[3]), vm.toNumber(c.args[4])));
            vm.host()->startDrag(clip, lock, &bounds);
        } else {
            vm.host()->startDrag(clip, lock, nullptr);
        }
    }
    return {};
}

Value stopDrag(Vm &vm, CallInfo &)
{
    vm.host()->stopDrag();
    return {};
}

// The clip given (or named by a target path) masks this one: this clip
// shows only where its shapes cover, and it is not drawn itself. Null or
// undefined takes the mask away; a target naming no clip changes nothing.
Value setMask(Vm &vm, CallInfo &c)
{
    const int clip = clipOfSelf(c);
    StageClip *self = vm.host()->stageClip(clip);
    if (!self || c.args.empty())
        return {};
    if (c.args[0].isNullish()) {
        setClipMask(*self, nullptr);
        return true;
    }
    // A path is read from the timeline of the calling script.
    const Value &given = c.args[0];
    const int found = given.isObject() ? (given.object->kind == ObjectKind::Clip ? given.object->clip : 0)
                    : vm.current      ? clipOf(resolveTarget(vm, *vm.current, vm.toString(given)))
                                      : 0;
    StageClip *mask = vm.host()->stageClip(found);
    if (!mask || mask == self)
        return false;
    setClipMask(*self, mask);
    return true;
}

// A movie is read whole before it plays: what is loaded is all there is,
// so preloaders waiting for the two to match move on at once.
Value movieBytes(Vm &vm, CallInfo &c) { return double(vm.host()->movieBytes(clipOfSelf(c))); }

// The version of the movie the clip comes from.
Value getSWFVersion(Vm &vm, CallInfo &c)
{
    const StageClip *clip = vm.host()->stageClip(clipOfSelf(c));
    return clip ? Value(clip->childLibrary().version()) : Value();
}

Value movieClipCall(Vm &, CallInfo &) { return {}; }

} // namespace

void installMovieClip(Vm &vm)
{
    vm.clipProto = vm.newPlain();
    defineClass(vm, QStringLiteral("MovieClip"), vm.clipProto, movieClipCall);
    defineMethods(vm, vm.clipProto, {
        {u"play", play},
        {u"stop", stop},
        {u"gotoAndPlay", gotoAndPlay},
        {u"gotoAndStop", gotoAndStop},
        {u"nextFrame", nextFrame},
        {u"prevFrame", prevFrame},
        {u"attachMovie", attachMovie},
        {u"duplicateMovieClip", duplicateMovieClip},
        {u"createEmptyMovieClip", createEmptyMovieClip},
        {u"removeMovieClip", removeMovieClip},
        {u"getDepth", getDepth},
        {u"swapDepths", swapDepths},
        {u"getNextHighestDepth", getNextHighestDepth},
        {u"getInstanceAtDepth", getInstanceAtDepth},
        {u"getBounds", getBounds},
        {u"getRect", getBounds},
        {u"hitTest", hitTest},
        {u"setMask", setMask},
        {u"localToGlobal", localToGlobal},
        {u"globalToLocal", globalToLocal},
        {u"startDrag", startDrag},
        {u"stopDrag", stopDrag},
        {u"getBytesLoaded", movieBytes},
        {u"getBytesTotal", movieBytes},
        {u"getSWFVersion", getSWFVersion},
        {u"loadMovie", loadClipMovie},
        {u"loadVariables", loadClipVariables},
        {u"unloadMovie", unloadClipMovie},
        {u"getURL", nothing},
    });
}

} // namespace sky::swf::avm1
