// Text fields for scripts: their state, fields made by scripts, and
// fields bound to a variable (the variable name of DefineEditText): after
// each tick's scripts a field shows the variable's value as text; a
// variable not set yet is set to the field's initial text, and text a
// script gives the field is given to the variable.

#include "fieldtext.h"
#include "movieplayer.h"
#include "scriptruntime.h"
#include "textlayout.h"

#include <algorithm>

namespace sky::swf {

using avm1::Object;
using avm1::Value;

namespace {

// The depths that lead from the main movie to `clip`.
std::vector<int> depthPath(const StageClip &clip)
{
    std::vector<int> path;
    for (const StageClip *c = &clip; c->parent; c = c->parent)
        path.push_back(c->depth);
    std::reverse(path.begin(), path.end());
    return path;
}

// Whether a walk of the stage that takes each clip's children by depth,
// before the clip itself, comes to `a` before `b`.
bool walkedBefore(const std::vector<int> &a, const std::vector<int> &b)
{
    const auto [inA, inB] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (inA == a.end())
        return false; // `a` is `b` or holds it
    return inB == b.end() || *inA < *inB;
}

} // namespace

// "score", "a.b.score", "/a/b:score", "_root.score", "../score", from the
// field's timeline: the clip it lies in, or for a part of a button's state
// the clip that holds the button, as buttons have no variables.
std::pair<Object *, QString> ScriptRuntime::fieldVariable(const StageClip &field)
{
    const StageClip *timeline = field.parent;
    while (timeline && timeline->button && timeline->parent)
        timeline = timeline->parent;
    const QString &variable = field.field->variable;
    qsizetype split = variable.lastIndexOf(u':');
    if (split < 0)
        split = variable.lastIndexOf(u'.');
    QString path = split < 0 ? QString() : variable.left(split);
    Object *at = timeline ? clipObject(timeline->handle) : nullptr;
    if (path.startsWith(u'/')) {
        at = clipObject(clipRoot());
        path.remove(0, 1);
    }
    for (const QString &step : path.split(u'/', Qt::SkipEmptyParts)) {
        for (const QString &part : step == u".." ? QStringList{QStringLiteral("_parent")} : step.split(u'.', Qt::SkipEmptyParts)) {
            const Value next = at ? vm_.get(at, part) : Value();
            at = next.isObject() ? next.object : nullptr;
        }
    }
    return {at, variable.mid(split + 1)};
}

void ScriptRuntime::fieldPlaced(StageClip &c)
{
    if (fieldToPlace_) {
        c.field = std::move(fieldToPlace_);
        fields_.push_back(c.handle);
        relayoutField(c);
        return;
    }
    const auto *text = std::get_if<TextCharacter>(c.library->character(c.placement.characterId));
    if (!text || !text->edit)
        return;
    c.field = std::make_unique<TextField>(text->edit->field);
    fields_.push_back(c.handle);
    c.field->box = text->box; // as auto-sizing left it
    c.fieldText = text->edit->initialText;
    updateField(c);
}

void ScriptRuntime::relayoutField(StageClip &c)
{
    FieldMetrics metrics;
    TextCharacter text = layoutTextField(*c.field, c.library->fonts(), &metrics);
    c.field->box = text.box;
    c.field->hscroll = qBound(0, c.field->hscroll, metrics.maxHScroll);
    c.fieldLayout = std::make_shared<const Character>(std::move(text));
    ++c.fieldChanges;
}

void ScriptRuntime::updateField(StageClip &c)
{
    if (!c.field || c.field->variable.isEmpty() || !c.parent)
        return;
    vm_.guarded([&] {
        const auto [holder, name] = fieldVariable(c);
        if (!holder || name.isEmpty())
            return;
        if (!vm_.has(holder, name)) {
            vm_.set(holder, name, c.fieldText);
            return;
        }
        const QString shown = vm_.toString(vm_.get(holder, name));
        if (shown == c.fieldText)
            return;
        c.fieldText = shown;
        if (c.field->html)
            setHtmlText(*c.field, shown);
        else
            c.field->setPlainText(shown);
        relayoutField(c);
    });
}

void ScriptRuntime::updateFields()
{
    std::erase_if(fields_, [this](int handle) { return !clip(handle); });
    // In the order of the stage, where fields bound to one variable
    // decide which of them sets it.
    std::vector<std::pair<std::vector<int>, int>> placed;
    placed.reserve(fields_.size());
    for (const int handle : fields_)
        placed.emplace_back(depthPath(*clip(handle)), handle);
    std::sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return walkedBefore(a.first, b.first); });
    for (const auto &[path, handle] : placed)
        if (StageClip *c = clip(handle))
            updateField(*c);
}

TextField *ScriptRuntime::textField(int handle)
{
    StageClip *c = clip(handle);
    return c ? c->field.get() : nullptr;
}

void ScriptRuntime::textFieldChanged(int handle, bool textChanged)
{
    StageClip *c = clip(handle);
    if (!c || !c->field)
        return;
    relayoutField(*c);
    if (!textChanged || c->field->variable.isEmpty() || !c->parent)
        return;
    const auto [holder, name] = fieldVariable(*c);
    if (!holder || name.isEmpty())
        return;
    c->fieldText = c->field->html ? htmlText(*c->field) : c->field->text;
    vm_.set(holder, name, c->fieldText);
}

FieldMetrics ScriptRuntime::textFieldMetrics(int handle)
{
    FieldMetrics metrics;
    if (const StageClip *c = clip(handle); c && c->field)
        layoutTextField(*c->field, c->library->fonts(), &metrics);
    return metrics;
}

int ScriptRuntime::createTextField(int parentHandle, const QString &name, int depth, const QRectF &box)
{
    StageClip *parent = clip(parentHandle);
    if (!parent || depth < -scriptDepthOffset || depth > maxScriptDepth)
        return 0;
    fieldToPlace_ = std::make_unique<TextField>();
    // The box runs from the field's origin by its size, either way.
    fieldToPlace_->box = QRectF(0, 0, box.width() * 20, box.height() * 20).normalized();
    Placement placement;
    placement.name = name;
    placement.matrix.tx = box.x() * 20;
    placement.matrix.ty = box.y() * 20;
    StageClip *made = stage_.place(*parent, depth + scriptDepthOffset, placement);
    fieldToPlace_.reset();
    return made ? made->handle : 0;
}

} // namespace sky::swf
