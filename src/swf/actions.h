#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace sky::swf {

// The frame actions the engine carries out; all other script is ignored.
struct FrameAction {
    enum class Kind { Stop, Play, GotoFrame, GotoLabel, NextFrame, PreviousFrame };
    Kind kind = Kind::Stop;
    int frame = 0; // 1-based target of GotoFrame
    QString label; // target of GotoLabel
};

// Picks the timeline actions out of a DoAction body. Reading stops at the
// first branch, call or function definition, since what follows may not
// run; actions aimed at another clip (SetTarget) are skipped.
std::vector<FrameAction> readFrameActions(const QByteArray &body);

} // namespace sky::swf
