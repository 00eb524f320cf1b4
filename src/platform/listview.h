#pragma once
// The list view control in report form: column headers, items with
// sub-items, a multiple selection and the mouse-up event with the
// Windows API's button numbers (1 left, 2 right, 4 middle).
#include <QTreeWidget>

namespace plat {

class ListView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ListView(QWidget* parent, const char* name);

    // Column headers: appended in order, widths in twips.
    void AddColumnHeader(const QString& text);
    int ColumnHeaderCount() const { return columnCount(); }
    QString ColumnHeaderText(int i) const; // 0-based
    void setColumnWidthTwips(int i, double twips);
    double ColumnWidthTwips(int i) const;

    // Items: Add returns the new item, whose sub-item k is its column k.
    QTreeWidgetItem* AddItem(const QString& text);
    static void setSubItem(QTreeWidgetItem* item, int k, const QString& text);
    int ItemCount() const { return topLevelItemCount(); }
    QTreeWidgetItem* Item(int i) const { return topLevelItem(i); } // 0-based
    void ClearItems();
    // The item the user picked last while it is selected, else the first
    // selected one; nullptr when nothing is selected.
    QTreeWidgetItem* SelectedItem() const;
    void Refresh();

  signals:
    void MouseUp(int button, int shift, double x, double y);

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

} // namespace plat
