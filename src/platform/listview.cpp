#include "platform/listview.h"

#include "platform/app.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace plat {

ListView::ListView(QWidget* parent, const char* name) : QTreeWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    setHeaderLabels({});
}

void ListView::AddColumnHeader(const QString& text)
{
    const int n = columnCount();
    setColumnCount(n + 1);
    headerItem()->setText(n, text);
}

QString ListView::ColumnHeaderText(int i) const
{
    return headerItem()->text(i);
}

void ListView::setColumnWidthTwips(int i, double twips)
{
    setColumnWidth(i, px(twips));
    headerItem()->setData(i, Qt::UserRole, twips);
}

double ListView::ColumnWidthTwips(int i) const
{
    const QVariant v = headerItem()->data(i, Qt::UserRole);
    return v.isValid() ? v.toDouble() : columnWidth(i) * double(twipsPerPixel);
}

QTreeWidgetItem* ListView::AddItem(const QString& text)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, text);
    return item;
}

void ListView::setSubItem(QTreeWidgetItem* item, int k, const QString& text)
{
    if (item) item->setText(k, text);
}

void ListView::ClearItems()
{
    clear();
}

QTreeWidgetItem* ListView::SelectedItem() const
{
    QTreeWidgetItem* cur = currentItem();
    if (cur && cur->isSelected()) return cur;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected()) return topLevelItem(i);
    return nullptr;
}

void ListView::Refresh()
{
    viewport()->repaint();
}

void ListView::mouseReleaseEvent(QMouseEvent* e)
{
    QTreeWidget::mouseReleaseEvent(e);
    int button = 0;
    switch (e->button()) {
    case Qt::LeftButton:
        button = 1;
        break;
    case Qt::RightButton:
        button = 2;
        break;
    case Qt::MiddleButton:
        button = 4;
        break;
    default:
        break;
    }
    int shift = 0;
    if (e->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (e->modifiers() & Qt::ControlModifier) shift |= 2;
    if (e->modifiers() & Qt::AltModifier) shift |= 4;
    const QPointF p = e->position() * twipsPerPixel;
    emit MouseUp(button, shift, p.x(), p.y());
}

} // namespace plat
