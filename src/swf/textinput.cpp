// The keyboard's focus and typing into text fields: a click on a selectable
// field gives it the focus, a click elsewhere takes it away, and the keys
// typed while an input field has it change its text, which sets its
// variable and calls onChanged on the field and its listeners.

#include "movieplayer.h"
#include "scriptruntime.h"

#include <algorithm>

namespace sky::swf {

using avm1::Value;

namespace {

// Key.getCode() codes of the editing keys.
enum EditKey { backspace = 8, enter = 13, end = 35, home = 36, left = 37, right = 39, del = 46 };

} // namespace

int ScriptRuntime::focusedField()
{
    const StageClip *c = clip(focus_);
    if (!c || !c->field || c->unloading)
        focus_ = 0;
    return focus_;
}

bool ScriptRuntime::setFocusedField(int handle)
{
    const StageClip *c = clip(handle);
    if (handle && (!c || !c->field))
        return false;
    const int old = focusedField();
    if (handle == old)
        return true;
    focus_ = handle;
    selectionBegin_ = selectionEnd_ = c ? c->field->text.size() : 0;
    const Value was = old ? Value(clipObject(old)) : Value::null();
    const Value now = handle ? Value(clipObject(handle)) : Value::null();
    if (old) {
        const Value args[] = {now};
        vm_.callEvent(vm_.getMember(was, QStringLiteral("onKillFocus")), was, args);
    }
    if (handle) {
        const Value args[] = {was};
        vm_.callEvent(vm_.getMember(now, QStringLiteral("onSetFocus")), now, args);
    }
    const Value args[] = {was, now};
    tellListeners(QStringLiteral("Selection"), QStringLiteral("onSetFocus"), args);
    return true;
}

std::pair<int, int> ScriptRuntime::fieldSelection()
{
    if (!focusedField())
        return {-1, -1};
    return {int(selectionBegin_), int(selectionEnd_)};
}

void ScriptRuntime::setFieldSelection(int begin, int end)
{
    if (!focusedField())
        return;
    const qsizetype size = clip(focus_)->field->text.size();
    selectionBegin_ = std::clamp<qsizetype>(begin, 0, size);
    selectionEnd_ = std::clamp<qsizetype>(end, 0, size);
}

int ScriptRuntime::fieldAt(const StageClip &parent, const QTransform &world, const QPointF &point)
{
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        const StageClip &child = *it->second;
        if (!child.placement.visible || child.unloading || child.placement.clipDepth)
            continue;
        const QTransform at = child.placement.matrix.toTransform() * world;
        if (child.field) {
            const TextField &f = *child.field;
            if ((f.editable || f.selectable) && f.box.contains(at.inverted().map(point)))
                return child.handle;
        } else if (const int found = fieldAt(child, at, point)) {
            return found;
        }
    }
    return 0;
}

void ScriptRuntime::typeIntoFocus(int code, int character)
{
    if (!focusedField())
        return;
    TextField &f = *clip(focus_)->field;
    if (!f.editable)
        return;
    const qsizetype size = f.text.size();
    selectionBegin_ = std::clamp<qsizetype>(selectionBegin_, 0, size);
    selectionEnd_ = std::clamp<qsizetype>(selectionEnd_, 0, size);
    qsizetype from = qMin(selectionBegin_, selectionEnd_), to = qMax(selectionBegin_, selectionEnd_);
    QString typed;
    switch (code) {
    case left:
    case right:
    case home:
    case end: {
        const qsizetype caret = code == home ? 0 : code == end ? size
                              : from < to ? (code == left ? from : to)
                              : qBound<qsizetype>(0, selectionEnd_ + (code == left ? -1 : 1), size);
        selectionBegin_ = selectionEnd_ = caret;
        return;
    }
    case backspace:
    case del:
        if (from == to) {
            if (code == backspace ? from == 0 : to == size)
                return;
            (code == backspace ? from : to) += code == backspace ? -1 : 1;
        }
        break;
    case enter:
        if (!f.multiline)
            return;
        typed = QStringLiteral("\r");
        break;
    default:
        if (character < 32 || character == 127)
            return;
        typed = QString(QChar(char16_t(character)));
        break;
    }
    if (f.maxChars > 0 && size - (to - from) + typed.size() > f.maxChars)
        return;
    f.replace(from, to, typed);
    selectionBegin_ = selectionEnd_ = from + typed.size();
    const int handle = focus_;
    textFieldChanged(handle, true);
    const Value self = clipObject(handle);
    const Value args[] = {self};
    vm_.callEvent(vm_.getMember(self, QStringLiteral("onChanged")), self, args);
    const Value list = vm_.getMember(self, QStringLiteral("_listeners"));
    if (list.isObject())
        for (const Value &listener : vm_.arrayElements(list.object))
            vm_.callEvent(vm_.getMember(listener, QStringLiteral("onChanged")), listener, args);
}

} // namespace sky::swf
