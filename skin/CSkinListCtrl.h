#pragma once

#include "skin/CSkinListCtrlBase.h"

class QStandardItemModel;

// A skinned report list with its own item model and a row-and-column interface: columns with
// headings and widths, rows of texts, a number kept with each row, row and cell text colours.
// Rows keep the order in which they were inserted.
class CSkinListCtrl : public CSkinListCtrlBase {
    Q_OBJECT
public:
    explicit CSkinListCtrl(QWidget* parent = nullptr);

    // Inserts a column before `column` (or at the end when beyond); returns its index.
    int InsertColumn(int column, const QString& heading, int width);
    int GetColumnCount() const;

    // Inserts a row before `row` (or appends when beyond) with `text` in column 0; returns its
    // index.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    // A number the window keeps with the row.
    bool SetItemData(int row, qint64 data);
    qint64 GetItemData(int row) const;
    // Text colour of a whole row, or of one cell (an invalid colour clears it).
    bool SetRowTextColour(int row, const QColor& colour);
    bool SetCellTextColour(int row, int column, const QColor& colour);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;

    // The selected row (the first when several are), -1 when none; all selected rows in
    // ascending order (setSelectionMode(ExtendedSelection) lets Shift and Ctrl select more);
    // selecting -1 clears the selection.
    int GetSelectedRow() const;
    QList<int> GetSelectedRows() const;
    void SelectRow(int row);

    QStandardItemModel* Model() const { return model_; }

private:
    QStandardItemModel* model_ = nullptr;
};
