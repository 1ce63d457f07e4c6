#include "actions.h"

#include "bitreader.h"

namespace sky::swf {
namespace {

enum : quint8 {
    actNextFrame = 0x04,
    actPreviousFrame = 0x05,
    actPlay = 0x06,
    actStop = 0x07,
    actGotoFrame = 0x81,
    actSetTarget = 0x8B,
    actGotoLabel = 0x8C,
    actDefineFunction2 = 0x8E,
    actWith = 0x94,
    actDefineFunction = 0x9B,
    actJump = 0x99,
    actIf = 0x9D,
    actCall = 0x9E,
    actSetTarget2 = 0x20,
};

bool endsStraightLine(quint8 code)
{
    return code == actJump || code == actIf || code == actCall || code == actDefineFunction
        || code == actDefineFunction2 || code == actWith || code == actSetTarget2;
}

} // namespace

std::vector<FrameAction> readFrameActions(const QByteArray &body)
{
    std::vector<FrameAction> out;
    BitReader r(body);
    bool otherTarget = false;
    try {
        while (!r.atEnd()) {
            const quint8 code = r.u8();
            if (code == 0 || endsStraightLine(code))
                break;
            QByteArray data;
            if (code >= 0x80)
                data = r.bytes(r.u16());
            if (code == actSetTarget) {
                otherTarget = !BitReader(data).string().isEmpty();
                continue;
            }
            if (otherTarget)
                continue;
            FrameAction action;
            switch (code) {
            case actNextFrame: action.kind = FrameAction::Kind::NextFrame; break;
            case actPreviousFrame: action.kind = FrameAction::Kind::PreviousFrame; break;
            case actPlay: action.kind = FrameAction::Kind::Play; break;
            case actStop: action.kind = FrameAction::Kind::Stop; break;
            case actGotoFrame:
                action.kind = FrameAction::Kind::GotoFrame;
                action.frame = BitReader(data).u16() + 1;
                break;
            case actGotoLabel:
                action.kind = FrameAction::Kind::GotoLabel;
                action.label = BitReader(data).string();
                break;
            default: continue;
            }
            out.push_back(action);
        }
    } catch (const ParseError &) {
        // Keep the actions read before the damage.
    }
    return out;
}

} // namespace sky::swf
