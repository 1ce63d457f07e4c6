#include "displaytags.h"

#include "bitreader.h"

namespace sky::swf {

namespace {

// The onClipEvent scripts at the end of a PlaceObject2/3.
std::shared_ptr<const ClipActions> readClipActions(BitReader &r, int swfVersion)
{
    const int flagsSize = swfVersion >= 6 ? 4 : 2;
    const auto eventFlags = [&r, flagsSize]() -> quint32 { return flagsSize == 4 ? r.u32() : r.u16(); };
    r.u16(); // reserved
    // Every event used: the player runs no handler for an event left out.
    const quint32 used = eventFlags();
    auto actions = std::make_shared<ClipActions>();
    // The list ends with empty flags, or with the tag, however short the
    // last flags' bytes fall.
    while (r.remaining() >= flagsSize) {
        ClipAction action;
        action.events = eventFlags();
        if (action.events == 0)
            break;
        quint32 size = r.u32();
        if (action.events & 0x20000) {
            action.key = r.u8();
            size = size > 0 ? size - 1 : 0;
        }
        action.code = std::make_shared<const QByteArray>(r.bytes(qMin<qint64>(size, r.remaining())));
        action.events &= used;
        actions->push_back(std::move(action));
    }
    return actions;
}

} // namespace

DisplayOp readPlaceObject(BitReader &r, int version, int swfVersion)
{
    DisplayOp op;
    if (version == 1) {
        op.hasCharacter = true;
        op.values.characterId = r.u16();
        op.depth = r.u16();
        op.hasMatrix = true;
        op.values.matrix = r.matrix();
        if (!r.atEnd()) {
            op.hasColor = true;
            op.values.color = r.colorTransform(false);
        }
        return op;
    }
    const quint8 flags = r.u8();
    const quint8 flags3 = version >= 3 ? r.u8() : 0;
    op.depth = r.u16();
    op.move = flags & 0x01;
    op.hasCharacter = flags & 0x02;
    op.hasMatrix = flags & 0x04;
    op.hasColor = flags & 0x08;
    op.hasRatio = flags & 0x10;
    op.hasName = flags & 0x20;
    op.hasClip = flags & 0x40;
    // Only its own flag brings a class name; a placed image (0x10) has none.
    if (flags3 & 0x08)
        r.string(); // class name
    if (op.hasCharacter)
        op.values.characterId = r.u16();
    if (op.hasMatrix)
        op.values.matrix = r.matrix();
    if (op.hasColor)
        op.values.color = r.colorTransform(true);
    if (op.hasRatio)
        op.values.ratio = r.u16();
    if (op.hasName)
        op.values.name = r.string();
    if (op.hasClip)
        op.values.clipDepth = r.u16();
    if (flags3 & 0x01) {
        op.hasFilters = true;
        op.values.filters = readFilterList(r);
    }
    if (flags3 & 0x02) {
        op.hasBlend = true;
        op.values.blend = r.u8();
    }
    if (flags3 & 0x04) {
        op.hasCache = true;
        op.values.cached = r.u8() != 0;
    }
    if (flags3 & 0x20) {
        op.hasVisible = true;
        op.values.visible = r.u8() != 0;
    }
    if (flags3 & 0x40) {
        op.hasBackground = true;
        op.values.background = r.rgba();
    }
    if ((flags & 0x80) && swfVersion >= 5)
        op.values.clipActions = readClipActions(r, swfVersion);
    return op;
}

DisplayOp readRemoveObject(BitReader &r, int version)
{
    DisplayOp op;
    op.remove = true;
    if (version == 1)
        r.u16();
    op.depth = r.u16();
    return op;
}

ButtonCharacter readDefineButton(BitReader &r, int version)
{
    ButtonCharacter button;
    int actionOffset = 0;
    if (version >= 2) {
        button.trackAsMenu = r.u8() & 1;
        actionOffset = r.u16();
    }
    for (;;) {
        const quint8 flags = r.u8();
        if (flags == 0 || r.atEnd())
            break;
        ButtonPart part;
        part.characterId = r.u16();
        part.depth = r.u16();
        part.states = flags & 0xf;
        part.matrix = r.matrix();
        if (version >= 2) {
            part.color = r.colorTransform(true);
            if (flags & 0x10)
                part.filters = readFilterList(r);
            if (flags & 0x20)
                part.blend = r.u8();
        }
        button.parts.push_back(part);
    }
    if (version == 1) {
        button.actions.push_back({overDownToOverUp, 0, std::make_shared<const QByteArray>(r.bytes(r.remaining()))});
        return button;
    }
    // Each condition's actions end where the next begins; the last runs to
    // the end of the tag.
    while (actionOffset != 0 && !r.atEnd()) {
        actionOffset = r.u16();
        const quint16 conditions = r.u16();
        const QByteArray body = r.bytes(actionOffset >= 4 ? qMin<qsizetype>(actionOffset - 4, r.remaining()) : r.remaining());
        button.actions.push_back({quint16(conditions & 0x1ff), conditions >> 9, std::make_shared<const QByteArray>(body)});
    }
    return button;
}

} // namespace sky::swf
