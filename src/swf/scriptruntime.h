#pragma once

#include "avm1/vm.h"
#include "clipstage.h"

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>

namespace sky::swf {

class MoviePlayer;

// Runs a movie's ActionScript for a MoviePlayer: the frame scripts of every
// timeline, the events of clips, and what scripts ask of the player
// (trace, fscommand, going to frames, making and moving clips). Clips are
// known to scripts by their stage handles.
//
// A tick runs in the player's order: every playing clip moves on one frame,
// the most recently made first (placing and removing what the frame says;
// clips that leave run their unload events at once); clips made meanwhile
// run their initialize and construct events; every clip that was already
// there gets its enterFrame event; then the frame scripts and load events
// queued by all this run in the order they were queued. Last, what lies
// under a pointer that stayed still is found again, so objects the frame
// moved under it or away roll over or out.
class ScriptRuntime : public avm1::Host, public StageListener {
public:
    ScriptRuntime(MoviePlayer &player, ClipStage &stage);
    // What the movie keeps between runs is written as it ends.
    ~ScriptRuntime() override;
    void writeKeptData();

    // Shows frame 1 and runs what it queues.
    void start();
    // One tick of the whole stage.
    void tick();
    // The player's own controls move the main timeline as a script's goto
    // does; what that sets off runs before this returns.
    void gotoMainFrame(int frame, bool play);

    // Tells the Sound objects whose sounds played to their end.
    void soundsFinished();
    // Hands the files scripts asked for to the objects that asked.
    void filesLoaded();

    // The mouse (positions in stage pixels) and the keyboard: each runs
    // what the event sets off, before it returns. `code` is a key code as
    // Key.getCode() gives it, `character` the character typed (0 for none).
    // A pointer outside the window showing the movie (held there by a
    // pressed button) is over nothing; until it first moves in, or after it
    // left, it is nowhere.
    // A press that is the second or third in quick succession at one place
    // (`clicks` 2 or 3) selects the word or the line under it in a text
    // field.
    void mouseMove(const QPointF &pos, bool inWindow = true);
    void mouseDown(const QPointF &pos, int clicks = 1);
    void mouseUp(const QPointF &pos, bool inWindow = true);
    void mouseLeave();
    // The right or middle button held or let go: it belongs to the player,
    // not to the movie's buttons, and only Key.isDown sees it, as key 2 or
    // 4 (the left button is key 1 there too).
    void otherMouseButton(int key, bool down);
    // The wheel turned by `delta` lines, up for positive ones.
    void mouseWheel(int delta);
    void keyDown(int code, int character);
    void keyUp(int code, int character);
    // Select all, copy, cut or paste (their letter) in the focused field,
    // as the system's own commands do, without any key.
    void fieldCommand(int letter);

    // The keyboard's focus among the movie's input fields, buttons and
    // clips (keyfocus.cpp). Tab (keyDown with code 9) moves it to the next
    // object in the movie's tab order, Shift+Tab to the one before, round
    // from the last to the first; Enter and Space press a focused button or
    // clip. tabKeyDown() is Tab with its direction given, whatever keys are
    // held. A window holding the movie beside other controls asks whether
    // Tab would go round (tabLeavesMovie: the focus is on the last object,
    // or there is none), and, taking the focus back by Tab, focuses the
    // first or the last object with focusTabStop(), which presses no key.
    void tabKeyDown(bool backward);
    bool hasTabStops();
    bool tabLeavesMovie(bool backward);
    void focusTabStop(bool backward);
    // The window lost the keyboard: a focused button or clip loses the
    // focus, a text field keeps it.
    void windowFocusLost();
    // The focused button's or clip's bounds on the stage (twips), when the
    // focus came by the keyboard or a script and _focusrect is on: the
    // window draws a yellow frame there.
    std::optional<QRectF> focusRectangle();
    // Whether the pointer is over a button or clip that wants the hand.
    bool handCursor();

    std::function<void(const QString &)> onTrace;
    bool quitRequested() const { return quit_; }
    int abandonedScripts() const { return vm_.abandoned; }

    // StageListener
    void clipCreated(StageClip &clip) override;
    void clipReady(StageClip &clip) override;
    void frameEntered(StageClip &clip, const Frame &frame, std::size_t first, std::size_t last) override;
    bool clipRemoving(StageClip &clip) override;
    void clipRemoved(StageClip &clip) override;
    void placeRefused(int depth) override;

    // Host
    void trace(const QString &text) override;
    void fsCommand(const QString &command, const QString &args) override;
    avm1::Object *clipObject(int clip) override;
    QString clipTarget(int clip) override;
    int clipRoot() override { return stage_.root().handle; }
    int clipLevel(int n) override;
    int clipParent(int clip) override;
    int clipChild(int clip, const QString &name) override;
    std::vector<QString> clipChildNames(int clip) override;
    bool clipGone(int clip) override { return clip && !this->clip(clip); }
    int clipAtPath(const QString &path) override;
    avm1::Value clipProperty(int clip, int index) override;
    void setClipProperty(int clip, int index, const avm1::Value &value) override;
    void gotoFrame(int clip, int frame, bool play) override;
    bool gotoLabel(int clip, const QString &label, bool play) override;
    void setPlaying(int clip, bool playing) override;
    void stepFrame(int clip, int delta) override;
    qint64 movieBytes(int clip) override;
    int frameOfLabel(int clip, const QString &label) override;
    std::vector<std::shared_ptr<const QByteArray>> frameScripts(int clip, int frame) override;
    int duplicateClip(int clip, const QString &name, int depth, const avm1::Value &init) override;
    int attachClip(int parent, const QString &exportName, const QString &name, int depth,
                   const avm1::Value &init) override;
    int createEmptyClip(int parent, const QString &name, int depth) override;
    void removeClip(int clip) override;
    int clipDepth(int clip) override;
    void swapDepths(int clip, int depth) override;
    int nextHighestDepth(int clip) override;
    int clipAtDepth(int parent, int depth) override;
    QTransform clipToStage(int clip) override;
    QRectF clipBounds(int clip) override;
    ScriptDrawing *clipDrawing(int clip) override;
    StageClip *stageClip(int handle) override { return clip(handle); }
    bool clipHitsPoint(int clip, const QPointF &point, bool shape) override;
    bool isButton(int clip) override;
    bool keyIsDown(int code) override;
    bool keyIsToggled(int code) override { return keysToggled_.contains(code); }
    int lastKey(bool character) override;
    void startDrag(int clip, bool lockCenter, const QRectF *bounds) override;
    void stopDrag() override;
    double time() override;
    double dateNow() override;
    QSizeF stageSize() override;
    QSizeF viewSize() override;
    avm1::ClipColor clipColor(int clip) override;
    void setClipColor(int clip, const avm1::ClipColor &color) override;
    // The window showing the movie changed size.
    void viewResized();
    avm1::SoundHost *sounds() override;
    std::optional<QByteArray> readFile(const QString &url, qint64 maxBytes) override;
    QString moviePath() override;
    void variablesLoaded(int clip) override;
    ObjectStore *objectStore() override;
    TextField *textField(int clip) override;
    void textFieldChanged(int clip, bool textChanged) override;
    FieldMetrics textFieldMetrics(int clip) override;
    int createTextField(int parent, const QString &name, int depth, const QRectF &box) override;
    int focusedObject() override;
    int focusedField() override;
    bool setFocus(int handle) override;
    std::pair<int, int> fieldSelection() override;
    void setFieldSelection(int begin, int end) override;
    // Script bitmaps (scriptbitmaps.cpp).
    QImage libraryBitmap(const QString &exportName) override;
    bool attachBitmap(int clip, const std::shared_ptr<BitmapSurface> &bitmap, int depth, bool snapped,
                      bool smoothed) override;
    void drawClip(int clip, BitmapSurface &into, const QTransform &matrix, const avm1::ClipColor &color,
                  const QRect &area, bool smoothed) override;
    // Files loaded into clips (movieloads.cpp).
    bool showImage(int clip, const QImage &image) override;
    bool showMovie(int clip, const QByteArray &bytes, const QString &url,
                   const std::function<void()> &loaded) override;
    bool showLevel(int level, const QByteArray &bytes, const QString &url) override;
    void unloadLevel(int level) override;

private:
    // Work waiting for the end of the tick's stage changes.
    struct Queued {
        enum Kind { Script, Load, Unload, Pointer } kind = Script;
        int clip = 0;
        std::shared_ptr<const QByteArray> code;
        int pointerEvent = 0; // a PointerEvent
    };

    // Whether scripts see the clip as a MovieClip (sprites and the main movie).
    bool isMovieClip(const StageClip &clip) const;
    // Runs the clip's onClipEvent scripts for `event` and then its handler
    // method `method` when one is set.
    void dispatch(int clip, quint32 event, const QString &method);
    void runHandlers(int clip, quint32 event, const QString &method);
    void runConstructs();
    // The construct event and the constructor of the class registered for
    // the clip's symbol (Object.registerClass).
    void construct(int clip);
    avm1::Value registeredClass(const StageClip &clip);
    void runQueue();
    // Shows the values of the variables text fields are bound to; a field
    // just placed sets its variable when it has none yet.
    void updateFields();
    void updateField(StageClip &clip);
    // Gives a text field just placed its state: the one a script made,
    // or its definition's.
    void fieldPlaced(StageClip &clip);
    // Lays a text field out again after a change.
    void relayoutField(StageClip &clip);
    // The object that holds a bound field's variable, and its name.
    std::pair<avm1::Object *, QString> fieldVariable(const StageClip &field);
    bool hasUnloadHandler(int clip);
    // Takes a movie clip's children and drawing away, and a movie loaded
    // into it; null when it is no movie clip or went meanwhile.
    StageClip *emptyClip(int clip);
    // Plays `movie` in a clip emptied for it: a new movie to scripts.
    void playIn(StageClip &clip, std::shared_ptr<const Movie> movie, const QString &url);
    StageClip *clip(int handle) const { return stage_.find(handle); }
    // The main movie's clip and the roots of the levels above it, lowest
    // first.
    std::vector<StageClip *> levelRoots() const;
    void touchTransform(StageClip &clip);
    // A value set to a numeric property as a number: NaN for undefined and
    // null whatever the version, which leaves the property as it was.
    double propertyNumber(const avm1::Value &value);
    // The mouse in a clip's coordinates.
    QPointF mouseIn(int clip);
    // A new clip from a script at script depth `depth` of `parent`, given
    // to `prepare` (when set), then set up from `init` and constructed.
    StageClip *makeClip(StageClip &parent, const Placement &placement, int depth, const avm1::Value &init,
                        const std::function<void(StageClip &)> &prepare = {});
    // Copies the properties of `init` onto a new clip, then constructs it.
    void initialiseClip(int clip, const avm1::Value &init);

    // An object the pointer is over or pressed: known by its handle, or,
    // once it has gone, by the same character at the same place, which
    // then takes on the state the pointer left the first one in.
    struct PointerTarget {
        int handle = 0;
        int parent = 0;
        int depth = 0;
        quint16 character = 0;
        int state = buttonUp;
    };
    enum class PointerEvent { RollOver, RollOut, Press, Release, ReleaseOutside, DragOver, DragOut, MenuOver, MenuOut };
    // The button or clip with mouse handlers under a stage point (twips), 0
    // for none.
    int pick(const QPointF &point);
    int pickIn(StageClip &clip, const QTransform &world, const QPointF &point);
    bool wantsMouse(int clip);
    // A clip with mouse events or handlers, set to anything, enabled or not.
    bool actsAsButton(int clip);
    // False once a script set the button's or clip's `enabled` to false.
    bool mouseEnabled(int clip);
    // True for a button or clip tracked as a menu item: it goes down as a
    // held pointer moves onto it and takes the release, pressed elsewhere.
    bool tracksAsMenu(int clip);
    int resolve(PointerTarget &target);
    PointerTarget targetOf(int clip);
    // Sends a button or clip one of its mouse events: an enabled one whose
    // state (up, over or down) the event changes.
    void pointerEvent(int clip, PointerEvent event);
    // Finds what the pointer is over now: rolls over and out, drags over
    // and out.
    void trackPointer();
    void pointerMovedTo(const QPointF &pos, bool inWindow);
    // Tells every clip and the listeners of `broadcaster` (Mouse or Key).
    void broadcast(quint32 clipEvent, const QString &method, const QString &broadcaster);
    // Calls `method` of the listeners of `broadcaster` only.
    void tellListeners(const QString &broadcaster, const QString &method, std::span<const avm1::Value> args);
    // The innermost movie clip holding the topmost object at `point`
    // (twips) inside `parent`, whose world is `world`; clips in `leftOut`
    // are passed over.
    const StageClip *clipUnder(const StageClip &parent, const QTransform &world, const QPointF &point,
                               const std::vector<int> &leftOut);
    // The innermost movie clip under the pointer in the topmost level
    // that has one, clips in `leftOut` passed over.
    const StageClip *clipUnderPointer(const std::vector<int> &leftOut);
    void followDrag();
    QString dropTarget(int clip);
    // What an input event set off: constructs and queued scripts.
    void settle();
    void runIntervals();
    double framePeriod() const; // milliseconds
    // The selectable text field at a stage point (twips), 0 for none.
    int fieldAt(const StageClip &parent, const QTransform &world, const QPointF &point);
    // A key typed into the field with the focus: characters go in at the
    // caret, editing keys change the text or move the caret.
    // Runs the key press actions of the first button or clip waiting for
    // the key; false when none is.
    bool runKeyPress(int code, int character);
    // `command`: with Ctrl held, or the system's editing command.
    void typeIntoFocus(int code, int character, bool command);
    // A key pressed; Tab goes backwards when `backward` is set.
    void pressKey(int code, int character, bool backward);
    // Gives the focus to a field, button or clip (0: nobody), telling both
    // and the Selection listeners; `shown` frames a button or clip.
    bool focusOn(int handle, bool shown);
    struct TabStop;
    bool takesTabFocus(int clip);
    // The objects in `parent` that Tab may visit, or the first one only;
    // `indexed` is set when one of the movie's objects has a tabIndex.
    void collectTabStops(int parent, std::vector<TabStop> &stops, bool &indexed, bool firstOnly);
    // The same over the movie and its levels.
    std::vector<TabStop> tabStops(bool firstOnly, bool &indexed);
    // The objects Tab visits, in order.
    std::vector<int> tabOrder();
    void moveTabFocus(bool backward);
    // An arrow key (its code) on a framed button or clip.
    void moveFocusByArrow(int code);
    // Enter or Space on a focused button or clip, while it is framed:
    // pressed and released.
    void pressFocused();
    // The left button pressed at a stage point (twips) that no button or
    // clip took, the `clicks`th time in a row, and the pointer moved there
    // while it is held.
    void fieldPressed(const QPointF &point, int clicks);
    void fieldDragged(const QPointF &point);
    // What a press selects at a stage point (twips) of the focused field:
    // the boundary nearest it, or for `unit` 2 and 3 the word or the line
    // under it; -1 for both when the field shows no line.
    std::pair<qsizetype, qsizetype> selectionUnitAt(const QPointF &point, int unit);
    qsizetype caretOnNextLine(bool below);
    // Scrolls the focused field by lines, and sideways by pixels, until the
    // caret is in view.
    void scrollToCaret();
    // The focused field's selection as the clipboard takes it: lines end
    // in line feeds.
    QString selectedText(const TextField &field) const;

    MoviePlayer &player_;
    ClipStage &stage_;
    avm1::Vm vm_;
    std::unordered_map<int, avm1::Object *> objects_; // by clip handle
    std::deque<Queued> queue_;
    std::vector<int> constructs_;
    std::vector<int> unloaded_; // clips whose unload event ran, to leave at the end of the tick
    std::vector<int> fields_;   // clips that are text fields, some of which may have gone
    bool scriptMaking_ = false; // a script is making a clip, which it constructs itself
    std::unique_ptr<TextField> fieldToPlace_; // a script is making this text field
    // The player's settings scripts reach through any clip.
    struct Settings {
        int quality = 2; // low, medium, high, best
        bool focusRect = true;
        int soundBufferTime = 5;
    } settings_;
    std::unordered_map<int, bool> ownFocusRect_; // by clip handle: a button's or clip's own _focusrect
    // Whether the object is framed as it has the focus: its own
    // _focusrect, else the movie's.
    bool focusRectOn(int handle) const;
    QPointF mouse_; // stage pixels
    bool mouseIsDown_ = false;
    bool inWindow_ = false;
    PointerTarget hovered_, pressed_;
    struct Drag {
        int clip = 0;
        QPointF offset; // from the pointer to the clip's origin, parent's pixels
        bool bounded = false;
        QRectF bounds;
    } drag_;
    std::map<int, QString> dropTargets_; // by clip handle
    std::vector<int> keysDown_;
    std::set<int> keysToggled_; // keys and buttons pressed an odd number of times
    void holdKey(int code, bool down);
    void pointerHidesFocusFrame(bool leftPress);
    int lastKeyCode_ = 0, lastCharacter_ = 0;
    int focus_ = 0; // the field, button or clip with the keyboard's focus
    bool focusShown_ = false; // a focused button or clip is framed
    // The focus was set and the pointer has not taken its frame away
    // since: only then does the focused button or clip hear its keys.
    bool focusActive_ = false;
    qsizetype selectionBegin_ = 0, selectionEnd_ = 0; // the caret at the end
    bool selecting_ = false; // the left button held since it pressed in the focused field
    // What the press that started the selection selects by (1 characters,
    // 2 words, 3 lines), and the first unit, which a drag keeps selected.
    int selectionUnit_ = 1;
    std::pair<qsizetype, qsizetype> firstUnit_;
    bool quit_ = false;
    std::vector<bool> initDone_;
    std::set<std::pair<int, int>> loadedInitsDone_; // clips holding a loaded movie, and their frames
    void forgetLoadedInits(int clip);
};

} // namespace sky::swf
