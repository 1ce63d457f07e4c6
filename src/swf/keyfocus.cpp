// The keyboard's focus on a movie's input fields, buttons and clips: the
// order Tab visits them in, what taking and losing the focus tells them and
// the Selection listeners, Enter and Space pressing a focused button or
// clip, and the frame drawn around it.
//
// Tab visits the input fields, the buttons and the clips with mouse
// handlers (or a true tabEnabled) that are shown, unless their tabEnabled
// is false or they lie in a clip whose tabChildren is false. Once any of
// them has a tabIndex, only those that have one are visited, by that
// number (what Tab cannot visit orders nothing by its tabIndex);
// otherwise they go by where they stand on the stage, top to bottom, then
// left to right. A button or clip that takes the focus rolls over, as
// under the pointer, and rolls out as it loses it.

#include "hittest.h"
#include "movieplayer.h"
#include "objectbounds.h"
#include "scriptruntime.h"

#include <algorithm>
#include <cmath>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

// Where the frame of the keyboard's focus goes, in the object's twips: a
// button is framed at its hit area, which stays as its states change
// under the pointer; anything else at its bounds.
QRectF focusBounds(const StageClip &c)
{
    const QRectF hit = buttonHitBoundsInTwips(c);
    return hit.isNull() ? clipBoundsInTwips(c) : hit;
}

} // namespace

struct ScriptRuntime::TabStop {
    int handle = 0;
    double index = NAN; // its tabIndex, NaN for none
    QPoint at;          // the top left corner of its bounds on the stage, whole pixels
};

int ScriptRuntime::focusedObject()
{
    const StageClip *c = clip(focus_);
    if (!c || c->unloading) {
        focus_ = 0;
        focusShown_ = false;
    }
    return focus_;
}

int ScriptRuntime::focusedField()
{
    const int handle = focusedObject();
    const StageClip *c = clip(handle);
    return c && c->field ? handle : 0;
}

bool ScriptRuntime::focusOn(int handle, bool shown)
{
    const StageClip *c = clip(handle);
    if (handle && (!c || c->unloading || !(c->field || c->button || (isMovieClip(*c) && c->parent))))
        return false;
    const int old = focusedObject();
    // What has nothing drawn as it takes the focus is not framed, even
    // when something is drawn in it later.
    focusShown_ = shown && c && !c->field && !focusBounds(*c).isNull();
    if (handle == old)
        return true;
    focus_ = handle;
    selectionBegin_ = selectionEnd_ = c && c->field ? c->field->text.size() : 0;
    // Before SWF 6 a button is no object of its own and hears nothing.
    const auto object = [this](int h) {
        const StageClip *o = clip(h);
        return o && !(o->button && vm_.movieVersion() < 6) ? Value(clipObject(h)) : Value::null();
    };
    const auto isField = [this](int h) { return clip(h) && clip(h)->field; };
    const Value was = object(old), now = object(handle);
    if (old && !isField(old) && old != resolve(hovered_))
        pointerEvent(old, PointerEvent::RollOut);
    if (was.isObject()) {
        const Value args[] = {now};
        vm_.callEvent(vm_.getMember(was, QStringLiteral("onKillFocus")), was, args);
    }
    if (handle && !isField(handle))
        pointerEvent(handle, PointerEvent::RollOver);
    if (now.isObject()) {
        const Value args[] = {was};
        vm_.callEvent(vm_.getMember(now, QStringLiteral("onSetFocus")), now, args);
    }
    const Value args[] = {was, now};
    tellListeners(QStringLiteral("Selection"), QStringLiteral("onSetFocus"), args);
    return true;
}

// A script reading a property may change the stage: clips are looked up
// by their handles again after every read.
bool ScriptRuntime::takesTabFocus(int handle)
{
    const StageClip *c = clip(handle);
    if (!c || c->unloading || !(c->field || c->button || isMovieClip(*c)))
        return false;
    const bool field = c->field != nullptr, button = c->button != nullptr;
    Object *self = button && vm_.movieVersion() < 6 ? nullptr : clipObject(handle);
    const Value enabled = self ? vm_.get(self, QStringLiteral("tabEnabled")) : Value();
    if ((!enabled.isUndefined() && !vm_.toBoolean(enabled)) || !clip(handle))
        return false;
    if (field)
        return clip(handle)->field->editable;
    if (button || !enabled.isUndefined())
        return mouseEnabled(handle);
    return wantsMouse(handle);
}

void ScriptRuntime::collectTabStops(const StageClip &parent, std::vector<TabStop> &stops, bool &indexed,
                                    bool firstOnly)
{
    std::vector<int> children;
    for (const auto &[depth, child] : parent.children)
        children.push_back(child->handle);
    for (const int handle : children) {
        if (firstOnly && !stops.empty())
            return;
        const StageClip *c = clip(handle);
        if (!c || !c->placement.visible || c->unloading || c->placement.clipDepth
            || !(c->field || c->button || isMovieClip(*c)))
            continue;
        const bool button = c->button != nullptr, movieClip = isMovieClip(*c);
        Object *self = button && vm_.movieVersion() < 6 ? nullptr : clipObject(handle);
        const Value index = self ? vm_.get(self, QStringLiteral("tabIndex")) : Value();
        TabStop stop{handle, index.isUndefined() ? NAN : vm_.toNumber(index), {}};
        if (stop.index < 0)
            stop.index = NAN;
        // The tabIndex of what Tab never visits orders nothing.
        if (takesTabFocus(handle)) {
            indexed |= !std::isnan(stop.index);
            stops.push_back(stop);
        }
        const Value inner = self && movieClip ? vm_.get(self, QStringLiteral("tabChildren")) : Value();
        const StageClip *now = clip(handle);
        if (now && movieClip && (inner.isUndefined() || vm_.toBoolean(inner)))
            collectTabStops(*now, stops, indexed, firstOnly);
    }
}

std::vector<int> ScriptRuntime::tabOrder()
{
    std::vector<TabStop> stops;
    bool indexed = false;
    for (const StageClip *root : levelRoots())
        collectTabStops(*root, stops, indexed, false);
    if (indexed) {
        std::erase_if(stops, [](const TabStop &s) { return std::isnan(s.index); });
        std::stable_sort(stops.begin(), stops.end(),
                         [](const TabStop &a, const TabStop &b) { return a.index < b.index; });
    } else {
        for (TabStop &stop : stops) {
            const StageClip *c = clip(stop.handle);
            const QRectF bounds = c ? clipWorld(*c).mapRect(clipBoundsInTwips(*c)) : QRectF();
            stop.at = QPoint(int(std::lround(bounds.left() / 20)), int(std::lround(bounds.top() / 20)));
        }
        std::stable_sort(stops.begin(), stops.end(), [](const TabStop &a, const TabStop &b) {
            return std::pair(a.at.y(), a.at.x()) < std::pair(b.at.y(), b.at.x());
        });
    }
    std::vector<int> order;
    order.reserve(stops.size());
    for (const TabStop &stop : stops)
        order.push_back(stop.handle);
    return order;
}

// Whether anything at all takes the focus, which the window asks after
// every frame: the first object found will do.
bool ScriptRuntime::hasTabStops()
{
    std::vector<TabStop> stops;
    bool indexed = false;
    for (const StageClip *root : levelRoots())
        if (stops.empty())
            collectTabStops(*root, stops, indexed, true);
    return !stops.empty();
}

bool ScriptRuntime::tabLeavesMovie(bool backward)
{
    const std::vector<int> order = tabOrder();
    const int focused = focusedObject();
    return order.empty() || (focused && focused == (backward ? order.front() : order.back()));
}

void ScriptRuntime::moveTabFocus(bool backward)
{
    const std::vector<int> order = tabOrder();
    if (order.empty())
        return;
    const auto n = std::ptrdiff_t(order.size());
    const auto at = std::find(order.begin(), order.end(), focusedObject());
    const std::ptrdiff_t next = at == order.end() ? (backward ? n - 1 : 0) : (at - order.begin() + (backward ? n - 1 : 1)) % n;
    const int handle = order[std::size_t(next)];
    focusOn(handle, true);
    // A field reached by Tab has all its text selected.
    if (const StageClip *c = clip(handle); c && c->field && focus_ == handle) {
        selectionBegin_ = 0;
        selectionEnd_ = c->field->text.size();
    }
}

void ScriptRuntime::focusTabStop(bool backward)
{
    vm_.beginFrame();
    focusOn(0, false);
    moveTabFocus(backward);
    settle();
}

void ScriptRuntime::pressFocused()
{
    const int handle = focusedObject();
    const StageClip *c = clip(handle);
    if (!c || c->field)
        return;
    pointerEvent(handle, PointerEvent::Press);
    if (clip(handle))
        pointerEvent(handle, PointerEvent::Release);
}

void ScriptRuntime::windowFocusLost()
{
    const StageClip *c = clip(focusedObject());
    if (!c || c->field)
        return;
    vm_.beginFrame();
    focusOn(0, false);
    settle();
}

bool ScriptRuntime::focusRectOn(int handle) const
{
    const auto own = ownFocusRect_.find(handle);
    return own != ownFocusRect_.end() ? own->second : settings_.focusRect;
}

std::optional<QRectF> ScriptRuntime::focusRectangle()
{
    const int handle = focusedObject();
    const StageClip *c = clip(handle);
    if (!c || c->field || !focusShown_ || !focusRectOn(handle))
        return std::nullopt;
    return clipWorld(*c).mapRect(focusBounds(*c));
}

} // namespace sky::swf
