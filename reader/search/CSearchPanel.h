#pragma once

#include "search/SearchIndex.h"
#include "store/Catalogue.h"

#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>

class CSkinButton;
class CSkinListCtrl;
class CTransparentStatic;
class QComboBox;
class QLineEdit;
class SearchWorker;

// The search over all followed threads on the follow tab: a box for the words, a thread and
// an author filter, and the list of posts found, newest first (thread, page, author, time and
// an excerpt with the hits marked). A click on a post asks to open its thread at its page
// (OpenPage); the owner opens the reading window with the go-to-page operation.
//
// The panel owns one worker thread for searching and for synchronising the index, which it
// does when it is created (after the reader's purge at start) and again whenever a search
// finds the index being made anew. Searches start a moment after typing stops, or at once
// on Enter or the button.
class CSearchPanel : public QWidget {
    Q_OBJECT
public:
    // Results per search; "更多" fetches the next as many.
    static constexpr int kPageSize = 50;
    // Columns of the result list.
    enum Column { ColumnThread, ColumnPage, ColumnAuthor, ColumnTime, ColumnExcerpt };

    explicit CSearchPanel(QWidget* parent = nullptr);
    ~CSearchPanel() override;

    QLineEdit* WordsBox() const { return words_; }
    QComboBox* ThreadFilter() const { return thread_; }
    QLineEdit* AuthorFilter() const { return author_; }
    CSkinListCtrl* Results() const { return results_; }
    CSkinButton* MoreButton() const { return more_; }
    CTransparentStatic* Status() const { return status_; }
    // The hits shown, in list order.
    const QList<SearchHit>& Hits() const { return hits_; }
    // True while no search or synchronisation is outstanding.
    bool Idle() const;

public slots:
    // Searches now with the current words and filters.
    void StartSearch();
    // Reads the follows again (after a follow was added or removed) and catches the index up.
    void Synchronise();

signals:
    void OpenPage(int focusPageNo, int pageNo);
    // After each search answer was shown (for tests and the status line).
    void ResultsShown();
    void Synchronised();

private:
    void RunSearch(int offset);
    void ShowAnswer(quint64 serial, const SearchRequest& request, const SearchAnswer& answer);
    void ShowFollows(const QList<FollowRecord>& follows);
    void DrawExcerpt(QPainter& painter, const QRect& cell, const QModelIndex& index,
                     bool selected) const;

    QLineEdit* words_ = nullptr;
    QComboBox* thread_ = nullptr;
    QLineEdit* author_ = nullptr;
    CSkinButton* search_ = nullptr;
    CSkinButton* more_ = nullptr;
    CTransparentStatic* status_ = nullptr;
    CSkinListCtrl* results_ = nullptr;
    QTimer typing_;

    QList<SearchHit> hits_;
    SearchRequest shown_; // the request whose answers the list shows
    quint64 serial_ = 0;  // of the newest search sent
    int searching_ = 0;
    int synchronising_ = 0;
    bool syncAgain_ = false;
    bool searchAfterSync_ = false;

    std::atomic<bool> cancel_{false};
    QThread workerThread_;
    SearchWorker* worker_ = nullptr;
};
