// Text fields bound to a variable (the variable name of DefineEditText):
// after each tick's scripts a field shows the variable's value as text; a
// variable not set yet is set to the field's initial text.

#include "edittext.h"
#include "movieplayer.h"
#include "scriptruntime.h"

namespace sky::swf {

using avm1::Object;
using avm1::Value;

// "score", "a.b.score", "/a/b:score", "_root.score", "../score": the object
// that holds the variable, from the field's timeline, and its name.
std::pair<Object *, QString> ScriptRuntime::fieldVariable(Object *timeline, const QString &variable)
{
    qsizetype split = variable.lastIndexOf(u':');
    if (split < 0)
        split = variable.lastIndexOf(u'.');
    QString path = split < 0 ? QString() : variable.left(split);
    Object *at = timeline;
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

void ScriptRuntime::updateField(StageClip &c)
{
    const auto *text = std::get_if<TextCharacter>(player_.movie()->character(c.placement.characterId));
    if (!text || !text->edit || text->edit->variable.isEmpty() || !c.parent)
        return;
    vm_.guarded([&] {
        const auto [holder, name] = fieldVariable(clipObject(c.parent->handle), text->edit->variable);
        if (!holder || name.isEmpty())
            return;
        if (!vm_.has(holder, name)) {
            vm_.set(holder, name, text->edit->initialText);
            return;
        }
        const QString shown = vm_.toString(vm_.get(holder, name));
        if (c.fieldLayout ? shown == c.fieldText : shown == text->edit->initialText)
            return;
        c.fieldText = shown;
        c.fieldLayout = std::make_shared<const Character>(relayoutEditText(text->edit, shown));
        ++c.fieldChanges;
    });
}

void ScriptRuntime::updateFields()
{
    for (const int handle : stage_.subtree(stage_.root()))
        if (StageClip *c = clip(handle); c && !isMovieClip(*c))
            updateField(*c);
}

} // namespace sky::swf
