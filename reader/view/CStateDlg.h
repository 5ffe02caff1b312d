#pragma once

#include "reader/reading/CStateCore.h"
#include "reader/reading/ServerRequestSink.h"

#include "skin/CSkinChildDialog.h"

class CSkinButton;
class CStateCtl;
class CTransparentStatic;
class QPushButton;

// The page state strip of a reading window: the cell square, the four group buttons and the
// label of the group's pages. A click on a missing page asks the server for it.
class CStateDlg : public CSkinChildDialog {
    Q_OBJECT
public:
    CStateDlg(int focusPageNo, ServerRequestSink* sink, QWidget* parent = nullptr);

    // After an operation finished, with the model's page state.
    void RefreshForScreen(const QList<int>& storedPages, int startPage, int endPage);
    // After new pages were stored, newest page `newestPage`.
    void RefreshForNewPages(const QList<int>& storedPages, int startPage, int endPage,
                            int newestPage);

    const CStateCore& Core() const { return core_; }
    CStateCtl* Cells() const { return cells_; }
    QPushButton* GroupButton(CStateCore::GroupMove move) const;
    CTransparentStatic* Label() const { return label_; }

signals:
    // A stored page to show (the reading window asks its model to go there).
    void ReadPageRequested(int page);
    // A cell of this state was clicked (for the help tips).
    void CellClicked(int state);

private:
    void Move(CStateCore::GroupMove move);
    void ShowLabelAndButtons();

    int focusPageNo_;
    ServerRequestSink* sink_;
    CStateCore core_;
    CStateCtl* cells_;
    CSkinButton* buttons_[4];
    CTransparentStatic* label_;
};
