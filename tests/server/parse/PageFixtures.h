#pragma once

#include "server/parse/PageDocumentBuilder.h"

#include <QByteArray>
#include <QString>

// A page as the page loaders make it: decoded, cut to its body and poured into the shell.
DocumentPtr LoaderDocument(const QByteArray& bytes, const QString& address);
// The same for a file of tests/fixtures; none when the file is missing or has no body.
DocumentPtr FixtureDocument(const QString& name, const QString& address);
QByteArray FixtureBytes(const QString& name);
