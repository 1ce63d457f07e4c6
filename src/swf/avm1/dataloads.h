#pragma once

#include "vm.h"

namespace sky::swf::avm1 {

// What an object that loads data (XML, LoadVars) keeps of its load: the
// bytes loaded and in all, -1 until it has loaded.
struct LoadingState : NativeState {
    qint64 bytesLoaded = -1;
    qint64 bytesTotal = -1;
};

// Reads the file `url` names for `target` and hands it over at the
// player's next turn through `deliver`.
void startDataLoad(Vm &vm, Object *target, const QString &url, void (*deliver)(Vm &, DataLoad &));
// XML's and LoadVars' load: sets `target`'s `loaded` false and reads
// `url` for its onData; false without an address.
Value loadData(Vm &vm, const Value &target, const Value &url);
// load(url), sendAndLoad(url, target) and send() of XML and LoadVars.
// Nothing goes over the network: what is sent stays here, and a file
// beside the movie is read in answer.
Value loadMethod(Vm &vm, CallInfo &c);
Value sendAndLoadMethod(Vm &vm, CallInfo &c);
Value sendMethod(Vm &vm, CallInfo &c);
// Hands over the files read since the last call.
void finishDataLoads(Vm &vm);
// A file's text: UTF-8, or UTF-16 after its byte-order mark; from movies
// before SWF 6, 8-bit text.
QString fileText(Vm &vm, const QByteArray &bytes);
// The XML and LoadVars way: the object's onData gets the file's text, or
// undefined when it could not be read.
void deliverToOnData(Vm &vm, DataLoad &load);
// Their default onData: `read` takes in the text loaded (XML parses it,
// LoadVars decodes its variables), then onLoad is told whether it loaded.
Value defaultOnData(Vm &vm, CallInfo &c, void (*read)(Vm &, Object *, const QString &));
// getBytesLoaded and getBytesTotal of such objects.
Value getBytesLoaded(Vm &vm, CallInfo &c);
Value getBytesTotal(Vm &vm, CallInfo &c);

} // namespace sky::swf::avm1
