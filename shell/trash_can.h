// Moving a file into the desktop's trash the way the freedesktop.org trash
// layout describes it: a "files" and an "info" folder, created when missing,
// the file moved into "files" by a rename and a ".trashinfo" record of where
// it came from in "info". A file on another file system than the home trash
// goes to that file system's own trash folder at its top, and only when that
// folder is the user's alone: otherwise the file stays where it is.
#pragma once

#include <QString>

namespace trashcan {

// Why a file on a volume without a trust-worthy trash stayed where it was.
inline constexpr const char* kNoSafeTrashText
    = "no trash folder on its volume is safe from other users; the file was left where it is";

// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
QString HomeTrash();
// False with `error` set when the file could not be put into a trash; the
// file is then where it was.
bool MoveToTrash(const QString& path, QString* error);

} // namespace trashcan
