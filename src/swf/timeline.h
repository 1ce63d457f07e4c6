#pragma once

#include "actions.h"
#include "filters.h"
#include "geometry.h"

#include <QColor>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace sky::swf {

// A script a placed clip runs on its events (onClipEvent): `events` holds
// the event bits as PlaceObject2 stores them (1 load, 2 enterFrame, 4 unload,
// ... 0x200 initialize, 0x20000 keyPress, 0x40000 construct).
struct ClipAction {
    quint32 events = 0;
    int key = 0; // the key of keyPress
    std::shared_ptr<const QByteArray> code;
};
using ClipActions = std::vector<ClipAction>;

// An object on the display list at some frame.
struct Placement {
    quint16 characterId = 0;
    Matrix matrix;
    ColorTransform color;
    int ratio = 0;
    int clipDepth = 0;
    QString name;
    int blend = 0;
    bool visible = true;
    bool cached = false; // drawn as a bitmap, on whole pixels
    QColor background;   // cached-bitmap background, drawn when valid
    std::vector<Filter> filters;
    int placedFrame = 1; // frame whose tag put this character there
    std::shared_ptr<const ClipActions> clipActions;

    bool operator==(const Placement &) const = default;
};

// One PlaceObject/RemoveObject of any version: the fields it sets are
// flagged, their values held in `values`.
struct DisplayOp {
    bool remove = false;
    int depth = 0;
    bool move = false;
    bool hasCharacter = false, hasMatrix = false, hasColor = false, hasRatio = false;
    bool hasClip = false, hasName = false, hasBlend = false, hasVisible = false, hasBackground = false,
         hasCache = false, hasFilters = false;
    Placement values;
};

using DisplayList = std::map<int, Placement>; // by depth

// Copies the fields `op` sets (all but the character) onto `p`, an object
// it places.
void setPlacementFields(Placement &p, const DisplayOp &op);
// The same for an object already there that `op` moves: its name and event
// handlers stay those it was placed with.
void setMovedFields(Placement &p, const DisplayOp &op);

struct Frame {
    std::vector<DisplayOp> ops;
    std::vector<FrameAction> actions;
    std::vector<std::shared_ptr<const QByteArray>> scripts; // DoAction bodies, for the interpreter
    std::vector<std::shared_ptr<const QByteArray>> initScripts; // DoInitAction bodies
    std::vector<int> scriptPlaces; // for each script, how many display tags came before it
    QString label;
};

// Where a timeline's playhead is; frames count from 1.
struct Playhead {
    int frame = 1;
    bool playing = true;
};

// The frames of the main movie or of a sprite. The display list of any
// frame is what tags 1..n build from an empty list; it is reached from the
// nearest stored snapshot, so going to any frame costs about as much as
// applying a bounded number of tags.
class Timeline {
public:
    std::vector<Frame> frames;
    qint64 tagBytes = 0; // a sprite's: the length of its tags
    // Tags that stop short of their End tag leave the timeline waiting on
    // its last frame for more to load: it never loops.
    bool ended = true;

    // Call once all frames are added; `kindOf` gives the replaceableKind()
    // of a character the tags place.
    void finish(const std::function<int(quint16)> &kindOf);

    int frameCount() const { return int(frames.size()); }
    std::shared_ptr<const DisplayList> displayListAt(int frame) const;

    // Runs the actions of the playhead's frame, following the jumps they
    // ask for (a bounded number of times).
    void runActions(Playhead &head) const;
    // One tick: the next frame when playing (frame 1 after the last), then
    // its actions.
    void advance(Playhead &head) const;
    // Whether the playhead, once on the last frame, goes on to frame 1.
    bool loops() const { return ended && frameCount() > 1; }

    // For a sprite started `age` ticks ago: the frame it shows, and the age
    // of the object placed on it by `placement`.
    int frameAtAge(qint64 age) const;
    qint64 childAge(qint64 age, int depth, const Placement &placement) const;

private:
    void apply(DisplayList &list, const Frame &frame, int frameNumber) const;
    void buildSequence() const;
    qint64 sequenceIndex(qint64 age) const;

    std::vector<std::pair<int, std::shared_ptr<const DisplayList>>> snapshots_;
    std::map<int, bool> permanent_;
    std::map<quint16, int> kinds_; // replaceableKind() of what the tags place
    mutable std::shared_ptr<const DisplayList> cached_;
    mutable int cachedFrame_ = 0;
    mutable std::vector<int> sequence_; // frame shown at each age, then repeating
    mutable qint64 cycleStart_ = 0;
};

} // namespace sky::swf
