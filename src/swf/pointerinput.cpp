// The mouse and the keyboard reaching a movie's scripts: buttons and clips
// with mouse handlers under the pointer, their states and events, the
// clip events and listeners every press, move and key is told to, and
// dragging.

#include "hittest.h"
#include "movieplayer.h"
#include "scriptruntime.h"

#include <algorithm>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

enum ClipEvent : quint32 {
    eventMouseMove = 0x8,
    eventMouseDown = 0x10,
    eventMouseUp = 0x20,
    eventKeyDown = 0x40,
    eventKeyUp = 0x80,
    eventPress = 0x400,
    eventRelease = 0x800,
    eventReleaseOutside = 0x1000,
    eventRollOver = 0x2000,
    eventRollOut = 0x4000,
    eventDragOver = 0x8000,
    eventDragOut = 0x10000,
    eventKeyPress = 0x20000,
    mouseEvents = eventPress | eventRelease | eventReleaseOutside | eventRollOver | eventRollOut | eventDragOver
                  | eventDragOut,
};

// Key.getCode() codes of the keys that move and use the focus.
constexpr int tabCode = 9, enterCode = 13, shiftCode = 16, controlCode = 17, spaceCode = 32;

// What one pointer event is to a clip and to a button.
struct PointerEventInfo {
    quint32 clipEvent;
    const char16_t *method;
    quint16 condition;
    int state; // the button's state after it
};

PointerEventInfo infoOf(int event)
{
    static const PointerEventInfo table[] = {
        {eventRollOver, u"onRollOver", idleToOverUp, buttonOver},
        {eventRollOut, u"onRollOut", overUpToIdle, buttonUp},
        {eventPress, u"onPress", overUpToOverDown, buttonDown},
        {eventRelease, u"onRelease", overDownToOverUp, buttonOver},
        {eventReleaseOutside, u"onReleaseOutside", outDownToIdle, buttonUp},
        {eventDragOver, u"onDragOver", outDownToOverDown, buttonDown},
        {eventDragOut, u"onDragOut", overDownToOutDown, buttonOver},
        {eventDragOver, u"onDragOver", idleToOverDown, buttonDown},
        {eventDragOut, u"onDragOut", overDownToIdle, buttonUp},
    };
    return table[event];
}

const char16_t *const mouseMethods[] = {u"onPress",   u"onRelease",  u"onReleaseOutside", u"onRollOver",
                                        u"onRollOut", u"onDragOver", u"onDragOut"};

// The code a button's key press condition uses for a key.
int buttonKeyOf(int code, int character)
{
    static const std::pair<int, int> special[] = {{37, 1}, {39, 2}, {36, 3}, {35, 4},  {45, 5},  {46, 6}, {8, 8},
                                                  {13, 13}, {38, 14}, {40, 15}, {33, 16}, {34, 17}, {9, 18}, {27, 19}};
    for (const auto &[key, button] : special)
        if (key == code)
            return button;
    return character >= 32 && character < 127 ? character : 0;
}

// The transition a button's sound is told of when its state changes.
std::optional<audio::ButtonTransition> transitionOf(int from, int to)
{
    if (from == buttonUp && to == buttonOver)
        return audio::ButtonTransition::UpToOver;
    if (from == buttonOver && to == buttonUp)
        return audio::ButtonTransition::OverToUp;
    if (from == buttonOver && to == buttonDown)
        return audio::ButtonTransition::OverToDown;
    if (from == buttonDown && to == buttonOver)
        return audio::ButtonTransition::DownToOver;
    return std::nullopt;
}

} // namespace

bool ScriptRuntime::isButton(int handle)
{
    const StageClip *c = clip(handle);
    return c && c->button;
}

bool ScriptRuntime::wantsMouse(int handle)
{
    StageClip *c = clip(handle);
    if (!c || c->unloading || !(c->button || isMovieClip(*c)))
        return false;
    if (!mouseEnabled(handle))
        return false;
    return c->button || actsAsButton(handle);
}

bool ScriptRuntime::actsAsButton(int handle)
{
    const StageClip *c = clip(handle);
    if (!c || !isMovieClip(*c))
        return false;
    Object *self = clipObject(handle);
    if (c->placement.clipActions)
        for (const ClipAction &action : *c->placement.clipActions)
            if (action.events & mouseEvents)
                return true;
    // Having the handler is enough, whatever its value.
    return std::any_of(std::begin(mouseMethods), std::end(mouseMethods),
                       [&](const char16_t *method) { return vm_.has(self, QString::fromUtf16(method)); });
}

bool ScriptRuntime::mouseEnabled(int handle)
{
    Object *self = clipObject(handle);
    return !vm_.has(self, QStringLiteral("enabled")) || vm_.toBoolean(vm_.get(self, QStringLiteral("enabled")));
}

// A script's trackAsMenu overrides a button's own flag; a clip has only
// the script's.
bool ScriptRuntime::tracksAsMenu(int handle)
{
    const StageClip *c = clip(handle);
    if (!c)
        return false;
    Object *self = clipObject(handle);
    const QString name = QStringLiteral("trackAsMenu");
    if (self && (vm_.has(self, name) || !c->button))
        return vm_.toBoolean(vm_.get(self, name));
    return c->button->trackAsMenu;
}

int ScriptRuntime::pickIn(StageClip &c, const QTransform &world, const QPointF &point)
{
    if (!c.placement.visible || c.unloading)
        return 0;
    const bool wants = c.parent && wantsMouse(c.handle);
    if (wants && !c.button && clipHits(c, world, point))
        return c.handle;
    // The topmost child first; a button's own buttons and clips come before
    // its hit area.
    std::vector<int> children;
    for (const auto &[depth, child] : c.children)
        children.push_back(child->handle);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (StageClip *child = clip(*it); child && child->placement.clipDepth == 0)
            if (const int found = pickIn(*child, child->placement.matrix.toTransform() * world, point))
                return found;
    if (wants && c.button && buttonHitArea(c, world, point))
        return c.handle;
    return 0;
}

int ScriptRuntime::pick(const QPointF &point)
{
    const std::vector<StageClip *> roots = levelRoots();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        if (const int found = pickIn(**it, clipWorld(**it), point))
            return found;
    return 0;
}

ScriptRuntime::PointerTarget ScriptRuntime::targetOf(int handle)
{
    const StageClip *c = clip(handle);
    if (!c)
        return {};
    return {handle, c->parent ? c->parent->handle : 0, c->depth, c->placement.characterId, c->buttonState};
}

int ScriptRuntime::resolve(PointerTarget &target)
{
    if (!target.handle)
        return 0;
    if (const StageClip *c = clip(target.handle); c && !c->unloading)
        return target.handle;
    // The timeline put the same button back where it was (going back to
    // its frame): the pointer is still over it.
    const StageClip *parent = clip(target.parent);
    StageClip *same = parent ? parent->childAt(target.depth) : nullptr;
    if (same && !same->unloading && same->button && same->placement.characterId == target.character) {
        target.handle = same->handle;
        stage_.setButtonState(*same, target.state);
        return target.handle;
    }
    target = {};
    return 0;
}

// A disabled button or clip is not under the pointer (wantsMouse), and
// while it stays disabled its state holds whatever the pointer does:
// enabled again under a still pointer it is over, as it was, without
// rolling over once more. Events that would leave the state as it is run
// nothing.
void ScriptRuntime::pointerEvent(int handle, PointerEvent event)
{
    StageClip *c = clip(handle);
    const PointerEventInfo info = infoOf(int(event));
    if (!c || c->buttonState == info.state || !mouseEnabled(handle))
        return;
    for (PointerTarget *target : {&hovered_, &pressed_})
        if (target->handle == handle)
            target->state = info.state;
    if (c->button) {
        const int old = c->buttonState;
        const quint16 id = c->placement.characterId;
        stage_.setButtonState(*c, info.state);
        if (const auto transition = transitionOf(old, info.state)) {
            std::vector<int> owners;
            for (const StageClip *p = c; p; p = p->parent)
                owners.push_back(p->handle);
            if (MovieSound *sound = player_.soundOf(*c))
                sound->mixer().buttonChanged(id, *transition, owners);
        }
        c = clip(handle);
        Object *target = c && c->parent ? clipObject(c->parent->handle) : nullptr;
        if (c && target) {
            const auto actions = c->button->actions;
            for (const ButtonAction &action : actions)
                if ((action.conditions & info.condition) && clip(handle))
                    vm_.runScript(action.code, target);
        }
        dispatch(handle, 0, QString::fromUtf16(info.method));
    } else {
        c->buttonState = info.state;
        dispatch(handle, info.clipEvent, QString::fromUtf16(info.method));
    }
}

void ScriptRuntime::trackPointer()
{
    const int over = inWindow_ ? pick(mouse_ * 20) : 0;
    const int was = resolve(hovered_);
    const int pressed = resolve(pressed_);
    if (over == was)
        return;
    hovered_ = targetOf(over);
    if (!mouseIsDown_) {
        if (was)
            pointerEvent(was, PointerEvent::RollOut);
        if (over)
            pointerEvent(over, PointerEvent::RollOver);
        return;
    }
    if (pressed && was == pressed)
        pointerEvent(pressed, PointerEvent::DragOut);
    else if (was && tracksAsMenu(was))
        pointerEvent(was, PointerEvent::MenuOut);
    if (pressed && over == pressed)
        pointerEvent(pressed, PointerEvent::DragOver);
    else if (over && tracksAsMenu(over))
        pointerEvent(over, PointerEvent::MenuOver);
}

void ScriptRuntime::broadcast(quint32 clipEvent, const QString &method, const QString &broadcaster)
{
    // Every clip's clip events hear the keys, but only the focused button
    // or clip its method, while its focus is active.
    const bool keys = clipEvent & (eventKeyDown | eventKeyUp);
    const int focused = keys && focusActive_ ? focusedObject() : 0;
    const bool methods = vm_.version() >= 6;
    for (const int handle : stage_.executionOrder())
        if (StageClip *c = clip(handle); c && isMovieClip(*c) && !c->unloading)
            dispatch(handle, clipEvent, methods && (!keys || handle == focused) ? method : QString());
    if (const StageClip *c = clip(focused); methods && c && c->button)
        dispatch(focused, 0, method);
    tellListeners(broadcaster, method, {});
}

void ScriptRuntime::tellListeners(const QString &broadcaster, const QString &method, std::span<const Value> args)
{
    const Value source = vm_.get(vm_.global, broadcaster);
    const Value list = source.isObject() ? vm_.get(source.object, QStringLiteral("_listeners")) : Value();
    if (!list.isObject())
        return;
    for (const Value &listener : vm_.arrayElements(list.object)) {
        const Value fn = vm_.getMember(listener, method);
        if (fn.isObject() && fn.object->isFunction())
            vm_.callEvent(fn, listener, args);
    }
}

void ScriptRuntime::settle()
{
    runConstructs();
    runQueue();
}

// The frame around a button or clip focused by the keyboard goes as the
// left button is pressed; before SWF 9 also as the pointer moves, or
// either of its two main buttons is pressed or released.
void ScriptRuntime::pointerHidesFocusFrame(bool leftPress)
{
    if (leftPress || vm_.movieVersion() < 9)
        focusShown_ = focusActive_ = false;
}

void ScriptRuntime::mouseMove(const QPointF &pos, bool inWindow)
{
    vm_.beginFrame();
    pointerHidesFocusFrame(false);
    mouse_ = pos;
    inWindow_ = inWindow;
    followDrag();
    fieldDragged(pos * 20);
    broadcast(eventMouseMove, QStringLiteral("onMouseMove"), QStringLiteral("Mouse"));
    trackPointer();
    settle();
}

// A press or release where the pointer has not been seen yet moves it
// there first.
void ScriptRuntime::pointerMovedTo(const QPointF &pos, bool inWindow)
{
    if (pos == mouse_ && inWindow == inWindow_)
        return;
    mouse_ = pos;
    inWindow_ = inWindow;
    followDrag();
    trackPointer();
}

void ScriptRuntime::mouseLeave()
{
    vm_.beginFrame();
    inWindow_ = false;
    trackPointer();
    settle();
}

void ScriptRuntime::mouseDown(const QPointF &pos, int clicks)
{
    vm_.beginFrame();
    pointerMovedTo(pos, true);
    pointerHidesFocusFrame(true);
    mouseIsDown_ = true;
    holdKey(1, true);
    broadcast(eventMouseDown, QStringLiteral("onMouseDown"), QStringLiteral("Mouse"));
    if (const int over = resolve(hovered_)) {
        pressed_ = hovered_;
        // A press on a button or clip, which take no focus from the
        // pointer, takes it from a field; what was pressed then hears the
        // pointer roll out, after the press.
        const bool fromField = focusedField() != 0;
        if (fromField)
            focusOn(0, false);
        pointerEvent(over, PointerEvent::Press);
        if (fromField && clip(over))
            pointerEvent(over, PointerEvent::RollOut);
    } else {
        // A selectable text field under the pointer takes the keyboard's
        // focus and the caret; a click on nothing takes it away.
        fieldPressed(pos * 20, clicks);
    }
    settle();
}

void ScriptRuntime::mouseUp(const QPointF &pos, bool inWindow)
{
    vm_.beginFrame();
    pointerMovedTo(pos, inWindow);
    pointerHidesFocusFrame(false);
    mouseIsDown_ = false;
    holdKey(1, false);
    selecting_ = false;
    broadcast(eventMouseUp, QStringLiteral("onMouseUp"), QStringLiteral("Mouse"));
    const int pressed = resolve(pressed_);
    const int over = resolve(hovered_);
    pressed_ = {};
    if (pressed && pressed == over) {
        pointerEvent(pressed, PointerEvent::Release);
    } else {
        if (pressed)
            pointerEvent(pressed, PointerEvent::ReleaseOutside);
        if (over && tracksAsMenu(over))
            pointerEvent(over, PointerEvent::Release);
        else if (over)
            pointerEvent(over, PointerEvent::RollOver);
    }
    settle();
}

void ScriptRuntime::mouseWheel(int delta)
{
    vm_.beginFrame();
    const StageClip *target = inWindow_ ? clipUnderPointer({}) : nullptr;
    const Value args[] = {double(delta), target ? Value(clipObject(target->handle)) : Value()};
    tellListeners(QStringLiteral("Mouse"), QStringLiteral("onMouseWheel"), args);
    settle();
}

void ScriptRuntime::keyDown(int code, int character) { pressKey(code, character, keyIsDown(shiftCode)); }

void ScriptRuntime::tabKeyDown(bool backward) { pressKey(tabCode, tabCode, backward); }

void ScriptRuntime::fieldCommand(int letter)
{
    vm_.beginFrame();
    typeIntoFocus(letter, 0, true);
    settle();
}

// Once the key's listeners have heard it, a button or clip waiting for
// the key takes it; else Tab moves the focus, Enter and Space press a
// focused button or clip and the arrows move the focus on from it, other
// keys type into a focused field.
void ScriptRuntime::pressKey(int code, int character, bool backward)
{
    vm_.beginFrame();
    holdKey(code, true);
    lastKeyCode_ = code;
    lastCharacter_ = character;
    broadcast(eventKeyDown, QStringLiteral("onKeyDown"), QStringLiteral("Key"));
    if (!runKeyPress(code, character)) {
        if (code == tabCode)
            moveTabFocus(backward);
        else if (code == enterCode || code == spaceCode)
            pressFocused();
        else
            moveFocusByArrow(code);
        if (code != tabCode)
            typeIntoFocus(code, character, keyIsDown(controlCode));
    }
    settle();
}

// A key press goes to the first shown button or clip waiting for that
// key, parents before their children.
bool ScriptRuntime::runKeyPress(int code, int character)
{
    const int key = buttonKeyOf(code, character);
    std::vector<StageClip *> order = levelRoots();
    for (std::size_t i = 0; key && i < order.size(); ++i) {
        StageClip *c = order[i];
        const int handle = c->handle;
        if (!c->placement.visible)
            continue;
        if (c->button && c->parent) {
            const auto actions = c->button->actions;
            const auto found = std::find_if(actions.begin(), actions.end(),
                                            [key](const ButtonAction &a) { return a.key == key; });
            if (found != actions.end()) {
                if (Object *target = clipObject(c->parent->handle))
                    vm_.runScript(found->code, target);
                return true;
            }
        } else if (c->placement.clipActions) {
            const auto actions = c->placement.clipActions;
            const auto found = std::find_if(actions->begin(), actions->end(), [key](const ClipAction &a) {
                return (a.events & eventKeyPress) && a.key == key;
            });
            if (found != actions->end()) {
                vm_.runScript(found->code, clipObject(handle));
                return true;
            }
        }
        for (const auto &[depth, child] : c->children)
            order.push_back(child.get());
    }
    return false;
}

void ScriptRuntime::keyUp(int code, int character)
{
    vm_.beginFrame();
    holdKey(code, false);
    lastKeyCode_ = code;
    lastCharacter_ = character;
    broadcast(eventKeyUp, QStringLiteral("onKeyUp"), QStringLiteral("Key"));
    settle();
}

void ScriptRuntime::otherMouseButton(int key, bool down)
{
    if (key == 2)
        pointerHidesFocusFrame(false);
    holdKey(key, down);
}

void ScriptRuntime::holdKey(int code, bool down)
{
    if (!down) {
        std::erase(keysDown_, code);
    } else if (!keyIsDown(code)) {
        keysDown_.push_back(code);
        // Every key toggles, not only the locks, as the system counts them.
        if (!keysToggled_.erase(code))
            keysToggled_.insert(code);
    }
}

bool ScriptRuntime::keyIsDown(int code)
{
    return std::find(keysDown_.begin(), keysDown_.end(), code) != keysDown_.end();
}

int ScriptRuntime::lastKey(bool character) { return character ? lastCharacter_ : lastKeyCode_; }

bool ScriptRuntime::handCursor()
{
    const int over = resolve(pressed_) ? resolve(pressed_) : resolve(hovered_);
    if (!over)
        return false;
    Object *self = clipObject(over);
    return !self || vm_.toBoolean(vm_.get(self, QStringLiteral("useHandCursor")));
}

void ScriptRuntime::startDrag(int handle, bool lockCenter, const QRectF *bounds)
{
    StageClip *c = clip(handle);
    if (!c || !c->parent)
        return;
    drag_ = {};
    drag_.clip = handle;
    if (!lockCenter) {
        const QPointF pointer = clipToStage(c->parent->handle).inverted().map(mouse_);
        drag_.offset = QPointF(c->placement.matrix.tx, c->placement.matrix.ty) / 20 - pointer;
    }
    if (bounds) {
        drag_.bounded = true;
        drag_.bounds = bounds->normalized();
    }
    followDrag();
}

void ScriptRuntime::stopDrag() { drag_ = {}; }

void ScriptRuntime::followDrag()
{
    StageClip *c = clip(drag_.clip);
    if (!c || !c->parent) {
        drag_ = {};
        return;
    }
    QPointF at = clipToStage(c->parent->handle).inverted().map(mouse_) + drag_.offset;
    if (drag_.bounded)
        at = QPointF(std::clamp(at.x(), drag_.bounds.left(), drag_.bounds.right()),
                     std::clamp(at.y(), drag_.bounds.top(), drag_.bounds.bottom()));
    setClipProperty(drag_.clip, 0, at.x());
    setClipProperty(drag_.clip, 1, at.y());
    // What the clip is dropped on: the topmost clip under the pointer
    // outside the dragged one.
    const StageClip *target = clipUnderPointer(stage_.subtree(*c));
    dropTargets_[drag_.clip] = target && target->parent ? clipProperty(target->handle, 11).string : QString();
}

const StageClip *ScriptRuntime::clipUnderPointer(const std::vector<int> &leftOut)
{
    const std::vector<StageClip *> roots = levelRoots();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        if (const StageClip *found = clipUnder(**it, clipWorld(**it), mouse_ * 20, leftOut))
            return found;
    return nullptr;
}

const StageClip *ScriptRuntime::clipUnder(const StageClip &parent, const QTransform &world, const QPointF &point,
                                          const std::vector<int> &leftOut)
{
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        const StageClip &child = *it->second;
        if (std::find(leftOut.begin(), leftOut.end(), child.handle) != leftOut.end() || child.placement.clipDepth)
            continue;
        const QTransform childWorld = child.placement.matrix.toTransform() * world;
        if (!clipHits(child, childWorld, point))
            continue;
        if (const StageClip *inner = clipUnder(child, childWorld, point, leftOut))
            return inner;
        return isMovieClip(child) ? &child : &parent;
    }
    return nullptr;
}

QString ScriptRuntime::dropTarget(int handle)
{
    const auto found = dropTargets_.find(handle);
    return found == dropTargets_.end() ? QString() : found->second;
}

} // namespace sky::swf
