#pragma once

#include "dataloads.h"

namespace sky::swf::avm1 {

// A node of an XML tree as XMLNode and XML objects keep it. Its element
// name and its text are null where its kind has none. `childArray` is the
// childNodes array scripts see, kept in step with `children`.
struct XmlNode : LoadingState {
    int type = 1; // 1 element, 3 text
    Value name = Value::null();
    Value value = Value::null();
    Object *attributes = nullptr;
    Object *childArray = nullptr;
    Object *parent = nullptr;
    std::vector<Object *> children;

    void references(std::vector<Object *> &out) const override
    {
        out.push_back(attributes);
        out.push_back(childArray);
        out.push_back(parent);
        out.insert(out.end(), children.begin(), children.end());
    }
};

// The node an object is, made for it when it has none yet (a class
// extending XML may never call its constructor); null for no object.
XmlNode *xmlNode(const Value &self);
// A new XMLNode of `type`: an element named `text`, or text.
Object *newXmlNode(Vm &vm, int type, const Value &text);
// Puts `child` last in `parent`, taking it out of where it was.
void appendXmlChild(Vm &vm, Object *parent, Object *child);
void removeXmlChildren(Vm &vm, Object *node);
// The node as XML text, entities escaped.
QString xmlText(Vm &vm, Object *node);
// XMLNode, its prototype holding the properties and methods of every node.
Object *installXmlNode(Vm &vm);

} // namespace sky::swf::avm1
