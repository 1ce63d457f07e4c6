// What scripts read and change of the clips on the stage: properties,
// playheads, depths, clips made and removed by scripts, and geometry.

#include "avm1/clipproperties.h"
#include "hittest.h"
#include "objectbounds.h"
#include "movieplayer.h"
#include "scriptruntime.h"

#include <cmath>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

// Frame labels match without case in the ASCII letters only.
bool sameLabel(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// Twips to pixels and back around a transform in twips.
QTransform inPixels(const QTransform &twips)
{
    return QTransform::fromScale(20, 20) * twips * QTransform::fromScale(1.0 / 20, 1.0 / 20);
}

} // namespace

QString ScriptRuntime::clipTarget(int handle)
{
    QStringList names;
    StageClip *c = clip(handle);
    if (!c)
        return {};
    for (; c->parent; c = c->parent)
        names.prepend(c->placement.name);
    names.prepend(QStringLiteral("_level%1").arg(c->depth));
    return names.join(u'.');
}

int ScriptRuntime::clipLevel(int n)
{
    const StageClip *root = stage_.level(n);
    return root ? root->handle : 0;
}

std::vector<StageClip *> ScriptRuntime::levelRoots() const
{
    std::vector<StageClip *> roots{&stage_.root()};
    for (const auto &[n, level] : stage_.levels())
        roots.push_back(level.get());
    return roots;
}

int ScriptRuntime::clipAtPath(const QString &path)
{
    const QStringList names = path.split(u'.');
    const int level = vm_.levelNumber(names.first());
    int found = level >= 0 ? clipLevel(level) : 0;
    for (qsizetype i = 1; found && i < names.size(); ++i)
        found = clipChild(found, names[i]);
    return found;
}

int ScriptRuntime::clipParent(int handle)
{
    StageClip *c = clip(handle);
    return c && c->parent ? c->parent->handle : 0;
}

int ScriptRuntime::clipChild(int handle, const QString &name)
{
    StageClip *c = clip(handle);
    if (!c || name.isEmpty())
        return 0;
    const Qt::CaseSensitivity cs = vm_.version() <= 6 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (const auto &[depth, child] : c->children) {
        if (child->placement.name.size() != name.size() || child->placement.name.compare(name, cs) != 0)
            continue;
        if (isMovieClip(*child) || child->button || child->field)
            return child->handle;
        if (!child->field)
            return handle;
    }
    return 0;
}

std::vector<QString> ScriptRuntime::clipChildNames(int handle)
{
    std::vector<QString> names;
    if (const StageClip *c = clip(handle))
        for (const auto &[depth, child] : c->children)
            if (!child->placement.name.isEmpty())
                names.push_back(child->placement.name);
    return names;
}

void ScriptRuntime::gotoFrame(int handle, int frame, bool play)
{
    StageClip *c = clip(handle);
    if (!c || !c->timeline)
        return;
    c->playing = play;
    // Past the end it shows the last frame without running its scripts.
    stage_.gotoFrame(*c, frame, frame <= c->totalFrames());
}

bool ScriptRuntime::gotoLabel(int handle, const QString &label, bool play)
{
    const int frame = frameOfLabel(handle, label);
    if (frame <= 0)
        return false;
    gotoFrame(handle, frame, play);
    return true;
}

void ScriptRuntime::setPlaying(int handle, bool playing)
{
    if (StageClip *c = clip(handle))
        c->playing = playing;
}

void ScriptRuntime::stepFrame(int handle, int delta)
{
    if (StageClip *c = clip(handle))
        gotoFrame(handle, c->frame + delta, false);
}

// A movie's root counts the whole file, a sprite the tags it holds, a
// clip made by a script nothing.
qint64 ScriptRuntime::movieBytes(int handle)
{
    const StageClip *c = clip(handle);
    if (!c)
        return 0;
    if (c->loaded || !c->parent)
        return c->childLibrary().byteLength();
    return c->timeline ? c->timeline->tagBytes : 0;
}

int ScriptRuntime::frameOfLabel(int handle, const QString &label)
{
    StageClip *c = clip(handle);
    if (!c || !c->timeline)
        return 0;
    const auto &frames = c->timeline->frames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (sameLabel(frames[i].label, label))
            return int(i + 1);
    return 0;
}

std::vector<std::shared_ptr<const QByteArray>> ScriptRuntime::frameScripts(int handle, int frame)
{
    StageClip *c = clip(handle);
    if (!c || !c->timeline || frame < 1 || frame > c->totalFrames())
        return {};
    return c->timeline->frames[std::size_t(frame - 1)].scripts;
}

StageClip *ScriptRuntime::makeClip(StageClip &parent, const Placement &placement, int depth, const Value &init,
                                   const std::function<void(StageClip &)> &prepare)
{
    if (depth < -scriptDepthOffset || depth > maxScriptDepth)
        return nullptr;
    scriptMaking_ = true;
    StageClip *made = stage_.place(parent, depth + scriptDepthOffset, placement);
    scriptMaking_ = false;
    if (!made)
        return nullptr;
    if (prepare)
        prepare(*made);
    initialiseClip(made->handle, init);
    return clip(made->handle);
}

int ScriptRuntime::duplicateClip(int handle, const QString &name, int depth, const Value &init)
{
    StageClip *source = clip(handle);
    if (!source || !source->parent)
        return 0;
    Placement placement = source->placement;
    placement.name = name;
    // The copy takes what the source's scripts set and drew before its own
    // scripts run; the source may be gone by then, replaced at its depth.
    const bool scripted = source->scripted;
    const double xscale = source->xscale, yscale = source->yscale, rotation = source->rotation;
    auto drawing = source->drawing ? std::make_unique<ScriptDrawing>(*source->drawing) : nullptr;
    StageClip *made = makeClip(*source->parent, placement, depth, init, [&](StageClip &copy) {
        copy.scripted = scripted;
        copy.xscale = xscale;
        copy.yscale = yscale;
        copy.rotation = rotation;
        copy.drawing = std::move(drawing);
    });
    return made ? made->handle : 0;
}

int ScriptRuntime::attachClip(int handle, const QString &exportName, const QString &name, int depth, const Value &init)
{
    StageClip *parent = clip(handle);
    const Movie *library = parent ? &parent->childLibrary() : nullptr;
    const quint16 id = library ? library->exportedId(exportName) : 0;
    if (!id || !std::get_if<SpriteCharacter>(library->character(id)))
        return 0;
    Placement placement;
    placement.characterId = id;
    placement.name = name;
    StageClip *made = makeClip(*parent, placement, depth, init);
    return made ? made->handle : 0;
}

int ScriptRuntime::createEmptyClip(int handle, const QString &name, int depth)
{
    StageClip *parent = clip(handle);
    Placement placement;
    placement.name = name;
    StageClip *made = parent ? makeClip(*parent, placement, depth, Value()) : nullptr;
    return made ? made->handle : 0;
}

void ScriptRuntime::removeClip(int handle)
{
    StageClip *c = clip(handle);
    if (c && c->parent && c->depth >= scriptDepthOffset && c->depth <= scriptDepthOffset + maxRemovableDepth)
        stage_.remove(*c);
}

int ScriptRuntime::clipDepth(int handle)
{
    StageClip *c = clip(handle);
    return c ? c->depth - scriptDepthOffset : 0;
}

void ScriptRuntime::swapDepths(int handle, int depth)
{
    StageClip *c = clip(handle);
    if (!c || !c->parent || depth < -scriptDepthOffset || depth > maxScriptDepth
        || depth + scriptDepthOffset == c->depth)
        return;
    // A clip a script moved in depth is no longer placed by its timeline.
    touchTransform(*c);
    stage_.swapDepths(*c, depth + scriptDepthOffset);
}

int ScriptRuntime::nextHighestDepth(int handle)
{
    StageClip *c = clip(handle);
    if (!c || c->children.empty())
        return 0;
    return qMax(0, c->children.rbegin()->first - scriptDepthOffset + 1);
}

QPointF ScriptRuntime::mouseIn(int handle)
{
    return clipToStage(handle).inverted().map(mouse_);
}

int ScriptRuntime::clipAtDepth(int handle, int depth)
{
    StageClip *c = clip(handle);
    StageClip *child = c ? c->childAt(depth + scriptDepthOffset) : nullptr;
    if (!child)
        return 0;
    // A shape, text or picture there has no object of its own: the clip
    // holding it stands for it.
    return isMovieClip(*child) || child->button || child->field ? child->handle : handle;
}

QTransform ScriptRuntime::clipToStage(int handle)
{
    const StageClip *c = clip(handle);
    return inPixels(c ? clipWorld(*c) : QTransform());
}

QRectF ScriptRuntime::clipBounds(int handle)
{
    StageClip *c = clip(handle);
    if (!c)
        return {};
    const QRectF twips = clipBoundsInTwips(*c);
    return QRectF(twips.topLeft() / 20, twips.size() / 20);
}

ScriptDrawing *ScriptRuntime::clipDrawing(int handle)
{
    StageClip *c = clip(handle);
    if (!c)
        return nullptr;
    if (!c->drawing)
        c->drawing = std::make_unique<ScriptDrawing>();
    return c->drawing.get();
}

bool ScriptRuntime::clipHitsPoint(int handle, const QPointF &point, bool shape)
{
    if (shape) {
        const StageClip *c = clip(handle);
        return c && clipHits(*c, clipWorld(*c), point * 20);
    }
    const QRectF bounds = clipBounds(handle);
    if (bounds.isNull())
        return false;
    // Edges count, so a clip scaled to nothing still holds the point it
    // shrank to.
    const QRectF area = clipToStage(handle).mapRect(bounds);
    return point.x() >= area.left() && point.x() <= area.right() && point.y() >= area.top()
           && point.y() <= area.bottom();
}


} // namespace sky::swf
