#pragma once

#include "reader/CSelExportPageRangeDlg.h"
#include "reader/ShowMessageSeam.h"
#include "reader/export/ExportThreads.h"

#include <QList>
#include <functional>
#include <optional>

class QWidget;

// What the follow list's export commands need from the rest of the reader. Only showMessage
// is required; the others default to the reader's own dialogs.
struct ExportUiSeams {
    ShowMessageFunction showMessage;
    // The people dialog opened from "导出只看某些人"; without it the radio only selects.
    PeopleDialogFunction peopleDialog;
    // The folder chooser "请选择导出目录"; empty when cancelled.
    std::function<QString(QWidget* parent)> chooseFolder;
    // The range dialog for a thread; nothing when cancelled.
    std::function<std::optional<ExportRange>(QWidget* parent, const FollowRecord& follow)>
        chooseRange;
};

// 1231 "导出文本到TXT文件" and 1234 "导出文本到HTML文件" on the selected follows (in the order of
// their rows). A progress dialog over `parent` follows each long file.
void OnExportText(QWidget* parent, ExportKind kind, const QList<FollowRecord>& selected,
                  const ExportUiSeams& seams);
// "导出电子书(EPUB)" on the selected follows, with the same dialogs as the text exports.
void OnExportEpub(QWidget* parent, const QList<FollowRecord>& selected, const ExportUiSeams& seams);
// 1232 "导出图片" on the selected follows.
void OnExportPictures(QWidget* parent, const QList<FollowRecord>& selected,
                      const ExportUiSeams& seams);

// The reader's folder chooser and range dialog, as the defaults use them.
QString ChooseExportFolder(QWidget* parent);
std::optional<ExportRange> RunExportRangeDialog(QWidget* parent, const FollowRecord& follow,
                                                const ShowMessageFunction& showMessage,
                                                const PeopleDialogFunction& peopleDialog);
