// Deleting files from the list: all of them to the trash as one operation,
// with one confirmation, progress while it runs and one report of failures.
#pragma once

#include <QStringList>

class QWidget;

// Returns how many files went to the trash; 0 also when the user declined.
int MoveFilesToTrash(QWidget* owner, const QStringList& paths);
