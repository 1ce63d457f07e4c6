// XMLNode: a node of an XML tree, an element or text, with its attributes
// and the nodes around it. The tree is the player's: scripts read it
// through properties and change it through the methods, which never let a
// node hold itself or one it lies in.

#include "builtins.h"
#include "xmlnode.h"
#include "xmlparse.h"

#include <algorithm>

namespace sky::swf::avm1 {
namespace {

XmlNode *existingNode(const Value &v)
{
    return v.isObject() && v.object->state ? dynamic_cast<XmlNode *>(v.object->state.get()) : nullptr;
}

Object *childArray(Vm &vm, XmlNode &node)
{
    if (!node.childArray)
        node.childArray = vm.newArray(std::vector<Value>(node.children.begin(), node.children.end()));
    return node.childArray;
}

// After children were taken out or put between others.
void refreshChildArray(Vm &vm, XmlNode &node)
{
    if (!node.childArray)
        return;
    vm.setArrayLength(node.childArray, 0);
    for (Object *child : node.children)
        vm.arrayPush(node.childArray, child);
}

void detach(Vm &vm, Object *child)
{
    XmlNode *node = existingNode(child);
    XmlNode *parent = node && node->parent ? existingNode(node->parent) : nullptr;
    if (!parent)
        return;
    std::erase(parent->children, child);
    node->parent = nullptr;
    refreshChildArray(vm, *parent);
}

// Whether `child` may go into `parent`: a node, and not `parent` nor one
// it lies in.
bool mayHold(Object *parent, Object *child)
{
    if (!existingNode(child))
        return false;
    for (Object *at = parent; at; at = existingNode(at)->parent)
        if (at == child)
            return false;
    return true;
}

Value nullOr(Object *o) { return o ? Value(o) : Value::null(); }

Value sibling(const CallInfo &c, int step)
{
    const XmlNode *node = existingNode(c.self);
    const XmlNode *parent = node && node->parent ? existingNode(node->parent) : nullptr;
    if (!parent)
        return Value::null();
    const auto at = std::find(parent->children.begin(), parent->children.end(), c.self.object);
    const auto index = (at - parent->children.begin()) + step;
    return index >= 0 && index < std::ssize(parent->children) ? Value(parent->children[std::size_t(index)])
                                                               : Value::null();
}

// The name's parts before and after its first ':'.
Value namePart(Vm &vm, const CallInfo &c, bool prefix)
{
    const XmlNode *node = existingNode(c.self);
    if (!node || node->name.isNull())
        return Value::null();
    const QString name = vm.toString(node->name);
    const qsizetype colon = name.indexOf(u':');
    if (prefix)
        return colon < 0 ? QString() : name.left(colon);
    return colon < 0 ? name : name.mid(colon + 1);
}

Value textOrNull(Vm &vm, const Value &v) { return v.isNullish() ? Value::null() : Value(vm.toString(v)); }

Value getType(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node ? Value(node->type) : Value();
}
// nodeName and nodeValue: text, or null.
template <Value XmlNode::*field>
Value getText(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node ? node->*field : Value();
}
template <Value XmlNode::*field>
Value setText(Vm &vm, CallInfo &c)
{
    if (XmlNode *node = xmlNode(c.self))
        node->*field = textOrNull(vm, c.arg(0));
    return {};
}
Value getAttributes(Vm &vm, CallInfo &c)
{
    XmlNode *node = xmlNode(c.self);
    if (node && !node->attributes)
        node->attributes = vm.newPlain();
    return node ? Value(node->attributes) : Value();
}
Value setAttributes(Vm &, CallInfo &c)
{
    if (XmlNode *node = xmlNode(c.self); node && c.arg(0).isObject())
        node->attributes = c.arg(0).object;
    return {};
}
Value getChildNodes(Vm &vm, CallInfo &c)
{
    XmlNode *node = xmlNode(c.self);
    return node ? Value(childArray(vm, *node)) : Value();
}
Value getFirstChild(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node && !node->children.empty() ? Value(node->children.front()) : Value::null();
}
Value getLastChild(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node && !node->children.empty() ? Value(node->children.back()) : Value::null();
}
Value getNextSibling(Vm &, CallInfo &c) { return sibling(c, 1); }
Value getPreviousSibling(Vm &, CallInfo &c) { return sibling(c, -1); }
Value getParentNode(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node ? nullOr(node->parent) : Value::null();
}
Value getPrefix(Vm &vm, CallInfo &c) { return namePart(vm, c, true); }
Value getLocalName(Vm &vm, CallInfo &c) { return namePart(vm, c, false); }
Value ignoreSet(Vm &, CallInfo &) { return {}; }

Value appendChild(Vm &vm, CallInfo &c)
{
    if (xmlNode(c.self) && mayHold(c.self.object, c.arg(0).object))
        appendXmlChild(vm, c.self.object, c.arg(0).object);
    return {};
}

Value insertBefore(Vm &vm, CallInfo &c)
{
    XmlNode *node = xmlNode(c.self);
    Object *child = c.arg(0).object;
    Object *before = c.arg(1).object;
    if (!node || !mayHold(c.self.object, child) || child == before ||
        std::find(node->children.begin(), node->children.end(), before) == node->children.end())
        return {};
    detach(vm, child);
    node->children.insert(std::find(node->children.begin(), node->children.end(), before), child);
    existingNode(child)->parent = c.self.object;
    refreshChildArray(vm, *node);
    return {};
}

Value removeNode(Vm &vm, CallInfo &c)
{
    if (existingNode(c.self))
        detach(vm, c.self.object);
    return {};
}

Value hasChildNodes(Vm &, CallInfo &c)
{
    const XmlNode *node = existingNode(c.self);
    return node && !node->children.empty();
}

Object *copyOf(Vm &vm, const Value &source)
{
    const XmlNode *from = existingNode(source);
    Object *copy = newXmlNode(vm, from->type, Value());
    XmlNode *to = existingNode(copy);
    to->name = from->name;
    to->value = from->value;
    if (from->attributes) {
        to->attributes = vm.newPlain();
        for (const QString &name : vm.enumerate(from->attributes))
            vm.set(to->attributes, name, vm.get(from->attributes, name));
    }
    return copy;
}

Value cloneNode(Vm &vm, CallInfo &c)
{
    if (!xmlNode(c.self))
        return {};
    Object *top = copyOf(vm, c.self);
    if (!vm.toBoolean(c.arg(0)))
        return top;
    std::vector<std::pair<Object *, Object *>> pending{{c.self.object, top}};
    while (!pending.empty()) {
        const auto [source, copy] = pending.back();
        pending.pop_back();
        for (Object *child : existingNode(source)->children) {
            vm.charge();
            Object *childCopy = copyOf(vm, child);
            appendXmlChild(vm, copy, childCopy);
            pending.emplace_back(child, childCopy);
        }
    }
    return top;
}

Value toStringMethod(Vm &vm, CallInfo &c) { return xmlNode(c.self) ? xmlText(vm, c.self.object) : QString(); }

Value construct(Vm &vm, CallInfo &c)
{
    if (XmlNode *node = xmlNode(c.self)) {
        node->type = vm.toInt32(c.arg(0)) == 3 ? 3 : 1;
        (node->type == 3 ? node->value : node->name) = textOrNull(vm, c.arg(1));
    }
    return {};
}

void writeStart(Vm &vm, QString &out, const XmlNode &node)
{
    out += QLatin1Char('<') + vm.toString(node.name);
    if (node.attributes)
        for (const QString &name : vm.enumerate(node.attributes))
            out += QLatin1Char(' ') + name + QStringLiteral("=\"") +
                   escapeXml(vm.toString(vm.get(node.attributes, name))) + QLatin1Char('"');
    out += node.children.empty() ? QStringLiteral(" />") : QStringLiteral(">");
}

} // namespace

XmlNode *xmlNode(const Value &self)
{
    if (!self.isObject())
        return nullptr;
    if (XmlNode *node = existingNode(self))
        return node;
    if (self.object->state)
        return nullptr;
    self.object->state = std::make_unique<XmlNode>();
    return existingNode(self);
}

Object *newXmlNode(Vm &vm, int type, const Value &text)
{
    const Value ctor = vm.get(vm.global, QStringLiteral("XMLNode"));
    const Value proto = ctor.isObject() ? vm.get(ctor.object, QStringLiteral("prototype")) : Value();
    Object *object = vm.newObject(proto.isObject() ? proto.object : vm.objectProto);
    XmlNode *node = xmlNode(object);
    node->type = type;
    (type == 3 ? node->value : node->name) = text;
    return object;
}

void appendXmlChild(Vm &vm, Object *parent, Object *child)
{
    detach(vm, child);
    XmlNode *node = existingNode(parent);
    node->children.push_back(child);
    existingNode(child)->parent = parent;
    if (node->childArray)
        vm.arrayPush(node->childArray, child);
}

void removeXmlChildren(Vm &vm, Object *object)
{
    XmlNode *node = existingNode(object);
    for (Object *child : node->children)
        existingNode(child)->parent = nullptr;
    node->children.clear();
    refreshChildArray(vm, *node);
}

QString xmlText(Vm &vm, Object *top)
{
    QString out;
    if (!existingNode(top)->parent)
        for (const char16_t *declaration : {u"xmlDecl", u"docTypeDecl"})
            if (const Value text = vm.get(top, QString::fromUtf16(declaration)); !text.isNullish())
                out += vm.toString(text);
    // Each element's children are written between its tags; the stack
    // holds the elements open and the index of the child written next.
    std::vector<std::pair<Object *, std::size_t>> open{{top, 0}};
    bool entering = true;
    while (!open.empty()) {
        auto &[object, next] = open.back();
        const XmlNode &node = *existingNode(object);
        if (entering) {
            vm.charge();
            entering = false;
            if (node.type == 3) {
                if (!node.value.isNullish())
                    out += escapeXml(vm.toString(node.value));
                open.pop_back();
                continue;
            }
            if (!node.name.isNullish())
                writeStart(vm, out, node);
            out = vm.checkedString(std::move(out));
        }
        if (next < node.children.size()) {
            Object *child = node.children[next++];
            open.emplace_back(child, 0);
            entering = true;
            continue;
        }
        if (!node.name.isNullish() && !node.children.empty())
            out += QStringLiteral("</") + vm.toString(node.name) + QLatin1Char('>');
        open.pop_back();
    }
    return vm.checkedString(std::move(out));
}

Object *installXmlNode(Vm &vm)
{
    Object *proto = vm.newPlain();
    defineClass(vm, QStringLiteral("XMLNode"), proto, construct);
    defineMethods(vm, proto,
                  {{u"appendChild", appendChild},
                   {u"cloneNode", cloneNode},
                   {u"hasChildNodes", hasChildNodes},
                   {u"insertBefore", insertBefore},
                   {u"removeNode", removeNode},
                   {u"toString", toStringMethod}});
    defineAccessor(vm, proto, QStringLiteral("nodeType"), getType, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("nodeName"), getText<&XmlNode::name>, setText<&XmlNode::name>);
    defineAccessor(vm, proto, QStringLiteral("nodeValue"), getText<&XmlNode::value>, setText<&XmlNode::value>);
    defineAccessor(vm, proto, QStringLiteral("attributes"), getAttributes, setAttributes);
    defineAccessor(vm, proto, QStringLiteral("childNodes"), getChildNodes, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("firstChild"), getFirstChild, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("lastChild"), getLastChild, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("nextSibling"), getNextSibling, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("previousSibling"), getPreviousSibling, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("parentNode"), getParentNode, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("prefix"), getPrefix, ignoreSet);
    defineAccessor(vm, proto, QStringLiteral("localName"), getLocalName, ignoreSet);
    return proto;
}

} // namespace sky::swf::avm1
