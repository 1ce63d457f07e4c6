#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace sky {

// A file list's pattern: wildcards separated by ";" ("*.mp3;*.wav"), where
// "*" stands for any run of characters and "?" for one, and letters match in
// either case, as the folder listing's own name filters do. Matched here by
// hand: those filters became a compiled regular expression each, for every
// filling of the list, which cost more than reading the folder. An empty
// pattern lets every file through.
class FilePattern
{
public:
    explicit FilePattern(const QString &pattern = {});

    bool matches(QStringView name) const;

private:
    QStringList m_wildcards;
};

} // namespace sky
