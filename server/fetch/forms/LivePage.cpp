#include "server/fetch/forms/LivePage.h"

QString SelectorForId(const QString& id) {
    // An attribute selector matches the id exactly as written, whatever characters it holds.
    QString escaped = id;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QStringLiteral("[id=\"%1\"]").arg(escaped);
}
