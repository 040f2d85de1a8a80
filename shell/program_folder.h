// Where the files that ship beside the program live (tips.txt, help,
// license): the program's own folder, else the installed data folder.
#pragma once

#include <QString>

namespace ProgramFolder {

// The folder holding `name`: beside the program if it is there, else the
// installed data folder; the program's folder when neither has it.
QString FolderFor(const QString& name);
QString PathOf(const QString& name);
// Points every lookup at one folder (tests); an empty text restores the rule.
void Override(const QString& folder);

} // namespace ProgramFolder
