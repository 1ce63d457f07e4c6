// The settings file: whatever is read, written and read again writes the
// same bytes, and a second write of what was read is the first one. The
// file is read as the player reads it, only its leading lines, and those
// give what the whole content gives.

#include "core/module1.h"
#include "core/settings_file.h"
#include "fuzz_input.h"

#include <QBuffer>

void runFuzzInput(const uint8_t *data, size_t size)
{
    QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer device(&content);
    device.open(QIODevice::ReadOnly);
    const QByteArray head = sky::readLeadingLines(device, sky::kSettingsLineCount, sky::kMaxTextFileBytes);
    sky::Module1 first;
    sky::Module1 whole;
    requireFuzz(sky::parseSettings(head, first) == sky::parseSettings(content, whole), "the leading lines read alike");
    const QByteArray written = sky::settingsFileContent(first);
    requireFuzz(sky::settingsFileContent(whole) == written, "the leading lines hold all that is read");
    sky::Module1 second;
    requireFuzz(sky::parseSettings(written, second) == sky::SettingsRead::Loaded, "a written file reads whole");
    requireFuzz(sky::settingsFileContent(second) == written, "read, write, read again: the same bytes");
}
