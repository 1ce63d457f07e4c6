#include "decoder.h"

#include <cstring>

namespace sky::swf::avm1 {

quint8 ActionData::u8()
{
    if (pos_ >= end_) {
        ++pos_;
        return 0;
    }
    return quint8(code_[pos_++]);
}

quint16 ActionData::u16()
{
    const quint16 lo = u8();
    return quint16(lo | (u8() << 8));
}

quint32 ActionData::u32()
{
    const quint32 lo = u16();
    return lo | (quint32(u16()) << 16);
}

float ActionData::f32()
{
    const quint32 bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double ActionData::f64()
{
    const quint64 high = u32();
    const quint64 low = u32();
    const quint64 bits = (high << 32) | low;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

QString ActionData::string()
{
    const int start = pos_;
    while (pos_ < end_ && code_[pos_] != 0)
        ++pos_;
    const QByteArrayView bytes = pos_ > start ? QByteArrayView(code_.constData() + start, pos_ - start) : QByteArrayView();
    ++pos_;
    return version_ >= 6 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

bool readActionHeader(const QByteArray &code, int pos, int end, ActionHeader &out)
{
    if (pos >= end || pos >= code.size())
        return false;
    out.code = quint8(code[pos]);
    out.dataStart = pos + 1;
    out.dataEnd = pos + 1;
    if (out.code >= 0x80) {
        if (pos + 3 > end)
            return false;
        const int length = quint8(code[pos + 1]) | (quint8(code[pos + 2]) << 8);
        out.dataStart = pos + 3;
        out.dataEnd = out.dataStart + length;
        if (out.dataEnd > end)
            return false;
    }
    return true;
}

bool readPushItem(ActionData &data, PushItem &out)
{
    out = PushItem();
    switch (data.u8()) {
    case 0: out.value = data.string(); break;
    case 1: out.value = double(data.f32()); break;
    case 2: out.value = Value::null(); break;
    case 3: break;
    case 4:
        out.kind = PushItem::Register;
        out.index = data.u8();
        break;
    case 5: out.value = data.u8() != 0; break;
    case 6: out.value = data.f64(); break;
    case 7: out.value = double(qint32(data.u32())); break;
    case 8:
        out.kind = PushItem::Constant;
        out.index = data.u8();
        break;
    case 9:
        out.kind = PushItem::Constant;
        out.index = data.u16();
        break;
    default: return false;
    }
    return true;
}

DecodedCode::DecodedCode(std::shared_ptr<const QByteArray> code, int version)
    : code_(std::move(code))
    , version_(version)
    , slots_(std::size_t(code_->size()), nullptr)
{
}

const DecodedAction *DecodedCode::at(int pos, int end)
{
    if (pos < 0 || pos >= end || pos >= int(slots_.size()))
        return nullptr;
    const DecodedAction *&slot = slots_[std::size_t(pos)];
    if (!slot) {
        DecodedAction &action = actions_.emplace_back();
        action.fits = readActionHeader(*code_, pos, int(code_->size()), action.header);
        const ActionHeader &h = action.header;
        ActionData data(*code_, h.dataStart, h.dataEnd, version_);
        if (action.fits && h.code == 0x96) {
            PushItem item;
            while (!data.atEnd() && readPushItem(data, item))
                action.pushes.push_back(std::move(item));
        } else if (action.fits && h.code == 0x88) {
            auto pool = std::make_shared<std::vector<QString>>();
            const int n = data.u16();
            pool->reserve(std::size_t(n));
            for (int i = 0; i < n && !data.atEnd(); ++i)
                pool->push_back(data.string());
            action.constants = std::move(pool);
        }
        slot = &action;
    }
    return slot->fits && slot->header.dataEnd <= end ? slot : nullptr;
}

} // namespace sky::swf::avm1
