#pragma once

#include "platform/control.h"
#include "platform/file_pattern.h"

#include <QStringList>

class QComboBox;
class QFileSystemWatcher;
class QListWidget;

namespace sky {

// The mounted volumes of the machine, "/" first. Drive is the volume chosen;
// setting it from code raises Change when it differs.
class DriveListBox : public Control
{
public:
    DriveListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Drive() const { return m_volumes.value(m_index); }
    // Takes a volume, or any path on one; throws when no volume holds it.
    void setDrive(const QString &drive);
    int ListCount() const { return static_cast<int>(m_volumes.size()); }
    QString List(int index) const { return m_volumes.value(index); }
    // Reads the volumes again.
    void Refresh();
    Handler Change;

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    void showVolumes();

    QComboBox *m_combo = nullptr;
    QStringList m_volumes;
    int m_index = -1;
};

// The folders above and below Path. ListIndex -1 is Path itself, 0 to
// ListCount - 1 are its subfolders and -2, -3, ... the folders above it.
class DirListBox : public Control
{
public:
    DirListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Path() const { return m_path; }
    // Throws when the folder cannot be read; raises Change when it differs.
    void setPath(const QString &path);
    int ListCount() const { return static_cast<int>(m_subfolders.size()); }
    QString List(int index) const;
    int ListIndex() const { return m_row - static_cast<int>(m_ancestors.size()); }
    void setListIndex(int index);
    Handler Change;

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    void fill();
    void showFolders();

    QListWidget *m_list = nullptr;
    QString m_path;
    QStringList m_ancestors; // from the root down to m_path
    QStringList m_subfolders; // full paths
    int m_row = -1; // the current line: ancestors first, then subfolders
};

// The files of Path that match Pattern ("*.a;*.b", any case), sorted by name
// without regard to case. It follows changes to the folder's content.
class FileListBox : public Control
{
public:
    FileListBox(Form &form, const QString &name, Control *container = nullptr);

    QString Path() const { return m_path; }
    // Throws when the folder does not exist.
    void setPath(const QString &path);
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    // The selected file's name, "" when none is selected.
    QString FileName() const;
    int ListCount() const;
    QString List(int index) const;
    int ListIndex() const;
    // Always raises Click, as the user's selection does.
    void setListIndex(int index);
    void Refresh();

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    class View;
    // Reads the folder again now, or when next read or shown if the list
    // is out of sight.
    void refill();
    void fillWhenUnread() const;
    void fill();
    void showFiles();
    void folderChanged();

    QListWidget *m_list = nullptr;
    QFileSystemWatcher *m_watcher;
    QStringList m_names;
    int m_row = -1;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    FilePattern m_matcher { m_pattern };
    bool m_settingFromCode = false;
    bool m_unread = false;
};

} // namespace sky
