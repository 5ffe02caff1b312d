#include "reader/SoftUpdate.h"

#include "common/IniFile.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

const QString kIniName = QStringLiteral("UpdateSoft.ini");
const QString kUpdaterName = QStringLiteral("UpdateSoft");
const QString kUpdateFolder = QStringLiteral("Update/");

// Replaces `target` by a copy of `source`; false when the source is missing or the copy fails.
bool CopyReplacing(const QString& source, const QString& target) {
    if (!QFile::exists(source))
        return false;
    if (QFile::exists(target) && !QFile::remove(target))
        return false;
    return QFile::copy(source, target);
}

} // namespace

SoftVersionInfo SoftVersionOf(const LargeMessage& record) {
    const auto fields = FromLarge<SoftVerUpdateMessage>(record);
    return SoftVersionInfo{fields.updateKind.Get(), fields.field4.Get(), fields.message.Get(),
                           fields.field6.Get(),     fields.field7.Get(), fields.field8.Get()};
}

SoftUpdateSeams DesktopSoftUpdateSeams(QWidget* parent, ShowMessageFunction showMessage) {
    SoftUpdateSeams seams;
    seams.parent = parent;
    seams.showMessage = std::move(showMessage);
    seams.openUrl = [](const QString& address) {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    };
    seams.startProgram = [](const QString& program, const QStringList& arguments) {
        if (!QProcess::startDetached(program, arguments))
            Log(QStringLiteral("updater not started: ") + program, LogError);
    };
    return seams;
}

void OnSoftVersion(const LargeMessage& record, int updateAll, const SoftUpdateSeams& seams) {
    OnSoftVersion(SoftVersionOf(record), updateAll, seams);
}

void OnSoftVersion(const SoftVersionInfo& info, int updateAll, const SoftUpdateSeams& seams) {
    if (updateAll == 0 && info.updateKind != QStringLiteral("必须"))
        return;
    if (info.message.isEmpty())
        return;
    if (!info.url1.isEmpty()) {
        const int answer = seams.showMessage(kMessageQuestion, seams.parent,
                                             info.message + QStringLiteral("是否立即升级？"), {});
        if (answer == kMessageYes) {
            const QString updater = PrepareUpdate(info);
            if (updater.isEmpty()) {
                seams.showMessage(kMessageNotice, seams.parent,
                                  QStringLiteral("准备升级文件失败！"), {});
                return;
            }
            seams.startProgram(updater, {QStringLiteral("/auto")});
        } else if (!info.url3.isEmpty()) {
            seams.openUrl(info.url3);
        }
        return;
    }
    if (!info.url3.isEmpty()) {
        seams.showMessage(kMessageNotice, seams.parent, info.message, {});
        seams.openUrl(info.url3);
    }
}

QString PrepareUpdate(const SoftVersionInfo& info) {
    const QString home = ProgramDirectory();
    const QString folder = home + kUpdateFolder;
    const QString ini = folder + kIniName;
    if (!QFileInfo(folder).isDir() || !CopyReplacing(home + kIniName, ini))
        return {};
    // Failed writes are not noticed: the updater then reads what the copy holds.
    const IniFile description(ini);
    const QString base = QStringLiteral("Base");
    QString savePath = folder + QStringLiteral("Quillmere");
    savePath.replace(QLatin1Char(' '), QLatin1Char('*'));
    description.WriteText(base, QStringLiteral("UpdateSoftName"), QStringLiteral("Quillmere"));
    description.WriteText(base, QStringLiteral("CloseWnd1"), QStringLiteral("Quillmere"));
    description.WriteText(base, QStringLiteral("CloseWnd2"),
                          QStringLiteral("QuillmereServerMainDlg"));
    description.WriteText(base, QStringLiteral("SoftUrl1"), info.url1);
    description.WriteText(base, QStringLiteral("SoftUrl2"), info.url2);
    description.WriteText(base, QStringLiteral("SoftUrl3"), info.url3);
    description.WriteText(base, QStringLiteral("SavePath"), savePath);
    description.WriteText(base, QStringLiteral("FileName"), QStringLiteral("Quillmere"));
    const QString updater = folder + kUpdaterName;
    if (!CopyReplacing(home + kUpdaterName, updater))
        return {};
    return updater;
}

void EnsureUpdaterFiles() {
    Q_INIT_RESOURCE(reader_files);
    const QString home = ProgramDirectory();
    QDir().mkpath(home + kUpdateFolder);
    const QString ini = home + kIniName;
    if (!QFile::exists(ini) &&
        QFile::copy(
            DeliveredFilePath(kIniName, QStringLiteral(":/quillmere/reader/UpdateSoft.ini")), ini))
        QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                       QFile::ReadOther);
    const QString updater = home + kUpdaterName;
    const QString built = HelperProgramPath(kUpdaterName);
    if (!QFile::exists(updater) && QFile::exists(built) && !QFile::copy(built, updater))
        Log(QStringLiteral("UpdateSoft not copied into the home"), LogWarn);
}
