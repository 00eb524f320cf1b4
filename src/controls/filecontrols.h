#pragma once
// The three file-system list controls of a pane: a drive drop-down list, a
// folder list and a multi-select file list filtered by a pattern.
#include "controls/controls.h"

#include "platform/filesys.h"

#include <QAbstractListModel>
#include <QComboBox>

#include <memory>

namespace ctl {

// It offers the drives of the table as it is: a volume mounted or taken
// out while the program runs shows at once (the table's watch) and at the
// latest when the list opens. A drive that went away while the list shows
// it is still shown, but no longer offered, until another is picked.
class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent, const char* name);
    // "c: [label]": starts with the letter and a colon; a folder list takes
    // it as a Path.
    QString Drive() const { return currentIndex() >= 0 ? currentText() : placeholderText(); }
    void setDrive(const QString& drive); // raises Change when it differs
    void Refresh();                      // re-reads the drive table
    void showPopup() override;
  signals:
    void Change();

  private:
    QString m_shown;     // the drive last taken, so picking it again is no change
    quint64 m_table = 0; // the drive table's generation the entries were taken at
};

// The folder list: the open folder's ancestors, the folder itself and its
// sub-folders. A single click only highlights; a double click (or Enter)
// opens. Setting Path raises Change inside the setter.
class DirListBox : public ListBox {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget* parent, const char* name);
    QString Path() const { return m_path; }
    // Accepts a full path, "d:", or a drive list's Drive text. Throws
    // FileError (76 for a missing folder, 68 for no drive).
    void setPath(const QString& path);
    // Re-reads the folder tree, as a command that changed a folder needs.
    void Refresh();
    // The same, but takes a reading still held when the folder's times show
    // that nothing changed since (the panes' own refresh after a folder
    // change).
    void RefreshIfChanged();
    // The folder shown at row i (ancestors, the open folder, then sub-folders).
    QString folderAt(int row) const { return m_folders.value(row); }
  signals:
    void Change();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void fill(plat::fs::Reread how);
    void openRow(int row);
    QString m_path;
    QStringList m_folders;    // the full path of each row
    int m_firstSubFolder = 0; // rows before it show an open folder
    QIcon m_open, m_closed;
    std::shared_ptr<const plat::fs::FolderNames> m_names; // shared with the file list
};

// The names a file list shows: one vector of names behind a list model, so a
// refill of any size is a single reset with no work per row.
class NameListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const QStringList& names() const { return m_names; }
    void setNames(const QStringList& names);
    void append(const QString& name);

  private:
    QStringList m_names;
};

// A multi-select list of a folder's files that match a pattern, with the
// list box's semantics (ListBox): current entry and selection separate, no
// entry made current by the focus, a right press changes nothing.
class FileListBox : public RowsView {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget* parent, const char* name);
    QString Path() const { return m_path; }
    void setPath(const QString& path); // throws FileError 76 for a missing folder
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);
    QString FileName() const { return List(ListIndex()); }
    // Re-reads the folder and shows it as it is now; drops the selection and
    // the current entry and raises nothing. A folder that is gone lists
    // nothing. The names are taken again only when the reading changed.
    void Refresh();
    // Refreshes several lists as one, as a click in another pane does: each
    // folder among them is read at most once, and not at all while a reading
    // held for it can be trusted (see plat::fs::folderNames).
    static void RefreshTogether(const QList<FileListBox*>& lists);

    int ListCount() const { return m_model.rowCount(); }
    QString List(int i) const;
    int ListIndex() const { return currentIndex().row(); }
    void setListIndex(int i); // raises Click
    bool Selected(int i) const;
    void setSelected(int i, bool on);
    int SelCount() const;
    QString Text() const { return List(ListIndex()); }
    void AddItem(const QString& text);
    // As a Qt list widget names them.
    int count() const { return ListCount(); }
    int currentRow() const { return ListIndex(); }
    void setCurrentRow(
        int row, QItemSelectionModel::SelectionFlags command = QItemSelectionModel::ClearAndSelect);

  signals:
    void Click();
    void DblClick();
    void MouseUp(int button, int shift, double x, double y);

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QModelIndex row(int i) const { return m_model.index(i); }
    static std::shared_ptr<const plat::fs::FolderNames> readingOf(const QString& folder,
                                                                  plat::fs::Reread how);
    void showNames(const std::shared_ptr<const plat::fs::FolderNames>& names);
    void dropCurrentAndSelection();
    NameListModel m_model;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    // what the list shows was taken from this reading with this pattern
    std::shared_ptr<const plat::fs::FolderNames> m_shown;
    QString m_shownPattern;
};

} // namespace ctl
