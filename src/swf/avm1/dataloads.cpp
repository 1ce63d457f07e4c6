#include "dataloads.h"

#include <QStringDecoder>

namespace sky::swf::avm1 {
namespace {

// No data file larger than this is read.
constexpr qint64 maxDataFileBytes = 16 * 1024 * 1024;

LoadingState *loadingOf(const Value &v)
{
    return v.isObject() && v.object->state ? dynamic_cast<LoadingState *>(v.object->state.get()) : nullptr;
}

} // namespace

void startDataLoad(Vm &vm, Object *target, const QString &url, void (*deliver)(Vm &, DataLoad &))
{
    std::optional<QByteArray> bytes = vm.host()->readFile(url, maxDataFileBytes + 1);
    if (bytes && bytes->size() > maxDataFileBytes)
        bytes.reset();
    vm.dataLoads.push_back({target, url, std::move(bytes), deliver});
}

Value loadData(Vm &vm, const Value &target, const Value &url)
{
    if (!target.isObject() || url.isUndefined())
        return false;
    vm.set(target.object, QStringLiteral("loaded"), false);
    startDataLoad(vm, target.object, vm.toString(url), deliverToOnData);
    return true;
}

Value loadMethod(Vm &vm, CallInfo &c) { return loadData(vm, c.self, c.arg(0)); }
Value sendAndLoadMethod(Vm &vm, CallInfo &c) { return loadData(vm, c.arg(1), c.arg(0)); }
Value sendMethod(Vm &, CallInfo &) { return false; }

void finishDataLoads(Vm &vm)
{
    // What the handlers load in turn comes at the next turn.
    std::vector<DataLoad> loads = std::exchange(vm.dataLoads, {});
    for (DataLoad &load : loads)
        vm.guarded([&] { load.deliver(vm, load); });
}

QString fileText(Vm &vm, const QByteArray &bytes)
{
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return QStringDecoder(QStringDecoder::Utf16).decode(bytes);
    if (bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes.sliced(3));
    return vm.movieVersion() < 6 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

void deliverToOnData(Vm &vm, DataLoad &load)
{
    if (LoadingState *state = loadingOf(load.target); state && load.bytes)
        state->bytesLoaded = state->bytesTotal = load.bytes->size();
    const Value text = load.bytes ? Value(vm.checkedString(fileText(vm, *load.bytes))) : Value();
    const Value args[] = {text};
    vm.call(vm.get(load.target, QStringLiteral("onData")), load.target, args);
}

Value defaultOnData(Vm &vm, CallInfo &c, void (*read)(Vm &, Object *, const QString &))
{
    if (!c.self.isObject())
        return {};
    const bool loaded = !c.arg(0).isUndefined();
    if (loaded) {
        read(vm, c.self.object, vm.toString(c.arg(0)));
        vm.set(c.self.object, QStringLiteral("loaded"), true);
    }
    const Value args[] = {Value(loaded)};
    vm.call(vm.get(c.self.object, QStringLiteral("onLoad")), c.self, args);
    return {};
}

Value getBytesLoaded(Vm &, CallInfo &c)
{
    const LoadingState *state = loadingOf(c.self);
    return state && state->bytesLoaded >= 0 ? Value(double(state->bytesLoaded)) : Value();
}

Value getBytesTotal(Vm &, CallInfo &c)
{
    const LoadingState *state = loadingOf(c.self);
    return state && state->bytesTotal >= 0 ? Value(double(state->bytesTotal)) : Value();
}

} // namespace sky::swf::avm1
