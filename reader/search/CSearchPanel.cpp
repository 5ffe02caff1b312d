#include "reader/search/CSearchPanel.h"

#include "reader/search/SearchWorker.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// A search waits this long after the last key stroke.
constexpr int kTypingPauseMs = 350;
const QColor kHitColour(0xC8, 0x28, 0x1E);
const QColor kHitBackground(0xFF, 0xEB, 0x9C);

} // namespace

CSearchPanel::CSearchPanel(QWidget* parent) : QWidget(parent) {
    words_ = new QLineEdit(this);
    words_->setPlaceholderText(QStringLiteral("搜索所有关注的帖子：输入词语，词语之间用空格"));
    words_->setClearButtonEnabled(true);
    thread_ = new QComboBox(this);
    thread_->addItem(QStringLiteral("全部帖子"), 0);
    thread_->setMinimumWidth(180);
    author_ = new QLineEdit(this);
    author_->setPlaceholderText(QStringLiteral("作者"));
    author_->setClearButtonEnabled(true);
    author_->setMaximumWidth(140);
    search_ = new CSkinButton(QStringLiteral("搜索"), this);
    more_ = new CSkinButton(QStringLiteral("更多"), this);
    more_->setEnabled(false);
    status_ = new CTransparentStatic(this);

    results_ = new CSkinListCtrl(this);
    results_->InsertColumn(ColumnThread, QStringLiteral("帖子"), 180);
    results_->InsertColumn(ColumnPage, QStringLiteral("页"), 50);
    results_->InsertColumn(ColumnAuthor, QStringLiteral("作者"), 100);
    results_->InsertColumn(ColumnTime, QStringLiteral("时间"), 150);
    results_->InsertColumn(ColumnExcerpt, QStringLiteral("内容"), 520);
    results_->SetOwnerDrawColumn(
        ColumnExcerpt, [this](QPainter& painter, const QRect& cell, const QModelIndex& index,
                              bool selected) { DrawExcerpt(painter, cell, index, selected); });

    auto* top = new QHBoxLayout;
    top->addWidget(words_, 1);
    top->addWidget(thread_);
    top->addWidget(author_);
    top->addWidget(search_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(more_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(results_, 1);
    layout->addLayout(bottom);

    typing_.setSingleShot(true);
    typing_.setInterval(kTypingPauseMs);
    connect(&typing_, &QTimer::timeout, this, &CSearchPanel::StartSearch);
    connect(words_, &QLineEdit::textEdited, &typing_, qOverload<>(&QTimer::start));
    connect(author_, &QLineEdit::textEdited, &typing_, qOverload<>(&QTimer::start));
    connect(words_, &QLineEdit::returnPressed, this, &CSearchPanel::StartSearch);
    connect(author_, &QLineEdit::returnPressed, this, &CSearchPanel::StartSearch);
    connect(search_, &QPushButton::clicked, this, &CSearchPanel::StartSearch);
    connect(thread_, &QComboBox::activated, this, &CSearchPanel::StartSearch);
    connect(more_, &QPushButton::clicked, this,
            [this] { RunSearch(static_cast<int>(hits_.size())); });
    connect(results_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        const int row = index.row();
        if (row >= 0 && row < hits_.size())
            emit OpenPage(hits_[row].focusPageNo, hits_[row].pageNo);
    });

    worker_ = new SearchWorker(&cancel_);
    worker_->moveToThread(&workerThread_);
    connect(&workerThread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SearchWorker::Searched, this, &CSearchPanel::ShowAnswer);
    connect(worker_, &SearchWorker::Synchronised, this,
            [this](bool, int pagesIndexed, const QList<FollowRecord>& follows) {
                --synchronising_;
                ShowFollows(follows);
                if (syncAgain_) {
                    syncAgain_ = false;
                    Synchronise();
                } else if (searchAfterSync_ || (pagesIndexed > 0 && !shown_.words.isEmpty())) {
                    searchAfterSync_ = false;
                    if (!words_->text().trimmed().isEmpty())
                        StartSearch();
                }
                if (synchronising_ == 0 && searching_ == 0 && !hits_.isEmpty())
                    status_->SetText(QStringLiteral("找到 %1 条").arg(hits_.size()) +
                                     (more_->isEnabled() ? QStringLiteral("以上") : QString()));
                emit Synchronised();
            });
    workerThread_.setObjectName(QStringLiteral("SearchWorker"));
    workerThread_.start();
    Synchronise();
}

CSearchPanel::~CSearchPanel() {
    // A synchronisation in progress stops at its next step.
    cancel_ = true;
    workerThread_.quit();
    workerThread_.wait();
}

bool CSearchPanel::Idle() const {
    return searching_ == 0 && synchronising_ == 0;
}

void CSearchPanel::Synchronise() {
    if (synchronising_ > 0) {
        syncAgain_ = true;
        return;
    }
    ++synchronising_;
    if (hits_.isEmpty())
        status_->SetText(QStringLiteral("正在更新搜索索引…"));
    QMetaObject::invokeMethod(worker_, &SearchWorker::Synchronise, Qt::QueuedConnection);
}

void CSearchPanel::StartSearch() {
    typing_.stop();
    RunSearch(0);
}

void CSearchPanel::RunSearch(int offset) {
    SearchRequest request;
    request.words = words_->text();
    request.focusPageNo = thread_->currentData().toInt();
    request.author = author_->text().trimmed();
    request.limit = kPageSize;
    request.offset = offset;
    if (offset == 0 && SearchWords(request.words).isEmpty()) {
        ++serial_; // answers still on their way are stale now
        hits_.clear();
        shown_ = request;
        results_->DeleteAllItems();
        more_->setEnabled(false);
        status_->SetText(request.words.trimmed().isEmpty() ? QString()
                                                           : QStringLiteral("请输入要搜索的词语"));
        emit ResultsShown();
        return;
    }
    ++searching_;
    const quint64 serial = ++serial_;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, serial, request] { worker->Search(serial, request); },
        Qt::QueuedConnection);
}

void CSearchPanel::ShowAnswer(quint64 serial, const SearchRequest& request,
                              const SearchAnswer& answer) {
    --searching_;
    if (serial != serial_)
        return; // the user has typed on since
    if (answer.incomplete) {
        searchAfterSync_ = true;
        Synchronise();
    }
    if (request.offset == 0) {
        hits_.clear();
        results_->DeleteAllItems();
    }
    shown_ = request;
    for (const SearchHit& hit : answer.hits) {
        const int row = results_->InsertItem(results_->GetItemCount(), hit.threadTitle);
        results_->SetItemText(row, ColumnPage, QString::number(hit.pageNo));
        results_->SetItemText(row, ColumnAuthor, hit.author);
        results_->SetItemText(row, ColumnTime, hit.time);
        results_->SetItemText(row, ColumnExcerpt, hit.excerpt);
        results_->SetItemData(row, hit.focusPageNo);
        hits_.append(hit);
    }
    more_->setEnabled(answer.ok && answer.hits.size() == request.limit);
    if (!answer.ok)
        status_->SetText(QStringLiteral("搜索索引暂时无法读取"));
    else if (answer.incomplete)
        status_->SetText(QStringLiteral("正在重建搜索索引，结果可能不全…"));
    else if (hits_.isEmpty())
        status_->SetText(QStringLiteral("没有找到"));
    else
        status_->SetText(QStringLiteral("找到 %1 条").arg(hits_.size()) +
                         (more_->isEnabled() ? QStringLiteral("以上") : QString()));
    emit ResultsShown();
}

void CSearchPanel::ShowFollows(const QList<FollowRecord>& follows) {
    const int chosen = thread_->currentData().toInt();
    thread_->clear();
    thread_->addItem(QStringLiteral("全部帖子"), 0);
    for (const FollowRecord& follow : follows)
        thread_->addItem(follow.webpageName, follow.focusPageNo);
    const int at = thread_->findData(chosen);
    thread_->setCurrentIndex(at >= 0 ? at : 0);
}

void CSearchPanel::DrawExcerpt(QPainter& painter, const QRect& cell, const QModelIndex& index,
                               bool selected) const {
    const int row = index.row();
    if (row < 0 || row >= hits_.size())
        return;
    const SearchHit& hit = hits_[row];
    const QRect area = cell.adjusted(4, 0, -4, 0);
    const QFontMetrics metrics(painter.font());
    const QColor normal = selected ? QColor(Qt::white) : QColor(0x33, 0x33, 0x33);
    painter.save();
    painter.setClipRect(area);
    int x = area.left();
    int at = 0;
    auto draw = [&](int from, int to, bool marked) {
        if (to <= from || x >= area.right())
            return;
        const QString part = hit.excerpt.mid(from, to - from);
        const int width = metrics.horizontalAdvance(part);
        const QRect box(x, area.top(), width, area.height());
        if (marked) {
            if (!selected)
                painter.fillRect(box.adjusted(0, 4, 0, -4), kHitBackground);
            painter.setPen(selected ? QColor(Qt::yellow) : kHitColour);
        } else {
            painter.setPen(normal);
        }
        painter.drawText(box, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, part);
        x += width;
    };
    for (const SearchMark& mark : hit.marks) {
        draw(at, mark.start, false);
        draw(mark.start, mark.start + mark.length, true);
        at = mark.start + mark.length;
    }
    draw(at, static_cast<int>(hit.excerpt.size()), false);
    painter.restore();
}
