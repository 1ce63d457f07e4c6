#pragma once

// Runs scripts in an interpreter of no clips and keeps what they trace.

#include "swf/avm1/vm.h"
#include "swfwriter.h"

#include <QStringList>

#include <memory>

namespace swftest {

// A host without clips that keeps what the script traces.
class TraceHost : public sky::swf::avm1::Host {
public:
    QStringList lines;
    void trace(const QString &text) override { lines << text; }
    void fsCommand(const QString &, const QString &) override { }
    double time() override { return 0; }
};

// What `code` traces as the one script of a movie of `version`; whether it
// ran to its end goes to `finished`.
inline QStringList run(int version, const Actions &code, sky::swf::avm1::Limits limits = {}, bool *finished = nullptr)
{
    TraceHost host;
    sky::swf::avm1::Vm vm(version, &host, limits);
    sky::swf::avm1::Object *timeline = vm.newPlain();
    vm.beginFrame();
    const bool ok = vm.runScript(std::make_shared<const QByteArray>(code.code()), timeline);
    if (finished)
        *finished = ok;
    return host.lines;
}

} // namespace swftest
