#include "displaytags.h"

#include "bitreader.h"

namespace sky::swf {
namespace {

// Filters are not drawn, but their records must be stepped over.
void skipFilterList(BitReader &r)
{
    const int count = r.u8();
    for (int i = 0; i < count; ++i) {
        switch (r.u8()) {
        case 0: r.skip(23); break; // drop shadow
        case 1: r.skip(9); break;  // blur
        case 2: r.skip(15); break; // glow
        case 3: r.skip(27); break; // bevel
        case 4:
        case 7: r.skip(qsizetype(r.u8()) * 5 + 19); break; // gradient glow, gradient bevel
        case 5: {                                          // convolution
            const int columns = r.u8();
            const int rows = r.u8();
            r.skip(8 + qsizetype(columns) * rows * 4 + 5);
            break;
        }
        case 6: r.skip(80); break; // colour matrix
        default: throw ParseError("unknown filter");
        }
    }
}

} // namespace

DisplayOp readPlaceObject(BitReader &r, int version)
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
    if (flags3 & 0x01)
        skipFilterList(r);
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
    if (version >= 2) {
        r.u8();  // track as menu
        r.u16(); // offset of the actions
    }
    for (;;) {
        const quint8 flags = r.u8();
        if (flags == 0)
            break;
        ButtonPart part;
        part.characterId = r.u16();
        part.depth = r.u16();
        part.matrix = r.matrix();
        if (version >= 2) {
            part.color = r.colorTransform(true);
            if (flags & 0x10)
                skipFilterList(r);
            if (flags & 0x20)
                part.blend = r.u8();
        }
        if (flags & 0x01)
            button.upState.push_back(part);
    }
    return button;
}

} // namespace sky::swf
