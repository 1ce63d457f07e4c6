#include "storeddata.h"

#include "builtins.h"

#include <QtEndian>

#include <cstring>

namespace sky::swf::avm1 {
namespace {

enum Marker : quint8 {
    numberMarker = 0x00,
    booleanMarker = 0x01,
    stringMarker = 0x02,
    objectMarker = 0x03,
    nullMarker = 0x05,
    undefinedMarker = 0x06,
    referenceMarker = 0x07,
    mixedArrayMarker = 0x08,
    objectEndMarker = 0x09,
    arrayMarker = 0x0a,
    dateMarker = 0x0b,
    longStringMarker = 0x0c,
    xmlMarker = 0x0f,
    typedObjectMarker = 0x10,
};

const QByteArray signature("TCSO\x00\x04\x00\x00\x00\x00", 10);

class Writer {
public:
    explicit Writer(Vm &vm) : vm_(vm) { }

    QByteArray out;

    void u8(int v) { out += char(v); }
    void u16(int v)
    {
        u8(v >> 8);
        u8(v);
    }
    void u32(quint32 v)
    {
        u16(int(v >> 16));
        u16(int(v & 0xffff));
    }
    void number(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(quint32(bits >> 32));
        u32(quint32(bits));
    }
    bool key(const QString &name)
    {
        const QByteArray utf8 = name.toUtf8();
        if (utf8.size() > 0xffff)
            return false;
        u16(int(utf8.size()));
        out += utf8;
        return true;
    }

    bool value(const Value &v, int depth)
    {
        if (out.size() > maxStoredBytes || depth > maxStoredDepth)
            return false;
        switch (v.type) {
        case Value::Type::Undefined: u8(undefinedMarker); return true;
        case Value::Type::Null: u8(nullMarker); return true;
        case Value::Type::Boolean:
            u8(booleanMarker);
            u8(v.boolean ? 1 : 0);
            return true;
        case Value::Type::Number:
            u8(numberMarker);
            number(v.number);
            return true;
        case Value::Type::String: {
            const QByteArray utf8 = v.string.toUtf8();
            if (utf8.size() > 0xffff) {
                u8(longStringMarker);
                u32(quint32(utf8.size()));
            } else {
                u8(stringMarker);
                u16(int(utf8.size()));
            }
            out += utf8;
            return true;
        }
        case Value::Type::Object: return object(v.object, depth);
        }
        return false;
    }

    // Its properties, then the end marker, skipping what is not kept.
    bool properties(Object *object, int depth)
    {
        for (const QString &name : vm_.enumerate(object)) {
            const Value v = vm_.get(object, name);
            if (!kept(v))
                continue;
            if (!key(name) || !value(v, depth + 1))
                return false;
        }
        u16(0);
        u8(objectEndMarker);
        return true;
    }

    static bool kept(const Value &v)
    {
        return !v.isObject() || (!v.object->isFunction() && v.object->kind != ObjectKind::Clip);
    }

private:
    bool object(Object *o, int depth)
    {
        if (const auto at = std::find(written_.begin(), written_.end(), o); at != written_.end()) {
            u8(referenceMarker);
            u16(int(at - written_.begin()));
            return true;
        }
        if (const std::optional<double> time = dateTimeOf(o)) {
            u8(dateMarker);
            number(*time);
            u16(0);
            return true;
        }
        if (written_.size() < 0xffff)
            written_.push_back(o);
        if (o->kind == ObjectKind::Array) {
            u8(mixedArrayMarker);
            u32(quint32(std::max(0, o->length)));
        } else {
            u8(objectMarker);
        }
        return properties(o, depth);
    }

    Vm &vm_;
    std::vector<Object *> written_;
};

class Reader {
public:
    Reader(Vm &vm, const QByteArray &in) : vm_(vm), in_(in) { }

    bool header()
    {
        if (!need(6) || quint8(in_[0]) != 0x00 || quint8(in_[1]) != 0xbf)
            return false;
        at_ = 6;
        if (!need(signature.size()) || in_.mid(at_, signature.size()) != signature)
            return false;
        at_ += signature.size();
        QString name;
        quint32 version = 0;
        return text(name) && u32(version) && version == 0;
    }

    // Name, value and a padding byte, to the end.
    bool body(Object *data)
    {
        while (at_ < in_.size()) {
            QString name;
            Value v;
            if (!text(name) || !value(v, 1) || !need(1))
                return false;
            ++at_;
            store(data, name, v);
        }
        return true;
    }

private:
    bool need(qsizetype n) const { return n >= 0 && in_.size() - at_ >= n; }
    bool u8(quint8 &v)
    {
        if (!need(1))
            return false;
        v = quint8(in_[at_++]);
        return true;
    }
    // A big-endian number of T's size.
    template <typename T>
    bool bigEndian(T &v)
    {
        if (!need(sizeof(T)))
            return false;
        v = qFromBigEndian<T>(in_.constData() + at_);
        at_ += sizeof(T);
        return true;
    }
    bool u16(quint16 &v) { return bigEndian(v); }
    bool u32(quint32 &v) { return bigEndian(v); }
    bool number(double &v)
    {
        quint64 bits = 0;
        if (!bigEndian(bits))
            return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool bytes(qsizetype size, QString &out)
    {
        if (!need(size))
            return false;
        out = QString::fromUtf8(in_.constData() + at_, size);
        at_ += size;
        return true;
    }
    bool text(QString &out)
    {
        quint16 size = 0;
        return u16(size) && bytes(size, out);
    }
    bool longText(QString &out)
    {
        quint32 size = 0;
        return u32(size) && size <= quint32(in_.size()) && bytes(qsizetype(size), out);
    }

    void store(Object *object, const QString &name, const Value &v)
    {
        // A stored "__proto__" is a name like any other, never the
        // object's prototype.
        if (vm_.isProtoName(name))
            return;
        vm_.put(object, name, v);
        if (object->kind == ObjectKind::Array)
            vm_.noteArrayIndex(object, name);
    }

    // Properties up to the end marker.
    bool properties(Object *object, int depth)
    {
        for (;;) {
            QString name;
            if (!text(name))
                return false;
            if (name.isEmpty() && need(1) && quint8(in_[at_]) == objectEndMarker) {
                ++at_;
                return true;
            }
            Value v;
            if (!value(v, depth + 1))
                return false;
            store(object, name, v);
        }
    }

    bool value(Value &v, int depth)
    {
        quint8 marker = 0;
        if (depth > maxStoredDepth || !u8(marker))
            return false;
        switch (marker) {
        case numberMarker: v = 0.0; return number(v.number);
        case booleanMarker: {
            quint8 b = 0;
            if (!u8(b))
                return false;
            v = b != 0;
            return true;
        }
        case stringMarker: v = QString(); return text(v.string);
        case longStringMarker:
        case xmlMarker: v = QString(); return longText(v.string);
        case nullMarker: v = Value::null(); return true;
        case undefinedMarker: v = Value(); return true;
        case referenceMarker: {
            quint16 index = 0;
            if (!u16(index) || index >= table_.size())
                return false;
            v = table_[index];
            return true;
        }
        case dateMarker: {
            double time = 0;
            quint16 zone = 0;
            if (!number(time) || !u16(zone))
                return false;
            const Value args[] = {time};
            v = vm_.construct(vm_.get(vm_.global, QStringLiteral("Date")), args);
            return true;
        }
        case objectMarker:
        case typedObjectMarker: {
            QString className;
            if (marker == typedObjectMarker && !text(className))
                return false;
            return container(vm_.newPlain(), v, depth);
        }
        case mixedArrayMarker: {
            quint32 count = 0;
            return u32(count) && container(vm_.newArray(), v, depth);
        }
        case arrayMarker: return strictArray(v, depth);
        default: return false;
        }
    }

    bool container(Object *object, Value &v, int depth)
    {
        v = object;
        table_.push_back(object);
        return properties(object, depth);
    }

    bool strictArray(Value &v, int depth)
    {
        quint32 count = 0;
        // Each element takes a byte at least.
        if (!u32(count) || !need(qsizetype(count)))
            return false;
        Object *array = vm_.newArray();
        v = array;
        table_.push_back(array);
        for (quint32 i = 0; i < count; ++i) {
            Value element;
            if (!value(element, depth + 1))
                return false;
            vm_.arrayPush(array, element);
        }
        return true;
    }

    Vm &vm_;
    const QByteArray &in_;
    qsizetype at_ = 0;
    std::vector<Object *> table_;
};

} // namespace

std::optional<QByteArray> writeStoredData(Vm &vm, const QString &name, Object *data)
{
    Writer body(vm);
    for (const QString &property : vm.enumerate(data)) {
        const Value v = vm.get(data, property);
        if (!Writer::kept(v))
            continue;
        if (!body.key(property) || !body.value(v, 1))
            return std::nullopt;
        body.u8(0);
    }
    Writer file(vm);
    file.out = signature;
    if (!file.key(name))
        return std::nullopt;
    file.u32(0);
    file.out += body.out;
    const QByteArray content = file.out;
    file.out = QByteArray("\x00\xbf", 2);
    file.u32(quint32(content.size()));
    file.out += content;
    if (file.out.size() > maxStoredBytes)
        return std::nullopt;
    return file.out;
}

bool readStoredData(Vm &vm, const QByteArray &bytes, Object *data)
{
    Reader reader(vm, bytes);
    if (bytes.size() <= maxStoredBytes && reader.header() && reader.body(data))
        return true;
    data->clearProperties();
    return false;
}

} // namespace sky::swf::avm1
