#pragma once

#include <QString>

// Where a program's main window titled `title` listens: `<home>/run/<title>`, or, when that
// would not fit a socket address, `${XDG_RUNTIME_DIR:-/tmp}/quillmere-<h>/<title>` with <h>
// the first 16 hex digits of the SHA-256 of the home's path. Creates the folder (mode 0700).
QString ChannelSocketPath(const QString& title);

// The longest path a Unix socket address holds here.
inline constexpr int kMaxSocketPathBytes = 107;
