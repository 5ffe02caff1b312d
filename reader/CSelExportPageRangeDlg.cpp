#include "reader/CSelExportPageRangeDlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// An integer as a dialog field takes it: blanks around it, an optional sign, digits.
bool ReadInteger(const QLineEdit* edit, int* value) {
    bool ok = false;
    const int parsed = edit->text().trimmed().toInt(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

} // namespace

CSelExportPageRangeDlg::CSelExportPageRangeDlg(const FollowRecord& follow,
                                               ShowMessageFunction showMessage,
                                               PeopleDialogFunction peopleDialog, QWidget* parent)
    : QDialog(parent), follow_(follow), showMessage_(std::move(showMessage)),
      peopleDialog_(std::move(peopleDialog)) {
    setWindowTitle(QStringLiteral("选择导出范围"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    firstEdit_ = new QLineEdit(QStringLiteral("1"), this);
    firstEdit_->setObjectName(QStringLiteral("1034"));
    lastEdit_ = new QLineEdit(QStringLiteral("10000"), this);
    lastEdit_->setObjectName(QStringLiteral("1035"));
    form->addRow(QStringLiteral("起始页码："), firstEdit_);
    form->addRow(QStringLiteral("结束页码："), lastEdit_);
    layout->addLayout(form);

    starter_ = new QRadioButton(QStringLiteral("导出楼主帖"), this);
    starter_->setObjectName(QStringLiteral("1036"));
    chosen_ = new QRadioButton(QStringLiteral("导出只看某些人"), this);
    chosen_->setObjectName(QStringLiteral("1037"));
    auto* group = new QButtonGroup(this);
    group->addButton(starter_);
    group->addButton(chosen_);
    starter_->setChecked(true);
    layout->addWidget(starter_);
    layout->addWidget(chosen_);
    // Each click lets the user check or edit the chosen people before exporting.
    connect(chosen_, &QRadioButton::clicked, this, [this] {
        if (peopleDialog_)
            peopleDialog_(this, follow_);
        chosen_->setChecked(true);
    });

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelExportPageRangeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelExportPageRangeDlg::reject);
    layout->addWidget(buttons);
}

void CSelExportPageRangeDlg::accept() {
    int first = 0;
    int last = 0;
    for (auto [edit, value] : {std::pair{firstEdit_, &first}, std::pair{lastEdit_, &last}}) {
        if (!ReadInteger(edit, value)) {
            showMessage_(kMessageNotice, this, QStringLiteral("Enter an integer."), {});
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    if (last < first || first < 0) {
        showMessage_(kMessageNotice, nullptr, QStringLiteral("参数不正确！"), {});
        return;
    }
    firstPage_ = first;
    lastPage_ = last;
    starterOnly_ = chosen_->isChecked() ? 0 : 1;
    QDialog::accept();
}
