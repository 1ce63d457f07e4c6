#include "xmlparse.h"

namespace sky::swf::avm1 {
namespace {

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

QString decodeEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype end = text.at(i) == u'&' ? text.indexOf(u';', i) : -1;
        if (end < 0 || end - i > 10) {
            out += text.at(i);
            continue;
        }
        const QStringView name = text.sliced(i + 1, end - i - 1);
        char32_t code = 0;
        if (name == u"lt")
            code = u'<';
        else if (name == u"gt")
            code = u'>';
        else if (name == u"amp")
            code = u'&';
        else if (name == u"quot")
            code = u'"';
        else if (name == u"apos")
            code = u'\'';
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint n = name.startsWith(u"#x") || name.startsWith(u"#X") ? name.sliced(2).toUInt(&ok, 16)
                                                                            : name.sliced(1).toUInt(&ok, 10);
            if (ok && n > 0 && n <= 0x10ffff && (n < 0xd800 || n > 0xdfff))
                code = char32_t(n);
        }
        if (!code) {
            out += text.at(i);
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = end;
    }
    return out;
}

class Reader {
public:
    Reader(const QString &text, XmlSink &sink) : text_(text), sink_(sink) { }

    XmlStatus run()
    {
        while (at_ < text_.size()) {
            const XmlStatus status = text_.at(at_) == u'<' ? markup() : textRun();
            if (status != xmlOk)
                return status;
        }
        return open_.empty() ? xmlOk : xmlStartTagUnmatched;
    }

private:
    bool startsWith(QStringView what, Qt::CaseSensitivity cs = Qt::CaseSensitive) const
    {
        return QStringView(text_).sliced(at_).startsWith(what, cs);
    }

    // From here to the end of `close`, as it stands; false when it never ends.
    bool upTo(QStringView close, QString *taken)
    {
        const qsizetype end = text_.indexOf(close, at_);
        if (end < 0)
            return false;
        if (taken)
            *taken = text_.sliced(at_, end + close.size() - at_);
        at_ = end + close.size();
        return true;
    }

    XmlStatus textRun()
    {
        qsizetype end = text_.indexOf(u'<', at_);
        if (end < 0)
            end = text_.size();
        sink_.text(decodeEntities(QStringView(text_).sliced(at_, end - at_)), false);
        at_ = end;
        return xmlOk;
    }

    XmlStatus markup()
    {
        QString taken;
        if (startsWith(u"<!--"))
            return upTo(u"-->", nullptr) ? xmlOk : xmlCommentUnterminated;
        if (startsWith(u"<![CDATA[")) {
            at_ += 9;
            const qsizetype from = at_;
            if (!upTo(u"]]>", nullptr))
                return xmlCdataUnterminated;
            sink_.text(text_.sliced(from, at_ - 3 - from), true);
            return xmlOk;
        }
        if (startsWith(u"<!DOCTYPE", Qt::CaseInsensitive))
            return docType();
        if (startsWith(u"<?")) {
            const bool declaration = startsWith(u"<?xml", Qt::CaseInsensitive);
            if (!upTo(u"?>", &taken))
                return xmlDeclarationUnterminated;
            if (declaration)
                sink_.declaration(taken);
            return xmlOk;
        }
        if (startsWith(u"</"))
            return endTag();
        return startTag();
    }

    // A document type's internal subset may hold '>' inside its brackets.
    XmlStatus docType()
    {
        int brackets = 0;
        for (qsizetype i = at_; i < text_.size(); ++i) {
            const QChar c = text_.at(i);
            if (c == u'[')
                ++brackets;
            else if (c == u']')
                --brackets;
            else if (c == u'>' && brackets <= 0) {
                sink_.docType(text_.sliced(at_, i + 1 - at_));
                at_ = i + 1;
                return xmlOk;
            }
        }
        return xmlDocTypeUnterminated;
    }

    XmlStatus endTag()
    {
        const qsizetype end = text_.indexOf(u'>', at_);
        if (end < 0)
            return xmlElementMalformed;
        const QString name = text_.sliced(at_ + 2, end - at_ - 2).trimmed();
        if (open_.empty() || open_.back() != name)
            return xmlEndTagUnmatched;
        open_.pop_back();
        at_ = end + 1;
        sink_.endElement();
        return xmlOk;
    }

    QString name()
    {
        const qsizetype from = at_;
        while (at_ < text_.size() && !isSpace(text_.at(at_)) && text_.at(at_) != u'/' && text_.at(at_) != u'>' &&
               text_.at(at_) != u'=')
            ++at_;
        return text_.sliced(from, at_ - from);
    }

    void skipSpace()
    {
        while (at_ < text_.size() && isSpace(text_.at(at_)))
            ++at_;
    }

    XmlStatus startTag()
    {
        ++at_;
        const QString element = name();
        if (element.isEmpty())
            return xmlElementMalformed;
        std::vector<std::pair<QString, QString>> attributes;
        for (;;) {
            skipSpace();
            if (at_ >= text_.size())
                return xmlElementMalformed;
            if (text_.at(at_) == u'>' || startsWith(u"/>"))
                break;
            const QString attribute = name();
            skipSpace();
            if (attribute.isEmpty() || at_ >= text_.size() || text_.at(at_) != u'=')
                return xmlElementMalformed;
            ++at_;
            skipSpace();
            if (at_ >= text_.size() || (text_.at(at_) != u'"' && text_.at(at_) != u'\''))
                return xmlElementMalformed;
            const qsizetype end = text_.indexOf(text_.at(at_), at_ + 1);
            if (end < 0)
                return xmlAttributeUnterminated;
            attributes.emplace_back(attribute, decodeEntities(QStringView(text_).sliced(at_ + 1, end - at_ - 1)));
            at_ = end + 1;
        }
        const bool empty = text_.at(at_) == u'/';
        at_ += empty ? 2 : 1;
        sink_.startElement(element, attributes);
        if (empty)
            sink_.endElement();
        else
            open_.push_back(element);
        return xmlOk;
    }

    const QString &text_;
    XmlSink &sink_;
    qsizetype at_ = 0;
    std::vector<QString> open_;
};

} // namespace

XmlStatus parseXml(const QString &text, XmlSink &sink) { return Reader(text, sink).run(); }

QString escapeXml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace sky::swf::avm1
