#pragma once

#include "reader/export/ExportPosts.h"
#include "store/Catalogue.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// What the user chose in the range dialog for one thread.
struct ExportRange {
    int firstPage = 1;
    int lastPage = 10000;
    bool starterOnly = true; // false: the thread's chosen people (list 2)
};

// How an export command talks to the user; the reader fills these with its dialogs, tests and
// tools with their own answers.
struct ExportSeams {
    // The export folder; empty when the user cancels. Asked at most once per command.
    std::function<QString()> chooseFolder;
    // The range dialog for one thread; nothing when it is cancelled.
    std::function<std::optional<ExportRange>(const FollowRecord& follow)> chooseRange;
    // A notice to the user.
    std::function<void(const QString& text)> notify;
    // Progress of the thread being written (may be empty).
    std::function<void(const FollowRecord& follow, int done, int total)> progress;
};

// "导出文本到TXT文件" / "导出文本到HTML文件" for the selected follows, in the order given.
void ExportThreadText(ExportKind kind, const QList<FollowRecord>& selected,
                      const ExportSeams& seams);

// "导出电子书(EPUB)" for the selected follows, in the order given: one book per thread.
void ExportThreadEpub(const QList<FollowRecord>& selected, const ExportSeams& seams);

// "导出图片" for the selected follows, in the order given.
void ExportThreadPictures(const QList<FollowRecord>& selected, const ExportSeams& seams);
