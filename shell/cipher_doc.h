// The document: the one piece of state the windows share, the folder shown.
// The folder tree writes it; the file list reads it whenever it fills.
#pragma once

#include <QString>

class CCipherDoc {
public:
    QString m_strFolder;
};
