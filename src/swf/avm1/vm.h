#pragma once

#include "../textfield.h"
#include "namecase.h"
#include "object.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sky::swf {
class BitmapSurface;
class ObjectStore;
class ScriptDrawing;
struct StageClip;
}

namespace sky::swf::avm1 {

class SoundHost;

// A script `throw` on its way to a catch block.
struct ScriptThrow {
    Value value;
};

// The script of this frame is abandoned: budget spent, recursion too deep,
// or growth beyond the limits. Script cannot catch it.
struct ScriptAbort {
    QString reason;
    bool budget = false; // the frame's actions or time ran out
};

// CloneSprite takes the display list's depth, the script's depth plus this.
inline constexpr int cloneDepthBias = 16384;

// A clip's colour transform: for red, green, blue and alpha a multiplier
// (1 keeps the channel) and an offset in 0..255 units.
struct ClipColor {
    std::array<double, 4> mul{1, 1, 1, 1};
    std::array<double, 4> add{0, 0, 0, 0};
};

// What scripts reach outside the interpreter: the trace log, the player and
// the clips of the display list. Clips are known by handles; 0 is none. A
// host without a stage keeps the defaults: there are no clips.
class Host {
public:
    virtual ~Host() = default;
    virtual void trace(const QString &text) = 0;
    virtual void fsCommand(const QString &command, const QString &args) = 0;
    // Milliseconds since the movie started, on the player's clock.
    virtual double time() = 0;
    // The date and time now, in milliseconds since 1970 UTC, on the same
    // clock; a host that knows no date starts the movie at 1970.
    virtual double dateNow() { return time(); }
    // The movie's stage and the area of the window showing it, in pixels;
    // empty without a stage.
    virtual QSizeF stageSize() { return {}; }
    virtual QSizeF viewSize() { return stageSize(); }
    virtual ClipColor clipColor(int) { return {}; }
    virtual void setClipColor(int, const ClipColor &) { }

    // The clip's script object (made on first use), null for none.
    virtual Object *clipObject(int) { return nullptr; }
    virtual QString clipTarget(int) { return {}; } // "_level0.a.b"
    virtual int clipRoot() { return 0; }
    // The root clip of level `n` (the main movie's for 0), 0 when no
    // movie plays there.
    virtual int clipLevel(int n) { return n == 0 ? clipRoot() : 0; }
    virtual int clipParent(int) { return 0; }
    // The child of a clip by its instance name; the clip itself when that
    // child is a shape, text or bitmap, which has no object of its own.
    virtual int clipChild(int, const QString &) { return 0; }
    // The names of the named objects in a clip, from the lowest depth up.
    virtual std::vector<QString> clipChildNames(int) { return {}; }
    // Whether a clip has left the stage.
    virtual bool clipGone(int) { return false; }
    // The clip at a target path ("_level0.a.b"), 0 for none.
    virtual int clipAtPath(const QString &) { return 0; }
    // Properties by their GetProperty index (0 _x ... 21 _ymouse).
    virtual Value clipProperty(int, int) { return {}; }
    virtual void setClipProperty(int, int, const Value &) { }
    // Timeline control; frames count from 1.
    virtual void gotoFrame(int, int, bool) { }
    virtual bool gotoLabel(int, const QString &, bool) { return false; }
    virtual void setPlaying(int, bool) { }
    virtual void stepFrame(int, int) { }
    // The bytes of the movie a clip belongs to, which is loaded whole;
    // 0 for no clip.
    virtual qint64 movieBytes(int) { return 0; }
    // The frame a label names, 0 when none.
    virtual int frameOfLabel(int, const QString &) { return 0; }
    // The scripts of a frame, for the Call action.
    virtual std::vector<std::shared_ptr<const QByteArray>> frameScripts(int, int) { return {}; }
    // Clips made by scripts (duplicate, attach by export name, empty), at
    // depths as scripts give them, with the properties of an init object
    // set before their constructor runs. Each returns the new clip or 0.
    virtual int duplicateClip(int, const QString &, int, const Value &) { return 0; }
    virtual int attachClip(int, const QString &, const QString &, int, const Value &) { return 0; }
    virtual int createEmptyClip(int, const QString &, int) { return 0; }
    virtual void removeClip(int) { }
    virtual int clipDepth(int) { return 0; }
    virtual void swapDepths(int, int) { }
    virtual int nextHighestDepth(int) { return 0; }
    virtual int clipAtDepth(int, int) { return 0; }
    // A clip's coordinates (pixels) to the stage's, and its drawn area in
    // its own coordinates; a null rectangle when it draws nothing.
    virtual QTransform clipToStage(int) { return {}; }
    virtual QRectF clipBounds(int) { return {}; }
    // Whether the clip draws at a stage point (pixels): anywhere in its
    // bounds, or on its shapes when `shape` is set.
    virtual bool clipHitsPoint(int, const QPointF &, bool) { return false; }
    // Whether a clip handle is a button's (scripts see it as a Button).
    virtual bool isButton(int) { return false; }
    // The keyboard: whether a key (Key.getCode() codes) is down, whether it
    // has been pressed an odd number of times, and the code or the
    // character of the last key pressed.
    virtual bool keyIsDown(int) { return false; }
    virtual bool keyIsToggled(int) { return false; }
    virtual int lastKey(bool) { return 0; }
    virtual void startDrag(int, bool, const QRectF *) { }
    virtual void stopDrag() { }
    // What the clip's drawing methods draw into; null without a stage.
    virtual ScriptDrawing *clipDrawing(int) { return nullptr; }
    // The clip on the stage, for what scripts set of its display (masks,
    // caching, backgrounds, scroll rects); null without a stage.
    virtual StageClip *stageClip(int) { return nullptr; }
    // The movie's sounds; none when the host plays no sound.
    virtual SoundHost *sounds() { return nullptr; }
    // A file the scripts read, by the address they give it (relative to
    // the movie), at most `maxBytes` of it; none when it is refused or
    // cannot be read.
    virtual std::optional<QByteArray> readFile(const QString &, qint64) { return std::nullopt; }
    // The movie's own file, by which the data it keeps is known; empty
    // when it was not read from a file. Where that data is kept (null:
    // nowhere).
    virtual QString moviePath() { return {}; }
    // Variables loaded into a clip were set: its data event and onData.
    virtual void variablesLoaded(int) { }
    // Shows a picture in a clip in place of what it showed (its children,
    // its drawing and its timeline, which stops); a null picture leaves
    // it empty. False when the clip cannot show it.
    virtual bool showImage(int, const QImage &) { return false; }
    // Plays the SWF movie in `bytes`, read from `url`, in a clip in place of
    // what it showed, from its first frame, whose actions have run when
    // this returns; `loaded` is called once the movie is known to be
    // sound, before it is shown. False when the clip cannot play it.
    virtual bool showMovie(int, const QByteArray &, const QString &, const std::function<void()> &) { return false; }
    // Plays the SWF movie in `bytes`, read from `url`, as level `n` in
    // place of the one there; a movie loaded as level 0 replaces the main
    // movie and every level. False when it is no movie.
    virtual bool showLevel(int, const QByteArray &, const QString &) { return false; }
    // Takes the movie of level `n` off the stage; for level 0 every level's.
    virtual void unloadLevel(int) { }
    virtual ObjectStore *objectStore() { return nullptr; }
    // Text fields, known by their handles like clips: the field's state
    // (null when the handle is no field), which a script changes and then
    // tells the host about, saying whether the text changed; the size of
    // its text; and a new field at a script depth of a clip, its box in
    // pixels.
    virtual TextField *textField(int) { return nullptr; }
    virtual void textFieldChanged(int, bool) { }
    virtual FieldMetrics textFieldMetrics(int) { return {}; }
    virtual int createTextField(int, const QString &, int, const QRectF &) { return 0; }
    // The keyboard's focus: the text field, button or clip that has it (0:
    // none), the text field among them, the object a new focus goes to (0
    // takes it away; false when it cannot take it), and the selection in
    // the focused field, from its first character to the caret's side.
    virtual int focusedObject() { return 0; }
    virtual int focusedField() { return 0; }
    virtual bool setFocus(int) { return false; }
    virtual std::pair<int, int> fieldSelection() { return {-1, -1}; }
    virtual void setFieldSelection(int, int) { }
    // Script bitmaps: a library bitmap by its export name (null for none);
    // a bitmap shown by a clip at a script depth, whether its pixels snap
    // and whether it is smoothed; a clip drawn into a bitmap through a
    // matrix (pixels) and colour transform, inside an area of the bitmap.
    virtual QImage libraryBitmap(const QString &) { return {}; }
    virtual bool attachBitmap(int, const std::shared_ptr<BitmapSurface> &, int, bool, bool) { return false; }
    virtual void drawClip(int, BitmapSurface &, const QTransform &, const ClipColor &, const QRect &, bool) { }
};

// Limits that keep a hostile movie from taking the player down.
struct Limits {
    qint64 actionsPerFrame = 2'000'000;
    qint64 millisecondsPerFrame = 4000;
    int callDepth = 256;
    qint64 objects = 2'000'000;
    qsizetype stringLength = 1 << 24;
};

struct Activation;
class DecodedCode;
class Vm;

// A file a script asked for (XML, LoadVars, loadVariables), handed over at
// the player's next turn: the object that asked, the bytes read (none when
// the file could not be read) and what hands them over.
struct DataLoad {
    Object *target = nullptr;
    QString url;
    std::optional<QByteArray> bytes;
    void (*deliver)(Vm &, DataLoad &) = nullptr;
    int level = 0; // a movie loaded into a level, which has no object yet
};

// The interpreter: values, objects, the built-in classes and the code that
// runs them, for one movie.
class Vm {
public:
    Vm(int swfVersion, Host *host, Limits limits = {});
    ~Vm();
    Vm(const Vm &) = delete;
    Vm &operator=(const Vm &) = delete;

    // The rules in force: the movie's version, but at least 5 inside
    // functions (which SWF 4 has none of).
    int version() const { return version_; }
    int movieVersion() const { return movieVersion_; }
    int mainMovieVersion() const { return mainMovieVersion_; }
    void setVersion(int version) { version_ = version; }
    // A movie loaded into a clip runs its scripts by its own version's rules.
    void setMovieVersion(int version) { movieVersion_ = version_ = version; }
    Host *host() const { return host_; }
    const Limits &limits() const { return limits_; }

    // The key a name is stored under: folded to lower case up to SWF 6.
    QString key(const QString &name) const { return version_ <= 6 ? foldNameCase(name) : name; }
    // The same without a copy: `name` itself from SWF 7 on, else `folded`,
    // made from it.
    const QString &key(const QString &name, QString &folded) const
    {
        if (version_ > 6)
            return name;
        folded = foldNameCase(name);
        return folded;
    }

    // Objects.
    Object *newObject(Object *proto, ObjectKind kind = ObjectKind::Plain);
    Object *newPlain() { return newObject(objectProto); }
    Object *newArray(const std::vector<Value> &elements = {});
    Object *newNative(Native fn, Native constructor = nullptr);
    Object *newFunction(std::shared_ptr<ScriptFunction> fn);
    Object *newError(const QString &message);
    // A function call's own variables. The object of a call that ended
    // with no function closing over it is emptied and serves a later call.
    Object *newActivation();
    void reuseActivation(Object *locals);
    // The scope chain and registers of a call: vectors a call that ended
    // gave back, emptied, so that calls need not allocate them.
    struct CallVectors {
        std::vector<Scope> scope;
        std::vector<Value> registers;
    };
    CallVectors takeCallVectors();
    void giveBack(CallVectors vectors);
    // A native method on `target`, not enumerable.
    Object *method(Object *target, const QString &name, Native fn);
    void defineHidden(Object *target, const QString &name, const Value &value);

    // Properties, through prototypes, getters, setters and watchers.
    Property *lookup(Object *object, const QString &name, Object **holder = nullptr);
    // A `super` object reads and writes through the object its methods
    // run on, from the prototype above the method's own.
    Value get(Object *object, const QString &name);
    Value getMember(const Value &target, const QString &name);
    // What a script reads or calls as a member: `getMember`, and for an
    // object where nothing has the name, what the nearest `__resolve` up
    // its prototypes that holds an object gives for it.
    Value getMemberResolving(const Value &target, const QString &name);
    // The function an event calls: `name` (no clip property, path name or
    // `__proto__`) as `get` reads it when it holds a function, else
    // undefined. Clips inside a clip, which are never functions, are not
    // looked through.
    Value handler(Object *object, const QString &name);
    // A reference to a clip that has left the stage names the clip now at
    // its path, when there is one.
    Object *liveClip(Object *object);
    // The `_root` of a clip: the nearest clip, itself or one it lies in,
    // whose `_lockroot` is set, else the root of its level.
    Object *rootOf(Object *clip);
    // The number a level's name "_levelN" gives, -1 for any other name.
    int levelNumber(QStringView name) const;
    // `_parent`, `_root`, `_levelN` and `_global` read on a clip; nothing
    // for other names.
    std::optional<Value> clipPathName(Object *clip, const QString &name);
    void set(Object *object, const QString &name, const Value &value);
    void setMember(const Value &target, const QString &name, const Value &value);
    // Sets an own property, ignoring setters and read-only flags.
    void put(Object *object, const QString &name, const Value &value, int flags = 0);
    bool has(Object *object, const QString &name);
    bool remove(Object *object, const QString &name);
    // Enumerable names, own first then inherited, each once.
    std::vector<QString> enumerate(Object *object);
    // An array's length as scripts set it: any 32-bit value, negative ones
    // too; elements from the new length (at least 0) up to the old one go.
    void setArrayLength(Object *array, int length);
    // After an own property `name` of an array was set: an index at or past
    // the length makes the length one more than it.
    void noteArrayIndex(Object *array, const QString &name);
    Value arrayElement(Object *array, int i) { return get(array, QString::number(i)); }
    std::vector<Value> arrayElements(Object *array);
    void arrayPush(Object *array, const Value &value);

    // Conversions under the movie's version rules.
    double toNumber(const Value &v);
    QString toString(const Value &v);
    bool toBoolean(const Value &v);
    Value toPrimitive(const Value &v, bool numberHint);
    Object *toObject(const Value &v);
    qint32 toInt32(const Value &v);
    QString typeOf(const Value &v);
    QString checkedString(QString s);

    // Calls.
    Value call(const Value &fn, const Value &self, std::span<const Value> args, Object *home = nullptr);
    // Calls a getter, setter or watcher of the property `id` (0 for a
    // watcher of no property) of `holder`. Those of one property run 65
    // calls deep at most, however the calls nest: one past that is not
    // made, and gives `refused`.
    Value callAccessor(Object *holder, quint64 id, Object *fn, const Value &self, std::span<const Value> args = {},
                       Value refused = {});
    Value construct(const Value &ctor, std::span<const Value> args);
    // super(): runs a class's constructor on the object being made, which
    // a built-in class turns into one of its own kind (a boxed number, an
    // array, a date...).
    Value callConstructor(const Value &ctor, const Value &self, std::span<const Value> args, Object *home);
    // Runs a constructor, from outside any script, on an object made
    // beforehand (a clip of a registered class); false when abandoned.
    bool constructExisting(const Value &ctor, Object *object);
    // A constructor's own `prototype` as stored: no getter is called and
    // none is inherited, as instanceof and ImplementsOp read it.
    Value storedPrototype(Object *ctor);
    // A value as an object: a primitive boxed, a clip that has gone none.
    Object *objectOf(const Value &v);
    bool instanceOf(const Value &v, const Value &ctor);
    // ImplementsOp. Nothing is boxed: a class or an interface that is a
    // primitive is passed over. The prototypes the interfaces hold as
    // their own, when objects other than clips, are what the class's
    // prototype implements from then on; once set, that list stays.
    void implement(const Value &ctor, const std::vector<Value> &interfaces);

    // A block of actions decoded for the version in force, kept for as
    // long as the Vm.
    DecodedCode &decoded(const std::shared_ptr<const QByteArray> &code);

    // Runs a DoAction / DoInitAction / event body on a timeline. Returns
    // false when the script was abandoned (the reason went to stderr).
    bool runScript(std::shared_ptr<const QByteArray> code, Object *target);
    // Calls a function from outside any script (events); false when abandoned.
    bool callEvent(const Value &fn, const Value &self, std::span<const Value> args = {});
    // Runs `work`, reporting an uncaught throw to the trace log and an
    // abandoned script on stderr; false when abandoned.
    template <typename Work>
    bool guarded(Work &&work)
    {
        try {
            work();
            return true;
        } catch (const ScriptThrow &t) {
            uncaught(t);
            return true;
        } catch (const ScriptAbort &a) {
            abandon(a);
            return false;
        }
    }
    int abandoned = 0; // scripts abandoned on their budget so far
    // Starts a new frame: its budget, and an empty operand stack.
    void beginFrame();
    // Counts one action against the budget; throws ScriptAbort when spent.
    void charge();
    // RandomNumber and Math.random: a fixed sequence, so runs repeat.
    quint32 random();
    // Frees what no root reaches; only between scripts, and only once the
    // heap has grown well past what lived after the last time.
    void collect(const std::vector<Object *> &roots);
    bool collectionDue() const { return !current && heap_.size() >= collectAt_; }

    Object *global = nullptr;
    Object *objectProto = nullptr;
    Object *functionProto = nullptr;
    Object *arrayProto = nullptr;
    Object *stringProto = nullptr;
    Object *numberProto = nullptr;
    Object *booleanProto = nullptr;
    Object *errorProto = nullptr;
    Object *clipProto = nullptr;
    Object *buttonProto = nullptr;
    Object *textFieldProto = nullptr;
    Object *broadcaster = nullptr;

    int depth = 0;                            // nested calls
    Activation *current = nullptr;            // innermost running code
    std::vector<Value> stack;                 // operand stack shared by all activations
    // The pool the last ConstantPool action defined: each script starts
    // with it, a function with the one at its definition.
    std::shared_ptr<const std::vector<QString>> constants;
    std::vector<Object *> timers;             // running intervals (setInterval), kept alive
    int lastTimerId = 0;                      // the id the last setInterval returned
    std::vector<Object *> playingSounds;      // Sound objects kept alive while their sounds play
    std::vector<DataLoad> dataLoads;          // files read for scripts, not handed over yet
    std::vector<Object *> keptObjects;        // SharedObjects of this run, written as the movie ends
    bool sinceBoundsUnderSwf8 = false;        // a getBounds has run by SWF 8's rules

    // Whether `name` is `__proto__` under the version's case rule.
    bool isProtoName(const QString &name) const { return name.size() == 9 && key(name) == u"__proto__"; }

private:
    friend Value callScript(Vm &, Object *, const Value &, std::span<const Value>, Object *);
    void mark(Object *object);
    void markConstructed(Object *object, Object *ctor);
    void uncaught(const ScriptThrow &thrown);
    void abandon(const ScriptAbort &abort);
    // get and set of `name` starting at `object`, with `self` as the this
    // of getters, setters and watchers.
    // `found`, when given, tells whether anything had the name.
    Value getFrom(Object *object, const QString &name, const Value &self, bool *found = nullptr);
    void setOn(Object *object, const QString &name, const Value &value, Object *self);
    // Stores what setOn let through: setter, own property or new one.
    void assign(Object *object, const QString &name, const QString &key, const Value &value, Object *self);
    // The value a watcher of `name` on `object` lets through.
    Value watched(Object *object, const QString &key, const QString &name, const Value &value);

    int version_;
    int movieVersion_;
    int mainMovieVersion_;
    Host *host_;
    Limits limits_;
    qint64 spent_ = 0;
    quint32 seed_ = 0x2545f491;
    QElapsedTimer clock_;
    std::vector<std::unique_ptr<Object>> heap_;
    std::vector<Object *> spareActivations_;
    std::vector<CallVectors> spareVectors_;
    // By the code's address, Latin-1 and UTF-8 apart.
    std::array<std::unordered_map<const QByteArray *, std::unique_ptr<DecodedCode>>, 2> decoded_;
    size_t collectAt_ = 0; // the heap size that calls for the next collection
    // Calls of each property's accessors now running, by property.
    std::map<quint64, int> accessorCalls_;
};

} // namespace sky::swf::avm1
