#pragma once
// File-system helpers shared by every subsystem: file names matched without regard to letter
// case, the project's Windows-style relative names, atomic rewrites and non-overwriting copies.

#include <QByteArray>
#include <QString>

namespace aeris::files {

// The entry of `dir` whose name equals `name` ignoring case; the exact name wins when both
// spellings exist. Returns the full path of the entry found, or dir/name when there is none.
QString findNoCase(const QString& dir, const QString& name);

// Maps a relative name written with backslashes or slashes ("aer.dat\OBJ.FDB") onto a native
// path under `base`, matching every existing component without regard to case. Components
// that do not exist yet keep the spelling given.
QString resolve(const QString& base, const QString& relativeName);

bool existsNoCase(const QString& base, const QString& relativeName);

// Writes `data` into a temporary file beside `path` and renames it over `path`. Throws IoError.
void writeFileAtomically(const QString& path, const QByteArray& data);

// Copies `from` to `to` unless `to` exists already (true when `to` exists afterwards).
// The copy is written under a temporary name first, so a failed copy leaves nothing behind.
bool copyIfAbsent(const QString& from, const QString& to);

// Creates a folder with its parents; throws IoError.
void makePath(const QString& dir);

} // namespace aeris::files
