#include "tests/support/TestPaths.h"

#include "common/ProgramDirectory.h"

QString BinaryDirectory() {
    const QString env = qEnvironmentVariable("QUILLMERE_BIN_DIR");
    return env.isEmpty() ? ExecutableDirectory() : env + QLatin1Char('/');
}

QString BinaryPath(const QString& name) {
    return BinaryDirectory() + name;
}

QString FixturePath(const QString& name) {
    return qEnvironmentVariable("QUILLMERE_SOURCE_DIR") + QStringLiteral("/tests/fixtures/") + name;
}
