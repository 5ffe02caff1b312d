#include "reader/view/CStateDlg.h"

#include "reader/view/CStateCtl.h"

#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"

CStateDlg::CStateDlg(int focusPageNo, ServerRequestSink* sink, QWidget* parent)
    : CSkinChildDialog(parent), focusPageNo_(focusPageNo), sink_(sink) {
    setFixedSize(201, 238);
    cells_ = new CStateCtl(this);
    cells_->setGeometry(0, 0, 201, 201);
    cells_->SetCore(&core_);
    core_.Attach(cells_);
    const char* const captions[4] = {"<<", "<", ">", ">>"};
    const int xs[4] = {4, 33, 143, 172};
    const CStateCore::GroupMove moves[4] = {CStateCore::First, CStateCore::Previous,
                                            CStateCore::Next, CStateCore::Last};
    for (int i = 0; i < 4; ++i) {
        buttons_[i] = new CSkinButton(QString::fromLatin1(captions[i]), this);
        buttons_[i]->setGeometry(xs[i], 211, 24, 24);
        buttons_[i]->setFocusPolicy(Qt::NoFocus);
        connect(buttons_[i], &QPushButton::clicked, this, [this, move = moves[i]] { Move(move); });
    }
    label_ = new CTransparentStatic(QStringLiteral("Static"), this);
    label_->setGeometry(57, 216, 86, 19);
    label_->setAlignment(Qt::AlignCenter);

    connect(cells_, &CStateCtl::ReadPageRequested, this, &CStateDlg::ReadPageRequested);
    connect(cells_, &CStateCtl::CellClicked, this, &CStateDlg::CellClicked);
    connect(cells_, &CStateCtl::FetchPageRequested, this, [this](int page) {
        if (sink_)
            sink_->QueueSmall({CDTUserSet, focusPageNo_, page, page, 0});
    });
}

QPushButton* CStateDlg::GroupButton(CStateCore::GroupMove move) const {
    return buttons_[static_cast<int>(move)];
}

void CStateDlg::RefreshForScreen(const QList<int>& storedPages, int startPage, int endPage) {
    core_.RefreshForScreen(storedPages, startPage, endPage);
    ShowLabelAndButtons();
}

void CStateDlg::RefreshForNewPages(const QList<int>& storedPages, int startPage, int endPage,
                                   int newestPage) {
    core_.RefreshForNewPages(storedPages, startPage, endPage, newestPage);
    ShowLabelAndButtons();
}

void CStateDlg::Move(CStateCore::GroupMove move) {
    core_.MoveGroup(move);
    ShowLabelAndButtons();
}

void CStateDlg::ShowLabelAndButtons() {
    label_->SetText(core_.GroupLabel());
    const bool previous = core_.HasPreviousGroup();
    const bool next = core_.HasNextGroup();
    buttons_[CStateCore::First]->setEnabled(previous);
    buttons_[CStateCore::Previous]->setEnabled(previous);
    buttons_[CStateCore::Next]->setEnabled(next);
    buttons_[CStateCore::Last]->setEnabled(next);
}
