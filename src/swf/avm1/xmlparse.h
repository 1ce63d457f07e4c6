#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace sky::swf::avm1 {

// What XML text holds, told as it is read.
class XmlSink {
public:
    virtual ~XmlSink() = default;
    virtual void startElement(const QString &name, const std::vector<std::pair<QString, QString>> &attributes) = 0;
    virtual void endElement() = 0;
    // Text between tags, entities decoded, or a CDATA section as it stands.
    virtual void text(const QString &text, bool cdata) = 0;
    // "<?xml ...?>" and "<!DOCTYPE ...>" as they stand.
    virtual void declaration(const QString &text) = 0;
    virtual void docType(const QString &text) = 0;
};

// The player's status codes for XML text.
enum XmlStatus : int {
    xmlOk = 0,
    xmlCdataUnterminated = -2,
    xmlDeclarationUnterminated = -3,
    xmlDocTypeUnterminated = -4,
    xmlCommentUnterminated = -5,
    xmlElementMalformed = -6,
    xmlAttributeUnterminated = -8,
    xmlStartTagUnmatched = -9,
    xmlEndTagUnmatched = -10,
};

// Reads XML as the player does, leniently: comments and processing
// instructions other than the declaration are passed over, entities
// (&lt; &gt; &amp; &quot; &apos; and &#n; &#xh;) decoded and unknown ones
// kept. Reading stops at the first fault, what came before it told;
// elements still open at the end stay open (the sink is told no end).
XmlStatus parseXml(const QString &text, XmlSink &sink);

// `text` with & < > " and ' written as entities.
QString escapeXml(const QString &text);

} // namespace sky::swf::avm1
