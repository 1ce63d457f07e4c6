// The settings file: whatever is read, written and read again writes the
// same bytes, and a second write of what was read is the first one.

#include "core/module1.h"
#include "core/settings_file.h"
#include "fuzz_input.h"

void runFuzzInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    sky::Module1 first;
    sky::parseSettings(content, first);
    const QByteArray written = sky::settingsFileContent(first);
    sky::Module1 second;
    requireFuzz(sky::parseSettings(written, second) == sky::SettingsRead::Loaded, "a written file reads whole");
    requireFuzz(sky::settingsFileContent(second) == written, "read, write, read again: the same bytes");
}
