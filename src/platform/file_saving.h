#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace sky {

class MessageBoxService;

// Replaces the file at path with content: the bytes go to a new file in the
// same folder, are written without buffering, synced to the disk, and only
// then renamed over the old file. On any failure the old file stays as it
// was and the new one is removed. Returns why it failed, or nothing.
std::optional<QString> replaceFileContent(const QString &path, const QByteArray &content);

// The same, telling the user in a message box naming the file when it
// fails. Returns whether the file was saved.
bool saveUserFile(MessageBoxService &messageBox, const QString &path, const QByteArray &content);

} // namespace sky
