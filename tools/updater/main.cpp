// UpdateSoft: started by the reader as "UpdateSoft /auto" from the Update folder, it downloads
// the new version named in UpdateSoft.ini beside it and tells the user where the file is.
// It never runs what it downloads and writes nothing outside its own folder.
#include "common/ProgramDirectory.h"
#include "tools/updater/CUpdateSoftDlg.h"
#include "tools/updater/UpdateDescription.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Without windows (scripts and tests): the result goes to standard output, the exit code is 0
// when the file was saved.
int RunUnattended(int argc, char** argv, const UpdateDescription& description) {
    QCoreApplication app(argc, argv);
    UpdateJob job(description, DownloadLimits{});
    int code = 1;
    QObject::connect(&job, &UpdateJob::Finished, &app, [&code](const QString& saved, bool) {
        if (saved.isEmpty()) {
            std::printf("failed\n");
        } else {
            std::printf("saved %s\n", saved.toLocal8Bit().constData());
            code = 0;
        }
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    job.Start();
    app.exec();
    return code;
}

} // namespace

int main(int argc, char** argv) {
    bool automatic = false;
    bool unattended = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/auto") == 0)
            automatic = true;
        else if (std::strcmp(argv[i], "--unattended") == 0)
            unattended = true;
    }
    const QString folder = ExecutableDirectory();
    const UpdateDescription description =
        ReadUpdateDescription(folder + QStringLiteral("UpdateSoft.ini"), folder);
    if (unattended) {
        if (!automatic || description.addresses.isEmpty()) {
            std::printf("failed\n");
            return 2;
        }
        return RunUnattended(argc, argv, description);
    }

    QApplication app(argc, argv);
    const QString title = description.softName + QStringLiteral(" 升级");
    if (!automatic) {
        QMessageBox::information(nullptr, title, QStringLiteral("请从阅读器中启动升级。"));
        return 2;
    }
    if (description.addresses.isEmpty()) {
        QMessageBox::warning(nullptr, title, QStringLiteral("升级说明中没有下载地址。"));
        return 1;
    }
    CUpdateSoftDlg window(description, DownloadLimits{},
                          [](QWidget* parent, const QString& caption, const QString& text) {
                              QMessageBox::information(parent, caption, text);
                          });
    window.show();
    window.Start();
    return window.exec() == QDialog::Accepted ? 0 : 1;
}
