#include "reader/ExportMenuCommands.h"

#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>

#include <memory>

namespace {

// Shows the progress of the file being written; appears only for exports that take a moment.
class ExportProgressWindow {
public:
    explicit ExportProgressWindow(QWidget* parent) : parent_(parent) {}

    void Update(const FollowRecord& follow, int done, int total) {
        if (!dialog_) {
            dialog_ = new QProgressDialog(parent_);
            dialog_->setAttribute(Qt::WA_DeleteOnClose, false);
            dialog_->setWindowTitle(QStringLiteral("正在导出"));
            dialog_->setCancelButton(nullptr);
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(300);
            dialog_->setAutoClose(false);
            dialog_->setAutoReset(false);
        }
        if (follow.focusPageNo != current_) {
            current_ = follow.focusPageNo;
            dialog_->setLabelText(QStringLiteral("正在导出《%1》…").arg(follow.webpageName));
            dialog_->setRange(0, total);
            dialog_->setValue(0);
        }
        dialog_->setMaximum(total);
        // A modal progress dialog keeps the windows painted while the file is written.
        dialog_->setValue(done);
    }

    // Before a notice: the dialog goes away until the next thread starts.
    void Hide() {
        current_ = 0;
        if (dialog_) {
            dialog_->reset();
            dialog_->hide();
        }
    }

    ~ExportProgressWindow() { delete dialog_.data(); }

private:
    QWidget* parent_;
    QPointer<QProgressDialog> dialog_;
    int current_ = 0;
};

ExportSeams CommandSeams(QWidget* parent, const ExportUiSeams& ui, ExportProgressWindow& progress) {
    ExportSeams seams;
    seams.chooseFolder = [parent, &ui] {
        return ui.chooseFolder ? ui.chooseFolder(parent) : ChooseExportFolder(parent);
    };
    seams.chooseRange = [parent, &ui](const FollowRecord& follow) {
        return ui.chooseRange
                   ? ui.chooseRange(parent, follow)
                   : RunExportRangeDialog(parent, follow, ui.showMessage, ui.peopleDialog);
    };
    seams.notify = [parent, &ui, &progress](const QString& text) {
        progress.Hide();
        ui.showMessage(kMessageNotice, parent, text, {});
    };
    seams.progress = [&progress](const FollowRecord& follow, int done, int total) {
        progress.Update(follow, done, total);
    };
    return seams;
}

} // namespace

QString ChooseExportFolder(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("请选择导出目录"));
}

std::optional<ExportRange> RunExportRangeDialog(QWidget* parent, const FollowRecord& follow,
                                                const ShowMessageFunction& showMessage,
                                                const PeopleDialogFunction& peopleDialog) {
    CSelExportPageRangeDlg dialog(follow, showMessage, peopleDialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ExportRange{dialog.FirstPage(), dialog.LastPage(), dialog.StarterOnly() == 1};
}

void OnExportText(QWidget* parent, ExportKind kind, const QList<FollowRecord>& selected,
                  const ExportUiSeams& seams) {
    ExportProgressWindow progress(parent);
    ExportThreadText(kind, selected, CommandSeams(parent, seams, progress));
}

void OnExportEpub(QWidget* parent, const QList<FollowRecord>& selected,
                  const ExportUiSeams& seams) {
    ExportProgressWindow progress(parent);
    ExportThreadEpub(selected, CommandSeams(parent, seams, progress));
}

void OnExportPictures(QWidget* parent, const QList<FollowRecord>& selected,
                      const ExportUiSeams& seams) {
    ExportProgressWindow progress(parent);
    ExportThreadPictures(selected, CommandSeams(parent, seams, progress));
}
