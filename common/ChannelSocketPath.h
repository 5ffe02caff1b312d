#pragma once

#include <QString>

// Where a program's main window titled `title` listens: `<home>/run/<title>`, or, when that
// would not fit a socket address, `${XDG_RUNTIME_DIR:-/tmp}/quillmere-<h>/<title>` with <h>
// the first 16 hex digits of the SHA-256 of the home's path. Creates the folder (mode 0700).
// The shared fallback folder is used only when it is a real folder of this user with mode
// 0700; otherwise (another user made it first, or it is a link) the result is empty and the
// refusal is logged, so no record ever passes through a folder someone else controls.
QString ChannelSocketPath(const QString& title);

// True when the process at the other end of a connected Unix socket runs as this user.
bool PeerIsSameUser(int fd);

// The longest path a Unix socket address holds here.
inline constexpr int kMaxSocketPathBytes = 107;
