#include "reader/reading/SomeBodyRules.h"

#include "store/ThreadDatabase.h"

#include <algorithm>

namespace {

const QString kAdded = QStringLiteral("添加成功!");

bool IsSelectionBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0x00A0) ||
           c == QChar(0x3000);
}

void Reload(FilterListReloader* reloader, int focusPageNo, int listNo) {
    if (reloader)
        reloader->ReloadList(focusPageNo, listNo);
}

} // namespace

QString TrimSelection(const QString& selected) {
    qsizetype from = 0;
    qsizetype to = selected.size();
    while (from < to && IsSelectionBlank(selected[from]))
        ++from;
    while (to > from && IsSelectionBlank(selected[to - 1]))
        --to;
    return selected.mid(from, to - from);
}

QString CutText(const QString& text, int limit) {
    if (text.size() <= limit)
        return text;
    int length = limit;
    if (length > 0 && text[length - 1].isHighSurrogate())
        --length;
    return text.left(length);
}

SomeBodyTexts SomeBodyTextsOf(int mode) {
    switch (mode) {
    case ChosenPeopleList:
        return {QStringLiteral("设置只看某些人"), QStringLiteral("用户ID"),
                QStringLiteral("请输入只看用户ID：")};
    case HighlightPeopleList:
        return {QStringLiteral("设置高亮某些人"), QStringLiteral("用户ID"),
                QStringLiteral("请输入高亮用户ID：")};
    case BlockedPeopleList:
        return {QStringLiteral("设置屏蔽某些人"), QStringLiteral("用户ID"),
                QStringLiteral("请输入屏蔽用户ID：")};
    default:
        return {QStringLiteral("设置只看某些内容"), QStringLiteral("内容"),
                QStringLiteral("请输入只看内容：")};
    }
}

SomeBodyEditor::SomeBodyEditor(int mode, QString dbFile, QString starter, int focusPageNo)
    : mode_(mode), dbFile_(std::move(dbFile)), starter_(std::move(starter)),
      focusPageNo_(focusPageNo) {}

void SomeBodyEditor::Load() {
    entries_.clear();
    changed_ = false;
    // A list that cannot be read shows empty.
    if (!ReadSomeBodyList(dbFile_, mode_, entries_))
        entries_.clear();
    if (entries_.isEmpty() && mode_ != BlockedPeopleList) {
        entries_.append(starter_);
        changed_ = true;
    }
}

SomeBodyEditor::AddResult SomeBodyEditor::Add(const QString& text) {
    if (text.isEmpty())
        return AddResult::Empty;
    if (entries_.contains(text))
        return AddResult::AlreadyListed;
    entries_.append(text);
    changed_ = true;
    return AddResult::Added;
}

void SomeBodyEditor::Delete(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the last to the first, so the earlier rows keep their places.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < entries_.size())
            entries_.removeAt(*it);
    if (!rows.isEmpty())
        changed_ = true;
}

SomeBodyEditor::AcceptResult SomeBodyEditor::Accept(FilterListReloader* reloader) {
    if (!changed_)
        return AcceptResult::Unchanged;
    if (entries_.isEmpty())
        return AcceptResult::NeedOneEntry;
    // A failed store is not reported; the model reloads what is stored.
    SaveSomeBodyList(dbFile_, entries_, mode_);
    Reload(reloader, focusPageNo_, mode_ == HighlightPeopleList ? ChosenPeopleList : mode_);
    return AcceptResult::Stored;
}

MenuItemOutcome AddSelectionToList(const QString& dbFile, int focusPageNo, const QString& selected,
                                   int listNo, FilterListReloader* reloader) {
    const QString name = TrimSelection(selected);
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return {QStringLiteral("请选择用户名！")};
    QStringList list;
    if (!ReadSomeBodyList(dbFile, listNo, list))
        return {QStringLiteral("读设置失败!")};
    if (list.contains(name))
        return {kAdded};
    list.append(name);
    if (!SaveSomeBodyList(dbFile, list, listNo))
        return {QStringLiteral("添加失败!")};
    Reload(reloader, focusPageNo, listNo);
    return {kAdded};
}

MenuItemOutcome OnlyThisPerson(const QString& dbFile, int focusPageNo, const QString& selected,
                               FilterListReloader* reloader) {
    const QString name = TrimSelection(selected);
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return {QStringLiteral("请选择用户名！")};
    if (!SaveSomeBodyList(dbFile, {name}, ChosenPeopleList))
        return {};
    Reload(reloader, focusPageNo, ChosenPeopleList);
    return {{}, ChosenPeopleList};
}

MenuItemOutcome OnlySelectedContent(const QString& dbFile, int focusPageNo, const QString& selected,
                                    FilterListReloader* reloader) {
    const QString word = CutText(TrimSelection(selected), kMaxWordLength);
    if (word.isEmpty())
        return {QStringLiteral("未选择任何文字！")};
    SaveSomeBodyList(dbFile, {word}, ChosenWordsList); // a failure is ignored
    Reload(reloader, focusPageNo, ChosenWordsList);
    return {{}, ChosenWordsList};
}
