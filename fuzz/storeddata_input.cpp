// The data a movie keeps between runs, as its record is read back: any
// bytes read within the limits or not at all, and what was read, written
// and read again writes the same bytes.

#include "fuzz_input.h"

#include "swf/avm1/storeddata.h"

using namespace sky::swf::avm1;

namespace {

class NoPlayer : public Host {
public:
    void trace(const QString &) override { }
    void fsCommand(const QString &, const QString &) override { }
    double time() override { return 0; }
};

} // namespace

void runFuzzInput(const uint8_t *data, size_t size)
{
    NoPlayer host;
    Vm vm(8, &host);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Object *first = vm.newPlain();
    if (!readStoredData(vm, bytes, first))
        return;
    const std::optional<QByteArray> written = writeStoredData(vm, QStringLiteral("fuzz"), first);
    if (!written)
        return;
    Object *second = vm.newPlain();
    requireFuzz(readStoredData(vm, *written, second), "what was written reads");
    requireFuzz(writeStoredData(vm, QStringLiteral("fuzz"), second) == written, "read, write, read again: the same bytes");
}
