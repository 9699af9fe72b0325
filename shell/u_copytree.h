#pragma once
// Copies a folder with everything in it, reporting every entry as it goes.

#include <QString>
#include <functional>

namespace aeris {

// Called after every entry with the target path of that entry (the caller shows progress and
// lets the interface process its events).
using CopyProgress = std::function<void(const QString& targetEntry)>;

// Copies `source` into `target` (created with its parents). A subfolder that is the target
// itself (a copy into a folder of the source) is skipped. Existing files are replaced when
// `overwrite` is set and kept otherwise. True when every entry was copied; an empty source
// folder copies as an empty folder.
bool copyFolderTree(const QString& source, const QString& target, bool overwrite, const CopyProgress& progress = {});

} // namespace aeris
