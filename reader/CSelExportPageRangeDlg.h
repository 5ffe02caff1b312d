#pragma once

#include "reader/ShowMessageSeam.h"
#include "store/Catalogue.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QRadioButton;

// Opens the people dialog (mode 2, the chosen people) for a thread.
using PeopleDialogFunction = std::function<void(QWidget* parent, const FollowRecord& follow)>;

// "选择导出范围": the page range and whose posts a text export takes (dialog 160).
class CSelExportPageRangeDlg : public QDialog {
    Q_OBJECT
public:
    CSelExportPageRangeDlg(const FollowRecord& follow, ShowMessageFunction showMessage,
                           PeopleDialogFunction peopleDialog, QWidget* parent = nullptr);

    int FirstPage() const { return firstPage_; }
    int LastPage() const { return lastPage_; }
    // 1 unless "导出只看某些人" is selected.
    int StarterOnly() const { return starterOnly_; }

    QLineEdit* FirstPageEdit() const { return firstEdit_; } // 1034
    QLineEdit* LastPageEdit() const { return lastEdit_; }   // 1035
    QRadioButton* StarterRadio() const { return starter_; } // 1036
    QRadioButton* ChosenRadio() const { return chosen_; }   // 1037

public slots:
    void accept() override; // "确定"

private:
    FollowRecord follow_;
    ShowMessageFunction showMessage_;
    PeopleDialogFunction peopleDialog_;
    QLineEdit* firstEdit_ = nullptr;
    QLineEdit* lastEdit_ = nullptr;
    QRadioButton* starter_ = nullptr;
    QRadioButton* chosen_ = nullptr;
    int firstPage_ = 1;
    int lastPage_ = 10000;
    int starterOnly_ = 1;
};
