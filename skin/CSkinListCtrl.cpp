#include "skin/CSkinListCtrl.h"

#include "skin/CSkinHeaderCtrl.h"

#include <QStandardItemModel>

#include <algorithm>

namespace {
constexpr int kItemDataRole = Qt::UserRole + 102;
}

CSkinListCtrl::CSkinListCtrl(QWidget* parent) : CSkinListCtrlBase(parent) {
    model_ = new QStandardItemModel(0, 0, this);
    setModel(model_);
}

int CSkinListCtrl::InsertColumn(int column, const QString& heading, int width) {
    column = qBound(0, column, model_->columnCount());
    model_->insertColumn(column);
    model_->setHeaderData(column, Qt::Horizontal, heading);
    SkinHeader()->resizeSection(column, width);
    return column;
}

int CSkinListCtrl::GetColumnCount() const {
    return model_->columnCount();
}

int CSkinListCtrl::InsertItem(int row, const QString& text) {
    row = qBound(0, row, model_->rowCount());
    QList<QStandardItem*> items;
    for (int c = 0; c < qMax(1, model_->columnCount()); ++c) {
        auto* item = new QStandardItem(c == 0 ? text : QString());
        item->setEditable(false);
        items << item;
    }
    model_->insertRow(row, items);
    return row;
}

bool CSkinListCtrl::SetItemText(int row, int column, const QString& text) {
    QStandardItem* item = model_->item(row, column);
    if (!item) {
        if (row < 0 || row >= model_->rowCount() || column < 0 || column >= model_->columnCount())
            return false;
        item = new QStandardItem;
        item->setEditable(false);
        model_->setItem(row, column, item);
    }
    item->setText(text);
    return true;
}

QString CSkinListCtrl::GetItemText(int row, int column) const {
    const QStandardItem* item = model_->item(row, column);
    return item ? item->text() : QString();
}

bool CSkinListCtrl::SetItemData(int row, qint64 data) {
    QStandardItem* item = model_->item(row, 0);
    if (!item)
        return false;
    item->setData(data, kItemDataRole);
    return true;
}

qint64 CSkinListCtrl::GetItemData(int row) const {
    const QStandardItem* item = model_->item(row, 0);
    return item ? item->data(kItemDataRole).toLongLong() : 0;
}

bool CSkinListCtrl::SetRowTextColour(int row, const QColor& colour) {
    QStandardItem* item = model_->item(row, 0);
    if (!item)
        return false;
    item->setData(colour.isValid() ? QVariant(colour) : QVariant(), RowTextColourRole);
    return true;
}

bool CSkinListCtrl::SetCellTextColour(int row, int column, const QColor& colour) {
    QStandardItem* item = model_->item(row, column);
    if (!item)
        return false;
    item->setData(colour.isValid() ? QVariant(colour) : QVariant(), Qt::ForegroundRole);
    return true;
}

bool CSkinListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= model_->rowCount())
        return false;
    return model_->removeRow(row);
}

void CSkinListCtrl::DeleteAllItems() {
    model_->removeRows(0, model_->rowCount());
}

int CSkinListCtrl::GetItemCount() const {
    return model_->rowCount();
}

int CSkinListCtrl::GetSelectedRow() const {
    const QList<int> rows = GetSelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QList<int> CSkinListCtrl::GetSelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CSkinListCtrl::SelectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}
