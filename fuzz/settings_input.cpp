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
    qsizetype longest = 0;
    for (const QByteArray &line : sky::splitLines(head))
        longest = qMax(longest, line.size());
    requireFuzz(longest <= sky::kMaxTextLineBytes, "no line is kept longer than the longest");
    sky::Module1 first;
    const sky::SettingsRead read = sky::parseSettings(head, first);
    const QByteArray written = sky::settingsFileContent(first);
    bool shortLines = true;
    for (const QByteArray &line : sky::splitLines(content))
        shortLines = shortLines && line.size() <= sky::kMaxTextLineBytes;
    if (shortLines) {
        sky::Module1 whole;
        requireFuzz(read == sky::parseSettings(content, whole), "the leading lines read alike");
        requireFuzz(sky::settingsFileContent(whole) == written, "the leading lines hold all that is read");
    }
    sky::Module1 second;
    requireFuzz(sky::parseSettings(written, second) == sky::SettingsRead::Loaded, "a written file reads whole");
    requireFuzz(sky::settingsFileContent(second) == written, "read, write, read again: the same bytes");
}
