#include "reader/view/CSetSomeBodyDlg.h"

#include "reader/view/ReaderNotice.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

CSetSomeBodyDlg::CSetSomeBodyDlg(int mode, const QString& dbFile, const QString& starter,
                                 int focusPageNo, FilterListReloader* reloader, QWidget* parent)
    : CSkinDialogEx(parent), editor_(mode, dbFile, starter, focusPageNo), reloader_(reloader) {
    const SomeBodyTexts texts = SomeBodyTextsOf(mode);
    SetSkinCaption(texts.caption);
    SetSkinIcon();

    list_ = new CSkinListCtrl(this);
    list_->InsertColumn(0, texts.heading, 270);
    list_->SetRowHeight(25);
    list_->setFixedWidth(274);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CSetSomeBodyDlg::ShowListMenu);

    prompt_ = new CTransparentStatic(texts.prompt, this);
    input_ = new QLineEdit(this);
    input_->setMaxLength(kMaxNameLength);
    input_->setMinimumHeight(26);
    add_ = new CSkinButton(QStringLiteral("增加"), this);
    auto* ok = new CSkinButton(QStringLiteral("确定"), this);
    auto* cancel = new CSkinButton(QStringLiteral("取消"), this);
    for (CSkinButton* button : {add_, ok, cancel}) {
        button->setAutoDefault(false);
        button->setFixedSize(72, 28);
    }
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
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(list_, 1, Qt::AlignHCenter);
    layout->addWidget(prompt_);
    layout->addLayout(inputRow);
    layout->addLayout(buttons);
    resize(320, 420);

    editor_.Load();
    FillList();
}

void CSetSomeBodyDlg::FillList() {
    list_->DeleteAllItems();
    for (const QString& entry : editor_.Entries())
        list_->InsertItem(list_->GetItemCount(), entry);
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
    const QList<int> rows = list_->GetSelectedRows();
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
        CSkinDialogEx::accept();
        return;
    }
}
