#pragma once

#include "../fieldtext.h"

#include "vm.h"

#include <functional>
#include <initializer_list>

namespace sky::swf::avm1 {

// Makes the global object and every built-in class of a new Vm.
void installBuiltins(Vm &vm);

void installObject(Vm &vm);
void installFunction(Vm &vm);
void installArray(Vm &vm);
void installString(Vm &vm);
void installNumberAndBoolean(Vm &vm);
void installMath(Vm &vm);
void installError(Vm &vm);
void installBroadcaster(Vm &vm);
void installGlobalFunctions(Vm &vm);
// What escape() and unescape() make of text.
QString escapeText(Vm &vm, const QString &text);
QString unescapeText(Vm &vm, const QString &text);
void installMovieClip(Vm &vm);
void installDrawing(Vm &vm); // the clips' drawing methods
void installSound(Vm &vm);
void installIntervals(Vm &vm);
void installDate(Vm &vm);
// The time of a Date object; none for any other value.
std::optional<double> dateTimeOf(const Value &v);
void installStage(Vm &vm);
void installColor(Vm &vm);
void installTextField(Vm &vm);
void installTextFormat(Vm &vm);
void installSelection(Vm &vm); // after TextField
void installStyleSheet(Vm &vm); // after TextField
// What the style sheet of a text field object makes of its HTML; none
// without a sheet.
StyleRule fieldStyles(Vm &vm, const Value &field);

// A TextFormat object for `formats`: each property the value they share,
// null where they differ (or when there are none).
Object *newTextFormat(Vm &vm, const std::vector<const TextFormat *> &formats);
// Changes `to` by the properties of a TextFormat object that are not null.
void applyTextFormat(Vm &vm, Object *format, TextFormat &to);
void installGeometry(Vm &vm); // flash.geom's Point, Rectangle and Matrix
void installClipDisplay(Vm &vm); // the clips' caching, backgrounds and scroll rects
void installTransform(Vm &vm); // flash.geom.Transform and the clips' `transform`
// A new flash.geom object of `className` made from `fields` in order, or a
// plain object with those fields when scripts replaced the class.
Value newGeometry(Vm &vm, const QString &className, std::initializer_list<std::pair<const char16_t *, double>> fields);
void installBitmapData(Vm &vm); // flash.display.BitmapData and the clips' attachBitmap

// Calls the intervals (setInterval) that are due before `now`, earliest
// first, and `afterCall` after each, for the actions that call queued.
void runIntervals(Vm &vm, double now, const std::function<void()> &afterCall);

// Tells the Stage's listeners (onResize) that the window showing the movie
// changed size, when the stage follows the window.
void stageResized(Vm &vm);
void installInput(Vm &vm);
void installXml(Vm &vm); // XMLNode and XML
void installLoadVars(Vm &vm);
// Reads the variables of a file into a clip (loadVariables), which is
// told by its data event and onData once they are set.
void loadVariables(Vm &vm, Object *clip, const QString &url);
// MovieClip.loadVariables(url).
Value loadClipVariables(Vm &vm, CallInfo &c);
void installMovieClipLoader(Vm &vm);
// Reads a picture or movie file into a clip (loadMovie), which then shows
// it; without an address the clip is emptied (unloadMovie).
void loadMovie(Vm &vm, Object *clip, const QString &url);
// Reads a movie file into level `level` (loadMovieNum), in place of the
// movie there; without an address the level's movie goes (unloadMovieNum).
void loadLevel(Vm &vm, int level, const QString &url);
// MovieClip.loadMovie(url) and unloadMovie().
Value loadClipMovie(Vm &vm, CallInfo &c);
Value unloadClipMovie(Vm &vm, CallInfo &c);
void installSharedObject(Vm &vm);
// Writes the SharedObjects of the run, as the movie ends.
void flushSharedObjects(Vm &vm);

// Calls onSoundComplete of the Sound objects whose sounds have ended.
void completeSounds(Vm &vm);
// stopAllSounds(): every sound of the movie falls silent, and the Sound
// objects that played them stand where they stopped.
void stopAllSounds(Vm &vm);

struct MethodEntry {
    const char16_t *name;
    Native fn;
};
// Native methods on `target`, not enumerable.
void defineMethods(Vm &vm, Object *target, std::initializer_list<MethodEntry> methods);

// A function that does nothing and gives undefined: a class that makes
// plain objects, a method with no effect.
Value nothing(Vm &, CallInfo &);

// A constructor `name` with `prototype`, on `holder` (the global object
// when null).
Object *defineClass(Vm &vm, const QString &name, Object *prototype, Native call, Native construct = nullptr,
                    Object *holder = nullptr);

// A new object `name` on `holder` (the global object when null), made a
// broadcaster as AsBroadcaster.initialize makes one.
Object *newBroadcaster(Vm &vm, const QString &name, Object *holder = nullptr);

// A property read and written through native functions on `target`.
void defineAccessor(Vm &vm, Object *target, const QString &name, Native get, Native set,
                    int flags = dontEnum | dontDelete);

} // namespace sky::swf::avm1
