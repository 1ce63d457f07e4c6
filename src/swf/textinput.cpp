// Typing into text fields: a click on a selectable field gives it the
// focus and puts the caret at the boundary under the pointer, a double
// click selects the word under it and a triple click the line (a field of
// one line all its text), a drag or a click with Shift held selects, a
// click elsewhere takes the focus away. The keys typed while an input field has it change
// its text, which sets its variable and calls onChanged on the field and
// its listeners; the arrows, Home and End move the caret, with Shift held
// they select, and Ctrl+A, C, X and V select all and go through the
// clipboard.

#include "fieldediting.h"
#include "hittest.h"
#include "movieplayer.h"
#include "scriptruntime.h"
#include "textlayout.h"

#include <algorithm>
#include <cmath>

namespace sky::swf {

using avm1::Value;

namespace {

// Key.getCode() codes of the editing keys.
enum EditKey {
    backspace = 8,
    enter = 13,
    shift = 16,
    end = 35,
    home = 36,
    left = 37,
    up = 38,
    right = 39,
    down = 40,
    del = 46,
    keyA = 'A',
    keyC = 'C',
    keyV = 'V',
    keyX = 'X',
};

// Pasted text as a field takes it: line breaks as carriage returns, and a
// single-line field only the first line.
QString pasted(QString text, bool multiline)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    if (!multiline)
        text.truncate(text.indexOf(u'\r') < 0 ? text.size() : text.indexOf(u'\r'));
    text.removeIf([](QChar c) { return c < u' ' && c != u'\r'; });
    return text;
}

} // namespace

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
            if (f.selectable && f.box.contains(at.inverted().map(point)))
                return child.handle;
        } else if (const int found = fieldAt(child, at, point)) {
            return found;
        }
    }
    return 0;
}

std::pair<qsizetype, qsizetype> ScriptRuntime::selectionUnitAt(const QPointF &point, int unit)
{
    const StageClip *c = clip(focus_);
    const TextCharacter *layout = c && c->field ? shownLayout(*c) : nullptr;
    if (!layout || layout->lines.empty())
        return {-1, -1};
    const QString &text = c->field->text;
    const QPointF at = clipWorld(*c).inverted().map(point);
    // A password's words are not told apart.
    if (unit >= 3 || (unit == 2 && c->field->password)) {
        const auto [from, to] = c->field->multiline ? lineAt(*layout, at) : std::pair<qsizetype, qsizetype>(0, text.size());
        return {std::min(from, text.size()), std::min(to, text.size())};
    }
    if (const qsizetype under = unit == 2 ? characterAt(*layout, at) : -1; under >= 0 && under < text.size())
        return wordAround(text, under);
    const qsizetype caret = std::min(caretIndexAt(*layout, at), text.size());
    return {caret, caret};
}

void ScriptRuntime::fieldPressed(const QPointF &point, int clicks)
{
    int field = 0;
    const std::vector<StageClip *> roots = levelRoots();
    for (auto it = roots.rbegin(); it != roots.rend() && !field; ++it)
        field = fieldAt(**it, clipWorld(**it), point);
    const bool extend = field && field == focusedField() && keyIsDown(shift);
    focusOn(field, false);
    selecting_ = field && focusedField() == field;
    if (!selecting_)
        return;
    selectionUnit_ = extend ? 1 : std::clamp(clicks, 1, 3);
    const std::pair<qsizetype, qsizetype> unit = selectionUnitAt(point, selectionUnit_);
    if (unit.first < 0)
        return;
    firstUnit_ = unit;
    if (!extend)
        selectionBegin_ = unit.first;
    selectionEnd_ = unit.second;
}

// A drag from a double or triple click selects whole words or lines, the
// first one always.
void ScriptRuntime::fieldDragged(const QPointF &point)
{
    if (!selecting_ || !mouseIsDown_ || !focusedField())
        return;
    const std::pair<qsizetype, qsizetype> unit = selectionUnitAt(point, selectionUnit_);
    if (unit.first < 0)
        return;
    if (selectionUnit_ == 1) {
        selectionEnd_ = unit.first;
    } else if (unit.first < firstUnit_.first) {
        selectionBegin_ = firstUnit_.second;
        selectionEnd_ = unit.first;
    } else {
        selectionBegin_ = firstUnit_.first;
        selectionEnd_ = std::max(unit.second, firstUnit_.second);
    }
    scrollToCaret();
}

void ScriptRuntime::scrollToCaret()
{
    StageClip *c = clip(focus_);
    // A line a step: a field is scrolled by a few lines at most.
    for (int step = 0; c && step < 1000; ++step) {
        const TextCharacter *layout = shownLayout(*c);
        if (!layout || layout->lines.empty())
            return;
        const TextLine &first = layout->lines.front(), &last = layout->lines.back();
        const bool cut = layout->lines.size() > 1 && last.bottom > layout->box.bottom();
        if (selectionEnd_ < first.start && c->field->scroll > 1)
            --c->field->scroll;
        else if (selectionEnd_ > last.end || (cut && selectionEnd_ >= last.start))
            ++c->field->scroll;
        else
            break;
        relayoutField(*c);
    }
    // Sideways, a field that does not wrap scrolls by whole pixels until the
    // caret stands within its box less the gutter.
    const TextCharacter *layout = c ? shownLayout(*c) : nullptr;
    const std::optional<QLineF> caret = layout ? caretLine(*layout, selectionEnd_) : std::nullopt;
    if (!caret || c->field->wordWrap)
        return;
    const double x = caret->x1(), left = layout->box.left() + fieldGutter, right = layout->box.right() - fieldGutter;
    const int by = x > right ? int(std::ceil((x - right) / 20)) : x < left ? -int(std::ceil((left - x) / 20)) : 0;
    if (by == 0)
        return;
    c->field->hscroll = qMax(0, c->field->hscroll + by);
    relayoutField(*c);
}

// The caret on the line above or below, nearest where it stands.
qsizetype ScriptRuntime::caretOnNextLine(bool below)
{
    const StageClip *c = clip(focus_);
    const TextCharacter *layout = shownLayout(*c);
    const std::optional<QLineF> at = layout ? caretLine(*layout, selectionEnd_) : std::nullopt;
    if (!at)
        return selectionEnd_;
    const auto line = std::find_if(layout->lines.begin(), layout->lines.end(), [this](const TextLine &l) {
        return selectionEnd_ >= l.start && selectionEnd_ <= l.end;
    });
    if (below ? line + 1 == layout->lines.end() : line == layout->lines.begin())
        return below ? line->end : line->start;
    const TextLine &next = *(below ? line + 1 : line - 1);
    return swf::caretIndexAt(*layout, QPointF(at->x1(), next.top));
}

QString ScriptRuntime::selectedText(const TextField &f) const
{
    const qsizetype from = std::min(selectionBegin_, selectionEnd_), to = std::max(selectionBegin_, selectionEnd_);
    return f.text.mid(from, to - from).replace(u'\r', u'\n');
}

void ScriptRuntime::typeIntoFocus(int code, int character, bool command)
{
    if (!focusedField())
        return;
    TextField &f = *clip(focus_)->field;
    const qsizetype size = f.text.size();
    selectionBegin_ = std::clamp<qsizetype>(selectionBegin_, 0, size);
    selectionEnd_ = std::clamp<qsizetype>(selectionEnd_, 0, size);
    qsizetype from = qMin(selectionBegin_, selectionEnd_), to = qMax(selectionBegin_, selectionEnd_);
    const bool extend = keyIsDown(shift);
    const TextClipboard &clipboard = player_.clipboard();
    QString typed;
    if (command) {
        // The password's characters are never copied out.
        const bool copy = (code == keyC || code == keyX) && from < to && !f.password && clipboard.setText;
        if (code == keyA) {
            selectionBegin_ = 0;
            selectionEnd_ = size;
        } else if (copy) {
            clipboard.setText(selectedText(f));
        }
        if (!f.editable || !((code == keyX && copy) || (code == keyV && clipboard.text)))
            return;
        if (code == keyV)
            typed = pasted(clipboard.text(), f.multiline);
    } else if (!f.editable) {
        return;
    }
    switch (command ? 0 : code) {
    case 0:
        break;
    case left:
    case right:
    case home:
    case end:
    case up:
    case down: {
        const qsizetype caret = code == home ? 0
                              : code == end  ? size
                              : code == up || code == down ? caretOnNextLine(code == down)
                              : from < to && !extend ? (code == left ? from : to)
                              : qBound<qsizetype>(0, selectionEnd_ + (code == left ? -1 : 1), size);
        if (!extend)
            selectionBegin_ = caret;
        selectionEnd_ = caret;
        scrollToCaret();
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
    // Pasted text is cut to the room left; a typed key that does not fit
    // is refused.
    if (f.maxChars > 0 && size - (to - from) + typed.size() > f.maxChars) {
        if (code != keyV || !command)
            return;
        typed.truncate(qMax<qsizetype>(0, f.maxChars - (size - (to - from))));
    }
    if (from == to && typed.isEmpty())
        return;
    f.replace(from, to, typed);
    selectionBegin_ = selectionEnd_ = from + typed.size();
    const int handle = focus_;
    textFieldChanged(handle, true);
    scrollToCaret();
    const Value self = clipObject(handle);
    const Value args[] = {self};
    vm_.callEvent(vm_.getMember(self, QStringLiteral("onChanged")), self, args);
    const Value list = vm_.getMember(self, QStringLiteral("_listeners"));
    if (list.isObject())
        for (const Value &listener : vm_.arrayElements(list.object))
            vm_.callEvent(vm_.getMember(listener, QStringLiteral("onChanged")), listener, args);
}

} // namespace sky::swf
