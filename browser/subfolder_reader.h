// Reading the folders inside a folder, for the folder tree and a folder's
// properties, with names carried as the bytes the file system gives.
#pragma once

#include <QStringList>

namespace filelist {

// The names of the folders (and links to folders) inside `folder`, in the
// order read; names starting with "." only when `hidden`. With `firstOnly`
// the reading stops at the first one. Empty when unreadable or gone.
QStringList ReadSubfolders(const QString& folder, bool hidden, bool firstOnly = false);

} // namespace filelist
