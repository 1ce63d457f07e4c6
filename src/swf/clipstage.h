#pragma once

#include "characters.h"
#include "cliphandles.h"
#include "scriptdrawing.h"
#include "textfield.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace sky::swf {

class BitmapSurface;
class Movie;

// Depths a script gives (attachMovie, swapDepths, getDepth) are the
// display list's depths less this; the timeline places at 1..16383, so its
// objects have negative script depths.
inline constexpr int scriptDepthOffset = 16384;
// The deepest a script may put a clip.
inline constexpr int maxScriptDepth = 2130690044;
// The deepest script depth a clip can be removed from is a little shallower.
inline constexpr int maxRemovableDepth = 2130690031;

// One object on the stage: the main movie, a sprite instance with its own
// playhead, or any other placed character. Script changes to its transform
// are kept in `placement`; once a script has moved it the timeline no
// longer does.
struct StageClip {
    int handle = 0; // unique for the movie's run, never reused
    int depth = 0;
    Placement placement;
    qint64 placedTick = 0;
    const Timeline *timeline = nullptr; // sprites and the main movie
    // The movie whose character this is, kept alive by every clip of a
    // movie loaded into a clip; and a movie loaded into the clip (and the
    // address it was loaded from), whose characters its children are.
    const Movie *library = nullptr;
    std::shared_ptr<const Movie> libraryKept;
    std::shared_ptr<const Movie> loaded;
    QString loadedFrom;
    const ButtonCharacter *button = nullptr; // buttons, whose children are the parts of their state
    int buttonState = buttonUp; // of a button, or of a clip with mouse handlers
    int frame = 0;
    bool playing = true;
    bool scripted = false; // transform set by a script
    bool madeByScript = false; // put on the stage by a script, not by a timeline tag
    bool unloading = false; // removed, waiting for its unload event
    double xscale = 100, yscale = 100, rotation = 0; // as scripts set them
    // A text field: its state as scripts and its variable left it, the
    // value of the variable it last showed, and its layout (none while it
    // shows its definition as placed), changed this often.
    std::unique_ptr<TextField> field;
    QString fieldText;
    std::shared_ptr<const Character> fieldLayout;
    int fieldChanges = 0;
    StageClip *parent = nullptr;
    std::unique_ptr<ScriptDrawing> drawing; // made on the first drawing call
    // A script's bitmap shown here (attachBitmap), whether it lies on whole
    // pixels and whether it is smoothed when stretched.
    std::shared_ptr<const BitmapSurface> bitmap;
    bool bitmapSnapped = true;
    bool bitmapSmoothed = false;
    // Set by scripts: the clip whose shapes mask this one (setMask) and the
    // one this clip masks, which is then not drawn itself; the part of the
    // clip shown, in its own pixels, its origin put where the clip's is.
    StageClip *mask = nullptr;
    StageClip *maskOf = nullptr;
    std::optional<QRectF> scrollRect;
    // Where Tab visits a field, button or clip when the movie orders them
    // itself (its tabIndex): none, or any 32-bit number but -1.
    std::optional<qint32> tabIndex;
    std::map<int, std::unique_ptr<StageClip>> children; // by depth

    int totalFrames() const { return timeline ? timeline->frameCount() : 1; }
    const Movie &childLibrary() const { return loaded ? *loaded : *library; }
    StageClip *childAt(int depth) const;
    // Takes the scales and rotation scripts see from the matrix.
    void readScaleAndRotation();
    // Hands the transform to scripts (as setting a property or swapping
    // depths does): the timeline moves the clip no more.
    void takeOverTransform();
};

// Makes `mask` (null for none) the mask of `clip`; a clip masks one other
// clip at most.
void setClipMask(StageClip &clip, StageClip *mask);

// What the stage tells the scripts about its clips.
class StageListener {
public:
    virtual ~StageListener() = default;
    // A clip was made and put on its parent, before its first frame.
    virtual void clipCreated(StageClip &clip) = 0;
    // A clip's first frame has been set up.
    virtual void clipReady(StageClip &clip) = 0;
    // The playhead of `clip` reached a frame: its init scripts run, and
    // its scripts `first` to `last` (in tag order among the display tags)
    // are due.
    virtual void frameEntered(StageClip &clip, const Frame &frame, std::size_t first, std::size_t last) = 0;
    // `clip` is to leave the stage. True keeps it, below the timeline's
    // depths, until its unload event has run (the listener then calls
    // finishRemoval()); otherwise it goes at once.
    virtual bool clipRemoving(StageClip &clip) = 0;
    // `clip` has left the stage; told for each clip of the removed tree,
    // children first.
    virtual void clipRemoved(StageClip &clip) = 0;
    // A timeline tag put a new object at `depth`, which
    // something already holds: nothing was placed.
    virtual void placeRefused(int depth) = 0;
};

// The tree of clips of a playing movie and the playheads of their
// timelines. Frames count from 1.
//
// The main movie is level 0; movies loaded into levels 1 and up play
// above it, each the root of a tree of its own (a clip without a parent,
// whose depth is its level number).
class ClipStage {
public:
    ClipStage(const Movie &movie, StageListener *listener);

    StageClip &root() { return *root_; }
    const StageClip &root() const { return *root_; }
    // The levels above the main movie, by number.
    const std::map<int, std::unique_ptr<StageClip>> &levels() const { return levels_; }
    // The root of level `n` (the main movie's for 0), null when none.
    StageClip *level(int n) const;
    // Plays `movie` (of one frame or more), read from the address `from`,
    // as level `n` (1 or more), which holds nothing yet, from its first frame.
    StageClip *loadLevel(int n, std::shared_ptr<const Movie> movie, const QString &from);
    // Takes level `n` (1 or more) off the stage.
    void unloadLevel(int n);
    const Movie &movie() const { return movie_; }
    void setListener(StageListener *listener) { listener_ = listener; }
    qint64 tick = 0; // ticks run, for the age of placed sprites

    // Empties the stage and shows frame `n` of the main movie as playing
    // from the start would, with no scripts told.
    void reset(int n);
    // The clip with `handle`, null once it left the stage.
    StageClip *find(int handle) const { return handles_.find(handle); }
    // The handles of a clip and all inside it, children before parents.
    std::vector<int> subtree(const StageClip &clip) const;
    // The handles of every clip on the stage, level by level from the
    // lowest, in each the most recently made first.
    std::vector<int> executionOrder() const;

    // One frame on (frame 1 after the last), when the clip has frames.
    void nextFrame(StageClip &clip);
    // Jumps to frame `n` (clamped): the timeline's depths become what
    // playing up to it would give (objects that stay keep their state);
    // what scripts put at their own depths stays. The frame's scripts are
    // announced when `scripts` is set.
    void gotoFrame(StageClip &clip, int n, bool scripts = true);

    // Puts `characterId` (or an empty clip for 0) at `depth` of `parent`
    // for a script, replacing what was there.
    StageClip *place(StageClip &parent, int depth, const Placement &placement);
    void remove(StageClip &clip);
    // Takes off the stage a clip kept for its unload event.
    void finishRemoval(StageClip &clip);
    // Moves a child to another depth, trading places with one there.
    void swapDepths(StageClip &clip, int depth);
    // Plays `movie` (of one frame or more), read from the address `from`,
    // in `clip`, which holds nothing any more, from its first frame.
    void showMovie(StageClip &clip, std::shared_ptr<const Movie> movie, const QString &from);
    // The clips on the stage holding a movie loaded into them, and the
    // levels' roots, in the order their movies came.
    std::vector<const StageClip *> movieHolders() const;
    // Shows a button's parts for `state` (a ButtonState): parts the old
    // state shares stay as they are, the others leave or are made.
    void setButtonState(StageClip &button, int state);

private:
    // Brings the sprites inside `clip` to the frames their ages give.
    void catchUp(StageClip &clip);
    void enterFrame(StageClip &clip, int n, bool scripts);
    void showButtonParts(StageClip &button);
    void applyOp(StageClip &clip, const DisplayOp &op, int frame);
    void announceScripts(StageClip &clip, const Frame &frame, std::size_t &next, int opsDone);
    StageClip *create(StageClip &parent, int depth, const Placement &placement, qint64 placedTick);
    // Tells the listener that a clip taken off the stage has gone, and
    // forgets its tree.
    void forget(std::unique_ptr<StageClip> detached);

    const Movie &movie_;
    StageListener *listener_;
    std::unique_ptr<StageClip> root_;
    std::map<int, std::unique_ptr<StageClip>> levels_;
    mutable std::vector<int> holders_; // clips that were given a movie, some of which have gone
    ClipHandles handles_;
    // Every handle in handles_ and, after a removal, handles gone, in the
    // order they were made (handles only grow).
    mutable std::vector<int> made_;
    mutable bool madeHasGone_ = false;
    int nextHandle_ = 1;
    int nesting_ = 0;
    int unnamed_ = 0; // sprites placed without a name so far
};

} // namespace sky::swf
