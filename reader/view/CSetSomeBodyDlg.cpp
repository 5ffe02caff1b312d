#include "reader/view/CSetSomeBodyDlg.h"

#include "reader/view/ReaderNotice.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CSetSomeBodyDlg::CSetSomeBodyDlg(int mode, const QString& dbFile, const QString& starter,
                                 int focusPageNo, FilterListReloader* reloader, QWidget* parent)
    : QDialog(parent), editor_(mode, dbFile, starter, focusPageNo), reloader_(reloader) {
    const SomeBodyTexts texts = SomeBodyTextsOf(mode);
    setWindowTitle(texts.caption);

    list_ = new QTableWidget(0, 1, this);
    list_->setHorizontalHeaderLabels({texts.heading});
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(25);
    list_->setFixedWidth(272);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CSetSomeBodyDlg::ShowListMenu);

    prompt_ = new QLabel(texts.prompt, this);
    input_ = new QLineEdit(this);
    input_->setMaxLength(kMaxNameLength);
    add_ = new QPushButton(QStringLiteral("增加"), this);
    add_->setAutoDefault(false);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(add_, &QPushButton::clicked, this, &CSetSomeBodyDlg::AddFromInput);
    connect(ok, &QPushButton::clicked, this, &CSetSomeBodyDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSetSomeBodyDlg::reject);

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(input_, 1);
    inputRow->addWidget(add_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(prompt_);
    layout->addLayout(inputRow);
    layout->addLayout(buttons);
    resize(300, 380);

    editor_.Load();
    FillList();
}

void CSetSomeBodyDlg::FillList() {
    list_->setRowCount(0);
    for (const QString& entry : editor_.Entries()) {
        const int row = list_->rowCount();
        list_->insertRow(row);
        list_->setItem(row, 0, new QTableWidgetItem(entry));
    }
}

void CSetSomeBodyDlg::AddFromInput() {
    switch (editor_.Add(input_->text())) {
    case SomeBodyEditor::AddResult::Empty:
        return;
    case SomeBodyEditor::AddResult::AlreadyListed:
        ShowNotice(this, QStringLiteral("添加成功!"));
        return;
    case SomeBodyEditor::AddResult::Added:
        FillList();
        ShowNotice(this, QStringLiteral("添加成功!"));
        input_->setFocus();
        input_->clear();
        return;
    }
}

void CSetSomeBodyDlg::DeleteSelected() {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty())
        return;
    editor_.Delete(rows);
    FillList();
}

void CSetSomeBodyDlg::ShowListMenu(const QPoint& position) {
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("删除选中项"));
    if (menu.exec(list_->viewport()->mapToGlobal(position)) == remove)
        DeleteSelected();
}

void CSetSomeBodyDlg::accept() {
    switch (editor_.Accept(reloader_)) {
    case SomeBodyEditor::AcceptResult::NeedOneEntry:
        ShowNotice(this, QStringLiteral("请至少添加一个关注者"));
        return;
    case SomeBodyEditor::AcceptResult::Unchanged:
    case SomeBodyEditor::AcceptResult::Stored:
        QDialog::accept();
        return;
    }
}
