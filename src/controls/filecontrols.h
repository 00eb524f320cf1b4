#pragma once
// The three file-system list controls of a pane: a drive drop-down list, a
// folder list and a multi-select file list filtered by a pattern.
#include "controls/controls.h"

#include <QComboBox>

namespace ctl {

class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent, const char* name);
    // "c: [label]": starts with the letter and a colon; a folder list takes
    // it as a Path.
    QString Drive() const { return currentText(); }
    void setDrive(const QString& drive); // raises Change when it differs
    void Refresh();                      // re-reads the drive table
  signals:
    void Change();

  private:
    QString m_shown; // the drive last taken, so picking it again is no change
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
    void Refresh();
    // The folder shown at row i (ancestors, the open folder, then sub-folders).
    QString folderAt(int row) const;
  signals:
    void Change();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void fill();
    void openRow(int row);
    QString m_path;
};

class FileListBox : public ListBox {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget* parent, const char* name);
    QString Path() const { return m_path; }
    void setPath(const QString& path); // throws FileError 76 for a missing folder
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);
    QString FileName() const { return List(ListIndex()); }
    // Re-reads the folder; drops the selection and the current entry and
    // raises nothing. A folder that is gone lists nothing.
    void Refresh();

  private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace ctl
