#include "tools/updater/CUpdateSoftDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

QString UpdateSavedText(const QString& path) {
    return QStringLiteral(
               "新版本已下载到：\n%1\n\n它不会被自动运行。请退出阅读器后，用它替换原来的程序。")
        .arg(path);
}

QString UpdateFailedText() {
    return QStringLiteral(
        "下载失败：所有下载地址都没有给出完整的文件。\n请稍后再试，或到网站手动下载。");
}

CUpdateSoftDlg::CUpdateSoftDlg(UpdateDescription description, DownloadLimits limits,
                               std::function<void(QWidget*, const QString&, const QString&)> notify,
                               QWidget* parent)
    : QDialog(parent), job_(std::move(description), limits), notify_(std::move(notify)) {
    setWindowTitle(job_.Description().softName + QStringLiteral(" 升级"));
    setMinimumWidth(460);
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(QStringLiteral("正在准备下载…"), this);
    status_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &CUpdateSoftDlg::reject);
    connect(&job_, &UpdateJob::Attempt, this, [this](int index, const QString& address) {
        status_->setText(QStringLiteral("正在从第%1个地址下载：\n%2").arg(index + 1).arg(address));
        bar_->setRange(0, 0);
    });
    connect(&job_, &UpdateJob::Progress, this, [this](qint64 received, qint64 total) {
        if (total <= 0)
            return;
        // The bar counts kilobytes so that large files stay within its integer range.
        bar_->setRange(0, static_cast<int>(total / 1024));
        bar_->setValue(static_cast<int>(received / 1024));
    });
    connect(&job_, &UpdateJob::Finished, this, &CUpdateSoftDlg::OnFinished);
}

void CUpdateSoftDlg::reject() {
    // The window closes once the download thread has stopped.
    cancelling_ = true;
    status_->setText(QStringLiteral("正在取消…"));
    job_.Cancel();
}

void CUpdateSoftDlg::OnFinished(const QString& savedPath, bool cancelled) {
    saved_ = savedPath;
    const QString title = windowTitle();
    if (!savedPath.isEmpty())
        notify_(this, title, UpdateSavedText(savedPath));
    else if (!cancelled && !cancelling_)
        notify_(this, title, UpdateFailedText());
    done(savedPath.isEmpty() ? QDialog::Rejected : QDialog::Accepted);
}
