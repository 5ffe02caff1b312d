#include "tools/updater/UpdateDescription.h"

#include "common/IniFile.h"
#include "common/Utilities.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool UsableName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           name != QLatin1String("UpdateSoft") && name != QLatin1String("UpdateSoft.ini");
}

QString CanonicalFolder(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

} // namespace

UpdateDescription ReadUpdateDescription(const QString& iniPath, const QString& ownFolder) {
    const IniFile ini(iniPath);
    const QString base = QStringLiteral("Base");
    UpdateDescription d;
    d.softName = ini.ReadText(base, QStringLiteral("UpdateSoftName"), QStringLiteral("Quillmere"));
    for (const char* key : {"SoftUrl1", "SoftUrl2", "SoftUrl3"}) {
        const QString address = ini.ReadText(base, QString::fromLatin1(key)).trimmed();
        if (!address.isEmpty())
            d.addresses.append(address);
    }
    const int64_t bound = ini.ReadText(base, QStringLiteral("MaxBytes")).toLongLong();
    d.maxBytes = bound > 0 ? std::min(bound, kHardMaxUpdateBytes) : kDefaultMaxUpdateBytes;

    const QString folder = CanonicalFolder(ownFolder);
    QString wanted = ini.ReadText(base, QStringLiteral("SavePath"));
    wanted.replace(QLatin1Char('*'), QLatin1Char(' '));
    const QFileInfo wantedInfo(wanted);
    if (!wanted.isEmpty() && CanonicalFolder(wantedInfo.absolutePath()) == folder &&
        UsableName(wantedInfo.fileName())) {
        d.savePath = JoinPath(folder, wantedInfo.fileName());
    } else {
        QString name = FileNameOfPath(ini.ReadText(base, QStringLiteral("FileName")));
        if (!UsableName(name) || name.contains(QLatin1Char('/')))
            name = QStringLiteral("Quillmere");
        d.savePath = JoinPath(folder, name);
    }
    return d;
}
