#pragma once

#include "swf/objectstore.h"

namespace sky {

// What movies keep between runs, as files in the folder "Flash objects"
// of the user's data folder: a record "a/b/c" is the file "a/b/c.sol"
// there. Records are replaced whole (platform/file_saving.h), so a failed
// write leaves the last one. Without a data folder nothing is kept.
class SharedObjectFolder : public swf::ObjectStore {
public:
    explicit SharedObjectFolder(const QString &dataFolder)
        : m_folder(dataFolder.isEmpty() ? QString() : dataFolder + QStringLiteral("/Flash objects"))
    {
    }

    std::optional<QByteArray> read(const QString &name, qint64 maxBytes) override;
    bool write(const QString &name, const QByteArray &bytes) override;
    bool remove(const QString &name) override;

private:
    // The record's file; empty for a name that is no record's.
    QString fileOf(const QString &name) const;

    QString m_folder;
};

} // namespace sky
