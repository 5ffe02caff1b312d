#pragma once

#include <QString>

// The build's bin folder (programs and helper executables), from $QUILLMERE_BIN_DIR.
QString BinaryDirectory();
// A program or helper in the bin folder.
QString BinaryPath(const QString& name);
// A file under tests/fixtures of the source tree.
QString FixturePath(const QString& name);
