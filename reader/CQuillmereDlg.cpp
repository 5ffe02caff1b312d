#include "reader/CQuillmereDlg.h"

#include "common/Log.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/ExportMenuCommands.h"
#include "reader/FollowModels.h"
#include "reader/ReaderLook.h"
#include "reader/ReaderState.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "reader/search/CSearchPanel.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinListCtrlBase.h"
#include "skin/CTransparentStatic.h"
#include "store/ThreadDatabase.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

const QString kTemporary = QStringLiteral("临时阅读");
const QString kPermanent = QStringLiteral("永久阅读");

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// The progress column: the skin's progress bar while a thread's pages are being fetched,
// nothing once all are stored or while no page count is known.
class ProgressDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QVariant value = index.data(CSkinListCtrlBase::ProgressRole);
        if (!value.isValid() || value.toInt() < 0 || value.toInt() >= 100)
            return;
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        CSkinListCtrlBase::PaintProgressCell(
            *painter, option.rect.adjusted(0, 1, 0, -1), value.toInt(),
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text),
            option.font);
        painter->restore();
    }
};

} // namespace

CQuillmereDlg::CQuillmereDlg(ServerLink* link, FollowModels* models, ReadingWindows* windows,
                             QWidget* parent)
    : CSkinChildDialog(parent), link_(link), models_(models), windows_(windows) {
    SetBackgroundBitmap(kPanelBitmap);
    auto* add = new CSkinButton(QStringLiteral("添加关注网页"), this);
    add->SetButtonBitmaps(CSkinButton::kAccentNormalBitmap, CSkinButton::kAccentHoverBitmap,
                          CSkinButton::kAccentPressedBitmap);
    add->SetTextColours(Qt::white, QColor(200, 200, 200));
    addButton_ = add;
    list_ = new QTableWidget(0, ColumnCount, this);
    list_->setObjectName(QStringLiteral("FollowList"));
    list_->setItemDelegateForColumn(ColProgress, new ProgressDelegate(list_));
    search_ = new CSearchPanel(this);
    search_->setObjectName(QStringLiteral("FollowSearch"));
    // The results stand in place of the list while there are words or an author to search;
    // emptying the box brings the list back.
    auto rearrange = [this] { Arrange(); };
    connect(search_->WordsBox(), &QLineEdit::textChanged, this, rearrange);
    connect(search_->AuthorFilter(), &QLineEdit::textChanged, this, rearrange);
    connect(search_, &CSearchPanel::OpenPage, this, &CQuillmereDlg::OpenReadingWindowAtPage);
    connect(addButton_, &QPushButton::clicked, this, &CQuillmereDlg::RunAddFollowDialog);
    newPageTimer_.setInterval(1000);
    connect(&newPageTimer_, &QTimer::timeout, this, &CQuillmereDlg::HandOneNewPage);
    destroyTimer_.setSingleShot(true);
    destroyTimer_.setInterval(1000);
    connect(&destroyTimer_, &QTimer::timeout, this, [this] { windows_->DestroyClosed(); });
    windows_->SetOnWindowClosed([this] { destroyTimer_.start(); });
}

QString CQuillmereDlg::DownloadText(const QList<int>& pages) {
    return QStringLiteral("%1/%2").arg(pages.size()).arg(pages.isEmpty() ? 0 : pages.last());
}

int CQuillmereDlg::ProgressValue(const QList<int>& pages, int pageCount) {
    const int count = std::max(pageCount, pages.isEmpty() ? 0 : pages.last());
    if (count <= 0)
        return -1;
    return static_cast<int>(std::min<qint64>(100, qint64(pages.size()) * 100 / count));
}

int CQuillmereDlg::ProgressOf(int followNo) const {
    const int row = RowOf(followNo);
    const QTableWidgetItem* item = row >= 0 ? list_->item(row, ColProgress) : nullptr;
    return item ? item->data(CSkinListCtrlBase::ProgressRole).toInt() : -1;
}

void CQuillmereDlg::SetProgress(int row, const QList<int>& pages, int pageCount) {
    QTableWidgetItem* item = list_->item(row, ColProgress);
    if (!item)
        return;
    const int count = std::max(pageCount, item->data(PageCountRole).toInt());
    item->setData(PageCountRole, count);
    item->setData(CSkinListCtrlBase::ProgressRole, ProgressValue(pages, count));
}

bool CQuillmereDlg::SearchShown() const {
    return !search_->WordsBox()->text().trimmed().isEmpty() ||
           !search_->AuthorFilter()->text().trimmed().isEmpty();
}

void CQuillmereDlg::OpenReadingWindowAtPage(int followNo, int page) {
    OpenReadingWindow(followNo, QString());
    windows_->GotoPage(followNo, page);
}

void CQuillmereDlg::Initialise() {
    list_->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("名字"),
                                      QStringLiteral("作者"), QStringLiteral("下载"),
                                      QStringLiteral("阅读"), QStringLiteral("进度")});
    const int widths[ColumnCount] = {50, 440, 100, 80, 80, 130};
    for (int c = 0; c < ColumnCount; ++c)
        list_->setColumnWidth(c, widths[c]);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->horizontalHeader()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAlternatingRowColors(true);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setMouseTracking(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(list_->viewport()->mapToGlobal(pos)); });

    QList<FollowRecord> follows;
    ListFollowedThreads(follows);
    // Each model reads its thread's stored pages as it loads; the row takes them from there,
    // so every thread file is read once. A thread whose model fails to load is read directly.
    list_->setUpdatesEnabled(false);
    for (const FollowRecord& follow : follows) {
        models_->Open(follow.focusPageNo);
        if (models_->Exists(follow.focusPageNo)) {
            const QList<int> pages = models_->StoredPages(follow.focusPageNo);
            AppendRow(follow, &pages);
        } else {
            AppendRow(follow);
        }
    }
    list_->setUpdatesEnabled(true);
    followCount_ = static_cast<int>(follows.size());
    connect(models_, &FollowModels::opened, this, &CQuillmereDlg::OnModelOpened);
    connect(models_, &FollowModels::newPages, this,
            [this](int followNo, int) { OnModelNewPages(followNo); });

    laidOut_ = true;
    Arrange();
    newPageTimer_.start();
    QTimer::singleShot(followLimitDelayMs_, this, &CQuillmereDlg::CheckFollowLimit);
}

void CQuillmereDlg::AppendRow(const FollowRecord& record, const QList<int>* knownPages) {
    QList<int> pages;
    if (knownPages)
        pages = *knownPages;
    else
        ListStoredPages(record.dbFileName, pages);
    const int row = list_->rowCount();
    list_->insertRow(row);
    list_->setItem(row, ColNumber, cell(QString::number(record.focusPageNo)));
    list_->setItem(row, ColName, cell(record.webpageName));
    list_->setItem(row, ColAuthor, cell(record.webpageAuthor));
    list_->setItem(row, ColDownload, cell(DownloadText(pages)));
    list_->setItem(row, ColReading, cell(record.deleteFocus != 0 ? kTemporary : kPermanent));
    list_->setItem(row, ColProgress, cell(QString()));
    SetProgress(row, pages, record.pageCount);
    list_->item(row, ColName)->setToolTip(record.webpageName);
}

int CQuillmereDlg::FollowNoAt(int row) const {
    const QTableWidgetItem* item = list_->item(row, ColNumber);
    return item ? item->text().toInt() : 0;
}

int CQuillmereDlg::RowOf(int followNo) const {
    for (int row = 0; row < list_->rowCount(); ++row)
        if (FollowNoAt(row) == followNo)
            return row;
    return -1;
}

QList<int> CQuillmereDlg::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CQuillmereDlg::OpenReadingWindow(int followNo, const QString& title) {
    if (windows_->ShowOpen(followNo))
        return;
    FollowRecord record;
    const bool known = ReadFollowedThread(followNo, record);
    const QString shownTitle = title.isEmpty() ? record.webpageName : title;
    const LoginState& login = TheLoginState();
    if (!windows_->Open(followNo, shownTitle, known ? record.pageCount : 0,
                        login.loggedIn ? login.userName : QString()))
        return;
    if (TheModuleFlags().getImg)
        link_->ReadWebpage(followNo);
}

void CQuillmereDlg::DeleteFollowAt(int row) {
    if (row < 0 || row >= list_->rowCount())
        return;
    const int followNo = FollowNoAt(row);
    list_->removeRow(row);
    if (windows_->Close(followNo))
        destroyTimer_.start();
    MarkFollowDeleted(followNo);
    TheHelpTips().Lower(HelpTips::DelMyFocus);
    search_->Synchronise();
}

int CQuillmereDlg::DeleteFollow(int followNo) {
    const int row = RowOf(followNo);
    if (row < 0)
        return 0;
    DeleteFollowAt(row);
    return 1;
}

void CQuillmereDlg::QueueNewPage(int followNo, int page) {
    LogFormat(LogNormal, "OnCopyData NewGetWebpage ulFocusIndex=%d ulPageNO=%d", followNo, page);
    queue_.Put(followNo, page);
}

void CQuillmereDlg::HandOneNewPage() {
    const auto pair = queue_.Take();
    if (pair && models_->Exists(pair->first))
        models_->NewPagesStored(pair->first, pair->second);
}

void CQuillmereDlg::OnModelOpened(int followNo) {
    if (RowOf(followNo) >= 0)
        return;
    FollowRecord record;
    if (!models_->Record(followNo, record))
        return;
    const QList<int> pages = models_->StoredPages(followNo);
    AppendRow(record, &pages);
    search_->Synchronise();
}

void CQuillmereDlg::OnModelNewPages(int followNo) {
    if (!models_->Exists(followNo))
        return;
    const QList<int> pages = models_->StoredPages(followNo);
    if (pages.isEmpty())
        return;
    for (int row = 0; row < list_->rowCount(); ++row)
        if (FollowNoAt(row) == followNo) {
            list_->item(row, ColDownload)->setText(DownloadText(pages));
            SetProgress(row, pages, 0);
        }
}

void CQuillmereDlg::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    const QList<QPair<int, QString>> commands = {
        {CmdMakePermanent, QStringLiteral("设为永久阅读")},
        {CmdDelete, QStringLiteral("删除选中项")},
        {CmdExportText, QStringLiteral("导出文本到TXT文件")},
        {CmdExportHtml, QStringLiteral("导出文本到HTML文件")},
        {CmdExportEpub, QStringLiteral("导出电子书(EPUB)")},
        {CmdExportPictures, QStringLiteral("导出图片")}};
    for (const auto& [id, text] : commands) {
        QAction* action = menu.addAction(text);
        action->setData(id);
        if (id == CmdDelete)
            menu.addSeparator();
    }
    if (QAction* chosen = menu.exec(globalPos))
        RunMenuCommand(chosen->data().toInt());
}

void CQuillmereDlg::RunMenuCommand(int command) {
    QList<int> followNos;
    for (int row : SelectedRows())
        followNos.append(FollowNoAt(row));
    switch (command) {
    case CmdMakePermanent:
        MakeFirstSelectedPermanent();
        break;
    case CmdDelete:
        DeleteSelected();
        break;
    case CmdExportText:
    case CmdExportHtml:
    case CmdExportEpub:
    case CmdExportPictures: {
        QList<FollowRecord> selected;
        for (int followNo : followNos) {
            FollowRecord record;
            if (ReadFollowedThread(followNo, record))
                selected.append(record);
        }
        if (selected.isEmpty())
            break;
        ExportUiSeams seams;
        seams.showMessage = &ShowMessage;
        if (command == CmdExportPictures)
            OnExportPictures(this, selected, seams);
        else if (command == CmdExportEpub)
            OnExportEpub(this, selected, seams);
        else
            OnExportText(this, command == CmdExportText ? ExportKind::Text : ExportKind::Html,
                         selected, seams);
        break;
    }
    default:
        break;
    }
}

void CQuillmereDlg::MakeFirstSelectedPermanent() {
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.first();
    if (!MarkFollowPermanent(FollowNoAt(row)))
        return;
    list_->item(row, ColReading)->setText(kPermanent);
    ShowMessage(MessageNotice, this, QStringLiteral("设置永久阅读成功！"));
}

void CQuillmereDlg::DeleteSelected() {
    const QList<int> rows = SelectedRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        DeleteFollowAt(*it);
    if (!rows.isEmpty())
        ShowMessage(MessageNotice, this,
                    QStringLiteral("已删除%1项关注，程序退出并重新运行后生效！").arg(rows.size()));
}

void CQuillmereDlg::CheckFollowLimit() {
    QList<FollowRecord> follows;
    ListFollowedThreads(follows);
    if (follows.size() <= kFollowLimit)
        return;
    ShowMessage(MessageNotice, nullptr,
                QStringLiteral("您关注的网页已经达到%1个，建议您从").arg(follows.size()) +
                    QStringLiteral("\"我的关注\"") + QStringLiteral("选项卡里删除不常阅读的帖！") +
                    QStringLiteral("\n") +
                    QStringLiteral("在您的关注帖上点鼠标右键，弹出菜单里选择删除选中项。"));
}

void CQuillmereDlg::RunAddFollowDialog() {
    CAddFocusWebpageDlg dialog(link_, this);
    // It stays open for more addresses; blocking only the main window leaves a reading window
    // opened from it usable meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    addFollowDialog_ = &dialog;
    dialog.exec();
    addFollowDialog_ = nullptr;
}

void CQuillmereDlg::CloseAll() {
    newPageTimer_.stop();
    windows_->CloseAll();
    models_->CloseAll();
}

bool CQuillmereDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool plain = !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        const QModelIndex index = list_->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && plain && index.isValid()) {
            const int row = index.row();
            const QString title = list_->item(row, ColName)->text();
            // After the list has handled the release, so the row shows selected.
            QTimer::singleShot(0, this, [this, followNo = FollowNoAt(row), title] {
                OpenReadingWindow(followNo, title);
            });
        }
    }
    return CSkinChildDialog::eventFilter(watched, event);
}

void CQuillmereDlg::Arrange() {
    if (!laidOut_)
        return;
    addButton_->setGeometry(10, 8, 140, 30);
    // The search bar under the button; its results only while a search is wanted.
    const bool searching = SearchShown();
    search_->Results()->setVisible(searching);
    search_->Status()->setVisible(searching);
    search_->MoreButton()->setVisible(searching);
    list_->setVisible(!searching);
    const int innerWidth = std::max(0, width() - 12);
    const int barHeight = search_->WordsBox()->sizeHint().height() + 8;
    search_->setGeometry(6, 42, innerWidth, searching ? std::max(0, height() - 48) : barHeight);
    const int listTop = 42 + barHeight + 2;
    list_->setGeometry(10, listTop, std::max(0, width() - 20),
                       std::max(0, height() - listTop - 10));
}

void CQuillmereDlg::resizeEvent(QResizeEvent* event) {
    CSkinChildDialog::resizeEvent(event);
    Arrange();
}
