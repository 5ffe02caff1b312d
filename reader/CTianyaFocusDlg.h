#pragma once

#include "skin/CSkinChildDialog.h"

class QTableWidget;
class ServerLink;

// The forum's front-page recommendations, two of one category to a row.
class CTianyaFocusDlg : public CSkinChildDialog {
    Q_OBJECT
public:
    enum Column { ColBoard, ColTitle1, ColTitle2, ColAddress1, ColAddress2, ColumnCount };

    explicit CTianyaFocusDlg(ServerLink* link, QWidget* parent = nullptr);

    // Reads the recommendations again; a failed read leaves the list as it is.
    void Fill();
    // A click on a cell: the follow question for the item in that half of the row.
    void OnClick(int row, int column);
    QTableWidget* List() const { return list_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ServerLink* link_;
    QTableWidget* list_ = nullptr;
};
