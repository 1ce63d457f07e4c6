// Windows Media metafiles: any content gives a reference or nothing, and
// the reference is made of what the file holds and the metafile's folder.

#include "fuzz_input.h"
#include "media/metafile.h"

void runFuzzInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString folder = QStringLiteral("/music/lists");
    const QString entry = sky::firstMetafileEntry(content, folder);
    requireFuzz(entry.size() <= folder.size() + 1 + content.size(), "a reference comes from the file");
}
