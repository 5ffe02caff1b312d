#pragma once

#include "reader/CAddFocusWebpageDlg.h"
#include "reader/NewPageQueue.h"
#include "store/Catalogue.h"

#include "skin/CSkinChildDialog.h"
#include <QPointer>

#include <QTimer>

class CSearchPanel;
class FollowModels;
class QPushButton;
class QTableWidget;
class ReadingWindows;
class ServerLink;

// The follow list: one row per followed thread, kept current by the reading models.
class CQuillmereDlg : public CSkinChildDialog {
    Q_OBJECT
public:
    enum Column {
        ColNumber,
        ColName,
        ColAuthor,
        ColDownload,
        ColReading,
        ColProgress,
        ColumnCount
    };
    // On a progress cell: the thread's page count the bar measures against.
    static constexpr int PageCountRole = Qt::UserRole + 1;
    enum MenuCommand {
        CmdDelete = 1230,
        CmdExportText = 1231,
        CmdExportPictures = 1232,
        CmdMakePermanent = 1233,
        CmdExportHtml = 1234,
        CmdExportEpub = 1235
    };
    static constexpr int kRowHeight = 25;
    static constexpr int kFollowLimit = 50;
    static constexpr int kFollowLimitDelayMs = 120000;

    CQuillmereDlg(ServerLink* link, FollowModels* models, ReadingWindows* windows,
                  QWidget* parent = nullptr);

    // The delay before the follow-limit check; set before `Initialise`.
    void SetFollowLimitDelayMs(int ms) { followLimitDelayMs_ = ms; }
    // The list's opening: columns, rows, models, timers.
    void Initialise();
    int FollowCount() const { return followCount_; }

    void OpenReadingWindow(int followNo, const QString& title);
    void DeleteFollowAt(int row);
    int DeleteFollow(int followNo);
    void QueueNewPage(int followNo, int page);
    void RunMenuCommand(int command);
    // Runs the add-follow dialog modally.
    void RunAddFollowDialog();
    CAddFocusWebpageDlg* AddFollowDialog() const { return addFollowDialog_; }
    // Closes the reading windows, then the models (the main window is closing).
    void CloseAll();

    QTableWidget* List() const { return list_; }
    QPushButton* AddButton() const { return addButton_; }
    const NewPageQueue& Queue() const { return queue_; }
    // One tick of timer 1: hands the first waiting report to its model.
    void HandOneNewPage();

    // "%d/%d" of a thread's stored pages.
    static QString DownloadText(const QList<int>& pages);
    // The percentage of a thread's pages stored: its page count is the larger of the count
    // known when it was followed and its highest stored page; -1 when no count is known.
    static int ProgressValue(const QList<int>& pages, int pageCount);
    // The progress cell's value of a follow's row, -1 when there is no row or no count.
    int ProgressOf(int followNo) const;

    CSearchPanel* SearchPanel() const { return search_; }
    // True while the search results stand in place of the list.
    bool SearchShown() const;
    // Opens a follow's reading window and shows a page in it (a search hit was clicked).
    void OpenReadingWindowAtPage(int followNo, int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void AppendRow(const FollowRecord& record, const QList<int>* pages = nullptr);
    int RowOf(int followNo) const;
    int FollowNoAt(int row) const;
    QList<int> SelectedRows() const;
    void OnModelOpened(int followNo);
    void OnModelNewPages(int followNo);
    void ShowMenu(const QPoint& globalPos);
    void MakeFirstSelectedPermanent();
    void DeleteSelected();
    void CheckFollowLimit();
    void Arrange();

    ServerLink* link_;
    FollowModels* models_;
    ReadingWindows* windows_;
    void SetProgress(int row, const QList<int>& pages, int pageCount);

    QTableWidget* list_ = nullptr;
    QPushButton* addButton_ = nullptr;
    CSearchPanel* search_ = nullptr;
    NewPageQueue queue_;
    QTimer newPageTimer_;
    QTimer destroyTimer_;
    QPointer<CAddFocusWebpageDlg> addFollowDialog_;
    int followCount_ = 0;
    int followLimitDelayMs_ = kFollowLimitDelayMs;
    bool laidOut_ = false;
};
