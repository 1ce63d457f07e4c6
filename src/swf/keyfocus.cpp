// The keyboard's focus on a movie's input fields, buttons and clips: the
// order Tab visits them in, what taking and losing the focus tells them and
// the Selection listeners, Enter and Space pressing a focused button or
// clip, and the frame drawn around it.
//
// Tab visits the input fields, the buttons and the clips with mouse
// handlers, a tabIndex or a true tabEnabled that are shown, unless their
// tabEnabled is false or they lie in a clip whose tabChildren is false.
// Once any of them has a tabIndex, only those that have one are visited,
// by that number (what Tab cannot visit orders nothing by its tabIndex);
// otherwise they go by where the top left corner of their frame stands on
// the stage: along lines falling one step down for six across, so mostly
// top to bottom, then left to right. Of two on the same line only the
// first met in the display list is visited. A button or clip that takes
// the focus rolls over, as under the pointer, and rolls out as it loses
// it.

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
    std::optional<qint32> index;
    qint64 line = 0; // of the automatic order
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
    if (handle != old || shown)
        focusActive_ = handle != 0;
    // A button or clip rolls out as it loses the focus, unless the
    // pointer is over it, and over as it takes it, even again; before
    // the objects hear of the focus. A focus a script sets does so after
    // the script, one the keys move at once.
    const auto rolls = [this](int h) { return h && clip(h) && !clip(h)->field; };
    const auto roll = [this](int h, PointerEvent event) {
        if (vm_.current)
            queue_.push_back({Queued::Pointer, h, nullptr, int(event)});
        else
            pointerEvent(h, event);
    };
    if (rolls(old) && (old == handle || old != resolve(hovered_)))
        roll(old, PointerEvent::RollOut);
    if (rolls(handle))
        roll(handle, PointerEvent::RollOver);
    if (handle == old)
        return true;
    // Rolled over at once, the object's own handlers may have removed it.
    if (handle && !clip(handle))
        return false;
    focus_ = handle;
    c = clip(handle);
    selectionBegin_ = selectionEnd_ = c && c->field ? c->field->text.size() : 0;
    // Before SWF 6 a button is no object of its own and hears nothing.
    const auto object = [this](int h) {
        const StageClip *o = clip(h);
        return o && !(o->button && vm_.movieVersion() < 6) ? Value(clipObject(h)) : Value::null();
    };
    const Value was = object(old), now = object(handle);
    if (was.isObject()) {
        const Value args[] = {now};
        vm_.callEvent(vm_.getMember(was, QStringLiteral("onKillFocus")), was, args);
    }
    if (now.isObject()) {
        const Value args[] = {was};
        vm_.callEvent(vm_.getMember(now, QStringLiteral("onSetFocus")), now, args);
    }
    const Value args[] = {was, now};
    tellListeners(QStringLiteral("Selection"), QStringLiteral("onSetFocus"), args);
    return true;
}

// A script may give the focus to any field or button, but to a clip only
// while it acts as a button or its focusEnabled is true.
bool ScriptRuntime::setFocus(int handle)
{
    const StageClip *c = clip(handle);
    if (c && isMovieClip(*c) && !actsAsButton(handle)
        && !vm_.toBoolean(vm_.get(clipObject(handle), QStringLiteral("focusEnabled"))))
        return false;
    return focusOn(handle, true);
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
    if (button || !enabled.isUndefined() || c->tabIndex)
        return mouseEnabled(handle);
    return wantsMouse(handle);
}

void ScriptRuntime::collectTabStops(int parent, std::vector<TabStop> &stops, bool &indexed, bool firstOnly)
{
    // A clip whose tabChildren is false, the root too, hides all inside it.
    Object *self = clipObject(parent);
    const Value inner = self ? vm_.get(self, QStringLiteral("tabChildren")) : Value();
    const StageClip *holder = clip(parent);
    if (!holder || !(inner.isUndefined() || vm_.toBoolean(inner)))
        return;
    std::vector<int> children;
    for (const auto &[depth, child] : holder->children)
        children.push_back(child->handle);
    for (const int handle : children) {
        if (firstOnly && !stops.empty())
            return;
        const StageClip *c = clip(handle);
        if (!c || !c->placement.visible || c->unloading || c->placement.clipDepth
            || !(c->field || c->button || isMovieClip(*c)))
            continue;
        const bool movieClip = isMovieClip(*c);
        // Before SWF 6 no tabIndex orders anything.
        const std::optional<qint32> index = vm_.movieVersion() >= 6 ? c->tabIndex : std::nullopt;
        // The tabIndex of what Tab never visits orders nothing.
        if (takesTabFocus(handle)) {
            indexed |= index.has_value();
            stops.push_back({handle, index});
        }
        if (movieClip)
            collectTabStops(handle, stops, indexed, firstOnly);
    }
}

std::vector<ScriptRuntime::TabStop> ScriptRuntime::tabStops(bool firstOnly, bool &indexed)
{
    std::vector<TabStop> stops;
    indexed = false;
    for (const StageClip *root : levelRoots())
        if (!firstOnly || stops.empty())
            collectTabStops(root->handle, stops, indexed, firstOnly);
    return stops;
}

std::vector<int> ScriptRuntime::tabOrder()
{
    bool indexed = false;
    std::vector<TabStop> stops = tabStops(false, indexed);
    if (indexed) {
        std::erase_if(stops, [](const TabStop &s) { return !s.index; });
        std::stable_sort(stops.begin(), stops.end(),
                         [](const TabStop &a, const TabStop &b) { return *a.index < *b.index; });
    } else {
        for (TabStop &stop : stops) {
            const StageClip *c = clip(stop.handle);
            const QRectF bounds = c ? clipWorld(*c).mapRect(focusBounds(*c)) : QRectF();
            stop.line = std::llround(bounds.top()) * 6 + std::llround(bounds.left());
        }
        std::stable_sort(stops.begin(), stops.end(),
                         [](const TabStop &a, const TabStop &b) { return a.line < b.line; });
        const auto repeated = std::unique(stops.begin(), stops.end(),
                                          [](const TabStop &a, const TabStop &b) { return a.line == b.line; });
        stops.erase(repeated, stops.end());
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
    bool indexed = false;
    return !tabStops(true, indexed).empty();
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

// An arrow key moves the focus from a framed button or clip to the
// nearest object Tab visits in its direction: first those straight ahead,
// by how far along it they start; going down, next those beside it, by
// how far aside; then any other ahead, by the distance between their
// nearest edges. Of two as near, the first in the display list.
void ScriptRuntime::moveFocusByArrow(int code)
{
    const std::optional<QRectF> framed = focusRectangle();
    if (!framed || code < 37 || code > 40)
        return;
    const QRectF from = *framed;
    const bool vertical = code == 38 || code == 40;
    bool indexed = false;
    const std::vector<TabStop> stops = tabStops(false, indexed);
    int best = 0;
    std::pair<int, double> bestKey;
    for (const TabStop &stop : stops) {
        const StageClip *c = clip(stop.handle);
        if (!c || stop.handle == focus_)
            continue;
        const QRectF to = clipWorld(*c).mapRect(focusBounds(*c));
        const bool ahead = code == 37 ? to.left() < from.left()
                           : code == 38 ? to.bottom() < from.bottom()
                           : code == 39 ? to.right() > from.right()
                                        : to.bottom() > from.bottom();
        if (!ahead)
            continue;
        const bool behind = vertical ? to.right() >= from.left() && to.left() <= from.right()
                                     : to.bottom() >= from.top() && to.top() <= from.bottom();
        const double gapX = std::max(from.right() - to.left(), to.right() - from.left());
        const double gapY = std::max(from.bottom() - to.top(), to.bottom() - from.top());
        std::pair<int, double> key;
        if (behind)
            key = {0, code == 37 ? from.right() - to.right()
                      : code == 38 ? from.bottom() - to.bottom()
                      : code == 39 ? to.left() - from.left()
                                   : to.top() - from.top()};
        else if (code == 40 && to.top() <= from.bottom())
            key = {1, gapX};
        else
            key = {2, gapX * gapX + gapY * gapY};
        if (!best || key < bestKey) {
            best = stop.handle;
            bestKey = key;
        }
    }
    if (best)
        focusOn(best, true);
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
    const int handle = focusRectangle() ? focusedObject() : 0;
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
