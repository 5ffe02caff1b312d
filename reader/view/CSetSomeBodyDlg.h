#pragma once

#include "reader/reading/SomeBodyRules.h"

#include "skin/CSkinDialogEx.h"

class CSkinButton;
class CSkinListCtrl;
class CTransparentStatic;
class QLineEdit;

// The list dialog of the filter modes: the chosen people (modes 2 and 3 share one list), the
// blocked people (4) or the chosen words (5) of one thread.
class CSetSomeBodyDlg : public CSkinDialogEx {
    Q_OBJECT
public:
    CSetSomeBodyDlg(int mode, const QString& dbFile, const QString& starter, int focusPageNo,
                    FilterListReloader* reloader, QWidget* parent = nullptr);

    // "增加", the list's "删除选中项" and "确定", as the buttons and the menu run them.
    void AddFromInput();
    void DeleteSelected();
    void accept() override;

    CSkinListCtrl* List() const { return list_; }
    QLineEdit* Input() const { return input_; }
    CTransparentStatic* Prompt() const { return prompt_; }
    CSkinButton* AddButton() const { return add_; }
    const SomeBodyEditor& Editor() const { return editor_; }

private:
    void FillList();
    void ShowListMenu(const QPoint& position);

    SomeBodyEditor editor_;
    FilterListReloader* reloader_;
    CSkinListCtrl* list_;
    CTransparentStatic* prompt_;
    QLineEdit* input_;
    CSkinButton* add_;
};
