#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sky::swf {

// Where the data movies keep between runs (SharedObject) is stored, for
// the user: one record a name. A name is a path of parts joined by "/",
// none of them empty, "." or "..".
class ObjectStore {
public:
    virtual ~ObjectStore() = default;
    // The record as last written; none when there is none, it cannot be
    // read, or it is larger than `maxBytes`.
    virtual std::optional<QByteArray> read(const QString &name, qint64 maxBytes) = 0;
    // Replaces the record whole; false when that failed, the old one
    // then staying as it was.
    virtual bool write(const QString &name, const QByteArray &bytes) = 0;
    // Removes the record; false when it is still there.
    virtual bool remove(const QString &name) = 0;
};

} // namespace sky::swf
