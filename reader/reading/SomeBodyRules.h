#pragma once

#include <QString>
#include <QStringList>

// The filter lists of a thread (rows of its SomeBody table) and the rules of the list dialog
// and of the post view's context-menu items that fill them. No widgets: the dialog and the
// reading window show what these return.

enum FilterList : int {
    ChosenPeopleList = 2, // shared by "only" and "highlight" (3 is stored as 2)
    HighlightPeopleList = 3,
    BlockedPeopleList = 4,
    ChosenWordsList = 5,
};

inline constexpr int kMaxNameLength = 32;
inline constexpr int kMaxWordLength = 64;

// Tells the thread's reading model that a list changed (nothing when it has no model).
class FilterListReloader {
public:
    virtual ~FilterListReloader() = default;
    virtual void ReloadList(int focusPageNo, int listNo) = 0;
};

// The selected text without the blanks, tabs, line breaks and no-break spaces around it.
QString TrimSelection(const QString& selected);
// At most `limit` UTF-16 units, never ending inside a surrogate pair.
QString CutText(const QString& text, int limit);

// Texts of the list dialog for a mode (2 to 5).
struct SomeBodyTexts {
    QString caption;
    QString heading;
    QString prompt;
};
SomeBodyTexts SomeBodyTextsOf(int mode);

// The list dialog's state apart from its widgets.
class SomeBodyEditor {
public:
    SomeBodyEditor(int mode, QString dbFile, QString starter, int focusPageNo);

    // Reads the stored list; an empty one (not in mode 4) offers the starter and counts as
    // a change, so that OK stores it.
    void Load();

    enum class AddResult { Empty, AlreadyListed, Added };
    AddResult Add(const QString& text);
    // Deletes the rows at `rows` (any order, repeats ignored).
    void Delete(QList<int> rows);

    enum class AcceptResult { Unchanged, NeedOneEntry, Stored };
    // On OK: stores the rows and reloads the model's list when something changed.
    AcceptResult Accept(FilterListReloader* reloader);

    const QStringList& Entries() const { return entries_; }
    bool Changed() const { return changed_; }
    int Mode() const { return mode_; }

private:
    int mode_;
    QString dbFile_;
    QString starter_;
    int focusPageNo_;
    QStringList entries_;
    bool changed_ = false;
};

// What a context-menu item did: the notice to show (empty: none) and whether the reading
// window is to switch its mode.
struct MenuItemOutcome {
    QString notice;
    int switchToMode = -1; // -1: keep the mode
};

// "添加到只看某些人" (list 2) and "添加到屏蔽某些人" (list 4).
MenuItemOutcome AddSelectionToList(const QString& dbFile, int focusPageNo, const QString& selected,
                                   int listNo, FilterListReloader* reloader);
// "只看此人": the chosen people become this one name; mode 2.
MenuItemOutcome OnlyThisPerson(const QString& dbFile, int focusPageNo, const QString& selected,
                               FilterListReloader* reloader);
// "只看选择内容": the chosen words become this text (at most 64 characters); mode 5.
MenuItemOutcome OnlySelectedContent(const QString& dbFile, int focusPageNo, const QString& selected,
                                    FilterListReloader* reloader);
