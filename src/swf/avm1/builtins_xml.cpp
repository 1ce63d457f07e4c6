// XML: a document of XMLNodes read from text, as the player reads it
// (xmlparse.h), with its declaration, document type and status, loaded
// from a file beside the movie. Files come in at the player's next turn:
// onData gets the text, and by default parses it and calls onLoad.

#include "builtins.h"
#include "xmlnode.h"
#include "xmlparse.h"

namespace sky::swf::avm1 {
namespace {

// Builds the nodes of parsed text under a document.
class TreeBuilder : public XmlSink {
public:
    TreeBuilder(Vm &vm, Object *document, bool ignoreWhite)
        : vm_(vm), document_(document), open_{document}, ignoreWhite_(ignoreWhite)
    {
    }

    void startElement(const QString &name, const std::vector<std::pair<QString, QString>> &attributes) override
    {
        Object *element = add(1, name);
        XmlNode *node = xmlNode(element);
        node->attributes = vm_.newPlain();
        for (const auto &[attribute, value] : attributes)
            vm_.set(node->attributes, attribute, value);
        open_.push_back(element);
    }
    void endElement() override
    {
        if (open_.size() > 1)
            open_.pop_back();
    }
    void text(const QString &text, bool cdata) override
    {
        if (!cdata && ignoreWhite_ && QStringView(text).trimmed().isEmpty())
            return;
        add(3, text);
    }
    void declaration(const QString &text) override
    {
        const Value before = vm_.get(document_, QStringLiteral("xmlDecl"));
        vm_.set(document_, QStringLiteral("xmlDecl"), (before.isUndefined() ? QString() : vm_.toString(before)) + text);
    }
    void docType(const QString &text) override { vm_.set(document_, QStringLiteral("docTypeDecl"), text); }

private:
    Object *add(int type, const QString &text)
    {
        vm_.charge();
        Object *node = newXmlNode(vm_, type, vm_.checkedString(text));
        appendXmlChild(vm_, open_.back(), node);
        return node;
    }

    Vm &vm_;
    Object *document_;
    std::vector<Object *> open_;
    bool ignoreWhite_;
};

void parseInto(Vm &vm, Object *document, const QString &text)
{
    // XML's onData can be called on any object; only an XML node is filled.
    if (!xmlNode(document))
        return;
    removeXmlChildren(vm, document);
    vm.set(document, QStringLiteral("xmlDecl"), Value());
    vm.set(document, QStringLiteral("docTypeDecl"), Value());
    TreeBuilder builder(vm, document, vm.toBoolean(vm.get(document, QStringLiteral("ignoreWhite"))));
    const XmlStatus status = parseXml(text, builder);
    vm.set(document, QStringLiteral("status"), int(status));
}

Value construct(Vm &vm, CallInfo &c)
{
    if (!xmlNode(c.self))
        return {};
    vm.set(c.self.object, QStringLiteral("status"), 0);
    if (!c.arg(0).isNullish())
        parseInto(vm, c.self.object, vm.toString(c.arg(0)));
    return {};
}

Value parseXmlMethod(Vm &vm, CallInfo &c)
{
    if (xmlNode(c.self))
        parseInto(vm, c.self.object, vm.toString(c.arg(0)));
    return {};
}

Value createElement(Vm &vm, CallInfo &c) { return newXmlNode(vm, 1, vm.toString(c.arg(0))); }
Value createTextNode(Vm &vm, CallInfo &c) { return newXmlNode(vm, 3, vm.toString(c.arg(0))); }

// The default onData: parses the text and tells onLoad.
Value onData(Vm &vm, CallInfo &c) { return defaultOnData(vm, c, parseInto); }

} // namespace

void installXml(Vm &vm)
{
    Object *nodeProto = installXmlNode(vm);
    Object *proto = vm.newObject(nodeProto);
    defineClass(vm, QStringLiteral("XML"), proto, construct);
    defineMethods(vm, proto,
                  {{u"addRequestHeader", nothing},
                   {u"createElement", createElement},
                   {u"createTextNode", createTextNode},
                   {u"getBytesLoaded", getBytesLoaded},
                   {u"getBytesTotal", getBytesTotal},
                   {u"load", loadMethod},
                   {u"onData", onData},
                   {u"onLoad", nothing},
                   {u"parseXML", parseXmlMethod},
                   {u"send", sendMethod},
                   {u"sendAndLoad", sendAndLoadMethod}});
    vm.defineHidden(proto, QStringLiteral("contentType"), QStringLiteral("application/x-www-form-urlencoded"));
}

} // namespace sky::swf::avm1
