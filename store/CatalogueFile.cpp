#include "store/CatalogueFile.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "store/Catalogue.h"

#include <QFile>

#include <unistd.h>

bool EnsureCatalogueFile() {
    const QString target = JoinPath(ProgramDirectory(), kCatalogueName);
    if (QFile::exists(target))
        return true;
    // Copy beside the target and rename, so the other program, starting at the same
    // moment, never opens a half-copied file; the loser of that race finds it in place.
    const QString partial = target + QStringLiteral(".partial-") + QString::number(getpid());
    QFile::remove(partial);
    if (!QFile::copy(
            DeliveredFilePath(kCatalogueName, QStringLiteral(":/quillmere/store/ForumData.db")),
            partial)) {
        Log(QStringLiteral("copying the empty catalogue failed: ") + target, LogError);
        return false;
    }
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                       QFile::ReadOther);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return QFile::exists(target);
    }
    return true;
}
