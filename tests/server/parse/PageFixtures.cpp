#include "tests/server/parse/PageFixtures.h"

#include "tests/support/TestPaths.h"

#include <QFile>

namespace {
const QString kShell = QStringLiteral(
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Quillmere</title>\n"
    "</head>\n<body>\n</body>\n</html>\n");
}

QByteArray FixtureBytes(const QString& name) {
    QFile file(FixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

DocumentPtr LoaderDocument(const QByteArray& bytes, const QString& address) {
    QString body;
    if (!CutPageBody(DecodePageText(bytes), &body))
        return nullptr;
    return BuildPageDocument(kShell, body, address, QStringLiteral("file:///home/user/Show.html"));
}

DocumentPtr FixtureDocument(const QString& name, const QString& address) {
    const QByteArray bytes = FixtureBytes(name);
    return bytes.isEmpty() ? nullptr : LoaderDocument(bytes, address);
}
