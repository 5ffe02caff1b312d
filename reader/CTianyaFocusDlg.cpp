#include "reader/CTianyaFocusDlg.h"

#include "reader/FollowQuestion.h"
#include "reader/ReaderLook.h"
#include "store/Catalogue.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

CTianyaFocusDlg::CTianyaFocusDlg(ServerLink* link, QWidget* parent)
    : CSkinChildDialog(parent), link_(link) {
    SetBackgroundBitmap(kPanelBitmap);
    list_ = new QTableWidget(0, ColumnCount, this);
    list_->setObjectName(QStringLiteral("FocusList"));
    list_->setHorizontalHeaderLabels({QStringLiteral("板块"), QStringLiteral("标题"),
                                      QStringLiteral("标题"), QStringLiteral("地址"),
                                      QStringLiteral("地址")});
    const int widths[ColumnCount] = {60, 400, 400, 0, 0};
    for (int c = 0; c < ColumnCount; ++c)
        list_->setColumnWidth(c, widths[c]);
    list_->setColumnHidden(ColAddress1, true);
    list_->setColumnHidden(ColAddress2, true);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(25);
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAlternatingRowColors(true);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setMouseTracking(true);
    list_->setCursor(Qt::PointingHandCursor);
    connect(list_, &QTableWidget::cellClicked, this, &CTianyaFocusDlg::OnClick);
    Fill();
}

void CTianyaFocusDlg::Fill() {
    QList<FocusItem> items;
    if (!ListFrontPageItems(items))
        return;
    list_->setRowCount(0);
    QString previous;
    bool rowComplete = true;
    auto cell = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setToolTip(text);
        return item;
    };
    for (const FocusItem& item : items) {
        if (item.focusType != previous || rowComplete) {
            const int row = list_->rowCount();
            list_->insertRow(row);
            list_->setItem(row, ColBoard, cell(item.focusType));
            list_->setItem(row, ColTitle1, cell(item.focusTitle));
            list_->setItem(row, ColAddress1, cell(item.focusUrl));
            list_->setItem(row, ColTitle2, cell(QString()));
            list_->setItem(row, ColAddress2, cell(QString()));
            list_->item(row, ColBoard)->setForeground(ReaderLook::AccentColour());
            rowComplete = false;
        } else {
            const int row = list_->rowCount() - 1;
            list_->item(row, ColTitle2)->setText(item.focusTitle);
            list_->item(row, ColTitle2)->setToolTip(item.focusTitle);
            list_->item(row, ColAddress2)->setText(item.focusUrl);
            rowComplete = true;
        }
        previous = item.focusType;
    }
}

void CTianyaFocusDlg::OnClick(int row, int column) {
    if (row < 0 || row >= list_->rowCount())
        return;
    const bool second = column >= ColTitle2;
    const QTableWidgetItem* title = list_->item(row, second ? ColTitle2 : ColTitle1);
    const QTableWidgetItem* address = list_->item(row, second ? ColAddress2 : ColAddress1);
    if (!title || !address || title->text().isEmpty() || address->text().isEmpty())
        return;
    AskToFollow(link_, this, address->text(), title->text());
}

void CTianyaFocusDlg::resizeEvent(QResizeEvent* event) {
    CSkinChildDialog::resizeEvent(event);
    list_->setGeometry(10, 10, std::max(0, width() - 20), std::max(0, height() - 20));
    // The two title columns share what the board column and a scroll bar leave.
    const int titles = std::max(200, (list_->width() - 60 - 24) / 2);
    list_->setColumnWidth(ColTitle1, titles);
    list_->setColumnWidth(ColTitle2, titles);
}
