// Playlist files by both reading rules: the entries read, written and read
// again by the same rules are the same entries with the same names.

#include "fuzz_input.h"
#include "playlist/playlist_format.h"

namespace {

QStringList addressesOf(const sky::ParsedPlaylist &playlist)
{
    QStringList addresses;
    for (const sky::PlaylistEntry &entry : playlist.entries)
        addresses.append(entry.address);
    return addresses;
}

QStringList namesOf(const sky::ParsedPlaylist &playlist)
{
    QStringList names;
    for (const sky::PlaylistEntry &entry : playlist.entries)
        names.append(entry.name);
    return names;
}

} // namespace

void runFuzzInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const sky::PlaylistRules rules : { sky::PlaylistRules::Pla, sky::PlaylistRules::M3u }) {
        for (const sky::PathRules *paths : { &sky::PathRules::native(), &sky::PathRules::windows() }) {
            const bool native = paths == &sky::PathRules::native();
            const QString drive
                = paths->drivePrefix(native ? QStringLiteral("/m/a.pla") : QStringLiteral("D:\\m\\a.pla"));
            const sky::ParsedPlaylist first = sky::parsePlaylist(content, rules, drive, *paths, 50);
            requireFuzz(first.entries.size() <= 50, "no more entries than the limit");
            const QByteArray written = sky::playlistFileContent(addressesOf(first));
            const sky::ParsedPlaylist second = sky::parsePlaylist(written, rules, drive, *paths, 50);
            requireFuzz(!second.overLimit, "a written playlist is within the limit");
            requireFuzz(addressesOf(second) == addressesOf(first), "written entries read back the same");
            requireFuzz(namesOf(second) == namesOf(first), "written entries show the same names");
        }
    }
}
