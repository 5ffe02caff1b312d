#pragma once

#include "tools/updater/UpdateJob.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

// The updater's window: which address is being tried, a progress bar and "取消"; at the end it
// tells the user where the file is, or that no address gave it.
class CUpdateSoftDlg : public QDialog {
    Q_OBJECT
public:
    // `notify(title, text)` shows the closing message; tests answer it themselves.
    CUpdateSoftDlg(UpdateDescription description, DownloadLimits limits,
                   std::function<void(QWidget*, const QString&, const QString&)> notify,
                   QWidget* parent = nullptr);

    void Start() { job_.Start(); }
    const QString& SavedPath() const { return saved_; }

protected:
    void reject() override;

private:
    void OnFinished(const QString& savedPath, bool cancelled);

    UpdateJob job_;
    std::function<void(QWidget*, const QString&, const QString&)> notify_;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QString saved_;
    bool cancelling_ = false;
};

// The closing messages.
QString UpdateSavedText(const QString& path);
QString UpdateFailedText();
