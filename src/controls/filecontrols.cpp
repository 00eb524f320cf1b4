#include "controls/filecontrols.h"

#include "platform/drives.h"
#include "platform/fileerror.h"
#include "platform/filesys.h"
#include "platform/winpath.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace ctl {

// --- drive list ---

namespace {

// Qt's own description of a drop-down list names it by the entry it shows
// on this system (the label is left to a relation); a drive list has a
// name of its own ("Drive, pane 3"), and the drive shown is its value.
class DriveListAccessible : public QAccessibleWidget {
  public:
    explicit DriveListAccessible(QComboBox* c) : QAccessibleWidget(c, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override
    {
        const QString drive = static_cast<DriveListBox*>(combo())->Drive();
        if (t == QAccessible::Value) return drive;
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty() ? drive : own;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        return s;
    }
    // Its one child is the list it drops down.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int i) const override
    {
        return i == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c && c->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction()) return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* driveListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ctl::DriveListBox") && object && object->isWidgetType())
        return new DriveListAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent, const char* name) : QComboBox(parent)
{
    // Before anything asks for the list's description, which is kept.
    static const bool described = [] {
        QAccessible::installFactory(driveListFactory);
        return true;
    }();
    (void)described;
    setObjectName(QString::fromLatin1(name));
    Refresh();
    const QChar cur = plat::drives::currentFolder().at(0);
    for (int i = 0; i < count(); ++i)
        if (itemText(i).at(0).toUpper() == cur) setCurrentIndex(i);
    m_shown = currentText();
    connect(this, &QComboBox::activated, this, [this](int) {
        if (currentText() == m_shown) return;
        m_shown = currentText();
        emit Change();
    });
    connect(&plat::drives::tableWatch(), &plat::drives::TableWatch::changed, this, [this] {
        if (m_table != plat::drives::tableGeneration()) Refresh();
    });
}

void DriveListBox::Refresh()
{
    const QString keep = Drive();
    const QSignalBlocker block(this);
    m_table = plat::drives::tableGeneration();
    clear();
    for (const plat::DriveEntry& d : plat::drives::table()) {
        const QString label = d.label.isEmpty() ? d.hostRoot : d.label;
        addItem(QString(d.letter.toLower()) + ": [" + label + "]");
    }
    const int i = keep.isEmpty() ? 0 : findText(keep);
    // The drive shown went away: it stays in view (the pane still shows
    // its folder) as the list's blank, and is not offered.
    setPlaceholderText(i < 0 ? keep : QString());
    setCurrentIndex(i);
    m_shown = Drive();
}

void DriveListBox::showPopup()
{
    plat::drives::tableWatch().check(); // what the watch may not have told yet
    if (m_table != plat::drives::tableGeneration()) Refresh();
    QComboBox::showPopup();
}

void DriveListBox::setDrive(const QString& drive)
{
    if (drive.isEmpty()) return;
    const QChar letter = drive.at(0).toLower();
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).at(0) == letter) {
            if (i != currentIndex()) {
                setCurrentIndex(i);
                m_shown = currentText();
                emit Change();
            }
            return;
        }
    }
    plat::raise(plat::ErrDeviceUnavailable);
}

// --- folder list ---

DirListBox::DirListBox(QWidget* parent, const char* name) : ListBox(parent, name, None)
{
    m_open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    m_closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    rowsModel().icon = [this](int row) { return row < m_firstSubFolder ? m_open : m_closed; };
    // The open folder and its ancestors step in by depth; its sub-folders
    // stand one step further in.
    rowsModel().indent = [this](int row) { return 2 * std::min(row, m_firstSubFolder); };
    m_path = plat::drives::currentFolder();
    fill(plat::fs::Reread::WhenChanged);
}

static QString asFolderPath(const QString& in)
{
    // "c: [label]" and "c:" name that drive's own folder
    if (in.size() >= 2 && in.at(1) == ':' && in.at(0).isLetter() &&
        (in.size() == 2 || in.at(2) == ' ')) {
        if (!plat::drives::find(in.at(0))) plat::raise(plat::ErrDeviceUnavailable);
        return plat::drives::driveFolder(in.at(0));
    }
    return plat::drives::normalize(in);
}

void DirListBox::setPath(const QString& path)
{
    const QString target = asFolderPath(path);
    if (!plat::fs::folderExists(target)) {
        if (plat::winpath::isRoot(target)) plat::raise(plat::ErrDeviceUnavailable);
        plat::raise(plat::ErrPathNotFound);
    }
    if (target == m_path) {
        fill(plat::fs::Reread::WhenChanged);
        return;
    }
    m_path = target;
    fill(plat::fs::Reread::WhenChanged);
    emit Change();
}

void DirListBox::Refresh()
{
    fill(plat::fs::Reread::Always);
}

void DirListBox::RefreshIfChanged()
{
    fill(plat::fs::Reread::WhenChanged);
}

void DirListBox::fill(plat::fs::Reread how)
{
    QStringList parts = m_path.mid(3).split('\\', Qt::SkipEmptyParts);
    try {
        m_names = plat::fs::folderNames(m_path, how);
    } catch (const plat::FileError&) {
        m_names.reset(); // a folder removed behind our back lists no sub-folders
    }
    const QStringList subs = m_names ? m_names->folders : QStringList();
    QStringList texts;
    QStringList folders;
    QString walk = m_path.left(3);
    auto add = [&](const QString& text, const QString& full, int level) {
        texts.append(QString(level * 2, ' ') + text);
        folders.append(full);
    };
    add(m_path.left(3), walk, 0);
    int level = 1;
    for (const QString& p : parts) {
        walk = plat::winpath::join(walk, p);
        add(p, walk, level++);
    }
    const int currentRowIndex = int(texts.size()) - 1;
    for (const QString& s : subs)
        add(s, plat::winpath::join(m_path, s), level);
    const QSignalBlocker block(this);
    selectionModel()->clear();
    m_folders = folders;
    m_firstSubFolder = currentRowIndex + 1;
    rowsModel().reset(texts);
    setCurrentRow(currentRowIndex, QItemSelectionModel::ClearAndSelect);
}

void DirListBox::openRow(int row)
{
    const QString folder = folderAt(row);
    if (folder.isEmpty()) return;
    try {
        setPath(folder);
    } catch (const plat::FileError&) {
        Refresh(); // the folder went away meanwhile
    }
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    const QModelIndex at = indexAt(e->position().toPoint());
    if (at.isValid()) openRow(at.row());
    emit DblClick();
}

void DirListBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        openRow(currentRow());
        return;
    }
    ListBox::keyPressEvent(e);
}

// --- file list ---

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size()) return QVariant();
    if (role == Qt::DisplayRole) return m_names.at(index.row());
    // A screen reader reads a name as the list shows it, so that names that
    // differ only in invisible characters do not sound alike either.
    if (role == Qt::AccessibleTextRole) return plat::drives::displayName(m_names.at(index.row()));
    return QVariant();
}

void NameListModel::setNames(const QStringList& names)
{
    beginResetModel();
    m_names = names;
    endResetModel();
}

void NameListModel::append(const QString& name)
{
    const int at = int(m_names.size());
    beginInsertRows(QModelIndex(), at, at);
    m_names.append(name);
    endInsertRows();
}

FileListBox::FileListBox(QWidget* parent, const char* name) : RowsView(parent)
{
    setObjectName(QString::fromLatin1(name));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(&m_model);
    showNamesAsOnScreen(this);
    m_path = plat::drives::currentFolder();
    showNames(readingOf(m_path, plat::fs::Reread::WhenChanged));
}

void FileListBox::setPath(const QString& path)
{
    const QString target = asFolderPath(path);
    if (!plat::fs::folderExists(target)) plat::raise(plat::ErrPathNotFound);
    m_path = target;
    showNames(readingOf(m_path, plat::fs::Reread::WhenChanged));
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    showNames(readingOf(m_path, plat::fs::Reread::WhenChanged));
}

void FileListBox::Refresh()
{
    showNames(readingOf(m_path, plat::fs::Reread::Always));
}

std::shared_ptr<const plat::fs::FolderNames> FileListBox::readingOf(const QString& folder,
                                                                    plat::fs::Reread how)
{
    try {
        return plat::fs::folderNames(folder, how);
    } catch (const plat::FileError&) {
        return {}; // unreadable or vanished folder: an empty list
    }
}

void FileListBox::RefreshTogether(const QList<FileListBox*>& lists)
{
    // Lists on one folder share its reading, also one that cannot be kept
    // because the folder has just changed.
    QHash<QString, std::shared_ptr<const plat::fs::FolderNames>> taken;
    for (FileListBox* l : lists) {
        auto it = taken.find(l->m_path);
        if (it == taken.end())
            it = taken.insert(l->m_path, readingOf(l->m_path, plat::fs::Reread::WhenChanged));
        l->showNames(*it);
    }
}

void FileListBox::showNames(const std::shared_ptr<const plat::fs::FolderNames>& names)
{
    if (!names || names != m_shown || m_pattern != m_shownPattern) {
        m_shown = names;
        m_shownPattern = m_pattern;
        m_model.setNames(names ? plat::fs::filterNames(names->files, m_pattern) : QStringList());
    }
    dropCurrentAndSelection();
    scrollToTop();
}

void FileListBox::dropCurrentAndSelection()
{
    const QSignalBlocker block(selectionModel());
    selectionModel()->clear();
    viewport()->update();
}

QString FileListBox::List(int i) const
{
    return i >= 0 && i < m_model.names().size() ? m_model.names().at(i) : QString();
}

void FileListBox::setListIndex(int i)
{
    setCurrentRow(i, QItemSelectionModel::NoUpdate);
    emit Click();
}

bool FileListBox::Selected(int i) const
{
    return selectionModel()->isSelected(row(i));
}

void FileListBox::setSelected(int i, bool on)
{
    if (row(i).isValid())
        selectionModel()->select(row(i),
                                 on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int FileListBox::SelCount() const
{
    return int(selectionModel()->selectedIndexes().size());
}

void FileListBox::AddItem(const QString& text)
{
    m_model.append(text);
}

void FileListBox::setCurrentRow(int r, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->setCurrentIndex(row(r), command);
}

void FileListBox::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept(); // a right press changes neither the current entry nor the selection
        return;
    }
    const bool changed = changesEntryOrSelection(this, [&] { RowsView::mousePressEvent(e); });
    if (changed || indexAt(e->position().toPoint()).isValid()) emit Click();
}

void FileListBox::mouseReleaseEvent(QMouseEvent* e)
{
    leftButtonOnly(e, [&] { RowsView::mouseReleaseEvent(e); });
    emit MouseUp(vbButton(e->button()), shiftState(e->modifiers()), e->position().x() * 15.0,
                 e->position().y() * 15.0);
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (leftButtonOnly(e, [&] { RowsView::mouseDoubleClickEvent(e); })) emit DblClick();
}

void FileListBox::keyPressEvent(QKeyEvent* e)
{
    if (changesEntryOrSelection(this, [&] { RowsView::keyPressEvent(e); })) emit Click();
}

} // namespace ctl
