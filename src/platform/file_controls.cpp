#include "platform/file_controls.h"

#include "platform/drawn_icons.h"
#include "platform/form.h"
#include "platform/line_list.h"
#include "platform/list_controls.h"
#include "platform/runtime_error.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>
#include <vector>

namespace sky {

namespace {

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

bool sortsBefore(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// How deep a folder's line lies below the root.
constexpr int kDepthRole = Qt::UserRole + 1;

// Draws a folder's line indented two spaces a level. The lines' text is the
// folders' names alone, so that typing a name's first letters finds it.
class IndentedLines : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
    }

private:
    static int indent(const QStyleOptionViewItem &option, const QModelIndex &index)
    {
        return index.data(kDepthRole).toInt() * 2 * option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    }
};

} // namespace

DriveListBox::DriveListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
    Refresh();
}

QWidget *DriveListBox::makeWidget()
{
    m_combo = new LineCombo;
    return m_combo;
}

void DriveListBox::showState()
{
    showVolumes();
    QObject::connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) { m_index = index; });
    QObject::connect(m_combo, &QComboBox::activated, this, [this] { fire(Change); });
}

void DriveListBox::Refresh()
{
    const QString current = Drive();
    m_volumes = form().services().environment.volumes();
    const int at = static_cast<int>(m_volumes.indexOf(current));
    m_index = m_volumes.isEmpty() ? -1 : std::max(at, 0);
    if (m_combo)
        showVolumes();
}

void DriveListBox::showVolumes()
{
    const QSignalBlocker blocker(m_combo);
    m_combo->clear();
    m_combo->addItems(m_volumes);
    m_combo->setCurrentIndex(m_index);
}

void DriveListBox::setDrive(const QString &drive)
{
    // The volume that holds the path: the longest mount point it starts with.
    const QString path = cleanFolder(drive);
    int best = -1;
    for (int i = 0; i < m_volumes.size(); ++i) {
        const QString &volume = m_volumes.at(i);
        const bool holds = path == volume || volume == QStringLiteral("/")
            || path.startsWith(volume + QLatin1Char('/'));
        if (holds && (best < 0 || volume.size() > m_volumes.at(best).size()))
            best = i;
    }
    if (best < 0)
        throw RuntimeError(QStringLiteral("Device unavailable"));
    if (best == m_index)
        return;
    m_index = best;
    if (m_combo) {
        const QSignalBlocker blocker(m_combo);
        m_combo->setCurrentIndex(best);
    }
    fire(Change);
}

DirListBox::DirListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *DirListBox::makeWidget()
{
    m_list = new LineList;
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new IndentedLines(m_list));
    watch(m_list->viewport());
    return m_list;
}

void DirListBox::showState()
{
    showFolders();
    QObject::connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_row = row; });
    QObject::connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const QString target = item->data(Qt::UserRole).toString();
        try {
            setPath(target);
        } catch (const RuntimeError &) {
            // An unreadable folder is simply not opened.
        }
    });
    QObject::connect(m_list, &QListWidget::itemClicked, this, [this] { fire(Click); });
}

void DirListBox::setPath(const QString &path)
{
    const QString folder = cleanFolder(QFileInfo(path).absoluteFilePath());
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !QDir(folder).isReadable())
        throw RuntimeError(QStringLiteral("Path not found"));
    if (folder == m_path)
        return;
    m_path = folder;
    fill();
    fire(Change);
}

void DirListBox::fill()
{
    m_ancestors.clear();
    for (QDir dir(m_path);; ) {
        m_ancestors.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    m_subfolders.clear();
    const QDir dir(m_path);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &folder : names)
        m_subfolders.append(dir.filePath(folder));
    std::sort(m_subfolders.begin(), m_subfolders.end(), sortsBefore);
    m_row = static_cast<int>(m_ancestors.size()) - 1;
    if (m_list)
        showFolders();
}

void DirListBox::showFolders()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const QIcon open = drawnIcon(DrawnIcon::FolderOpen);
    const QIcon closed = drawnIcon(DrawnIcon::FolderClosed);
    int depth = 0;
    for (const QString &ancestor : std::as_const(m_ancestors)) {
        const QString shown = depth == 0 ? ancestor : QFileInfo(ancestor).fileName();
        auto *item = new QListWidgetItem(open, shown);
        item->setData(Qt::UserRole, ancestor);
        item->setData(kDepthRole, depth);
        m_list->addItem(item);
        ++depth;
    }
    for (const QString &sub : std::as_const(m_subfolders)) {
        auto *item = new QListWidgetItem(closed, QFileInfo(sub).fileName());
        item->setData(Qt::UserRole, sub);
        item->setData(kDepthRole, depth);
        m_list->addItem(item);
    }
    m_list->setCurrentRow(m_row);
}

QString DirListBox::List(int index) const
{
    const int row = static_cast<int>(m_ancestors.size()) + index;
    if (row < 0)
        return QString();
    return row < m_ancestors.size() ? m_ancestors.at(row) : m_subfolders.value(row - m_ancestors.size());
}

void DirListBox::setListIndex(int index)
{
    const int row = static_cast<int>(m_ancestors.size()) + index;
    if (row < 0 || row >= m_ancestors.size() + m_subfolders.size())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_row = row;
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(row);
    }
    fire(Click);
}

// Reads its folder as it comes on screen when a change of path or pattern
// left it unread.
class FileListBox::View : public LineList
{
public:
    explicit View(FileListBox &owner) : m_owner(owner) {}

protected:
    void showEvent(QShowEvent *event) override
    {
        m_owner.fillWhenUnread();
        LineList::showEvent(event);
    }

private:
    FileListBox &m_owner;
};

FileListBox::FileListBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container), m_watcher(new QFileSystemWatcher(this))
{
    QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { folderChanged(); });
}

QWidget *FileListBox::makeWidget()
{
    m_list = new View(*this);
    m_list->setUniformItemSizes(true);
    watch(m_list->viewport());
    return m_list;
}

void FileListBox::showState()
{
    // A folder not read yet is read as the list comes on screen.
    if (!m_unread)
        showFiles();
    // The user's selection comes back here; the line a list takes the focus
    // on is not selected (see selectedRow()).
    QObject::connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        m_row = selectedRow(*m_list);
        if (!m_settingFromCode)
            fire(Click);
    });
}

void FileListBox::setPath(const QString &path)
{
    const QString folder = cleanFolder(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo(folder).isDir())
        throw RuntimeError(QStringLiteral("Path not found"));
    if (!m_path.isEmpty())
        m_watcher->removePath(m_path);
    m_path = folder;
    m_watcher->addPath(m_path);
    refill();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    m_matcher = FilePattern(pattern);
    if (!m_path.isEmpty())
        refill();
}

void FileListBox::Refresh()
{
    if (!m_path.isEmpty())
        refill();
}

void FileListBox::refill()
{
    // A list out of sight is read when it is next read or shown: a window
    // typically sets the path and the pattern in turn, and the skin
    // manager's lists are set up at every start while nobody sees them.
    m_unread = true;
    if (m_list && m_list->isVisible())
        fillWhenUnread();
}

void FileListBox::fillWhenUnread() const
{
    if (m_unread)
        const_cast<FileListBox *>(this)->fill();
}

void FileListBox::fill()
{
    m_unread = false;
    // In the folder listing's order by name, ignoring case.
    std::vector<std::pair<QString, QString>> found; // the name in lower case, the name
    for (QDirIterator it(m_path, QDir::Files); it.hasNext();) {
        it.next();
        const QString name = it.fileName();
        if (m_matcher.matches(name))
            found.emplace_back(name.toLower(), name);
    }
    std::sort(found.begin(), found.end());
    m_names.clear();
    m_names.reserve(qsizetype(found.size()));
    for (auto &entry : found)
        m_names.append(std::move(entry.second));
    m_row = -1;
    if (m_list)
        showFiles();
}

void FileListBox::showFiles()
{
    m_settingFromCode = true;
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        m_list->addItems(m_names);
        m_list->setCurrentRow(m_row);
    }
    m_settingFromCode = false;
}

void FileListBox::folderChanged()
{
    if (m_unread)
        return;
    // Keep the selection on the same file when it is still there.
    const QString selected = FileName();
    fill();
    if (selected.isEmpty())
        return;
    const int at = static_cast<int>(m_names.indexOf(selected));
    if (at < 0)
        return;
    m_row = at;
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(at);
    }
}

QString FileListBox::FileName() const
{
    fillWhenUnread();
    return m_names.value(m_row);
}

int FileListBox::ListCount() const
{
    fillWhenUnread();
    return static_cast<int>(m_names.size());
}

QString FileListBox::List(int index) const
{
    fillWhenUnread();
    return m_names.value(index);
}

int FileListBox::ListIndex() const
{
    fillWhenUnread();
    return m_row;
}

void FileListBox::setListIndex(int index)
{
    fillWhenUnread();
    if (index < -1 || index >= m_names.size())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    m_row = index;
    if (m_list) {
        m_settingFromCode = true;
        m_list->setCurrentRow(index);
        m_settingFromCode = false;
    }
    fire(Click);
}

} // namespace sky
